#include "geometry/Edges.h"

#include "core/Errors.h"
#include "geometry/GeometryHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tessaloc {
namespace {

SampleLocation locationOf(std::vector<int> members)
{
    SampleLocation location;
    for (const int member : members)
        location.members.emplace_back(member);
    return location;
}

TEST(EdgeLength, PlanarOrGreatCircle)
{
    EXPECT_EQ(EdgeLength(0, 0, 3, 4, false), 5.0);
    // One degree of longitude along the equator: 6371 x pi / 180 km.
    EXPECT_NEAR(EdgeLength(0, 0, 1, 0, true), 111.19, 0.01);
    EXPECT_THROW(EdgeLength(-1e200, 0, 1e200, 0, false), AnalysisError);
}

TEST(MeanMemberDistance, AveragesEveryPairOfMembersInMemberOrder)
{
    SquareMatrix G(4);
    G.setPair(0, 2, 1.0);
    G.setPair(0, 3, 2.0);
    G.setPair(1, 2, 4.0);
    G.setPair(1, 3, 8.0);
    // (1 + 2 + 4 + 8) / 4, computed by hand.
    EXPECT_EQ(MeanMemberDistance(locationOf({0, 1}), locationOf({2, 3}), G), 3.75);
    // The sums run over the first location's members outside: 0.1 + 0.2 + 0.3 in that order.
    SquareMatrix H(4);
    H.setPair(0, 1, 0.1);
    H.setPair(0, 2, 0.2);
    H.setPair(0, 3, 0.3);
    EXPECT_EQ(MeanMemberDistance(locationOf({0}), locationOf({1, 2, 3}), H), (0.1 + 0.2 + 0.3) / 3.0);
}

TEST(EdgeValue, PseudoslopesDivideByTheLengthOthersKeepTheMean)
{
    SquareMatrix G(2);
    G.setPair(0, 1, 6.0);
    const SampleLocation first = locationOf({0});
    const SampleLocation second = locationOf({1});
    for (const EdgeValueKind kind : {EdgeValueKind::Raw, EdgeValueKind::Residual})
        EXPECT_EQ(EdgeValue(first, second, G, 4.0, kind), 6.0);
    EXPECT_EQ(EdgeValue(first, second, G, 4.0, EdgeValueKind::Pseudoslope), 1.5);
    try {
        EdgeValue(first, second, G, 0.0, EdgeValueKind::Pseudoslope);
        FAIL() << "a pseudoslope over a length of 0 is undefined";
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("pseudoslope of an edge of length 0"), std::string::npos)
            << error.what();
    }
}

TEST(EdgeKeyOf, EqualExactlyWhenSameEdgeHolds)
{
    const Segment edge{1.5, -0.0, 2.0, 7.0};
    const Segment cases[] = {
        {1.5, 0.0, 2.0, 7.0},  // the same end points, a zero for the negative zero
        {2.0, 7.0, 1.5, -0.0}, // reversed
        {1.5, 0.0, 2.0, 7.5},  // another second end
        {2.0, 7.0, 1.5, 1.0},  // reversed with another end
    };
    for (const Segment& other : cases) {
        const bool same = SameEdge(edge, other);
        EXPECT_EQ(EdgeKeyOf(edge) == EdgeKeyOf(other), same) << other.X1 << " " << other.Y2;
        if (same) {
            EXPECT_EQ(EdgeHash(EdgeKeyOf(edge)), EdgeHash(EdgeKeyOf(other)));
        }
    }
}

} // namespace
} // namespace tessaloc
