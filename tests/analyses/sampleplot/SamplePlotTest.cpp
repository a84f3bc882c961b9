#include "analyses/sampleplot/SamplePlot.h"

#include "core/Errors.h"
#include "tests/support/NumberedNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaloc {
namespace {

SampleTable tableAt(const std::vector<std::pair<std::string, std::string>>& points)
{
    SampleTable table;
    for (const auto& [x, y] : points) {
        table.names.push_back(testing::numberedName("s", static_cast<long long>(table.names.size()) + 1));
        table.xTexts.push_back(x);
        table.yTexts.push_back(y);
    }
    return table;
}

TEST(BuildSamplePlot, UnitSquareWithSamplesInsideHasAreaOne)
{
    const SamplePlotResult plot =
        ComputeSamplePlot(tableAt({{"0", "0"}, {"1", "0"}, {"0.5", "0.5"}, {"1", "1"}, {"0", "1"}, {"0.25", "0.75"}}));
    EXPECT_EQ(plot.area, 1.0);
    EXPECT_EQ(polygonAreaCaption(plot.area), "Polygon Area: 1");
    // Closed, from the top left corner downwards.
    EXPECT_EQ(plot.PlotHullX, (std::vector<double>{0, 0, 1, 1, 0}));
    EXPECT_EQ(plot.PlotHullY, (std::vector<double>{1, 0, 0, 1, 1}));
}

TEST(BuildSamplePlot, EverySampleIsPlottedButALocationCountsOnceInTheHull)
{
    const SamplePlotResult plot = ComputeSamplePlot(tableAt({{"2", "3"}, {"2", "3"}, {"4", "3"}, {"2", "3"}}));
    EXPECT_EQ(plot.PlotX, (std::vector<double>{2, 2, 4, 2}));
    EXPECT_EQ(plot.PlotY, (std::vector<double>{3, 3, 3, 3}));
    // Two distinct locations: there and back, area 0.
    EXPECT_EQ(plot.PlotHullX, (std::vector<double>{2, 4, 2}));
    EXPECT_EQ(plot.PlotHullY, (std::vector<double>{3, 3, 3}));
    EXPECT_EQ(plot.area, 0.0);
}

TEST(BuildSamplePlot, KeepsTheNamesInFileOrderBesideTheCoordinates)
{
    const SamplePlotResult plot = ComputeSamplePlot(tableAt({{"2", "3"}, {"5", "1"}, {"2", "3"}}));
    EXPECT_EQ(plot.names, (std::vector<std::string>{"s1", "s2", "s3"}));
    EXPECT_EQ(plot.PlotX, (std::vector<double>{2, 5, 2}));
}

TEST(BuildSamplePlot, HullOfThreeLocationsIsClosed)
{
    // Regression: three distinct locations left the hull open, "Polygon Area: 1" for the triangle
    // (1, 1), (2, 1), (1, 2), whose legs of 1 give it the area 1/2, and an outline without its
    // closing side. Now closed like any other hull, from the top left corner downwards.
    const SamplePlotResult plot = ComputeSamplePlot(tableAt({{"1", "1"}, {"2", "1"}, {"1", "2"}}));
    EXPECT_EQ(plot.PlotHullX, (std::vector<double>{1, 1, 2, 1}));
    EXPECT_EQ(plot.PlotHullY, (std::vector<double>{2, 1, 1, 2}));
    EXPECT_EQ(plot.area, 0.5);
    EXPECT_EQ(polygonAreaCaption(plot.area), "Polygon Area: 0.5");
}

TEST(BuildSamplePlot, OneLocationHasAreaZero)
{
    const SamplePlotResult plot = ComputeSamplePlot(tableAt({{"7", "8"}, {"7", "8"}}));
    EXPECT_EQ(plot.PlotHullX, (std::vector<double>{7, 7}));
    EXPECT_EQ(plot.PlotHullY, (std::vector<double>{8, 8}));
    EXPECT_EQ(plot.area, 0.0);
}

TEST(BuildSamplePlot, ExtentsOfWesternLongitudesAndTheirMap)
{
    const SamplePlotResult plot = ComputeSamplePlot(tableAt({{"-120", "30"}, {"-110", "40"}, {"-115", "35"}}));
    EXPECT_EQ(plot.data.DataMinX, -120.0);
    EXPECT_EQ(plot.data.DataMaxX, -110.0);
    EXPECT_EQ(plot.data.DataMinY, 30.0);
    EXPECT_EQ(plot.data.DataMaxY, 40.0);
    // By hand: the maxima move by 0.5, the minima by 0.05 x 10.5 = 0.525.
    EXPECT_EQ(plot.map.MapMaxX, -109.5f);
    EXPECT_EQ(plot.map.MapMinX, static_cast<float>(-120.525));
    EXPECT_EQ(plot.map.MapMaxY, 40.5f);
    EXPECT_EQ(plot.map.MapMinY, static_cast<float>(29.475));
}

TEST(BuildSamplePlot, ACoordinateThatIsNotANumberIsAnAnalysisError)
{
    EXPECT_THROW(ComputeSamplePlot(tableAt({{"1", "0"}, {"east", "0"}})), AnalysisError);
}

TEST(BuildSamplePlot, NoObservationIsAnAnalysisError)
{
    EXPECT_THROW(ComputeSamplePlot(SampleTable{}), AnalysisError);
}

TEST(SamplePlotText, AreaThenOneLinePerHullCorner)
{
    SamplePlotResult plot;
    plot.area = 0.5;
    plot.PlotHullX = {0, 1.25, -3e-7};
    plot.PlotHullY = {2, 1e20, 0};
    EXPECT_EQ(SamplePlotText(plot), "Polygon Area: 0.5\n0 2\n1.25 1E+20\n-3E-07 0\n");
}

} // namespace
} // namespace tessaloc
