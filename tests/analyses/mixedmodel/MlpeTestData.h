#pragma once

// The small data set of the mixed-model tests: 8 observations (28 pairs), genetic distances made as
// 1 + 0.15 x1 + 0.1 x2 + a_i + a_j + noise with observation effects a_i, rounded to 3 decimals; x1
// straight-line distances between random points, x2 random values, both rounded to 2 decimals. The
// pairs are in PackedDistances order (0,1), (0,2), ..., (6,7).

#include "core/PackedDistances.h"

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

namespace tessaloc::testing {

inline PackedDistances packedOf(int n, const std::vector<double>& values)
{
    PackedDistances matrix(n);
    matrix.values() = values;
    return matrix;
}

inline PackedDistances smallGenetic()
{
    return packedOf(8,
                    {1.996, 2.178, 0.591, 1.368, 1.933, 3.194, 2.379, 2.842, 1.34,  3.309, 1.754, 3.553, 2.882, 2.834,
                     0.88,  1.436, 2.65,  1.849, 1.774, 2.276, 2.337, 2.852, 1.308, 2.788, 2.809, 2.446, 1.729, 2.483});
}

inline PackedDistances smallX1()
{
    return packedOf(8, {3.44, 5.52, 2.27, 7.82, 5.41, 10.15, 8.34, 8.17, 1.43, 10.22, 5.92, 9.07, 8.13, 6.74,
                        2.36, 4.56, 9.56, 6.91, 8.82, 4.85,  8.71, 7.38, 5.53, 9.66,  6.97, 5.31, 3.01, 2.7});
}

inline PackedDistances smallX2()
{
    return packedOf(8, {0.72, 4.08, 0.9, 1.86, 2.74, 1.03, 3.4, 2.93, 2.27, 3.49, 1.22, 4.38, 3.65, 0.59,
                        2.09, 2.44, 0.2, 2.87, 4.38, 2.97, 2.9, 4.72, 2.37, 3.51, 3.24, 1.42, 1.93, 2.31});
}

/// The pairs (0,4), (1,5), (2,7) and (3,6) of the genetic distances left out (NaN).
inline PackedDistances smallGeneticWithMissingPairs()
{
    PackedDistances genetic = smallGenetic();
    for (size_t pair : {3, 10, 17, 20})
        genetic.values()[pair] = std::numeric_limits<double>::quiet_NaN();
    return genetic;
}

} // namespace tessaloc::testing
