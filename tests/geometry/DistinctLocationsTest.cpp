#include "geometry/DistinctLocations.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaloc {
namespace {

std::vector<int> membersOf(const SampleLocation& location)
{
    std::vector<int> numbers;
    for (const ObservationIndex member : location.members)
        numbers.push_back(member.value);
    return numbers;
}

TEST(GroupDistinctLocations, ObservationsWithEqualTextsShareALocationInOrderOfFirstAppearance)
{
    const std::vector<double> x{1, 2, 1, 1};
    const std::vector<double> y{5, 5, 5, 6};
    const DistinctLocations grouped = GroupDistinctLocations(x, y);
    ASSERT_EQ(grouped.count(), 3);
    EXPECT_EQ(membersOf(grouped.locations[0]), (std::vector<int>{0, 2}));
    EXPECT_EQ(membersOf(grouped.locations[1]), (std::vector<int>{1}));
    EXPECT_EQ(membersOf(grouped.locations[2]), (std::vector<int>{3}));
    ASSERT_EQ(grouped.locationOf.size(), 4u);
    EXPECT_EQ(grouped.locationOf[2], LocationIndex(0));
    EXPECT_EQ(grouped.locationOf[3], LocationIndex(2));
    EXPECT_EQ(grouped[LocationIndex(2)].x, 1.0);
    EXPECT_EQ(grouped[LocationIndex(2)].y, 6.0);
}

TEST(GroupDistinctLocations, KeysAreThePlainTextForms)
{
    const std::vector<double> x{0.5, -0.25, 1e-5};
    const std::vector<double> y{1.5e15, 0, -0.0};
    const DistinctLocations grouped = GroupDistinctLocations(x, y);
    ASSERT_EQ(grouped.count(), 3);
    EXPECT_EQ(grouped.locations[0].xText, "0.5");
    EXPECT_EQ(grouped.locations[0].yText, "1.5E+15");
    EXPECT_EQ(grouped.locations[1].xText, "-0.25");
    EXPECT_EQ(grouped.locations[2].xText, "1E-05");
    EXPECT_EQ(grouped.locations[2].yText, "0");
}

TEST(GroupDistinctLocations, SharingOnlyXOrOnlyYKeepsLocationsApart)
{
    const DistinctLocations grouped =
        GroupDistinctLocations(std::vector<double>{3, 3, 4}, std::vector<double>{1, 2, 2});
    EXPECT_EQ(grouped.count(), 3);
}

TEST(GroupDistinctLocations, MoreThanFifteenDigitsStillMakeTheObservationAMember)
{
    // Regression: membership used to compare X with the value parsed back from its 15-digit text,
    // so 1.0000000000000002 (text "1") opened a location that then had no member.
    const std::vector<double> x{1.0000000000000002, 1.0, 2.0};
    const std::vector<double> y{0.30000000000000004, 0.3, 0.0};
    const DistinctLocations grouped = GroupDistinctLocations(x, y);
    ASSERT_EQ(grouped.count(), 2);
    EXPECT_EQ(membersOf(grouped.locations[0]), (std::vector<int>{0, 1}));
    // The location's coordinates are those of its texts, not of its first member.
    EXPECT_EQ(grouped.locations[0].x, 1.0);
    EXPECT_EQ(grouped.locations[0].y, 0.3);
}

TEST(GroupDistinctLocations, NoObservationsGiveNoLocation)
{
    EXPECT_EQ(GroupDistinctLocations(std::vector<double>{}, std::vector<double>{}).count(), 0);
}

TEST(TriangulateLocations, VertexKIsLocationK)
{
    // Five observations at four corners of a square: one triangulation of the four locations.
    const std::vector<double> x{0, 1, 1, 0, 1};
    const std::vector<double> y{0, 0, 1, 1, 0};
    const DistinctLocations grouped = GroupDistinctLocations(x, y);
    ASSERT_EQ(grouped.count(), 4);
    const Triangulation result = TriangulateLocations(grouped);
    ASSERT_EQ(result.TriangleCount(), 2);
    for (const TriangleRec& t : result.TriangleTable) {
        for (const VertexIndex v : {t.CornerA, t.CornerB, t.CornerC})
            EXPECT_LT(v.value, grouped.count());
    }
    // The same as triangulating the four corners directly in location order.
    const std::vector<TriVertex> corners{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    EXPECT_EQ(result.TriangleTable, TriangulatePoints(corners).TriangleTable);
}

} // namespace
} // namespace tessaloc
