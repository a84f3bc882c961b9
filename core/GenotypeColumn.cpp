#include "core/GenotypeColumn.h"

#include "core/Errors.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace tessaloc {

GenotypeColumn::GenotypeColumn(std::initializer_list<std::string_view> fields)
{
    m_codes.reserve(fields.size());
    for (const std::string_view field : fields)
        push_back(field);
}

std::uint64_t GenotypeColumn::keyOf(std::string_view text)
{
    if (text.size() > kLongestKeyed)
        return kNoKey;
    // The bytes, and the length in the top byte, so that texts ending in zero bytes stay apart.
    std::uint64_t key = static_cast<std::uint64_t>(text.size()) << 56;
    for (size_t k = 0; k < text.size(); ++k)
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[k])) << (8 * k);
    return key;
}

GenotypeColumn::Code GenotypeColumn::intern(std::string_view text)
{
    // A short text is compared with the keyed texts by key; only a long text can equal a text
    // without a key.
    size_t scanFrom = 0;
    if (const std::uint64_t key = keyOf(text); key != kNoKey) {
        const size_t keyed = std::min(m_texts.size(), kKeyedTexts);
        for (size_t code = 0; code < keyed; ++code) {
            if (m_keys[code] == key)
                return static_cast<Code>(code);
        }
        scanFrom = keyed;
    }
    if (m_texts.size() <= kScannedTexts) {
        for (size_t code = scanFrom; code < m_texts.size(); ++code) {
            if (m_texts[code] == text)
                return static_cast<Code>(code);
        }
    } else if (const Code* slot = slotOf(text); *slot != kEmptySlot) {
        return *slot;
    }
    if (m_texts.size() == kMaxTexts)
        throw AnalysisError("a locus has more than " + std::to_string(kMaxTexts) +
                            " distinct genotype fields, more than the program can hold");
    const auto code = static_cast<Code>(m_texts.size());
    m_texts.emplace_back(text);
    if (code < kKeyedTexts)
        m_keys[code] = keyOf(text);
    if (m_texts.size() > kScannedTexts) {
        if (m_index.size() < 2 * m_texts.size())
            rebuildIndex();
        else
            *slotOf(m_texts.back()) = code;
    }
    return code;
}

GenotypeColumn::Code* GenotypeColumn::slotOf(std::string_view text)
{
    const size_t mask = m_index.size() - 1;
    size_t slot = std::hash<std::string_view>()(text) & mask;
    while (m_index[slot] != kEmptySlot && m_texts[m_index[slot]] != text)
        slot = (slot + 1) & mask;
    return &m_index[slot];
}

void GenotypeColumn::rebuildIndex()
{
    m_index.clear();
    if (m_texts.size() <= kScannedTexts)
        return;
    m_index.assign(std::bit_ceil(4 * m_texts.size()), kEmptySlot);
    for (size_t code = 0; code < m_texts.size(); ++code)
        *slotOf(m_texts[code]) = static_cast<Code>(code);
}

void GenotypeColumn::select(const std::vector<int>& positions)
{
    // The texts are numbered anew in the order the kept observations show them, so that texts of
    // observations left out do not linger.
    constexpr size_t kUnused = kMaxTexts;
    std::vector<size_t> renumbered(m_texts.size(), kUnused);
    std::vector<std::string> texts;
    std::vector<Code> codes;
    codes.reserve(positions.size());
    for (const int position : positions) {
        const Code old = m_codes[static_cast<size_t>(position)];
        if (renumbered[old] == kUnused) {
            renumbered[old] = texts.size();
            texts.push_back(m_texts[old]);
        }
        codes.push_back(static_cast<Code>(renumbered[old]));
    }
    m_texts = std::move(texts);
    m_codes = std::move(codes);
    rebuildIndex();
    rebuildKeys();
}

void GenotypeColumn::rebuildKeys()
{
    for (size_t code = 0; code < std::min(m_texts.size(), kKeyedTexts); ++code)
        m_keys[code] = keyOf(m_texts[code]);
}

} // namespace tessaloc
