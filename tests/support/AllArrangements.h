#pragma once

#include "core/SquareMatrix.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tessaloc::testing {

/// Calls `visit(p)` for every arrangement p of 0..n-1, built position by position from the
/// observations not yet placed (depth first), so that the tests enumerate by their own route rather
/// than the one the runner takes. The identity comes first.
inline void forEachArrangement(int n, const std::function<void(const std::vector<std::int32_t>&)>& visit)
{
    std::vector<std::int32_t> p;
    std::vector<bool> placed(static_cast<size_t>(n), false);
    std::function<void()> extend = [&] {
        if (static_cast<int>(p.size()) == n) {
            visit(p);
            return;
        }
        for (int i = 0; i < n; ++i) {
            if (placed[static_cast<size_t>(i)])
                continue;
            placed[static_cast<size_t>(i)] = true;
            p.push_back(i);
            extend();
            p.pop_back();
            placed[static_cast<size_t>(i)] = false;
        }
    };
    extend();
}

/// The matrix rearranged by p: entry (i, j) is m(p(i), p(j)), the matrix whose rows and columns the
/// exchanges of a replicate would have moved.
inline SquareMatrix rearranged(const SquareMatrix& m, const std::vector<std::int32_t>& p)
{
    const int n = m.size();
    SquareMatrix out(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            out(i, j) = m(p[static_cast<size_t>(i)], p[static_cast<size_t>(j)]);
    return out;
}

} // namespace tessaloc::testing
