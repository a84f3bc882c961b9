#include "cli/CommandLine.h"
#include "cli/RunProcesses.h"

#include "analyses/AnalysisInput.h"
#include "core/AlleleSharingSums.h"
#include "core/Errors.h"
#include "core/ThreadCount.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace tessaloc::cli {
namespace {

using tessaloc::testing::TempFolder;

const std::filesystem::path kExamples = TESSALOC_EXAMPLES_DIR;

CliRun run(const std::vector<std::string>& arguments)
{
    return runCli(arguments);
}

const Subcommand& distances()
{
    for (const Subcommand& command : subcommands()) {
        if (command.name == "distances")
            return command;
    }
    throw std::logic_error("no distances subcommand");
}

TEST(ParseInvocation, CommonOptionsAnywhereOnTheLine)
{
    const Invocation invocation = parseInvocation(
        distances(), {"c.txt", "--type", "3", "--latlong", "g.txt", "--seed=12,34", "--output-dir", "out"});
    EXPECT_EQ(invocation.dataType, DataType::Sequences);
    EXPECT_TRUE(invocation.useLatLong);
    ASSERT_TRUE(invocation.seed.has_value());
    EXPECT_EQ(invocation.seed->first, 12);
    EXPECT_EQ(invocation.seed->second, 34);
    EXPECT_EQ(invocation.outputDirectory, "out");
    EXPECT_EQ(invocation.coordinatePath, "c.txt");
    EXPECT_EQ(invocation.genotypePath, "g.txt");

    SeedSource seeds;
    RandomUniform seeded = invocation.generator(seeds);
    RandomUniform expected(12, 34);
    EXPECT_EQ(seeded.next(), expected.next());
}

TEST(ParseInvocation, DefaultsAreDataTypeOneAndTheCurrentFolder)
{
    const Invocation invocation = parseInvocation(distances(), {"c.txt", "g.txt"});
    EXPECT_EQ(invocation.dataType, DataType::Codominant);
    EXPECT_FALSE(invocation.useLatLong);
    EXPECT_FALSE(invocation.seed.has_value());
    EXPECT_EQ(invocation.outputDirectory, ".");
}

TEST(ParseInvocation, RejectsWhatItCannotRun)
{
    const std::vector<std::vector<std::string>> bad = {
        {"c.txt"},
        {"c.txt", "g.txt", "extra.txt"},
        {"c.txt", "g.txt", "--type", "4"},
        {"c.txt", "g.txt", "--type"},
        {"c.txt", "g.txt", "--seed", "1"},
        {"c.txt", "g.txt", "--seed", "-1,5"},
        {"c.txt", "g.txt", "--seed", "1,2147483648"},
        {"c.txt", "g.txt", "--seed", "1.5,2"},
        {"c.txt", "g.txt", "--latlong=yes"},
        {"c.txt", "g.txt", "--permutations", "10"},
    };
    for (const auto& arguments : bad)
        EXPECT_THROW(parseInvocation(distances(), arguments), UsageError) << arguments.back();
}

TEST(ParseInvocation, RepeatableOptionsKeepEveryValueInOrder)
{
    Subcommand command = distances();
    command.options = {{"--grid", "NX,NY,P", "", true}, {"--classes", "K", ""}};
    const Invocation invocation =
        parseInvocation(command, {"c.txt", "--grid", "1,2,3", "g.txt", "--grid=4,5,6", "--classes", "3"});
    EXPECT_EQ(invocation.textValues("--grid"), (std::vector<std::string>{"1,2,3", "4,5,6"}));
    EXPECT_TRUE(invocation.textValues("--absent").empty());
    EXPECT_EQ(invocation.integerValue("--classes", 10, 1, 100), 3);
    // An option that is not repeatable is given once: a second value would silently replace the first.
    EXPECT_THROW(parseInvocation(command, {"c.txt", "g.txt", "--classes", "3", "--classes", "7"}), UsageError);
}

TEST(ParseInvocation, MatchPairsByNameUnlessOrderIsAskedFor)
{
    EXPECT_EQ(parseInvocation(distances(), {"c.txt", "g.txt"}).sampleMatching, SampleMatching::ByName);
    EXPECT_EQ(parseInvocation(distances(), {"c.txt", "g.txt", "--match", "name"}).sampleMatching,
              SampleMatching::ByName);
    const Invocation byOrder = parseInvocation(distances(), {"--match=order", "c.txt", "g.txt"});
    EXPECT_EQ(byOrder.sampleMatching, SampleMatching::ByOrder);
    EXPECT_EQ(commonInput<AnalysisInput>(byOrder).sampleMatching, SampleMatching::ByOrder);
    try {
        parseInvocation(distances(), {"c.txt", "g.txt", "--match", "Order"});
        ADD_FAILURE() << "no usage error";
    } catch (const UsageError& error) {
        EXPECT_EQ(std::string(error.what()), "--match takes name or order, not \"Order\"");
    }
    // Every subcommand that reads sample files takes it, the conversion too.
    for (const Subcommand& command : subcommands()) {
        if (!command.readsSampleFiles)
            continue;
        EXPECT_NE(run({command.name, "--help"}).out.find("--match name|order"), std::string::npos) << command.name;
    }
}

TEST(ParseInvocation, ThreadsAreOnePerCoreUnlessACountIsGiven)
{
    EXPECT_EQ(parseInvocation(distances(), {"c.txt", "g.txt"}).threads, 0);
    EXPECT_EQ(parseInvocation(distances(), {"c.txt", "--threads", "3", "g.txt"}).threads, 3);
    EXPECT_EQ(parseInvocation(distances(), {"c.txt", "g.txt", "--threads=1"}).threads, 1);
    for (const char* bad : {"0", "-2", "1.5", "two", "4097", ""}) {
        try {
            parseInvocation(distances(), {"c.txt", "g.txt", "--threads", bad});
            ADD_FAILURE() << "no usage error for " << bad;
        } catch (const UsageError& error) {
            EXPECT_EQ(std::string(error.what()),
                      std::string("--threads takes a whole number from 1 to 4096, not \"") + bad + "\"");
        }
    }
}

TEST(RunCommandLine, ThreadsChangeNeitherTheReportNorTheThreadsOfLaterRuns)
{
    const int before = defaultThreadCount();
    std::string first;
    for (const char* threads : {"", "1", "3"}) {
        TempFolder folder;
        std::vector<std::string> arguments = {"mantel",
                                              (kExamples / "microsatellites" / "coordinates.txt").string(),
                                              (kExamples / "microsatellites" / "genotypes.txt").string(),
                                              "--permutations",
                                              "999",
                                              "--seed",
                                              "12,34",
                                              "--output-dir",
                                              folder.path().string()};
        if (*threads != '\0') {
            arguments.push_back("--threads");
            arguments.push_back(threads);
        }
        const CliRun result = run(arguments);
        ASSERT_EQ(result.exit, kExitSuccess) << result.err;
        const std::string report = testing::readFile(folder.path() / "IBDResults.txt");
        if (first.empty())
            first = report;
        EXPECT_EQ(report, first) << "--threads " << threads;
        EXPECT_EQ(defaultThreadCount(), before) << "after --threads " << threads;
    }
}

TEST(LaunchedProcesses, CountsTheProcessesOfOpenMpiOrAPmiLauncherWhenThereAreSeveral)
{
    struct Case {
        const char* variable;
        const char* value;
        std::optional<long long> processes;
    };
    for (const Case& c : {Case{"OMPI_COMM_WORLD_SIZE", "3", 3}, Case{"PMI_SIZE", "16", 16},
                          Case{"OMPI_COMM_WORLD_SIZE", "1", std::nullopt}, Case{"PMI_SIZE", "three", std::nullopt},
                          Case{"PMI_SIZE", "4x", std::nullopt}}) {
        ASSERT_EQ(setenv(c.variable, c.value, 1), 0);
        const std::optional<long long> processes = launchedProcesses();
        unsetenv(c.variable);
        EXPECT_EQ(processes, c.processes) << c.variable << "=" << c.value;
    }
    EXPECT_EQ(launchedProcesses(), std::nullopt);
}

TEST(RunCommandLine, StartedByAnMpiLauncherSaysTheRunIsNotShared)
{
    // A build with MPI joins the launcher's processes instead (tested under mpirun).
    if (sharesRunsBetweenProcesses())
        GTEST_SKIP() << "built with MPI";
    const std::vector<std::string> arguments = {
        "distances", (kExamples / "microsatellites" / "coordinates.txt").string(),
        (kExamples / "microsatellites" / "genotypes.txt").string(), "--output-dir"};
    const std::string expected = "tessaloc-cli: started as one of 3 processes, but this build does not share a run "
                                 "between processes (it was built without MPI): each process runs the whole "
                                 "analysis\n";
    struct Case {
        const char* variable;
        const char* value;
        bool says;
    };
    for (const Case& c : {Case{"OMPI_COMM_WORLD_SIZE", "3", true}, Case{"PMI_SIZE", "3", true},
                          Case{"OMPI_COMM_WORLD_SIZE", "1", false}, Case{"PMI_SIZE", "three", false}}) {
        TempFolder folder;
        std::vector<std::string> line = arguments;
        line.push_back(folder.path().string());
        ASSERT_EQ(setenv(c.variable, c.value, 1), 0);
        const CliRun result = run(line);
        unsetenv(c.variable);
        EXPECT_EQ(result.exit, kExitSuccess) << result.err;
        EXPECT_EQ(result.err, c.says ? expected : "") << c.variable << "=" << c.value;
    }
}

TEST(RunCommandLine, UsageErrorsExitWith64)
{
    EXPECT_EQ(run({}).exit, kExitUsageError);
    EXPECT_EQ(run({"nonsense", "a", "b"}).exit, kExitUsageError);
    const CliRun wrong = run({"distances", "only-one.txt"});
    EXPECT_EQ(wrong.exit, kExitUsageError);
    EXPECT_NE(wrong.err.find("Usage: tessaloc-cli distances"), std::string::npos) << wrong.err;
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.exit, kExitSuccess);
    EXPECT_NE(help.out.find("distances"), std::string::npos);
    EXPECT_EQ(run({"distances", "--help"}).exit, kExitSuccess);
}

TEST(RunCommandLine, VersionNamesTheDistanceKernelInUse)
{
    const CliRun version = run({"--version"});
    EXPECT_EQ(version.exit, kExitSuccess);
    EXPECT_EQ(version.out.rfind("tessaloc-cli ", 0), 0u) << version.out;
    const std::string kernelLine =
        "\ndistance kernel: " + std::string(distanceKernelName(chosenDistanceKernel())) + " (this processor:";
    EXPECT_NE(version.out.find(kernelLine), std::string::npos) << version.out;
    EXPECT_TRUE(version.err.empty());
}

TEST(RunCommandLine, NegativePermutationsAreAUsageErrorStatingTheAcceptedRange)
{
    for (const char* analysis : {"mantel", "autocorrelation", "aggregation"}) {
        TempFolder folder;
        const CliRun result = run({analysis, "--permutations", "-5", "--output-dir", folder.path().string(),
                                   (kExamples / "microsatellites" / "coordinates.txt").string(),
                                   (kExamples / "microsatellites" / "genotypes.txt").string()});
        EXPECT_EQ(result.exit, kExitUsageError) << analysis;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')),
                  "tessaloc-cli: --permutations takes a whole number from 0 to 2147483647, not \"-5\"")
            << analysis;
        EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << analysis;
    }
}

TEST(RunCommandLine, BootstrapReplicatesOutsideTheirRangeAreAUsageErrorStatingIt)
{
    for (const char* replicates : {"-1", "100001", "many"}) {
        TempFolder folder;
        const CliRun result = run({"monmonier", "--bootstrap", replicates, "--output-dir", folder.path().string(),
                                   (kExamples / "microsatellites" / "coordinates.txt").string(),
                                   (kExamples / "microsatellites" / "genotypes.txt").string()});
        EXPECT_EQ(result.exit, kExitUsageError) << replicates;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')),
                  "tessaloc-cli: --bootstrap takes a whole number from 0 to 100000, not \"" + std::string(replicates) +
                      "\"");
        EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << replicates;
    }
}

TEST(RunCommandLine, ASupportTableThatCannotBeWrittenLeavesTheReportAndExitsWith1)
{
    TempFolder folder;
    const std::string table = (folder.path() / "no such folder" / "support.csv").string();
    const CliRun result = run({"monmonier", "--bootstrap", "3", "--support", table, "--seed", "1,1", "--output-dir",
                               folder.path().string(), (kExamples / "microsatellites" / "coordinates.txt").string(),
                               (kExamples / "microsatellites" / "genotypes.txt").string()});
    EXPECT_EQ(result.exit, kExitDataProblem);
    EXPECT_NE(result.err.find("No support table was written: cannot write the support table \"" + table + "\""),
              std::string::npos)
        << result.err;
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"monmonierresults.txt"});
}

TEST(RunCommandLine, GridFileThatNamesTheReportOrAnInputFileIsAUsageError)
{
    // Written after the report, the grid replaced it ("Report written to ./LandscapeShape.txt", status 0).
    TempFolder folder;
    const std::filesystem::path output = folder.path() / "out";
    std::filesystem::create_directories(output / "sub");
    const auto coordinates = folder.write("coordinates.txt", "a,0,0\nb,1,0\nc,0,1\nd,1,1\n;\n");
    const auto genotypes = folder.write("genotypes.txt", "1\na,A\nb,B\nc,A\nd,B\n");
    const struct {
        std::string gridFile;
        std::string names;
    } cases[] = {
        {(output / "LandscapeShape.txt").string(), "the report LandscapeShape.txt"},
        {(output / "sub" / ".." / "LandscapeShape.txt").string(), "the report LandscapeShape.txt"},
        {coordinates.string(), "the coordinate file"},
        {(folder.path() / "." / "genotypes.txt").string(), "the genotype file"},
    };
    for (const auto& c : cases) {
        const CliRun result = run({"landscape", "--type", "2", "--grid", "3,3,1", "--grid-file", c.gridFile,
                                   "--output-dir", output.string(), coordinates.string(), genotypes.string()});
        EXPECT_EQ(result.exit, kExitUsageError) << c.gridFile;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "tessaloc-cli: --grid-file \"" + c.gridFile +
                                                                   "\" names " + c.names +
                                                                   "; give the grid file a name of its own")
            << c.gridFile;
        EXPECT_EQ(testing::fileNamesIn(output), std::vector<std::string>{"sub"}) << c.gridFile;
    }
    EXPECT_EQ(testing::readFile(coordinates), "a,0,0\nb,1,0\nc,0,1\nd,1,1\n;\n");
    EXPECT_EQ(testing::readFile(genotypes), "1\na,A\nb,B\nc,A\nd,B\n");
}

TEST(RunCommandLine, DistancesRunOnEveryExample)
{
    struct Example {
        const char* folder;
        const char* type;
        bool latLong;
    };
    for (const Example& example : {Example{"microsatellites", "1", false}, Example{"haplotypes-latlong", "2", true},
                                   Example{"sequences", "3", false}}) {
        TempFolder folder;
        std::vector<std::string> arguments = {"distances",
                                              (kExamples / example.folder / "coordinates.txt").string(),
                                              (kExamples / example.folder / "genotypes.txt").string(),
                                              "--type",
                                              example.type,
                                              "--output-dir",
                                              folder.path().string()};
        if (example.latLong)
            arguments.push_back("--latlong");
        const CliRun result = run(arguments);
        EXPECT_EQ(result.exit, kExitSuccess) << example.folder << ": " << result.err;
        for (const char* name : {"GeneticDistances.csv", "GeographicDistances.csv"}) {
            const std::string csv = testing::readFile(folder.path() / name);
            EXPECT_FALSE(csv.empty()) << example.folder << " " << name;
            EXPECT_NE(result.out.find(name), std::string::npos);
        }
    }
}

TEST(RunCommandLine, MissingFileIsTheGeneralErrorWithItsReason)
{
    TempFolder folder;
    const CliRun result =
        run({"distances", (folder.path() / "absent.txt").string(),
             (kExamples / "microsatellites" / "genotypes.txt").string(), "--output-dir", folder.path().string()});
    EXPECT_EQ(result.exit, kExitAnalysisError);
    EXPECT_EQ(result.err.substr(0, kGeneralErrorMessage.size()), kGeneralErrorMessage);
    EXPECT_NE(result.err.find("absent.txt"), std::string::npos) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(RunCommandLine, DataProblemsExitWithOneAndWriteNothing)
{
    TempFolder folder;
    const auto coordinates = folder.write("c.txt", "A,0,0\nB,1,1\n;\n");
    const auto noSeparator = folder.write("g1.txt", "1\nA,12\\14\nB,12\n");
    const auto noCommonLoci = folder.write("g2.txt", "1\nA,0\\0\nB,12\\14\n");
    const auto out = folder.path() / "out";
    std::filesystem::create_directory(out);

    const CliRun separator =
        run({"distances", coordinates.string(), noSeparator.string(), "--output-dir", out.string()});
    EXPECT_EQ(separator.exit, kExitDataProblem);
    EXPECT_EQ(separator.err.substr(0, separator.err.find('\n')), kMissingSeparatorMessage);

    const CliRun common = run({"distances", coordinates.string(), noCommonLoci.string(), "--output-dir", out.string()});
    EXPECT_EQ(common.exit, kExitDataProblem);
    EXPECT_NE(common.err.find("observations  1 and  2"), std::string::npos) << common.err;
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST(RunCommandLine, MissingOutputFolderIsAUsageErrorNamingIt)
{
    // Found before any work, not once the analysis is done (see OutputFilesTest.cpp).
    TempFolder folder;
    const std::string missing = (folder.path() / "no" / "such" / "folder").string();
    const CliRun result =
        run({"distances", (kExamples / "sequences" / "coordinates.txt").string(),
             (kExamples / "sequences" / "genotypes.txt").string(), "--type", "3", "--output-dir", missing});
    EXPECT_EQ(result.exit, kExitUsageError);
    EXPECT_EQ(result.err.substr(0, result.err.find('\n')),
              "tessaloc-cli: --output-dir \"" + missing + "\": there is no such folder");
}

std::vector<std::string> microsatellites(std::vector<std::string> arguments)
{
    arguments.push_back((kExamples / "microsatellites" / "coordinates.txt").string());
    arguments.push_back((kExamples / "microsatellites" / "genotypes.txt").string());
    return arguments;
}

TEST(RunCommandLine, AClockSeedThatWasDrawnFromIsPrintedAndRepeatsTheRun)
{
    TempFolder first;
    const CliRun clock =
        run(microsatellites({"mantel", "--permutations", "99", "--output-dir", first.path().string()}));
    ASSERT_EQ(clock.exit, kExitSuccess) << clock.err;
    ASSERT_TRUE(clock.err.starts_with("Seed: ")) << clock.err;
    ASSERT_EQ(clock.err.back(), '\n');
    EXPECT_EQ(clock.err.find('\n'), clock.err.size() - 1) << "one line";
    const std::string seed = clock.err.substr(6, clock.err.size() - 7);

    TempFolder second;
    const CliRun again = run(
        microsatellites({"mantel", "--permutations", "99", "--seed", seed, "--output-dir", second.path().string()}));
    ASSERT_EQ(again.exit, kExitSuccess) << again.err;
    EXPECT_EQ(again.err, "") << "no seed line with --seed";
    EXPECT_EQ(testing::readFile(second.path() / "IBDResults.txt"), testing::readFile(first.path() / "IBDResults.txt"));
}

TEST(RunCommandLine, ARunThatDrawsNothingPrintsNoSeed)
{
    // No permutations, no resamples: the generator is not used and its seed is of no interest.
    TempFolder folder;
    const CliRun result = run({"mantel", "--type", "3", "--permutations", "0", "--output-dir", folder.path().string(),
                               (kExamples / "sequences" / "coordinates.txt").string(),
                               (kExamples / "sequences" / "genotypes.txt").string()});
    EXPECT_EQ(result.exit, kExitSuccess) << result.err;
    EXPECT_EQ(result.err, "");
}

TEST(RunCommandLine, BootstrapCountsOutOfRangeOrWithoutTheClassTableAreUsageErrors)
{
    const struct {
        std::vector<std::string> options;
        std::string message;
    } cases[] = {
        {{"--bootstrap", "-1", "--intervals", "t.csv"},
         "tessaloc-cli: --bootstrap takes a whole number from 0 to 100000, not \"-1\""},
        {{"--bootstrap", "100001", "--intervals", "t.csv"},
         "tessaloc-cli: --bootstrap takes a whole number from 0 to 100000, not \"100001\""},
        {{"--bootstrap", "20"},
         "tessaloc-cli: --bootstrap sets the resamples of the class table's intervals; give --intervals FILE too"},
        {{"--intervals", ""}, "tessaloc-cli: --intervals needs a file name"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        std::vector<std::string> arguments = {"autocorrelation", "--output-dir", folder.path().string()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliRun result = run(microsatellites(arguments));
        EXPECT_EQ(result.exit, kExitUsageError) << c.message;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), c.message);
        EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << c.message;
    }
}

TEST(RunCommandLine, ClassTableThatNamesTheReportOrAnInputFileIsAUsageError)
{
    TempFolder folder;
    const std::string report = (folder.path() / "SAA-Results.txt").string();
    const std::string coordinates = (kExamples / "microsatellites" / "coordinates.txt").string();
    for (const auto& [file, names] : {std::pair{report, std::string("the report SAA-Results.txt")},
                                      std::pair{coordinates, std::string("the coordinate file")}}) {
        const CliRun result =
            run(microsatellites({"autocorrelation", "--intervals", file, "--output-dir", folder.path().string()}));
        EXPECT_EQ(result.exit, kExitUsageError) << file;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "tessaloc-cli: --intervals \"" + file + "\" names " +
                                                                   names + "; give the class table a name of its own");
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(RunCommandLine, TheClassTableFollowsTheReportAndLeavesItUnchanged)
{
    TempFolder plain;
    ASSERT_EQ(run(microsatellites({"autocorrelation", "--seed", "8,9", "--output-dir", plain.path().string()})).exit,
              kExitSuccess);
    TempFolder withTable;
    const std::string table = (withTable.path() / "classes.csv").string();
    const CliRun result = run(microsatellites({"autocorrelation", "--seed", "8,9", "--bootstrap", "30", "--intervals",
                                               table, "--output-dir", withTable.path().string()}));
    ASSERT_EQ(result.exit, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, "Report written to " + (withTable.path() / "SAA-Results.txt").string() +
                              "\nClass table written to " + table + "\n");
    EXPECT_EQ(testing::readFile(withTable.path() / "SAA-Results.txt"),
              testing::readFile(plain.path() / "SAA-Results.txt"));
    const std::string csv = testing::readFile(table);
    EXPECT_TRUE(csv.starts_with("class,lower,upper,pairs,ay,p_upper,p_lower,p_two_sided,p_holm,envelope_low,"
                                "envelope_high,ci_low,ci_high,mantel_r,mantel_p,mantel_p_holm,note\r\n"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 11) << "the head line and ten classes";

    // A folder that does not exist costs the report nothing.
    TempFolder missing;
    const std::string nowhere = (missing.path() / "no" / "classes.csv").string();
    const CliRun failed = run(microsatellites(
        {"autocorrelation", "--seed", "8,9", "--intervals", nowhere, "--output-dir", missing.path().string()}));
    EXPECT_EQ(failed.exit, kExitDataProblem);
    EXPECT_NE(failed.err.find("No class table was written: cannot write the class table"), std::string::npos)
        << failed.err;
    EXPECT_EQ(testing::readFile(missing.path() / "SAA-Results.txt"),
              testing::readFile(plain.path() / "SAA-Results.txt"));
}

} // namespace
} // namespace tessaloc::cli
