#include "core/GeographicDistances.h"
#include "core/Errors.h"
#include "tests/support/NumberedNames.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaloc {
namespace {

SampleTable tableAt(const std::vector<std::pair<std::string, std::string>>& points)
{
    SampleTable table;
    for (const auto& [x, y] : points) {
        table.names.push_back(testing::numberedName("p", static_cast<long long>(table.names.size()) + 1));
        table.xTexts.push_back(x);
        table.yTexts.push_back(y);
    }
    return table;
}

TEST(BuildGeographicDistances, PlanarDistanceIsSymmetricWithZeroDiagonal)
{
    const PackedDistances d = BuildGeographicDistances(tableAt({{"0", "0"}, {"3", "4"}, {"-3", "-4"}}), false);
    EXPECT_EQ(d(0, 1), 5.0);
    EXPECT_EQ(d(1, 0), 5.0);
    EXPECT_EQ(d(0, 2), 5.0);
    EXPECT_EQ(d(1, 2), 10.0);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(d(k, k), 0.0);
}

TEST(BuildGeographicDistances, OverflowIsAnAnalysisError)
{
    EXPECT_THROW(BuildGeographicDistances(tableAt({{"1e200", "0"}, {"-1e200", "1e200"}}), false), AnalysisError);
}

TEST(BuildGeographicDistances, LatLongUsesGreatCircleKilometres)
{
    const PackedDistances d = BuildGeographicDistances(tableAt({{"10", "0"}, {"11", "0"}}), true);
    EXPECT_EQ(d(0, 1), GreatCircleDistance(10, 0, 11, 0));
}

TEST(BuildGeographicDistances, LatLongOffTheGlobeIsADataProblemNamingTheObservation)
{
    const struct {
        const char* x;
        const char* y;
        const char* message;
    } cases[] = {
        {"10", "90.0001",
         "The latitude (Y) of observation 2 (\"p2\"), \"90.0001\", lies outside -90 to 90 decimal degrees."},
        {"10", "-91", "The latitude (Y) of observation 2 (\"p2\"), \"-91\", lies outside -90 to 90 decimal degrees."},
        {"180.5", "0",
         "The longitude (X) of observation 2 (\"p2\"), \"180.5\", lies outside -180 to 180 decimal degrees."},
        {"-1e3", "45",
         "The longitude (X) of observation 2 (\"p2\"), \"-1e3\", lies outside -180 to 180 decimal degrees."},
        // Both off: the longitude is named first.
        {"200", "100",
         "The longitude (X) of observation 2 (\"p2\"), \"200\", lies outside -180 to 180 decimal degrees."},
    };
    for (const auto& c : cases) {
        try {
            BuildGeographicDistances(tableAt({{"0", "0"}, {c.x, c.y}, {"1", "1"}}), true);
            ADD_FAILURE() << c.x << "," << c.y << " must not pass";
        } catch (const DataProblem& problem) {
            EXPECT_EQ(std::string(problem.what()), c.message);
            EXPECT_FALSE(problem.detail().empty());
        }
    }
}

TEST(BuildGeographicDistances, LatLongAtTheEdgesOfTheGlobeAndPlanarBeyondThemPass)
{
    const auto corners = tableAt({{"-180", "-90"}, {"180", "90"}, {"0", "0"}});
    EXPECT_NO_THROW(BuildGeographicDistances(corners, true));
    EXPECT_NO_THROW(BuildGeographicDistances(tableAt({{"500", "-300"}, {"0", "0"}}), false));
}

TEST(GreatCircleDistance, IdenticalPointsGiveExactlyZero)
{
    EXPECT_EQ(GreatCircleDistance(12.5, 45.25, 12.5, 45.25), 0.0);
}

TEST(GreatCircleDistance, OneDegreeAlongTheEquator)
{
    EXPECT_NEAR(GreatCircleDistance(0, 0, 1, 0), 6371.0 * 3.14159265358979 / 180.0, 1e-6);
    EXPECT_NEAR(GreatCircleDistance(0, 0, 1, 0), 111.19, 0.01);
    EXPECT_EQ(GreatCircleDistance(0, 0, 1, 0), GreatCircleDistance(1, 0, 0, 0));
}

TEST(GreatCircleDistance, FollowsTheArcTangentFormTermByTerm)
{
    // The same steps written out: the program's pi, the three terms in their order, the arc tangent.
    const double pi = 3.14159265358979;
    const double x1 = 5.32 * pi / 180, y1 = 60.39 * pi / 180, x2 = 10.75 * pi / 180, y2 = 59.91 * pi / 180;
    const double t = std::cos(y1) * std::cos(x1) * std::cos(y2) * std::cos(x2) +
                     std::sin(x1) * std::cos(y1) * std::cos(y2) * std::sin(x2) + std::sin(y2) * std::sin(y1);
    const double expected = 6371 * (std::atan(-t / std::sqrt(-t * t + 1)) + 2 * std::atan(1.0));
    EXPECT_EQ(GreatCircleDistance(5.32, 60.39, 10.75, 59.91), expected);
    EXPECT_NEAR(expected, 305.0, 10.0); // Bergen to Oslo is about 305 km
}

TEST(GreatCircleDistance, VeryCloseAndAntipodalPointsNoLongerFail)
{
    // Regression: t rounded to 1 (or -1) made the square root or the division undefined.
    EXPECT_EQ(GreatCircleDistance(10.0, 20.0, 10.0, 20.0 + 1e-9), 0.0);
    EXPECT_EQ(GreatCircleDistance(0, 0, 180, 0), 6371 * 3.14159265358979);
    EXPECT_TRUE(std::isfinite(GreatCircleDistance(-90, 30, 90, -30)));
}

} // namespace
} // namespace tessaloc
