#pragma once

#include "analyses/monmonier/Monmonier.h"
#include "tests/support/MatrixBuilders.h"

#include <array>
#include <vector>

namespace tessaloc::testing {

/// A triangle table with the given corners (location numbers), in order.
inline Triangulation tableOf(const std::vector<std::array<int, 3>>& corners)
{
    Triangulation triangulation;
    for (const auto& [a, b, c] : corners)
        triangulation.TriangleTable.push_back({VertexIndex(a), VertexIndex(b), VertexIndex(c)});
    return triangulation;
}

// A centre O = location 0 with four locations P0..P3 = 1..4 around it, one observation each, and the
// four triangles (O, Pi, Pi+1): the spokes O-Pi are shared, the rim Pi-Pi+1 is the border.
// Spoke values 0.6, 0.9, 0.8, 0.7 (to P0..P3), rim values 0.1, 0.2, 0.3, 0.4 (P0P1 .. P3P0).
struct Fan {
    DistinctLocations locations =
        GroupDistinctLocations(std::vector<double>{0, 0, 2, 0, -2}, std::vector<double>{0, -2, 0, 2, 0});
    Triangulation triangulation = tableOf({{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}});
    SquareMatrix G = fromPairs(5, {0.6, 0.9, 0.8, 0.7,                    //
                                   0.1, 0.3 /* P0P2, not an edge */, 0.4, //
                                   0.2, 0.5 /* P1P3, not an edge */,      //
                                   0.3});
    std::vector<BarrierTriangle> triangles =
        BuildBarrierTriangles(locations, triangulation, G, false, MonmonierDistanceKind::Raw);
};

} // namespace tessaloc::testing
