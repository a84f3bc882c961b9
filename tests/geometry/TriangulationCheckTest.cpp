#include "geometry/TriangulationCheck.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaloc {
namespace {

TriangleRec triangle(int a, int b, int c)
{
    return {VertexIndex(a), VertexIndex(b), VertexIndex(c)};
}

// A kite: (0, 0), (4, -1), (8, 0), (4, 3). The short diagonal 1-3 is the Delaunay one (by hand, the
// circle through 0, 1, 2 has its centre at (4, 7.5) and radius 8.5, and holds (4, 3)).
const std::vector<TriVertex> kKite{{0, 0, 0}, {4, -1, 0}, {8, 0, 0}, {4, 3, 0}};

TEST(CheckTriangulation, ASoundTriangulationPasses)
{
    const std::vector<TriangleRec> triangles{triangle(0, 3, 1), triangle(1, 3, 2)};
    const TriangulationReport report = CheckTriangulation(kKite, triangles);
    EXPECT_TRUE(report.sound()) << report.problems.front();
    EXPECT_EQ(report.borderPoints, 4);
}

TEST(CheckTriangulation, TheOtherDiagonalBreaksTheEmptyCircle)
{
    const std::vector<TriangleRec> triangles{triangle(0, 2, 1), triangle(0, 3, 2)};
    const TriangulationReport report = CheckTriangulation(kKite, triangles);
    ASSERT_FALSE(report.sound());
    EXPECT_NE(report.problems.front().find("inside the circumcircle"), std::string::npos) << report.problems.front();
}

TEST(CheckTriangulation, ACounterClockwiseTriangleIsReported)
{
    const TriangulationReport report =
        CheckTriangulation(kKite, std::vector<TriangleRec>{triangle(0, 1, 3), triangle(1, 3, 2)});
    ASSERT_FALSE(report.sound());
    EXPECT_NE(report.problems.front().find("clockwise"), std::string::npos);
}

TEST(CheckTriangulation, AMissingTriangleBreaksTheCountOrTheUse)
{
    const TriangulationReport report = CheckTriangulation(kKite, std::vector<TriangleRec>{triangle(0, 3, 1)});
    EXPECT_FALSE(report.sound());
}

TEST(CheckTriangulation, ATriangleTwiceReportsItsEdges)
{
    const TriangulationReport report =
        CheckTriangulation(kKite, std::vector<TriangleRec>{triangle(0, 3, 1), triangle(1, 3, 2), triangle(3, 1, 0)});
    ASSERT_FALSE(report.sound());
    EXPECT_NE(report.problems.front().find("occurs in two triangles"), std::string::npos);
}

TEST(CheckTriangulation, CornersOutsideThePointListAreReported)
{
    EXPECT_FALSE(CheckTriangulation(kKite, std::vector<TriangleRec>{triangle(0, 3, 7)}).sound());
    EXPECT_FALSE(CheckTriangulation(kKite, std::vector<TriangleRec>{triangle(0, 3, 3)}).sound());
}

} // namespace
} // namespace tessaloc
