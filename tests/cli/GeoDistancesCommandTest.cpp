// The choice of geographic distances on the command line: its options, and what it changes (and
// leaves alone) in the reports of every analysis.
#include "cli/CommandLine.h"

#include "analyses/AnalysisInput.h"
#include "core/GeographicDistances.h"
#include "formats/OwnFormatReaders.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tessaloc::cli {
namespace {

namespace fs = std::filesystem;
using tessaloc::testing::readFile;
using tessaloc::testing::TempFolder;

const fs::path kExample = fs::path(TESSALOC_EXAMPLES_DIR) / "microsatellites";

const Subcommand& subcommand(const std::string& name)
{
    for (const Subcommand& command : subcommands()) {
        if (command.name == name)
            return command;
    }
    throw std::logic_error("no subcommand " + name);
}

Invocation parsed(std::vector<std::string> arguments)
{
    arguments.insert(arguments.end(), {"c.txt", "g.txt"});
    return parseInvocation(subcommand("mantel"), arguments);
}

std::string usageProblemOf(const std::vector<std::string>& arguments)
{
    try {
        parsed(arguments);
    } catch (const UsageError& error) {
        return error.what();
    }
    return "(no usage error)";
}

TEST(GeoDistanceOptions, StraightLinesByDefault)
{
    const GeoDistanceSettings settings = parsed({}).geoDistances;
    EXPECT_EQ(settings.kind, GeoDistanceKind::Straight);
    EXPECT_TRUE(settings.file.empty());
    EXPECT_EQ(settings.neighbours, 8);
    EXPECT_EQ(parsed({"--geo-distance", "straight"}).geoDistances.kind, GeoDistanceKind::Straight);
}

TEST(GeoDistanceOptions, EachKindWithItsFile)
{
    GeoDistanceSettings settings = parsed({"--geo-distance", "least-cost", "--resistance", "r.tif"}).geoDistances;
    EXPECT_EQ(settings.kind, GeoDistanceKind::LeastCost);
    EXPECT_EQ(settings.file, "r.tif");
    EXPECT_EQ(settings.neighbours, 8);

    settings = parsed({"--resistance=r.asc", "--neighbours", "4", "--geo-distance=resistance"}).geoDistances;
    EXPECT_EQ(settings.kind, GeoDistanceKind::Circuit);
    EXPECT_EQ(settings.file, "r.asc");
    EXPECT_EQ(settings.neighbours, 4);

    settings = parsed({"--geo-distance", "matrix", "--geo-matrix", "d.csv"}).geoDistances;
    EXPECT_EQ(settings.kind, GeoDistanceKind::Matrix);
    EXPECT_EQ(settings.file, "d.csv");

    // Every analysis takes the options, and hands them to its input.
    const Invocation invocation =
        parseInvocation(subcommand("sampleplot"), {"--geo-distance", "matrix", "--geo-matrix", "d.csv", "c.txt"});
    EXPECT_EQ(commonInput<AnalysisInput>(invocation).geoDistances.file, "d.csv");
}

TEST(GeoDistanceOptions, AMissingOrSuperfluousOptionIsAUsageError)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--geo-distance", "least-cost"}, "--geo-distance least-cost needs --resistance FILE"},
        {{"--geo-distance", "resistance", "--geo-matrix", "d.csv"},
         "--geo-distance resistance needs --resistance FILE"},
        {{"--geo-distance", "matrix"}, "--geo-distance matrix needs --geo-matrix FILE"},
        {{"--resistance", "r.tif"},
         "--resistance goes only with --geo-distance least-cost or resistance, not with "
         "straight"},
        {{"--geo-distance", "matrix", "--geo-matrix", "d.csv", "--resistance", "r.tif"},
         "--resistance goes only with --geo-distance least-cost or resistance, not with matrix"},
        {{"--geo-distance", "least-cost", "--resistance", "r.tif", "--geo-matrix", "d.csv"},
         "--geo-matrix goes only with --geo-distance matrix, not with least-cost"},
        {{"--neighbours", "4"},
         "--neighbours goes only with --geo-distance least-cost or resistance, not with straight"},
        {{"--geo-distance", "least-cost", "--resistance", "r.tif", "--neighbours", "6"},
         "--neighbours takes 4 or 8, not \"6\""},
        {{"--geo-distance", "circuit"},
         "--geo-distance takes straight, least-cost, resistance or matrix, not "
         "\"circuit\""},
    };
    for (const auto& [arguments, message] : cases)
        EXPECT_EQ(usageProblemOf(arguments), message) << arguments.back();
}

TEST(GeoDistanceOptions, NeighboursGoWithASurfaceNamedByTheMatrixAnalysesOwnOptions)
{
    const Invocation partial =
        parseInvocation(subcommand("partialmantel"),
                        {"--x", "least-cost:r.asc", "--z", "straight", "--neighbours", "4", "c.txt", "g.txt"});
    EXPECT_EQ(distanceChoiceValue(partial, "--x", "least-cost:r.asc").neighbours, 4);
    const Invocation regression =
        parseInvocation(subcommand("mmrr"), {"--predictor", "straight", "--predictor", "resistance:r.asc",
                                             "--neighbours", "4", "c.txt", "g.txt"});
    EXPECT_EQ(distanceChoiceValue(regression, "--predictor", "resistance:r.asc").neighbours, 4);
    try {
        parseInvocation(subcommand("mmrr"), {"--predictor", "straight", "--neighbours", "4", "c.txt", "g.txt"});
        ADD_FAILURE() << "--neighbours without any surface was accepted";
    } catch (const UsageError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "--neighbours goes only with --geo-distance least-cost or resistance, not with straight");
    }
}

TEST(GeoDistanceOptions, AUsageErrorExitsWith64AndWritesNothing)
{
    TempFolder output;
    std::ostringstream out, err;
    EXPECT_EQ(runCommandLine({"mantel", "--geo-distance", "least-cost", "--output-dir", output.path().string(),
                              (kExample / "coordinates.txt").string(), (kExample / "genotypes.txt").string()},
                             out, err),
              kExitUsageError);
    EXPECT_EQ(err.str().rfind("tessaloc-cli: --geo-distance least-cost needs --resistance FILE\nUsage: ", 0), 0u)
        << err.str();
    EXPECT_TRUE(testing::fileNamesIn(output.path()).empty());
}

struct Analysis {
    std::string name;
    std::vector<std::string> options;
    std::string report;
};

// The report `analysis` writes for the example with `geoOptions`, or the message it fails with.
std::string reportOf(const Analysis& analysis, const std::vector<std::string>& geoOptions)
{
    TempFolder output;
    std::vector<std::string> arguments = {analysis.name, "--seed", "7,11", "--output-dir", output.path().string()};
    arguments.insert(arguments.end(), analysis.options.begin(), analysis.options.end());
    arguments.insert(arguments.end(), geoOptions.begin(), geoOptions.end());
    arguments.push_back((kExample / "coordinates.txt").string());
    arguments.push_back((kExample / "genotypes.txt").string());
    std::ostringstream out, err;
    if (const int status = runCommandLine(arguments, out, err); status != kExitSuccess)
        return "exit status " + std::to_string(status) + ": " + err.str();
    return readFile(output.path() / analysis.report);
}

// `report` with `line` inserted after its "Genotype File: " line.
std::string withLineAfterTheFiles(std::string report, const std::string& line)
{
    const size_t genotypeLine = report.find("Genotype File: ");
    if (genotypeLine == std::string::npos)
        return "(no genotype file line)";
    report.insert(report.find("\r\n", genotypeLine) + 2, line + "\r\n");
    return report;
}

// The analyses whose reports rest on the chosen geographic distances, with the settings that use them.
const std::vector<Analysis> kChoiceUsers = {
    {"mantel", {"--permutations", "99"}, "IBDResults.txt"},
    {"autocorrelation", {"--permutations", "99"}, "SAA-Results.txt"},
    {"autocorrelation", {"--permutations", "99", "--equal-counts"}, "SAA-Results.txt"},
    {"landscape", {"--heights", "residual"}, "LandscapeShape.txt"},
    {"landscape", {"--heights", "residual", "--network", "pairwise"}, "LandscapeShape.txt"},
    {"monmonier", {"--distances", "residual", "--barriers", "2"}, "monmonierresults.txt"},
};

TEST(GeoDistanceChoice, AMatrixFileEqualToTheStraightLinesGivesTheSameReportsButForOneLine)
{
    // The straight-line matrix written with every digit, its rows and columns in an order of their own.
    SampleTable table;
    ReadCoordinates((kExample / "coordinates.txt").string(), table);
    const SquareMatrix straight = BuildGeographicDistances(table, false).square();
    TempFolder folder;
    const std::string file = folder.write("straight.csv", testing::matrixFileText(table.names, straight)).string();

    for (const Analysis& analysis : kChoiceUsers) {
        const std::string expected = reportOf(analysis, {});
        ASSERT_EQ(expected.find("Geographic Distances"), std::string::npos) << expected;
        EXPECT_EQ(reportOf(analysis, {"--geo-distance", "matrix", "--geo-matrix", file}),
                  withLineAfterTheFiles(expected, "Geographic Distances: the distance matrix file \"" + file + "\""))
            << analysis.name << " " << analysis.options.back();
    }
}

TEST(GeoDistanceChoice, SurfaceDistancesChangeTheReportsThatUseThem)
{
    const std::string surface = (kExample / "resistance.asc").string();
    for (const auto& [kind, description] :
         {std::pair{"least-cost", "least-cost paths over the resistance surface"},
          std::pair{"resistance", "circuit resistance over the resistance surface"}}) {
        for (const Analysis& analysis : kChoiceUsers) {
            const std::string report = reportOf(analysis, {"--geo-distance", kind, "--resistance", surface});
            const std::string line =
                "\r\nGeographic Distances: " + std::string(description) + " \"" + surface + "\" (8 neighbours)\r\n";
            const size_t at = report.find(line);
            ASSERT_NE(at, std::string::npos) << analysis.name << "\n" << report;
            EXPECT_EQ(report.rfind("\r\nGenotype File: ", at), report.find("\r\nGenotype File: ")) << report;
            // Take the line out, and the numbers still differ from those of straight lines.
            std::string rest = report;
            rest.erase(at, line.size() - 2);
            EXPECT_NE(rest, reportOf(analysis, {})) << analysis.name << " " << kind;
        }
    }
}

TEST(GeoDistanceChoice, GeometricAnalysesAndSettingsKeepTheStraightLines)
{
    // The aggregation index and the plot are geometric; the landscape's raw heights and pseudoslopes
    // and the barrier search's raw distances and pseudoslopes use no geographic distance matrix. None
    // of them reads the surface, which here does not even exist.
    const std::vector<Analysis> unchanged = {
        {"aggregation", {"--permutations", "99"}, "AAIA-Results.txt"},
        {"landscape", {"--heights", "raw"}, "LandscapeShape.txt"},
        {"landscape", {"--heights", "pseudoslope", "--network", "pairwise"}, "LandscapeShape.txt"},
        {"monmonier", {"--distances", "raw"}, "monmonierresults.txt"},
        {"monmonier", {"--distances", "pseudoslope"}, "monmonierresults.txt"},
    };
    for (const Analysis& analysis : unchanged) {
        const std::string expected = reportOf(analysis, {});
        ASSERT_FALSE(expected.starts_with("exit status")) << expected;
        EXPECT_EQ(reportOf(analysis, {"--geo-distance", "least-cost", "--resistance", "no-such-surface.asc"}), expected)
            << analysis.name << " " << analysis.options.back();
    }
}

TEST(GeoDistanceChoice, DistancesWritesTheChosenMatrix)
{
    TempFolder output;
    std::ostringstream out, err;
    ASSERT_EQ(runCommandLine({"distances", "--geo-distance", "resistance", "--neighbours", "4", "--resistance",
                              (kExample / "resistance.asc").string(), "--output-dir", output.path().string(),
                              (kExample / "coordinates.txt").string(), (kExample / "genotypes.txt").string()},
                             out, err),
              kExitSuccess)
        << err.str();
    const std::string written = readFile(output.path() / "GeographicDistances.csv");

    // The file read back as a matrix gives the same matrix again.
    TempFolder again;
    ASSERT_EQ(
        runCommandLine({"distances", "--geo-distance", "matrix", "--geo-matrix",
                        (output.path() / "GeographicDistances.csv").string(), "--output-dir", again.path().string(),
                        (kExample / "coordinates.txt").string(), (kExample / "genotypes.txt").string()},
                       out, err),
        kExitSuccess)
        << err.str();
    EXPECT_EQ(readFile(again.path() / "GeographicDistances.csv"), written);
    EXPECT_EQ(readFile(again.path() / "GeneticDistances.csv"), readFile(output.path() / "GeneticDistances.csv"));
}

TEST(GeoDistanceChoice, ASurfaceProblemLeavesNoReport)
{
    TempFolder folder;
    // The first cell, where the Ash and Birch observations lie, is impassable.
    const std::string surface =
        folder
            .write("hole.asc", "ncols 3\nnrows 1\nxllcorner -4\nyllcorner -4\ncellsize 20\nNODATA_value -1\n"
                               "-1 1 1\n")
            .string();
    std::ostringstream out, err;
    EXPECT_EQ(runCommandLine({"mantel", "--geo-distance", "least-cost", "--resistance", surface, "--output-dir",
                              folder.path().string(), (kExample / "coordinates.txt").string(),
                              (kExample / "genotypes.txt").string()},
                             out, err),
              kExitDataProblem);
    EXPECT_NE(err.str().find("observation 1 (\"Ash-01\")"), std::string::npos) << err.str();
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"hole.asc"});
}

} // namespace
} // namespace tessaloc::cli
