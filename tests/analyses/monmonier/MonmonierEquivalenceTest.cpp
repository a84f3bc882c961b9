// The fast search (edge hash, iterative walk) against the literal procedure (pairwise neighbour
// search, recursive walk): every triangle field, every link and Used flag, every slot, count and sum
// must be identical, bit for bit.

#include "analyses/monmonier/Monmonier.h"

#include "core/Errors.h"
#include "tests/support/LiteralMonmonier.h"
#include "tests/support/PointSets.h"
#include "tests/support/TriangulationChecks.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <string>

namespace tessaloc {
namespace {

struct Case {
    std::vector<double> x;
    std::vector<double> y;
    SquareMatrix G;
};

// Observations at the given points, one to `maxPerLocation` at each, in shuffled order, with genetic
// distances drawn from `levels` equally spaced values in 0..1 (few levels give many ties), or from
// all of 0..1 when levels is 0.
Case makeCase(const std::vector<TriVertex>& points, int maxPerLocation, int levels, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    Case c;
    for (const TriVertex& point : points) {
        const int copies = 1 + static_cast<int>(generator() % static_cast<unsigned>(maxPerLocation));
        for (int k = 0; k < copies; ++k) {
            c.x.push_back(point.x);
            c.y.push_back(point.y);
        }
    }
    for (size_t i = c.x.size(); i > 1; --i) {
        const size_t j = generator() % i;
        std::swap(c.x[i - 1], c.x[j]);
        std::swap(c.y[i - 1], c.y[j]);
    }
    const int n = static_cast<int>(c.x.size());
    c.G = SquareMatrix(n);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            c.G.setPair(i, j,
                        levels > 0 ? static_cast<double>(generator() % static_cast<unsigned>(levels + 1)) / levels
                                   : unit(generator));
    return c;
}

void expectSameBits(double fast, double literal, const std::string& what)
{
    EXPECT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(literal))
        << what << ": " << fast << " against " << literal;
}

// Runs both and compares; returns the number of barriers found (both must end alike).
void compare(const Case& c, bool useLatLong, MonmonierDistanceKind kind, long long barriers, const std::string& name)
{
    SCOPED_TRACE(name);
    const DistinctLocations locations = GroupDistinctLocations(c.x, c.y);
    const Triangulation triangulation = TriangulateLocations(locations);
    testing::expectSoundTriangulation(locations, triangulation);
    std::string literalFailure, fastFailure;
    reference::LiteralBarriers literal;
    try {
        literal = reference::literalMonmonier(c.x, c.y, c.G, triangulation.TriangleTable, useLatLong, kind, barriers);
    } catch (const AnalysisError& error) {
        literalFailure = error.what();
    }
    const auto triangles = BuildBarrierTriangles(locations, triangulation, c.G, useLatLong, kind);
    auto links = FindNeighbours(triangles);
    std::vector<BarrierRecord> found;
    try {
        found = FindBarriers(triangles, links, barriers);
    } catch (const AnalysisError& error) {
        fastFailure = error.what();
    }
    ASSERT_EQ(fastFailure, literalFailure);
    if (!fastFailure.empty())
        return;

    ASSERT_EQ(triangles.size(), literal.triangles.size());
    for (size_t t = 0; t < triangles.size(); ++t) {
        for (size_t c3 = 0; c3 < 3; ++c3) {
            expectSameBits(triangles[t].VertexX[c3], literal.triangles[t].VertexX[c3], "VertexX");
            expectSameBits(triangles[t].VertexY[c3], literal.triangles[t].VertexY[c3], "VertexY");
            const TriangleEdge& f = triangles[t].Edges[c3];
            const TriangleEdge& l = literal.triangles[t].Edges[c3];
            const std::string where = "triangle " + std::to_string(t) + " edge " + std::to_string(c3);
            expectSameBits(f.X1, l.X1, where + " X1");
            expectSameBits(f.Y1, l.Y1, where + " Y1");
            expectSameBits(f.X2, l.X2, where + " X2");
            expectSameBits(f.Y2, l.Y2, where + " Y2");
            expectSameBits(f.MidX, l.MidX, where + " MidX");
            expectSameBits(f.MidY, l.MidY, where + " MidY");
            expectSameBits(f.Value, l.Value, where + " Value");
            expectSameBits(f.Length, l.Length, where + " Length");
        }
        ASSERT_EQ(links[t].Neighbour, literal.links[t].Neighbour) << "triangle " << t;
        ASSERT_EQ(links[t].NeighbourEdge, literal.links[t].NeighbourEdge) << "triangle " << t;
        ASSERT_EQ(links[t].Used, literal.links[t].Used) << "triangle " << t;
    }
    ASSERT_EQ(found.size(), literal.barriers.size());
    for (size_t b = 0; b < found.size(); ++b) {
        const BarrierRecord& f = found[b];
        const BarrierRecord& l = literal.barriers[b];
        ASSERT_EQ(f.Segments.size(), l.Segments.size()) << "barrier " << b + 1;
        for (size_t s = 0; s < f.Segments.size(); ++s) {
            EXPECT_EQ(f.Segments[s].Kind, l.Segments[s].Kind);
            EXPECT_EQ(f.Segments[s].Triangles, l.Segments[s].Triangles) << "barrier " << b + 1 << " segment " << s + 1;
            EXPECT_EQ(f.Segments[s].Edges, l.Segments[s].Edges) << "barrier " << b + 1 << " segment " << s + 1;
            EXPECT_EQ(f.Segments[s].SubsegmentCount, l.Segments[s].SubsegmentCount);
        }
        EXPECT_EQ(f.SubsegmentCount, l.SubsegmentCount);
        expectSameBits(f.SumOfValues, l.SumOfValues, "SumOfValues");
        expectSameBits(f.AverageValue, l.AverageValue, "AverageValue");
    }
}

TEST(MonmonierEquivalence, RandomLocationsWithContinuousValues)
{
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const auto points = reference::randomPoints(20 + 25 * static_cast<int>(seed), seed);
        const Case c = makeCase(points, 3, 0, seed);
        compare(c, false, MonmonierDistanceKind::Raw, 1 + seed % 6, "raw seed " + std::to_string(seed));
        compare(c, false, MonmonierDistanceKind::Pseudoslope, 4, "pseudoslope seed " + std::to_string(seed));
    }
}

TEST(MonmonierEquivalence, FewValueLevelsTieAtEveryTurn)
{
    for (std::uint32_t seed = 1; seed <= 16; ++seed) {
        const auto points = reference::randomPoints(15 + 10 * static_cast<int>(seed), 100 + seed, 50.0, 50.0, 1);
        const Case c = makeCase(points, 1 + static_cast<int>(seed % 3), 1 + static_cast<int>(seed % 4), seed);
        compare(c, false, MonmonierDistanceKind::Raw, 1 + seed % 8, "levels seed " + std::to_string(seed));
    }
}

TEST(MonmonierEquivalence, GridsWithConstantValuesBranchEverywhere)
{
    for (int size = 3; size <= 9; ++size) {
        const auto grid = reference::shuffled(reference::gridPoints(size, size + 1), static_cast<std::uint32_t>(size));
        const Case c = makeCase(grid, 2, 1, static_cast<std::uint32_t>(size));
        compare(c, false, MonmonierDistanceKind::Raw, 3, "grid " + std::to_string(size));
        Case constant = c;
        for (int i = 0; i < constant.G.size(); ++i)
            for (int j = i + 1; j < constant.G.size(); ++j)
                constant.G.setPair(i, j, 0.5);
        compare(constant, false, MonmonierDistanceKind::Raw, 2, "constant grid " + std::to_string(size));
    }
}

TEST(MonmonierEquivalence, LatitudeLongitudePseudoslopes)
{
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        auto points = reference::randomPoints(40 * static_cast<int>(seed), 200 + seed, 60.0, 40.0, 2);
        // Shifted by whole hundredths, so that every coordinate is the double nearest its two-decimal
        // text: the literal procedure finds members by comparing coordinates with the values
        // parsed back from their texts, which other doubles would not match.
        for (TriVertex& point : points) {
            point.x = std::round(point.x * 100.0 - 3000.0) / 100.0;
            point.y = std::round(point.y * 100.0 + 1000.0) / 100.0;
        }
        const Case c = makeCase(points, 2, 0, seed);
        compare(c, true, MonmonierDistanceKind::Pseudoslope, 5, "latlong seed " + std::to_string(seed));
        compare(c, true, MonmonierDistanceKind::Raw, 5, "latlong raw seed " + std::to_string(seed));
    }
}

TEST(MonmonierEquivalence, RunningOutOfStartEdgesFailsAlike)
{
    const auto points = reference::randomPoints(8, 7);
    const Case c = makeCase(points, 1, 2, 7);
    for (long long barriers : {10LL, 15LL, 20LL, 40LL})
        compare(c, false, MonmonierDistanceKind::Raw, barriers, "barriers " + std::to_string(barriers));
}

TEST(FindNeighboursEquivalence, MatchesThePairwiseSearch)
{
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        const auto points = reference::randomPoints(50 * static_cast<int>(seed), 300 + seed, 10.0, 10.0, 1);
        const Case c = makeCase(points, 1, 0, seed);
        const DistinctLocations locations = GroupDistinctLocations(c.x, c.y);
        const Triangulation triangulation = TriangulateLocations(locations);
        testing::expectSoundTriangulation(locations, triangulation);
        const auto triangles = BuildBarrierTriangles(locations, triangulation, c.G, false, MonmonierDistanceKind::Raw);
        const auto fast = FindNeighbours(triangles);
        const auto literal = reference::literalNeighbours(triangles);
        ASSERT_EQ(fast.size(), literal.size());
        for (size_t t = 0; t < fast.size(); ++t) {
            EXPECT_EQ(fast[t].Neighbour, literal[t].Neighbour) << "seed " << seed << " triangle " << t;
            EXPECT_EQ(fast[t].NeighbourEdge, literal[t].NeighbourEdge) << "seed " << seed << " triangle " << t;
        }
    }
}

TEST(FindNeighboursEquivalence, EdgesSharedByManyTrianglesKeepThePairwiseOutcome)
{
    // No triangulation shares an edge among more than two triangles, but the rule must not depend on
    // it: random triangles over six points (negative zeros included) share edges three, four and more times.
    const std::vector<double> px = {0.0, 1.0, -0.0, 2.0, 1.0, 0.0};
    const std::vector<double> py = {0.0, 0.0, 1.0, 2.0, -0.0, 0.0};
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        std::mt19937 generator(seed);
        std::vector<BarrierTriangle> triangles(5 + seed % 30);
        for (BarrierTriangle& triangle : triangles) {
            size_t corner[3];
            for (size_t& c : corner)
                c = generator() % px.size();
            for (size_t e = 0; e < 3; ++e) {
                TriangleEdge& edge = triangle.Edges[e];
                edge.X1 = px[corner[e]];
                edge.Y1 = py[corner[e]];
                edge.X2 = px[corner[(e + 1) % 3]];
                edge.Y2 = py[corner[(e + 1) % 3]];
            }
        }
        const auto fast = FindNeighbours(triangles);
        const auto literal = reference::literalNeighbours(triangles);
        for (size_t t = 0; t < fast.size(); ++t) {
            EXPECT_EQ(fast[t].Neighbour, literal[t].Neighbour) << "seed " << seed << " triangle " << t;
            EXPECT_EQ(fast[t].NeighbourEdge, literal[t].NeighbourEdge) << "seed " << seed << " triangle " << t;
        }
    }
}

} // namespace
} // namespace tessaloc
