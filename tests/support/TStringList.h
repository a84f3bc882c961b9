#pragma once

#include "core/RunListener.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// An ordered list of texts with 1-based positions and one integer value per entry, used to collect
/// distinct values in order of first appearance and to map a text back to its position.
///
/// Duplicates are not prevented: callers check IndexOf before add. The class's two messages go to
/// the listener given at construction (by default none).
class TStringList {
public:
    explicit TStringList(RunListener& listener = RunListener::none())
        : m_listener(&listener)
    {
    }

    /// Appends the text as entry count + 1, with value 0.
    void add(std::string_view StringToAdd);
    /// "returns the number of elements in the list"
    std::int32_t count() const { return m_count; }
    /// The position (1..count) of the entry equal to the text, exactly and case-sensitively; the
    /// highest such position when there are several; -1 when there is none.
    std::int32_t IndexOf(std::string_view QueryString) const;
    /// The entry at position 1..count; any other position is the caller's error (checked).
    const std::string& returnstring(std::int32_t sentindex) const;
    /// Empties the list; its storage is kept and reused by later adds.
    void clear() { m_count = 0; }
    /// Removes the entries equal to the text. On an empty list it shows "No items in string.  Please
    /// inform the author of this program." and changes nothing; an absent text changes nothing.
    void remove(std::string_view StringToRemove);
    /// Shows "Can not set value.  String not found in list." when the text is absent; changes no
    /// value and returns 0.
    std::int32_t setValue(std::string_view sentstring);
    /// Returns 0.
    std::int32_t getValue(std::string_view sentstring) const;

private:
    RunListener* m_listener;
    std::vector<std::string> m_strings;
    std::vector<std::int32_t> m_values;
    std::int32_t m_count = 0;
};

} // namespace tessaloc
