#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// The genotype fields of one locus, one per observation, held as small codes: each distinct field
/// text is kept once, and each observation keeps the position of its text among them.
///
/// A genomic table has tens of thousands of loci with a handful of distinct fields each; as codes it
/// takes two bytes per field instead of a string's thirty-two, and the distance builders compare
/// codes instead of texts. Texts are compared exactly (byte for byte, case-sensitive).
class GenotypeColumn {
public:
    using Code = std::uint16_t;
    /// At most this many distinct texts fit one locus; the largest code value is left free, so that
    /// users of the codes can give it a meaning of their own.
    static constexpr size_t kMaxTexts = 65535;

    GenotypeColumn() = default;
    /// A column of these fields, in observation order.
    GenotypeColumn(std::initializer_list<std::string_view> fields);

    /// The code of `text`, adding it to the distinct texts when it is new. Throws AnalysisError when
    /// the locus would get more than kMaxTexts distinct texts.
    Code intern(std::string_view text);
    /// Appends the next observation's field.
    void push_back(std::string_view field) { m_codes.push_back(intern(field)); }
    /// Appends the next observation's field by its code (from intern()).
    void pushCode(Code code) { m_codes.push_back(code); }
    /// Replaces the field of `observation` (0-based).
    void set(size_t observation, std::string_view field) { m_codes[observation] = intern(field); }
    void reserve(size_t observations) { m_codes.reserve(observations); }

    /// The number of observations.
    size_t size() const { return m_codes.size(); }
    bool empty() const { return m_codes.empty(); }
    /// The field of `observation` (0-based).
    const std::string& operator[](size_t observation) const { return m_texts[m_codes[observation]]; }

    /// Per observation, the position of its field in texts().
    const std::vector<Code>& codes() const { return m_codes; }
    /// The distinct fields, in the order they first appeared.
    const std::vector<std::string>& texts() const { return m_texts; }

    /// Keeps the observations at `positions` (0-based), in that order; a position may repeat.
    void select(const std::vector<int>& positions);

private:
    // Beyond this many distinct texts a hash table finds a text faster than a scan of all of them.
    static constexpr size_t kScannedTexts = 16;
    // An empty slot of the hash table: the code value that no text gets.
    static constexpr Code kEmptySlot = 0xFFFF;

    // The first few texts, when short, also as 64-bit keys held in the column itself: a file read
    // observation by observation visits every locus in turn, and most fields are then found without
    // reading the texts elsewhere in memory.
    static constexpr size_t kKeyedTexts = 4;
    static constexpr size_t kLongestKeyed = 7;
    // The key of a text longer than kLongestKeyed: no short text has it.
    static constexpr std::uint64_t kNoKey = ~std::uint64_t{0};
    static std::uint64_t keyOf(std::string_view text);

    Code* slotOf(std::string_view text);
    void rebuildIndex();
    void rebuildKeys();

    std::vector<std::string> m_texts;
    std::vector<Code> m_codes;
    // Once there are more than kScannedTexts texts: an open-addressing hash table of their codes,
    // its size a power of two at least twice the number of texts. A table of codes rather than a map
    // of strings keeps a column small (a genomic table has tens of thousands of them) and looks a
    // text up without copying it.
    std::vector<Code> m_index;
    std::array<std::uint64_t, kKeyedTexts> m_keys{};
};

} // namespace tessaloc
