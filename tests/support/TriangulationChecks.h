#pragma once

#include "geometry/Delaunay.h"
#include "geometry/DistinctLocations.h"
#include "geometry/TriangulationCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaloc::testing {

/// Checks the triangulation that a test built of `locations` (vertex k is location k, as
/// TriangulateLocations numbers them) with CheckTriangulation, and fails the test with every broken
/// invariant when it is not sound. Returns the report (its border points are the hull's corners).
inline TriangulationReport expectSoundTriangulation(const DistinctLocations& locations,
                                                    const Triangulation& triangulation)
{
    std::vector<TriVertex> points;
    points.reserve(locations.locations.size());
    for (const SampleLocation& location : locations.locations)
        points.push_back({location.x, location.y, 0.0});
    const TriangulationReport report = CheckTriangulation(points, triangulation.TriangleTable);
    std::string problems;
    for (const std::string& problem : report.problems)
        problems += problem + '\n';
    EXPECT_TRUE(report.sound()) << problems;
    return report;
}

} // namespace tessaloc::testing
