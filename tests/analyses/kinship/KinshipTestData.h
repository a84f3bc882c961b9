#pragma once

// Small tables for the tests of the fine-scale structure analysis, each with what it exercises.

#include "tests/analyses/kinship/LiteralKinship.h"

#include "core/SquareMatrix.h"

#include <cmath>
#include <vector>

namespace tessaloc::testing {

/// Straight-line distances between the points (x, y).
inline SquareMatrix planarDistances(const std::vector<double>& x, const std::vector<double>& y)
{
    const int n = static_cast<int>(x.size());
    SquareMatrix d(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            d.setPair(i, j,
                      std::hypot(x[static_cast<size_t>(i)] - x[static_cast<size_t>(j)],
                                 y[static_cast<size_t>(i)] - y[static_cast<size_t>(j)]));
    return d;
}

/// Eight individuals, four loci: a microsatellite with four alleles, a missing genotype "0\0" and a
/// half-missing one ("0\108"); a biallelic locus with a half-missing "0\1"; a monomorphic locus with
/// a missing genotype; a biallelic locus with a missing genotype. Individuals 1 and 2 share a
/// location.
struct MixedTable {
    std::vector<double> x{0, 0, 1, 3, 4, 6, 7, 9};
    std::vector<double> y{0, 0, 2, 1, 5, 3, 6, 2};
    SampleTable table = reference::kinshipTable({{"104\\108", "1\\2", "7\\7", "1\\1"},
                                                 {"104\\104", "1\\1", "7\\7", "0\\0"},
                                                 {"0\\108", "2\\2", "7\\7", "1\\2"},
                                                 {"112\\108", "1\\2", "0\\0", "2\\2"},
                                                 {"0\\0", "1\\1", "7\\7", "1\\2"},
                                                 {"104\\112", "2\\2", "7\\7", "1\\1"},
                                                 {"108\\108", "1\\2", "7\\7", "2\\2"},
                                                 {"104\\116", "0\\1", "7\\7", "1\\2"}},
                                                x, y);
    SquareMatrix geographic = planarDistances(x, y);
};

/// The same without missing data and without shared locations, six individuals: every pair has
/// both values, at distinct distances.
struct CompleteTable {
    std::vector<double> x{0, 1.5, 3.25, 0.5, 4.75, 2.1};
    std::vector<double> y{0, 0.3, 1.7, 2.9, 0.8, 4.4};
    SampleTable table = reference::kinshipTable({{"104\\108", "1\\2", "1\\1"},
                                                 {"104\\104", "1\\1", "1\\2"},
                                                 {"112\\108", "2\\2", "1\\2"},
                                                 {"112\\108", "1\\2", "2\\2"},
                                                 {"104\\112", "1\\1", "1\\2"},
                                                 {"108\\108", "2\\2", "1\\1"}},
                                                x, y);
    SquareMatrix geographic = planarDistances(x, y);
};

} // namespace tessaloc::testing
