// The reading of a run's files with the geographic distances its input chooses.
#include "analyses/AnalysisInput.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

const std::filesystem::path kExample = std::filesystem::path(TESSALOC_EXAMPLES_DIR) / "microsatellites";

AnalysisInput exampleOverTheRiver(GeoDistanceKind kind)
{
    AnalysisInput input;
    input.coordinatePath = (kExample / "coordinates.txt").string();
    input.genotypePath = (kExample / "genotypes.txt").string();
    input.geoDistances.kind = kind;
    input.geoDistances.file = (kExample / "resistance.asc").string();
    return input;
}

TEST(ReadAnalysisData, BuildsTheChosenDistancesAndShowsTheRunsStatusAgainAfterThem)
{
    const AnalysisInput input = exampleOverTheRiver(GeoDistanceKind::LeastCost);
    ReadingSteps steps;
    steps.readingStatus = "Calculating";
    testing::RecordingListener listener;
    const AnalysisData data = ReadAnalysisData(input, listener, steps);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Calculating", "Reading the resistance surface",
                                                           "Least-cost paths", "Calculating"}));
    EXPECT_EQ(data.geographic, PackedDistances(BuildGeographicDistances(data.table, false, input.geoDistances)));
    EXPECT_NE(data.geographic, BuildGeographicDistances(data.table, false));
    EXPECT_EQ(data.genetic.size(), 30);

    // With a status of its own before the distances, that one comes back.
    steps.distancesStatus = "Calculating Distances";
    testing::RecordingListener circuit;
    ReadAnalysisData(exampleOverTheRiver(GeoDistanceKind::Circuit), circuit, steps);
    EXPECT_EQ(circuit.statuses.front(), "Calculating");
    EXPECT_EQ(circuit.statuses[1], "Calculating Distances");
    EXPECT_EQ(circuit.statuses.back(), "Calculating Distances");
}

TEST(ReadAnalysisData, StraightLinesWhateverTheChoiceWhenTheRunAsksForThem)
{
    AnalysisInput input = exampleOverTheRiver(GeoDistanceKind::Circuit);
    input.geoDistances.file = "no-such-surface.asc";
    ReadingSteps steps;
    steps.straightLines = true;
    testing::RecordingListener listener;
    const AnalysisData data = ReadAnalysisData(input, listener, steps);
    EXPECT_EQ(data.geographic, BuildGeographicDistances(data.table, false));
    EXPECT_EQ(listener.statuses, std::vector<std::string>{"Reading"});

    // Without the step the surface is wanted, and its absence is a data problem.
    EXPECT_THROW(ReadAnalysisData(input, listener), DataProblem);
}

TEST(ReadAnalysisData, ACancelDuringTheSurfaceWorkStopsTheRun)
{
    class CancelAtSearches : public testing::RecordingListener {
    public:
        bool cancelled() const override { return !statuses.empty() && statuses.back() == "Least-cost paths"; }
    } listener;
    EXPECT_THROW(ReadAnalysisData(exampleOverTheRiver(GeoDistanceKind::LeastCost), listener), RunCancelled);
    EXPECT_EQ(listener.statuses.back(), "Least-cost paths") << "nothing after the cancelled step";
}

} // namespace
} // namespace tessaloc
