#include "core/DistanceCodes.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

namespace tessaloc {
namespace {

constexpr size_t kMaxCodes = 65536;

// Gives `entries` their codes: the position of each value in `values`, which holds the first value
// to code (code 0) on entry and every further distinct value, in order of first appearance, on
// return. False when there are more distinct values than codes.
bool codeEntries(const double* entries, size_t count, std::uint16_t* codes, std::vector<double>& values)
{
    std::unordered_map<std::uint64_t, std::uint16_t> codeOf;
    // The same few values come back all the time: a small direct-mapped table of recent values
    // answers most look-ups before the hash map is asked. It starts filled with the value of code
    // 0, so that every slot holds a true pair of value and code.
    constexpr int kRecentBits = 10;
    const auto firstKey = std::bit_cast<std::uint64_t>(values.front());
    codeOf.emplace(firstKey, std::uint16_t{0});
    std::vector<std::uint64_t> recentKey(size_t{1} << kRecentBits, firstKey);
    std::vector<std::uint16_t> recentCode(size_t{1} << kRecentBits, 0);
    for (size_t k = 0; k < count; ++k) {
        const auto key = std::bit_cast<std::uint64_t>(entries[k]);
        const auto slot = static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - kRecentBits));
        if (recentKey[slot] != key) {
            const auto [it, inserted] = codeOf.try_emplace(key, static_cast<std::uint16_t>(values.size()));
            if (inserted) {
                if (values.size() == kMaxCodes)
                    return false;
                values.push_back(entries[k]);
            }
            recentKey[slot] = key;
            recentCode[slot] = it->second;
        }
        codes[k] = recentCode[slot];
    }
    return true;
}

} // namespace

PackedDistanceCodes::PackedDistanceCodes(const PackedDistances& distances)
{
    const std::vector<double>& pairs = distances.values();
    std::vector<std::uint16_t> codes(pairs.size());
    std::vector<double> values{0.0};
    if (!codeEntries(pairs.data(), pairs.size(), codes.data(), values))
        return;
    m_size = distances.size();
    m_codes = std::move(codes);
    m_values = std::move(values);
}

PackedDistances PackedDistanceCodes::decoded() const
{
    PackedDistances distances(m_size);
    std::vector<double>& pairs = distances.values();
    for (size_t k = 0; k < m_codes.size(); ++k)
        pairs[k] = m_values[m_codes[k]];
    return distances;
}

DistanceCodes::DistanceCodes(const SquareMatrix& matrix)
{
    if (matrix.size() < 1 || matrix.size() > kMostRows)
        return;
    const std::vector<double>& entries = matrix.values();
    std::vector<std::uint16_t> codes(entries.size());
    std::vector<double> values{entries[0]};
    if (!codeEntries(entries.data(), entries.size(), codes.data(), values))
        return;
    m_size = matrix.size();
    m_codes = std::move(codes);
    m_values = std::move(values);
}

DistanceCodes::DistanceCodes(const PackedDistanceCodes& pairs)
{
    const int n = pairs.size();
    if (!pairs.coded() || n < 1 || n > kMostRows)
        return;
    const auto stride = static_cast<size_t>(n);
    m_codes.resize(stride * stride);
    const std::uint16_t* pairCodes = pairs.pairCodes().data();
    // Tiles of rows and columns, so that the mirrored entries (j, i) of a tile are written a few
    // cache lines at a time instead of one line per entry.
    constexpr int kTile = 64;
    for (int i = 0; i < n; ++i)
        m_codes[static_cast<size_t>(i) * stride + static_cast<size_t>(i)] = 0;
    for (int rowTile = 0; rowTile < n; rowTile += kTile) {
        for (int columnTile = rowTile; columnTile < n; columnTile += kTile) {
            for (int i = rowTile; i < std::min(n, rowTile + kTile); ++i) {
                // Pair (i, j) stands at i (2n - i - 1) / 2 + j - i - 1.
                const size_t rowStart = static_cast<size_t>(i) * static_cast<size_t>(2 * n - i - 1) / 2;
                for (int j = std::max(columnTile, i + 1); j < std::min(n, columnTile + kTile); ++j) {
                    const std::uint16_t code = pairCodes[rowStart + static_cast<size_t>(j - i - 1)];
                    m_codes[static_cast<size_t>(i) * stride + static_cast<size_t>(j)] = code;
                    m_codes[static_cast<size_t>(j) * stride + static_cast<size_t>(i)] = code;
                }
            }
        }
    }
    m_size = n;
    m_values = pairs.values();
}

} // namespace tessaloc
