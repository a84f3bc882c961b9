#include "core/DistanceRanks.h"

#include "core/Errors.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace tessaloc {

void RankDistanceTransform(PackedDistances& distances, std::string_view what)
{
    std::vector<double>& values = distances.values();
    std::vector<std::size_t> order(values.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
    const auto tiesWithPrevious = [&](std::size_t k) {
        const double before = values[order[k - 1]];
        const double here = values[order[k]];
        return here - before <= kTiedRelativeDifference * std::max(std::abs(before), std::abs(here));
    };

    // A run of ties occupies the ranks first + 1 .. last (counted from 1); each gets their mean.
    std::vector<double> ranks(values.size());
    for (std::size_t first = 0; first < order.size();) {
        std::size_t last = first + 1;
        while (last < order.size() && tiesWithPrevious(last))
            ++last;
        if (first == 0 && last == order.size())
            break;
        const double rank = (static_cast<double>(first + 1) + static_cast<double>(last)) / 2.0;
        for (std::size_t k = first; k < last; ++k)
            ranks[order[k]] = rank;
        first = last;
    }
    if (order.size() < 2 || ranks[order.front()] == 0.0)
        throw DataProblem("Ranks cannot be taken of " + std::string(what) +
                          ": every pair of observations has the same value, so all ranks tie and a rank "
                          "correlation is undefined.");
    values = std::move(ranks);
}

} // namespace tessaloc
