#include "geometry/Extents.h"
#include "core/Errors.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaloc {
namespace {

TEST(ComputeDataExtents, WesternLongitudesKeepANegativeMaximum)
{
    const DataExtents extents =
        ComputeDataExtents(std::vector<double>{-120.5, -119.25, -121}, std::vector<double>{35, 36.5, 34});
    EXPECT_EQ(extents.DataMaxX, -119.25);
    EXPECT_EQ(extents.DataMinX, -121.0);
    EXPECT_EQ(extents.DataMaxY, 36.5);
    EXPECT_EQ(extents.DataMinY, 34.0);
}

TEST(ComputeDataExtents, NoObservationsLeaveTheStartValues)
{
    const DataExtents extents = ComputeDataExtents(std::vector<double>{}, std::vector<double>{});
    EXPECT_EQ(extents.DataMinX, 3.402823E+38);
    EXPECT_EQ(extents.DataMaxX, -1.79769313486231E+308);
    EXPECT_THROW(WidenByFivePercent(extents), AnalysisError);
}

TEST(WidenByFivePercent, MaximaFirstThenMinimaFromTheWidenedRange)
{
    // By hand: X 0..10 becomes -0.525..10.5 (0.05 x 10.5 on the low side), Y 0..20 becomes -1.05..21.
    const MapExtents map = WidenByFivePercent({0, 10, 0, 20});
    EXPECT_EQ(map.MapMaxX, 10.5f);
    EXPECT_EQ(map.MapMinX, static_cast<float>(-0.525));
    EXPECT_EQ(map.MapMaxY, 21.0f);
    EXPECT_EQ(map.MapMinY, static_cast<float>(-1.05));
}

TEST(WidenByFivePercent, ValuesAreRoundedToSinglePrecision)
{
    // By hand: 16777217 is not a single value and becomes 16777216; plus 5 % is 17616076.8, which
    // lies between the single values 17616076 and 17616078 and becomes 17616076. The minimum moves
    // by 0.05 x 17616076 = 880803.8, stored as -880803.8125 (singles there are 1/16 apart).
    const MapExtents map = WidenByFivePercent({0, 16777217, 0, 1});
    EXPECT_EQ(map.MapMaxX, 17616076.0f);
    EXPECT_EQ(map.MapMinX, -880803.8125f);
}

TEST(MapScaleMark, TenthOfTheYRangeWhenTheTopLiesAtOrAboveTheRightEdge)
{
    // By hand: Y runs -1..21 and its top 21 is above X's right edge 10, so the length is 2.2; the
    // corner is 2.5 % of each range in: -0.5 + 0.025 x 10.5 and -1 + 0.025 x 22.
    const ScaleMark mark = MapScaleMark({-0.5f, 10.0f, -1.0f, 21.0f});
    EXPECT_EQ(mark.length, static_cast<float>(0.1 * 22.0));
    EXPECT_EQ(mark.x0, static_cast<float>(-0.5 + 0.025 * 10.5));
    EXPECT_EQ(mark.y0, static_cast<float>(-1.0 + 0.025 * 22.0));
}

TEST(MapScaleMark, TenthOfTheXRangeWhenTheRightEdgeLiesAboveTheTop)
{
    // The rule compares the two maxima, not the ranges: X 100..300 against Y -50..150 takes the
    // X range although both ranges are 200.
    EXPECT_EQ(MapScaleMark({100.0f, 300.0f, -50.0f, 150.0f}).length, static_cast<float>(0.1 * 200.0));
    EXPECT_EQ(MapScaleMark({100.0f, 300.0f, -50.0f, 100.0f}).length, static_cast<float>(0.1 * 200.0));
    EXPECT_EQ(MapScaleMark({0.0f, 10.0f, 0.0f, 10.0f}).length, 1.0f);
    EXPECT_EQ(MapScaleMark({0.0f, 10.0f, 0.0f, 5.0f}).length, 1.0f);
}

TEST(WidenByFivePercent, ExtentsBeyondSinglePrecisionAreAnAnalysisError)
{
    EXPECT_THROW(WidenByFivePercent({0, 1e39, 0, 1}), AnalysisError);
    EXPECT_THROW(WidenByFivePercent({-3e38, 3e38, 0, 1}), AnalysisError);
}

} // namespace
} // namespace tessaloc
