#pragma once

// The triangulation done the direct way, with its 1-based tables, vertex numbers held
// as doubles, the edge buffer at full capacity and every triangle tested for every point. The fast
// TriangulatePoints is compared against it (tests) and measured against it (benchmarks).

#include "geometry/Delaunay.h"

namespace tessaloc::reference {

/// The triangles as the literal procedure leaves them, vertex numbers turned 0-based.
Triangulation literalTriangulatePoints(std::span<const TriVertex> points, RunListener& listener = RunListener::none());

} // namespace tessaloc::reference
