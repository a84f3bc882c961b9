#include "analyses/Analysis.h"
#include "analyses/AnalysisList.h"

#include "core/Errors.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

MantelInput microsatellites()
{
    const std::filesystem::path folder = std::filesystem::path(TESSALOC_EXAMPLES_DIR) / "microsatellites";
    MantelInput input;
    input.coordinatePath = (folder / "coordinates.txt").string();
    input.genotypePath = (folder / "genotypes.txt").string();
    input.settings.permutations.count = 19;
    return input;
}

TEST(RunAnalysis, WritesTheReportIntoTheFolderAndReturnsItsPath)
{
    const testing::TempFolder folder;
    RandomUniform random(11, 22);
    const AnalysisOutcome<MantelAnalysis> outcome =
        runAnalysis<MantelAnalysis>(microsatellites(), random, RunListener::none(), folder.path());
    EXPECT_EQ(outcome.report, folder.path() / "IBDResults.txt");
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"IBDResults.txt"});

    // The same run without the definition: the engine, then the report writer.
    RandomUniform again(11, 22);
    const MantelResult expected = RunMantel(microsatellites(), again, RunListener::none());
    EXPECT_EQ(testing::readFile(outcome.report), MantelReport(expected));
    EXPECT_EQ(outcome.result.z, expected.z);
    EXPECT_EQ(random.state1(), again.state1()) << "both drew the same numbers";
}

TEST(RunAnalysis, ACancelledRunEndsWithoutAReport)
{
    const testing::TempFolder folder;
    testing::RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    RandomUniform random(11, 22);
    EXPECT_THROW(runAnalysis<MantelAnalysis>(microsatellites(), random, listener, folder.path()), RunCancelled);
    EXPECT_TRUE(testing::fileNamesIn(folder.path()).empty());
}

TEST(RunAnalysis, AnAnalysisWithoutAReportFileWritesNothing)
{
    const testing::TempFolder folder;
    SamplePlotInput input;
    input.coordinatePath = microsatellites().coordinatePath;
    RandomUniform random(11, 22);
    const AnalysisOutcome<SamplePlotAnalysis> outcome =
        runAnalysis<SamplePlotAnalysis>(input, random, RunListener::none(), folder.path());
    EXPECT_TRUE(outcome.report.empty());
    EXPECT_TRUE(testing::fileNamesIn(folder.path()).empty());
    EXPECT_EQ(outcome.result.PlotX.size(), 30u);
}

TEST(AnalysisList, EveryAnalysisOnceInTheProgramsOrderWithItsReport)
{
    // The order of the window's analysis list: the six of the first design with the report names the
    // program has always written, then those added since.
    std::vector<std::string> names, reports;
    std::vector<bool> readsGenotypes;
    forEachAnalysis([&]<typename Analysis>() {
        names.emplace_back(Analysis::kName);
        reports.emplace_back(Analysis::kReportFileName);
        readsGenotypes.push_back(Analysis::kReadsGenotypes);
    });
    EXPECT_EQ(names, (std::vector<std::string>{"mantel", "autocorrelation", "aggregation", "landscape", "monmonier",
                                               "sampleplot", "partialmantel", "mmrr", "mlpe", "models", "kinship",
                                               "currentmap"}));
    EXPECT_EQ(reports, (std::vector<std::string>{
                           "IBDResults.txt", "SAA-Results.txt", "AAIA-Results.txt", "LandscapeShape.txt",
                           "monmonierresults.txt", "", "PartialMantel-Results.txt", "MMRR-Results.txt",
                           "MLPE-Results.txt", "Models-Results.txt", "Kinship-Results.txt", "CurrentMap-Results.txt"}));
    EXPECT_EQ(readsGenotypes,
              (std::vector<bool>{true, true, true, true, true, false, true, true, true, true, true, false}));
}

} // namespace
} // namespace tessaloc
