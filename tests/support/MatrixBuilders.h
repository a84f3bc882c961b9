#pragma once

#include "core/PackedDistances.h"
#include "core/SquareMatrix.h"

#include <initializer_list>

namespace tessaloc::testing {

/// A symmetric n x n matrix with a zero diagonal from its upper triangle, listed row by row:
/// (0, 1), (0, 2), ..., (0, n-1), (1, 2), ...
inline SquareMatrix fromPairs(int n, std::initializer_list<double> upper)
{
    SquareMatrix m(n);
    auto value = upper.begin();
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            m.setPair(i, j, *value++);
    return m;
}

/// The same distances stored once per pair, as the engines take them.
inline PackedDistances pairsOf(int n, std::initializer_list<double> upper)
{
    return PackedDistances(fromPairs(n, upper));
}

} // namespace tessaloc::testing
