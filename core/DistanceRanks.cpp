#include "core/DistanceRanks.h"

#include "core/Errors.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaloc {

void RankDistanceTransform(SquareMatrix& distances, std::string_view what)
{
    const int n = distances.size();
    struct Pair {
        double value;
        std::int32_t i;
        std::int32_t j;
    };
    std::vector<Pair> pairs;
    pairs.reserve(n > 1 ? static_cast<size_t>(n) * static_cast<size_t>(n - 1) / 2 : 0);
    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j)
            pairs.push_back({distances(i, j), i, j});
    }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.value < b.value; });
    if (pairs.size() < 2 || pairs.front().value == pairs.back().value)
        throw DataProblem("Ranks cannot be taken of " + std::string(what) +
                          ": every pair of observations has the same value, so all ranks tie and a rank "
                          "correlation is undefined.");

    // A run of ties occupies the ranks first + 1 .. last (counted from 1); each gets their mean.
    for (size_t first = 0; first < pairs.size();) {
        size_t last = first + 1;
        while (last < pairs.size() && pairs[last].value == pairs[first].value)
            ++last;
        const double rank = (static_cast<double>(first + 1) + static_cast<double>(last)) / 2.0;
        for (size_t k = first; k < last; ++k)
            distances.setPair(pairs[k].i, pairs[k].j, rank);
        first = last;
    }
}

} // namespace tessaloc
