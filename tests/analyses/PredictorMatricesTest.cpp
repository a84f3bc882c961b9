// The matrices beside the genetic one that the matrix analyses take, their names and their checks.
#include "analyses/PredictorMatrices.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

const std::filesystem::path kExample = std::filesystem::path(TESSALOC_EXAMPLES_DIR) / "microsatellites";

GeoDistanceSettings choice(GeoDistanceKind kind, std::string file = {})
{
    GeoDistanceSettings settings;
    settings.kind = kind;
    settings.file = std::move(file);
    return settings;
}

TEST(PredictorNames, TheFilesNameOrTheKindsKeyword)
{
    EXPECT_EQ(predictorNames({choice(GeoDistanceKind::Straight),
                              choice(GeoDistanceKind::Matrix, (std::filesystem::path("data") / "habitat.csv").string()),
                              choice(GeoDistanceKind::LeastCost, "surface.tif")}),
              (std::vector<std::string>{"straight", "habitat.csv", "surface.tif"}));
}

TEST(PredictorNames, ChoicesThatWouldShareANameAreNamedByKindAndFile)
{
    EXPECT_EQ(predictorNames({choice(GeoDistanceKind::LeastCost, "surface.tif"),
                              choice(GeoDistanceKind::Circuit, "surface.tif"),
                              choice(GeoDistanceKind::Matrix, "habitat.csv")}),
              (std::vector<std::string>{"least-cost:surface.tif", "resistance:surface.tif", "habitat.csv"}));
}

TEST(RequireFileNamed, KindsThatReadAFileNeedOne)
{
    EXPECT_NO_THROW(requireFileNamed(choice(GeoDistanceKind::Straight), "X"));
    EXPECT_NO_THROW(requireFileNamed(choice(GeoDistanceKind::Matrix, "m.csv"), "X"));
    for (const GeoDistanceKind kind : {GeoDistanceKind::Matrix, GeoDistanceKind::LeastCost, GeoDistanceKind::Circuit}) {
        try {
            requireFileNamed(choice(kind), "Z");
            FAIL() << "no DataProblem";
        } catch (const DataProblem& problem) {
            EXPECT_EQ(std::string(problem.what()).rfind("No file is named for Z: ", 0), 0u) << problem.what();
        }
    }
}

TEST(RequireThreeObservations, TwoAreTooFew)
{
    EXPECT_THROW(requireThreeObservations(2), DataProblem);
    EXPECT_NO_THROW(requireThreeObservations(3));
}

TEST(RequireVaryingPairs, ZeroSumOfSquaresIsADataProblemNamingTheMatrix)
{
    EXPECT_NO_THROW(requireVaryingPairs(0.5, "X"));
    try {
        requireVaryingPairs(0.0, "Predictor \"habitat.csv\"");
        FAIL() << "no DataProblem";
    } catch (const DataProblem& problem) {
        EXPECT_EQ(std::string(problem.what()).rfind("Predictor \"habitat.csv\" is the same", 0), 0u) << problem.what();
    }
}

TEST(ReadPredictorData, BuildsEveryChoiceInOrderBesideTheGeneticDistances)
{
    AnalysisInput input;
    input.coordinatePath = (kExample / "coordinates.txt").string();
    input.genotypePath = (kExample / "genotypes.txt").string();
    const GeoDistanceSettings surface = choice(GeoDistanceKind::LeastCost, (kExample / "resistance.asc").string());
    testing::RecordingListener listener;
    const PredictorData data = ReadPredictorData(input, {choice(GeoDistanceKind::Straight), surface}, listener);
    ASSERT_EQ(data.predictors.size(), 2u);
    EXPECT_EQ(data.predictors[0].name, "straight");
    EXPECT_EQ(data.predictors[0].distances, BuildGeographicDistances(data.table, false));
    EXPECT_EQ(data.predictors[1].name, "resistance.asc");
    EXPECT_EQ(data.predictors[1].description, describeGeoDistances(surface));
    EXPECT_EQ(data.predictors[1].distances, PackedDistances(BuildGeographicDistances(data.table, false, surface)));
    EXPECT_EQ(data.genetic, BuildGeneticDistances(data.table, input.dataType));
    EXPECT_EQ(listener.statuses.front(), "Reading");
    EXPECT_EQ(listener.statuses.back(), "Calculating");
}

} // namespace
} // namespace tessaloc
