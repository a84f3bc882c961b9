#include "analyses/monmonier/Monmonier.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "geometry/GeometryHelpers.h"
#include "tests/analyses/monmonier/FanCase.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/NumberedNames.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace tessaloc {
namespace {

using testing::Fan;
using testing::fromPairs;
using testing::tableOf;

struct Slot {
    std::int32_t triangle;
    std::int32_t edge;
    friend bool operator==(const Slot&, const Slot&) = default;
};

std::vector<Slot> slotsOf(const BarrierSegment& segment)
{
    std::vector<Slot> slots;
    for (size_t k = 0; k < segment.Triangles.size(); ++k)
        slots.push_back({segment.Triangles[k], segment.Edges[k]});
    return slots;
}

void PrintTo(const Slot& slot, std::ostream* out)
{
    *out << "(" << slot.triangle << ", " << slot.edge << ")";
}

TEST(BuildBarrierTriangles, EdgesRunABThenBCThenCAWithMidpointsAndLengths)
{
    const Fan fan;
    ASSERT_EQ(fan.triangles.size(), 4u);
    const BarrierTriangle& t = fan.triangles[0]; // O(0, 0), P0(0, -2), P1(2, 0)
    EXPECT_EQ(t.VertexX, (std::array<double, 3>{0, 0, 2}));
    EXPECT_EQ(t.VertexY, (std::array<double, 3>{0, -2, 0}));
    const TriangleEdge& ab = t.Edges[0];
    EXPECT_EQ((std::array<double, 4>{ab.X1, ab.Y1, ab.X2, ab.Y2}), (std::array<double, 4>{0, 0, 0, -2}));
    EXPECT_EQ(ab.MidX, 0.0);
    EXPECT_EQ(ab.MidY, -1.0);
    EXPECT_EQ(ab.Length, 2.0);
    EXPECT_EQ(ab.Value, 0.6); // G(O, P0)
    const TriangleEdge& bc = t.Edges[1];
    EXPECT_EQ((std::array<double, 4>{bc.X1, bc.Y1, bc.X2, bc.Y2}), (std::array<double, 4>{0, -2, 2, 0}));
    EXPECT_EQ(bc.Length, std::sqrt(8.0)); // by hand: sqrt(2^2 + 2^2)
    EXPECT_EQ(bc.Value, 0.1);             // G(P0, P1)
    const TriangleEdge& ca = t.Edges[2];
    EXPECT_EQ((std::array<double, 4>{ca.X1, ca.Y1, ca.X2, ca.Y2}), (std::array<double, 4>{2, 0, 0, 0}));
    EXPECT_EQ(ca.MidX, 1.0);
    EXPECT_EQ(ca.Value, 0.9); // G(P1, O)
}

TEST(BuildBarrierTriangles, SeveralObservationsAtOneLocationAverageOverAllPairs)
{
    // Observations 0 and 1 share (0, 0); 2 is at (1, 0), 3 at (0, 1).
    const DistinctLocations locations =
        GroupDistinctLocations(std::vector<double>{0, 0, 1, 0}, std::vector<double>{0, 0, 0, 1});
    ASSERT_EQ(locations.count(), 3);
    const SquareMatrix G = fromPairs(4, {0.0, 0.25, 0.5, 0.75, 1.0, 0.125});
    const auto triangles = BuildBarrierTriangles(locations, tableOf({{0, 1, 2}}), G, false, MonmonierDistanceKind::Raw);
    // By hand: (0,0)-(1,0) over the pairs (0, 2), (1, 2): (0.25 + 0.75) / 2.
    EXPECT_EQ(triangles[0].Edges[0].Value, 0.5);
    // (1,0)-(0,1): the pair (2, 3) alone.
    EXPECT_EQ(triangles[0].Edges[1].Value, 0.125);
    // (0,1)-(0,0) over (3, 0), (3, 1): (0.5 + 1.0) / 2.
    EXPECT_EQ(triangles[0].Edges[2].Value, 0.75);
}

TEST(BuildBarrierTriangles, EachTriangleSumsInItsOwnOrientation)
{
    // Three observations at A = (0, 0), three at B = (1, 0), one at C = (0, 1). The edge A-B sums
    // A's members in the outer loop in one triangle and B's in the other; with these values the two
    // orders round differently, and each triangle keeps its own.
    const DistinctLocations locations = GroupDistinctLocations(std::vector<double>{0, 0, 0, 1, 1, 1, 0, 1},
                                                               std::vector<double>{0, 0, 0, 0, 0, 0, 1, -1});
    SquareMatrix G(8);
    const double values[3][3] = {{0.1, 0.7, 0.2}, {0.3, 0.6, 1e-17}, {0.9, 0.05, 1e-16}};
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            G.setPair(a, 3 + b, values[a][b]);
    const auto triangles =
        BuildBarrierTriangles(locations, tableOf({{0, 1, 2}, {1, 0, 3}}), G, false, MonmonierDistanceKind::Raw);
    double forward = 0.0;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            forward += values[a][b];
    double backward = 0.0;
    for (int b = 0; b < 3; ++b)
        for (int a = 0; a < 3; ++a)
            backward += values[a][b];
    ASSERT_NE(forward, backward) << "the case needs two orders that round differently";
    EXPECT_EQ(triangles[0].Edges[0].Value, forward / 9.0);
    EXPECT_EQ(triangles[1].Edges[0].Value, backward / 9.0);
}

TEST(BuildBarrierTriangles, PseudoslopesInLatitudeLongitudeDivideByKilometres)
{
    // (0, 0), (1, 0), (0, 1) in degrees: the first edge is one degree of the equator,
    // 6371 x pi / 180 = 111.19 km, so the pseudoslope is about 0.5 / 111.19, not 0.5 / 1.
    const DistinctLocations locations =
        GroupDistinctLocations(std::vector<double>{0, 1, 0}, std::vector<double>{0, 0, 1});
    const SquareMatrix G = fromPairs(3, {0.5, 0.25, 0.75});
    const auto triangles =
        BuildBarrierTriangles(locations, tableOf({{0, 1, 2}}), G, true, MonmonierDistanceKind::Pseudoslope);
    const TriangleEdge& edge = triangles[0].Edges[0];
    EXPECT_NEAR(edge.Length, 6371.0 * 3.14159265358979 / 180.0, 1e-9);
    EXPECT_EQ(edge.Length, GreatCircleDistance(0, 0, 1, 0));
    EXPECT_EQ(edge.Value, 0.5 / edge.Length);
    EXPECT_NEAR(edge.Value, 0.5 / 111.19492664, 1e-10);
}

TEST(BuildBarrierTriangles, AZeroLengthEdgeInLatitudeLongitudeMakesThePseudoslopeAnError)
{
    // Longitudes 180 and -180 are two locations at the same place: length 0.
    const DistinctLocations locations =
        GroupDistinctLocations(std::vector<double>{180, -180, 0}, std::vector<double>{10, 10, 40});
    const SquareMatrix G = fromPairs(3, {0.5, 0.25, 0.75});
    EXPECT_THROW(BuildBarrierTriangles(locations, tableOf({{0, 1, 2}}), G, true, MonmonierDistanceKind::Pseudoslope),
                 AnalysisError);
    // Raw values do not divide and go on.
    EXPECT_NO_THROW(BuildBarrierTriangles(locations, tableOf({{0, 1, 2}}), G, true, MonmonierDistanceKind::Raw));
}

TEST(FindNeighbours, SharedEdgesLinkBothWaysAndTheRimIsBorder)
{
    const Fan fan;
    const auto links = FindNeighbours(fan.triangles);
    // Triangle 0 = (O, P0, P1): edge 0 (O-P0) is edge 2 of triangle 3 = (O, P3, P0); edge 2 (P1-O)
    // is edge 0 of triangle 1 = (O, P1, P2); edge 1 is rim.
    EXPECT_EQ(links[0].Neighbour, (std::array<std::int32_t, 3>{3, -1, 1}));
    EXPECT_EQ(links[0].NeighbourEdge[0], 2);
    EXPECT_EQ(links[0].NeighbourEdge[2], 0);
    EXPECT_EQ(links[1].Neighbour, (std::array<std::int32_t, 3>{0, -1, 2}));
    EXPECT_EQ(links[3].Neighbour, (std::array<std::int32_t, 3>{2, -1, 0}));
    EXPECT_EQ(links[3].NeighbourEdge[2], 0);
    for (const TriangleLinks& link : links)
        EXPECT_EQ(link.Used, (std::array<bool, 3>{false, false, false}));
}

TEST(FindNeighbours, AnEdgeOfThreeTrianglesKeepsTheLastPairwiseMatch)
{
    // Three triangles on the edge (0,0)-(1,0), which no triangulation gives but the pairwise rule
    // settles: pairs (0,1), (0,2), (1,2) in that order. Triangle 0 ends with 2 (its last pair),
    // triangle 1 with 2 (pair (1,2) comes last), triangle 2 with 1.
    const DistinctLocations locations =
        GroupDistinctLocations(std::vector<double>{0, 1, 0, 0, 1}, std::vector<double>{0, 0, 1, -1, 2});
    const SquareMatrix G(5);
    const auto triangles = BuildBarrierTriangles(locations, tableOf({{0, 1, 2}, {1, 0, 3}, {0, 1, 4}}), G, false,
                                                 MonmonierDistanceKind::Raw);
    const auto links = FindNeighbours(triangles);
    EXPECT_EQ(links[0].Neighbour[0], 2);
    EXPECT_EQ(links[0].NeighbourEdge[0], 0);
    EXPECT_EQ(links[1].Neighbour[0], 2);
    EXPECT_EQ(links[2].Neighbour[0], 1);
}

TEST(FindBarriers, TheWalkGoesRoundTheFanAndMeetsItsStartEdgeAgain)
{
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriers(fan.triangles, links, 1);
    ASSERT_EQ(barriers.size(), 1u);
    const BarrierRecord& barrier = barriers[0];
    ASSERT_EQ(barrier.Segments.size(), 2u);
    // The spoke O-P1 (0.9) is edge 2 of triangle 0 and edge 0 of triangle 1: equal values, the later
    // one starts. From triangle 1 the spokes 0.8, 0.7, 0.6 beat the rim each time, and triangle 0
    // leads back through O-P1 (0.9 against the rim's 0.1), already crossed: the last slot.
    EXPECT_EQ(barrier.Segments[0].Kind, 1);
    EXPECT_EQ(slotsOf(barrier.Segments[0]), (std::vector<Slot>{{-1, -1}, {1, 0}, {2, 0}, {3, 0}, {0, 0}, {1, 0}}));
    EXPECT_EQ(barrier.Segments[0].SubsegmentCount, 5);
    // The other side: triangle 0 entered through O-P1, out through O-P0 (0.6 against 0.1) into
    // triangle 3, where that spoke is already crossed.
    EXPECT_EQ(barrier.Segments[1].Kind, 2);
    EXPECT_EQ(slotsOf(barrier.Segments[1]), (std::vector<Slot>{{1, 0}, {0, 2}, {3, 2}}));
    EXPECT_EQ(barrier.Segments[1].SubsegmentCount, 1);
    EXPECT_EQ(barrier.SubsegmentCount, 6);
    // Counted: 0.9, 0.8, 0.7, 0.6, 0.9 (again) in segment 1, then 0.6 in segment 2 (slot 2), in this order.
    const double sum = 0.0 + 0.9 + 0.8 + 0.7 + 0.6 + 0.9 + 0.6;
    EXPECT_EQ(barrier.SumOfValues, sum);
    EXPECT_EQ(barrier.AverageValue, sum / 6);
    // Every spoke is now crossed from both sides; the rim is not.
    for (const TriangleLinks& link : links)
        EXPECT_EQ(link.Used, (std::array<bool, 3>{true, false, true}));
}

TEST(FindBarriers, LaterBarriersStartOnTheBorderAndStopAtEarlierOnes)
{
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriers(fan.triangles, links, 5);
    ASSERT_EQ(barriers.size(), 5u);
    // Barrier 2 starts on the rim P3-P0 (0.4, edge 1 of triangle 3), crosses O-P3 (0.7 against O-P0's
    // 0.6) into triangle 2, crossed before: that edge ends it and counts.
    const BarrierRecord& second = barriers[1];
    ASSERT_EQ(second.Segments.size(), 2u);
    EXPECT_EQ(slotsOf(second.Segments[0]), (std::vector<Slot>{{-1, -1}, {3, 1}, {2, 2}}));
    EXPECT_EQ(second.Segments[0].SubsegmentCount, 2);
    // A start edge on the border: the second direction holds only its slot 0 and counts nothing.
    EXPECT_EQ(second.Segments[1].Kind, 2);
    EXPECT_EQ(slotsOf(second.Segments[1]), (std::vector<Slot>{{3, 1}}));
    EXPECT_EQ(second.Segments[1].SubsegmentCount, 0);
    EXPECT_EQ(second.SubsegmentCount, 2);
    EXPECT_EQ(second.SumOfValues, 0.0 + 0.4 + 0.7);
    // Barriers 3, 4 and 5 take the rim edges 0.3, 0.2, 0.1 in falling order.
    EXPECT_EQ(slotsOf(barriers[2].Segments[0])[1], (Slot{2, 1}));
    EXPECT_EQ(slotsOf(barriers[3].Segments[0])[1], (Slot{1, 1}));
    EXPECT_EQ(slotsOf(barriers[4].Segments[0])[1], (Slot{0, 1}));
}

TEST(FindBarriers, MoreBarriersThanUncrossedEdgesEndWithTheNoStartEdgeMessage)
{
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    try {
        FindBarriers(fan.triangles, links, 6);
        FAIL() << "a sixth barrier has no edge to start at";
    } catch (const AnalysisError& error) {
        EXPECT_STREQ(error.what(), "No start edge left for barrier 6: the triangulation has too few uncrossed edges.");
    }
}

TEST(FindBarriersWhileStartEdgesLast, EndsWithTheBarriersFoundBeforeTheOneWithoutAStartEdge)
{
    // The fan has 8 edges: the first barrier crosses the four spokes, the next four each start on
    // one rim edge, and a sixth finds none.
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriersWhileStartEdgesLast(fan.triangles, links, 6);
    ASSERT_EQ(barriers.size(), 5u);
    auto again = FindNeighbours(fan.triangles);
    const auto five = FindBarriers(fan.triangles, again, 5);
    EXPECT_EQ(barriers.back().SumOfValues, five.back().SumOfValues);
    EXPECT_EQ(links[0].Used, again[0].Used);
}

TEST(FindBarriers, ACountBelowOneIsAnAnalysisError)
{
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    EXPECT_THROW(FindBarriers(fan.triangles, links, 0), AnalysisError);
    EXPECT_THROW(FindBarriers(fan.triangles, links, -3), AnalysisError);
}

class CancelAfterChecks : public RunListener {
public:
    explicit CancelAfterChecks(int allowed)
        : m_allowed(allowed)
    {
    }
    bool cancelled() const override { return m_checks++ >= m_allowed; }

private:
    int m_allowed;
    mutable int m_checks = 0;
};

TEST(FindBarriers, StopsBetweenBarriersWhenCancelled)
{
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    CancelAfterChecks listener(2);
    EXPECT_THROW(FindBarriers(fan.triangles, links, 5, listener), RunCancelled);
}

TEST(FindBarriers, NoTriangleMeansNoStartEdge)
{
    std::vector<TriangleLinks> links;
    EXPECT_THROW(FindBarriers({}, links, 1), AnalysisError);
}

// One triangle (0,0), (1,0), (0,1) with edge values from G: 0.9 on edge 0, ties on the others.
std::vector<BarrierTriangle> oneTriangle(double v0, double v1, double v2)
{
    const DistinctLocations locations =
        GroupDistinctLocations(std::vector<double>{0, 1, 0}, std::vector<double>{0, 0, 1});
    const SquareMatrix G = fromPairs(3, {v0, v2, v1});
    return BuildBarrierTriangles(locations, tableOf({{0, 1, 2}}), G, false, MonmonierDistanceKind::Raw);
}

TEST(FindBarriers, EqualExitValuesSplitIntoAKindThreeBranchBeforeTheSecondDirection)
{
    const auto triangles = oneTriangle(0.9, 0.5, 0.5);
    auto links = FindNeighbours(triangles);
    const auto barriers = FindBarriers(triangles, links, 1);
    const BarrierRecord& barrier = barriers[0];
    ASSERT_EQ(barrier.Segments.size(), 3u);
    // Edge 1 (lower-numbered) continues segment 1 and leaves; then segment 2, kind 3, joins at the
    // entry edge 0 and leaves through edge 2; the second direction comes third.
    EXPECT_EQ(slotsOf(barrier.Segments[0]), (std::vector<Slot>{{-1, -1}, {0, 0}, {0, 1}}));
    EXPECT_EQ(barrier.Segments[1].Kind, 3);
    EXPECT_EQ(slotsOf(barrier.Segments[1]), (std::vector<Slot>{{0, 0}, {0, 2}}));
    EXPECT_EQ(barrier.Segments[1].SubsegmentCount, 1);
    EXPECT_EQ(barrier.Segments[2].Kind, 2);
    EXPECT_EQ(slotsOf(barrier.Segments[2]), (std::vector<Slot>{{0, 0}}));
    EXPECT_EQ(barrier.SubsegmentCount, 3);
    EXPECT_EQ(barrier.SumOfValues, 0.0 + 0.9 + 0.5 + 0.5);
}

TEST(FindBarriers, EqualStartValuesTakeTheLastEdge)
{
    // All three edges 0.5: edge 2 is the last candidate; its exits are edges 0 and 1, tied again.
    const auto triangles = oneTriangle(0.5, 0.5, 0.5);
    auto links = FindNeighbours(triangles);
    const auto barriers = FindBarriers(triangles, links, 1);
    EXPECT_EQ(slotsOf(barriers[0].Segments[0]), (std::vector<Slot>{{-1, -1}, {0, 2}, {0, 0}}));
    EXPECT_EQ(slotsOf(barriers[0].Segments[1]), (std::vector<Slot>{{0, 2}, {0, 1}}));
}

TEST(FindBarriers, TiesInsideABranchAreTakenUpLastFirstAndTheSecondDirectionBranchesToo)
{
    // The fan with every value 0.5, traced by hand. Start: the last candidate, edge 2 of triangle 3.
    // Every triangle ties between its spoke (edge 0, lower-numbered, followed) and its rim (edge 1,
    // left for a branch); the walk goes round to its start edge. The branches follow, the latest
    // tie first: triangles 0, 1, 2, 3, each straight out through its rim. Then the second direction
    // from triangle 0's edge 0 ties between the rim (edge 1, out at once) and edge 2, whose branch
    // meets the crossed spoke O-P1 in triangle 1.
    Fan fan;
    for (int i = 0; i < 5; ++i)
        for (int j = i + 1; j < 5; ++j)
            fan.G.setPair(i, j, 0.5);
    fan.triangles = BuildBarrierTriangles(fan.locations, fan.triangulation, fan.G, false, MonmonierDistanceKind::Raw);
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriers(fan.triangles, links, 1);
    const BarrierRecord& barrier = barriers[0];
    ASSERT_EQ(barrier.Segments.size(), 7u);
    const std::vector<std::vector<Slot>> expected = {
        {{-1, -1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {3, 2}},
        {{0, 2}, {0, 1}},
        {{1, 2}, {1, 1}},
        {{2, 2}, {2, 1}},
        {{3, 2}, {3, 1}},
        {{3, 2}, {0, 0}, {0, 1}},
        {{0, 0}, {1, 0}},
    };
    const std::vector<std::int32_t> kinds = {1, 3, 3, 3, 3, 2, 3};
    const std::vector<std::int32_t> counts = {5, 1, 1, 1, 1, 1, 1};
    for (size_t s = 0; s < expected.size(); ++s) {
        EXPECT_EQ(slotsOf(barrier.Segments[s]), expected[s]) << "segment " << s + 1;
        EXPECT_EQ(barrier.Segments[s].Kind, kinds[s]) << "segment " << s + 1;
        EXPECT_EQ(barrier.Segments[s].SubsegmentCount, counts[s]) << "segment " << s + 1;
    }
    EXPECT_EQ(barrier.SubsegmentCount, 11);
    EXPECT_EQ(barrier.AverageValue, 0.5);
}

TEST(FindBarriers, AWalkAcrossHundredsOfThousandsOfTrianglesNeedsNoDeepStack)
{
    // A strip of 2K triangles between the rails y = 0 and y = 1: the inner edges are worth 1, the
    // rails 0, so the barrier runs the whole strip from the last inner edge back to the first.
    const int K = 150000;
    std::vector<BarrierTriangle> triangles;
    auto edge = [](double x1, double y1, double x2, double y2, double value) {
        TriangleEdge e;
        e.X1 = x1, e.Y1 = y1, e.X2 = x2, e.Y2 = y2, e.Value = value;
        return e;
    };
    for (int i = 0; i < K; ++i) {
        const double a = i, b = i + 1;
        BarrierTriangle lower; // (a,0) (a,1) (b,0)
        lower.Edges = {edge(a, 0, a, 1, 1.0), edge(a, 1, b, 0, 1.0), edge(b, 0, a, 0, 0.0)};
        BarrierTriangle upper; // (a,1) (b,1) (b,0)
        upper.Edges = {edge(a, 1, b, 1, 0.0), edge(b, 1, b, 0, 1.0), edge(b, 0, a, 1, 1.0)};
        triangles.push_back(lower);
        triangles.push_back(upper);
    }
    auto links = FindNeighbours(triangles);
    const auto barriers = FindBarriers(triangles, links, 1);
    // Start: the last inner edge in table order, edge 2 (the diagonal) of the last upper triangle; its
    // exits are the top rail (0) and the border edge at x = K (1), which ends segment 1 at once. The
    // second direction crosses every other inner edge down to x = 0 and leaves there: 2K slots.
    EXPECT_EQ(slotsOf(barriers[0].Segments[0]), (std::vector<Slot>{{-1, -1}, {2 * K - 1, 2}, {2 * K - 1, 1}}));
    const BarrierSegment& second = barriers[0].Segments[1];
    EXPECT_EQ(second.lastSlot(), 2 * K);
    EXPECT_EQ(slotsOf(second)[1], (Slot{2 * K - 2, 1}));
    EXPECT_EQ(slotsOf(second)[2], (Slot{2 * K - 3, 1}));
    EXPECT_EQ(slotsOf(second)[static_cast<size_t>(2 * K)], (Slot{0, 0}));
    EXPECT_EQ(barriers[0].SubsegmentCount, 2 + 2 * K - 1);
}

// Files for whole runs.
struct RunFiles {
    tessaloc::testing::TempFolder folder;
    MonmonierInput input;

    RunFiles(const std::vector<std::string>& coordinates, const std::vector<std::string>& genotypes)
    {
        std::string coordinateText, genotypeText = "1\n";
        for (size_t i = 0; i < coordinates.size(); ++i) {
            coordinateText += testing::numberedName("s", static_cast<long long>(i) + 1) + "," + coordinates[i] + "\n";
            genotypeText += testing::numberedName("s", static_cast<long long>(i) + 1) + "," + genotypes[i] + "\n";
        }
        coordinateText += ";\n";
        input.coordinatePath = folder.write("c.txt", coordinateText).string();
        input.genotypePath = folder.write("g.txt", genotypeText).string();
        input.dataType = DataType::Genotypes;
        input.settings.distanceKind = MonmonierDistanceKind::Raw;
    }
};

class StatusRecorder : public RunListener {
public:
    void status(std::string_view text) override { statuses.emplace_back(text); }
    std::vector<std::string> statuses;
};

TEST(RunMonmonier, LocationsSharingOnlyXOrOnlyYStayApart)
{
    // (0,0), (0,1), (1,0): X shared by the first two, Y by the first and the third; plus a repeat
    // of (0,1). Three locations, one triangle.
    RunFiles files({"0,0", "0,1", "1,0", "0,1"}, {"A", "B", "A", "C"});
    StatusRecorder listener;
    const MonmonierResult result = RunMonmonier(files.input, listener);
    ASSERT_EQ(result.BarrierTriangles.size(), 1u);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Reading", "Calculating Distances", "Triangulating",
                                                           "Implementing Algorithm"}));
    // The edge to (0,1) from (0,0) averages observations 2 and 4: (1 + 1) / 2 = 1 by hand; to (0,1)
    // from (1,0) (B against A, C against A): 1; (0,0)-(1,0): A against A, 0.
    double total = 0.0;
    for (const TriangleEdge& edge : result.BarrierTriangles[0].Edges)
        total += edge.Value;
    EXPECT_EQ(total, 2.0);
    EXPECT_EQ(result.data.DataMaxX, 1.0);
    EXPECT_EQ(result.data.DataMinY, 0.0);
    // Every observation, repeats included, in file order, for the map's sample names.
    EXPECT_EQ(result.SampleNames, (std::vector<std::string>{"s1", "s2", "s3", "s4"}));
    EXPECT_EQ(result.SampleX, (std::vector<double>{0, 0, 1, 0}));
    EXPECT_EQ(result.SampleY, (std::vector<double>{0, 1, 0, 1}));
}

TEST(RunMonmonier, ACoordinateBeyondFifteenDigitsStillCountsAtItsLocation)
{
    // 0.30000000000000004 has the plain text form "0.3"; its location's X is 0.3, which that
    // observation's X does not equal. Members follow the texts, so the observation still counts
    // (a member search by numeric equality would leave the location empty and the edge value 0/0).
    RunFiles files({"0.30000000000000004,0", "1,0", "0,1"}, {"A", "B", "B"});
    const MonmonierResult result = RunMonmonier(files.input);
    ASSERT_EQ(result.BarrierTriangles.size(), 1u);
    double total = 0.0;
    for (const TriangleEdge& edge : result.BarrierTriangles[0].Edges) {
        EXPECT_TRUE(std::isfinite(edge.Value));
        total += edge.Value;
    }
    // By hand: A against B twice (1 each), B against B once (0).
    EXPECT_EQ(total, 2.0);
    EXPECT_EQ(result.BarrierList[0].SumOfValues, result.BarrierList[0].SumOfValues);
}

TEST(RunMonmonier, ResidualsAreAnnounced)
{
    RunFiles files({"0,0", "0,1", "1,0", "3,3"}, {"A", "B", "A", "C"});
    files.input.settings.distanceKind = MonmonierDistanceKind::Residual;
    StatusRecorder listener;
    RunMonmonier(files.input, listener);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Reading", "Calculating Distances", "Calculating Residuals",
                                                           "Triangulating", "Implementing Algorithm"}));
}

TEST(RunMonmonier, ResidualsTakeTheChosenDistancesAndOnlyThey)
{
    RunFiles files({"0,0", "0,1", "1,0", "3,3"}, {"A", "B", "A", "C"});
    files.input.settings.distanceKind = MonmonierDistanceKind::Residual;
    files.input.geoDistances.kind = GeoDistanceKind::Matrix;
    files.input.geoDistances.file =
        files.folder.write("d.csv", ",s1,s2,s3,s4\ns4,8,1,5,0\ns3,2,6,0,5\ns2,3,0,6,1\ns1,0,3,2,8\n").string();
    StatusRecorder listener;
    const MonmonierResult result = RunMonmonier(files.input, listener);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Reading", "Calculating Distances", "Calculating Residuals",
                                                           "Triangulating", "Implementing Algorithm"}));
    EXPECT_EQ(result.geoDistances.file, files.input.geoDistances.file);

    // Every location holds one observation, so every edge's value is the residual of its one pair:
    // genetic distances by hand (one locus, equal or not) regressed on the file's distances.
    SquareMatrix residuals = fromPairs(4, {1, 0, 1, 1, 1, 1});
    ResidualizeDistances(residuals, fromPairs(4, {3, 2, 8, 6, 1, 5}));
    const auto observationAt = [&](double x, double y) {
        for (size_t i = 0; i < result.SampleX.size(); ++i) {
            if (result.SampleX[i] == x && result.SampleY[i] == y)
                return static_cast<int>(i);
        }
        return -1;
    };
    int edges = 0;
    for (const BarrierTriangle& triangle : result.BarrierTriangles) {
        for (const TriangleEdge& edge : triangle.Edges) {
            EXPECT_EQ(edge.Value, residuals(observationAt(edge.X1, edge.Y1), observationAt(edge.X2, edge.Y2)));
            ++edges;
        }
    }
    EXPECT_GT(edges, 0);

    // Raw distances use no geographic distances: the file is not even read.
    files.input.settings.distanceKind = MonmonierDistanceKind::Raw;
    files.input.geoDistances.file = (files.folder.path() / "no-such.csv").string();
    EXPECT_EQ(RunMonmonier(files.input).geoDistances.kind, GeoDistanceKind::Straight);
}

void expectNoStartEdgeForTheFirstBarrier(const MonmonierInput& input)
{
    try {
        RunMonmonier(input);
        FAIL() << "the run should find no start edge";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()), noStartEdgeMessage(1));
    }
}

TEST(RunMonmonier, TwoLocationsHaveNoStartEdge)
{
    expectNoStartEdgeForTheFirstBarrier(RunFiles({"0,0", "0,1", "0,1"}, {"A", "B", "A"}).input);
}

TEST(RunMonmonier, LocationsOnOneLineHaveNoStartEdge)
{
    expectNoStartEdgeForTheFirstBarrier(RunFiles({"0,0", "1,1", "2,2", "3,3"}, {"A", "B", "A", "B"}).input);
}

TEST(RunMonmonier, ABarrierCountBelowOneFailsBeforeReading)
{
    MonmonierInput input;
    input.coordinatePath = "no such file";
    input.settings.barrierCount = 0;
    try {
        RunMonmonier(input);
        FAIL();
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("at least 1"), std::string::npos) << error.what();
    }
}

TEST(NoStartEdgeMessage, NamesTheBarrierInPlainText)
{
    EXPECT_EQ(noStartEdgeMessage(12),
              "No start edge left for barrier 12: the triangulation has too few uncrossed edges.");
}

} // namespace
} // namespace tessaloc
