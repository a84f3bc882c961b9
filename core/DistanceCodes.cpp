#include "core/DistanceCodes.h"

#include <bit>
#include <unordered_map>

namespace tessaloc {

DistanceCodes::DistanceCodes(const SquareMatrix& matrix)
{
    constexpr size_t kMaxCodes = 65536;
    if (matrix.size() < 1 || static_cast<size_t>(matrix.size()) > kMaxCodes)
        return;
    const std::vector<double>& entries = matrix.values();
    std::vector<std::uint16_t> codes(entries.size());
    std::vector<double> values;
    std::unordered_map<std::uint64_t, std::uint16_t> codeOf;
    // The same few values come back all the time: a small direct-mapped table of recent values
    // answers most look-ups before the hash map is asked. It starts filled with the first entry,
    // which gets code 0, so that every slot holds a true pair of value and code.
    constexpr int kRecentBits = 10;
    const auto firstKey = std::bit_cast<std::uint64_t>(entries[0]);
    codeOf.emplace(firstKey, std::uint16_t{0});
    values.push_back(entries[0]);
    std::vector<std::uint64_t> recentKey(size_t{1} << kRecentBits, firstKey);
    std::vector<std::uint16_t> recentCode(size_t{1} << kRecentBits, 0);
    for (size_t k = 0; k < entries.size(); ++k) {
        const auto key = std::bit_cast<std::uint64_t>(entries[k]);
        const auto slot = static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - kRecentBits));
        if (recentKey[slot] != key) {
            const auto [it, inserted] = codeOf.try_emplace(key, static_cast<std::uint16_t>(values.size()));
            if (inserted) {
                if (values.size() == kMaxCodes)
                    return; // more distinct values than codes
                values.push_back(entries[k]);
            }
            recentKey[slot] = key;
            recentCode[slot] = it->second;
        }
        codes[k] = recentCode[slot];
    }
    m_size = matrix.size();
    m_codes = std::move(codes);
    m_values = std::move(values);
}

} // namespace tessaloc
