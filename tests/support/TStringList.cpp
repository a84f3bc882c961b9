#include "tests/support/TStringList.h"

#include <stdexcept>

namespace tessaloc {

void TStringList::add(std::string_view StringToAdd)
{
    // Positions freed by clear() are reused before the vectors grow.
    if (static_cast<size_t>(m_count) < m_strings.size()) {
        m_strings[m_count].assign(StringToAdd);
        m_values[m_count] = 0;
    } else {
        m_strings.emplace_back(StringToAdd);
        m_values.push_back(0);
    }
    ++m_count;
}

std::int32_t TStringList::IndexOf(std::string_view QueryString) const
{
    for (std::int32_t position = m_count; position >= 1; --position) {
        if (m_strings[position - 1] == QueryString)
            return position;
    }
    return -1;
}

const std::string& TStringList::returnstring(std::int32_t sentindex) const
{
    if (sentindex < 1 || sentindex > m_count)
        throw std::out_of_range("TStringList position " + std::to_string(sentindex) + " outside 1.." +
                                std::to_string(m_count));
    return m_strings[sentindex - 1];
}

void TStringList::remove(std::string_view StringToRemove)
{
    if (m_count == 0) {
        m_listener->message("No items in string.  Please inform the author of this program.");
        return;
    }
    std::int32_t kept = 0;
    for (std::int32_t position = 0; position < m_count; ++position) {
        if (m_strings[position] == StringToRemove)
            continue;
        if (kept != position) {
            m_strings[kept] = std::move(m_strings[position]);
            m_values[kept] = m_values[position];
        }
        ++kept;
    }
    m_count = kept;
}

std::int32_t TStringList::setValue(std::string_view sentstring)
{
    if (IndexOf(sentstring) == -1)
        m_listener->message("Can not set value.  String not found in list.");
    return 0;
}

std::int32_t TStringList::getValue(std::string_view /*sentstring*/) const
{
    return 0;
}

} // namespace tessaloc
