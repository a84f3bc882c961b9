#include "core/GeographicRanges.h"

#include "core/GeographicDistances.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaloc {
namespace {

TEST(GeographicRanges, PlanarRangesAreTheDifferences)
{
    const GeographicRanges ranges = ComputeGeographicRanges(-1.5, 2.0, 10.0, 10.25, false);
    EXPECT_EQ(ranges.RangeX, 3.5);
    EXPECT_EQ(ranges.RangeY, 0.25);
}

TEST(GeographicRanges, LatitudeLongitudeTakesTheLongerSides)
{
    // Longitude 0..2, latitude 0..60: the southern side lies on the equator and is the longer
    // east-west side (2 degrees of 6371 km x pi / 180 each); the northern one is about half of it.
    const GeographicRanges ranges = ComputeGeographicRanges(0.0, 2.0, 0.0, 60.0, true);
    EXPECT_EQ(ranges.RangeX, GreatCircleDistance(0.0, 0.0, 2.0, 0.0));
    EXPECT_NEAR(ranges.RangeX, 2.0 * 6371.0 * 3.14159265358979 / 180.0, 1e-6);
    EXPECT_LT(GreatCircleDistance(0.0, 60.0, 2.0, 60.0), 0.51 * ranges.RangeX);
    // Both meridian sides span 60 degrees of latitude.
    EXPECT_NEAR(ranges.RangeY, 60.0 * 6371.0 * 3.14159265358979 / 180.0, 1e-6);
    EXPECT_EQ(ranges.RangeY,
              std::max(GreatCircleDistance(0.0, 0.0, 0.0, 60.0), GreatCircleDistance(2.0, 0.0, 2.0, 60.0)));
}

TEST(GeographicRanges, NorthernSideIsTakenWhenItIsLonger)
{
    // In the southern hemisphere the side at the larger latitude (nearer the equator) is longer.
    const GeographicRanges ranges = ComputeGeographicRanges(20.0, 25.0, -50.0, -10.0, true);
    EXPECT_EQ(ranges.RangeX, GreatCircleDistance(20.0, -10.0, 25.0, -10.0));
    EXPECT_GT(ranges.RangeX, GreatCircleDistance(20.0, -50.0, 25.0, -50.0));
}

TEST(GeographicRanges, ASinglePointHasNoExtent)
{
    const GeographicRanges latLong = ComputeGeographicRanges(10.0, 10.0, 45.0, 45.0, true);
    EXPECT_EQ(latLong.RangeX, 0.0);
    EXPECT_EQ(latLong.RangeY, 0.0);
    // One parallel: no north-south extent, an east-west one.
    const GeographicRanges parallel = ComputeGeographicRanges(10.0, 11.0, 45.0, 45.0, true);
    EXPECT_GT(parallel.RangeX, 0.0);
    EXPECT_EQ(parallel.RangeY, 0.0);
}

} // namespace
} // namespace tessaloc
