#include "cli/CommandLine.h"

#include "core/Errors.h"
#include "core/ReportWriter.h"
#include "tests/support/NumberedNames.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tessaloc::cli {
namespace {

namespace fs = std::filesystem;
using tessaloc::testing::fileNamesIn;
using tessaloc::testing::readFile;
using tessaloc::testing::TempFolder;

const fs::path kExamples = TESSALOC_EXAMPLES_DIR;

// A batch run started as its own process, its output streams going to files.
class BatchProcess {
public:
    BatchProcess(const std::vector<std::string>& arguments, const fs::path& outputs)
        : m_out(outputs.string() + ".out")
        , m_err(outputs.string() + ".err")
    {
        std::vector<std::string> all = {TESSALOC_CLI};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int failed = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0)
            throw std::runtime_error("cannot start " + all[0]);
    }

    /// Waits for the end of the run and returns its exit status.
    int wait()
    {
        int status = 0;
        waitpid(m_pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string err() const { return readFile(m_err); }

private:
    pid_t m_pid = -1;
    fs::path m_out;
    fs::path m_err;
};

// Coordinates of `count` observations on a grid, and genotypes of data type 2 that differ with
// `variant`, so that runs on different variants write different reports.
void writeData(const TempFolder& folder, int count, int variant)
{
    std::string coordinates;
    std::string genotypes = "3\n";
    for (int k = 0; k < count; ++k) {
        coordinates += "o" + std::to_string(k) + "," + std::to_string(k % 20) + "," + std::to_string(k / 20) + "\n";
        genotypes += "o" + std::to_string(k);
        for (int locus = 0; locus < 3; ++locus)
            genotypes += ',' + std::string(1, static_cast<char>('A' + (k * (locus + 2)) % (variant + 3)));
        genotypes += "\n";
    }
    folder.write("coordinates.txt", coordinates + ";\n");
    folder.write("genotypes" + std::to_string(variant) + ".txt", genotypes);
}

std::vector<std::string> mantelArguments(const TempFolder& data, int variant, const fs::path& output)
{
    return {"mantel",
            "--type",
            "2",
            "--seed",
            std::to_string(variant) + ",7",
            "--permutations",
            "9",
            "--output-dir",
            output.string(),
            (data.path() / "coordinates.txt").string(),
            (data.path() / ("genotypes" + std::to_string(variant) + ".txt")).string()};
}

std::vector<std::string> distancesArguments(const TempFolder& data, int variant, const fs::path& output)
{
    return {"distances",
            "--type",
            "2",
            "--output-dir",
            output.string(),
            (data.path() / "coordinates.txt").string(),
            (data.path() / ("genotypes" + std::to_string(variant) + ".txt")).string()};
}

TEST(TwoRunsIntoOneFolder, EachLeavesAWholeReportAndTheLastRenameWins)
{
    // Reports of some megabytes, so that the two writes overlap.
    TempFolder data;
    writeData(data, 400, 1);
    writeData(data, 400, 2);
    std::map<int, std::string> alone;
    for (const int variant : {1, 2}) {
        const fs::path folder = data.path() / ("alone" + std::to_string(variant));
        fs::create_directory(folder);
        ASSERT_EQ(BatchProcess(mantelArguments(data, variant, folder), folder).wait(), 0);
        alone[variant] = readFile(folder / "IBDResults.txt");
    }
    ASSERT_TRUE(alone[1] != alone[2]);
    ASSERT_GT(alone[1].size(), 1000000u);

    for (int round = 0; round < 3; ++round) {
        const fs::path shared = data.path() / ("shared" + std::to_string(round));
        fs::create_directory(shared);
        BatchProcess first(mantelArguments(data, 1, shared), data.path() / "first");
        BatchProcess second(mantelArguments(data, 2, shared), data.path() / "second");
        EXPECT_EQ(first.wait(), 0) << first.err();
        EXPECT_EQ(second.wait(), 0) << second.err();
        EXPECT_EQ(fileNamesIn(shared), std::vector<std::string>{"IBDResults.txt"});
        const std::string report = readFile(shared / "IBDResults.txt");
        EXPECT_TRUE(report == alone[1] || report == alone[2]) << "round " << round << ": a report of neither run";
    }
}

TEST(TwoRunsIntoOneFolder, DistancesLeaveAMatchingPairOrSaySo)
{
    TempFolder data;
    writeData(data, 400, 1);
    writeData(data, 400, 2);
    std::map<int, std::pair<std::string, std::string>> alone;
    for (const int variant : {1, 2}) {
        const fs::path folder = data.path() / ("alone" + std::to_string(variant));
        fs::create_directory(folder);
        ASSERT_EQ(BatchProcess(distancesArguments(data, variant, folder), folder).wait(), 0);
        alone[variant] = {readFile(folder / "GeneticDistances.csv"), readFile(folder / "GeographicDistances.csv")};
    }
    ASSERT_TRUE(alone[1].first != alone[2].first);

    for (int round = 0; round < 4; ++round) {
        const fs::path shared = data.path() / ("shared" + std::to_string(round));
        fs::create_directory(shared);
        BatchProcess first(distancesArguments(data, 1, shared), data.path() / "first");
        BatchProcess second(distancesArguments(data, 2, shared), data.path() / "second");
        const int firstExit = first.wait();
        const int secondExit = second.wait();
        EXPECT_EQ(fileNamesIn(shared), (std::vector<std::string>{"GeneticDistances.csv", "GeographicDistances.csv"}));
        const std::string genetic = readFile(shared / "GeneticDistances.csv");
        const std::string geographic = readFile(shared / "GeographicDistances.csv");
        // Each file is whole: one run's or the other's. The geographic matrices of both runs are the
        // same, so only the genetic one tells the runs apart.
        EXPECT_TRUE(genetic == alone[1].first || genetic == alone[2].first) << "round " << round;
        EXPECT_TRUE(geographic == alone[1].second) << "round " << round;
        for (const auto& [exit, process] : {std::pair{firstExit, &first}, std::pair{secondExit, &second}}) {
            EXPECT_TRUE(exit == 0 || exit == 1) << process->err();
            if (exit == 1) {
                EXPECT_NE(process->err().find("may not belong together"), std::string::npos) << process->err();
            }
        }
    }
}

TEST(TwoRunsIntoOneFolder, DistancesOfDifferentDataNeverMixWithoutAWord)
{
    // Here the geographic matrices differ too: the second run has observations in another order.
    TempFolder data;
    writeData(data, 300, 1);
    TempFolder other;
    const fs::path otherData = other.path();
    std::string coordinates;
    std::string genotypes = "1\n";
    for (int k = 0; k < 300; ++k) {
        coordinates += testing::numberedName("p", k) + "," + std::to_string(k) + ",0\n";
        genotypes += testing::numberedName("p", k) + "," + std::string(1, static_cast<char>('A' + k % 3)) + "\n";
    }
    other.write("coordinates.txt", coordinates + ";\n");
    other.write("genotypes1.txt", genotypes);

    auto arguments = [&](const fs::path& dataFolder, const fs::path& output) {
        return std::vector<std::string>{"distances",
                                        "--type",
                                        "2",
                                        "--output-dir",
                                        output.string(),
                                        (dataFolder / "coordinates.txt").string(),
                                        (dataFolder / "genotypes1.txt").string()};
    };
    std::map<std::string, std::string> owner; // file content -> which run wrote it
    for (const auto& [name, dataFolder] : {std::pair{"first", data.path()}, std::pair{"second", otherData}}) {
        const fs::path folder = data.path() / (std::string("alone-") + name);
        fs::create_directory(folder);
        ASSERT_EQ(BatchProcess(arguments(dataFolder, folder), folder).wait(), 0);
        owner[readFile(folder / "GeneticDistances.csv")] = name;
        owner[readFile(folder / "GeographicDistances.csv")] = name;
    }

    for (int round = 0; round < 4; ++round) {
        const fs::path shared = data.path() / ("shared" + std::to_string(round));
        fs::create_directory(shared);
        BatchProcess first(arguments(data.path(), shared), data.path() / "first");
        BatchProcess second(arguments(otherData, shared), data.path() / "second");
        const int firstExit = first.wait();
        const int secondExit = second.wait();
        const auto genetic = owner.find(readFile(shared / "GeneticDistances.csv"));
        const auto geographic = owner.find(readFile(shared / "GeographicDistances.csv"));
        ASSERT_NE(genetic, owner.end()) << "a torn genetic matrix";
        ASSERT_NE(geographic, owner.end()) << "a torn geographic matrix";
        if (genetic->second != geographic->second) {
            EXPECT_TRUE(firstExit == 1 || secondExit == 1) << "files of two runs, and neither run said so";
        }
    }
}

TEST(PlantedSymlink, AtTheOldTemporaryNameIsNotFollowed)
{
    TempFolder folder;
    const fs::path victim = folder.write("victim.txt", "precious");
    const fs::path output = folder.path() / "out";
    fs::create_directory(output);
    fs::create_symlink(victim, output / "IBDResults.txt.part");
    std::ostringstream out, err;
    const int exit = runCommandLine({"mantel", "--seed", "1,1", "--permutations", "9", "--output-dir", output.string(),
                                     (kExamples / "microsatellites" / "coordinates.txt").string(),
                                     (kExamples / "microsatellites" / "genotypes.txt").string()},
                                    out, err);
    EXPECT_EQ(exit, 0) << err.str();
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(output / "IBDResults.txt.part"));
    EXPECT_NE(readFile(output / "IBDResults.txt").find("Results of Mantel Test"), std::string::npos);
}

// Starts a child that writes a report, stops half way and waits; then sends it `signal`.
// Returns how the child ended, as a wait status.
int interruptReportWrite(const fs::path& folder, int signal)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        installReportCleanupOnSignals();
        try {
            writeReportFile(folder, "IBDResults.txt", [&](ReportWriter& out) {
                for (int line = 0; line < 100000; ++line)
                    out.line("a line of a long report");
                const char byte = 'w';
                if (write(ready[1], &byte, 1) != 1)
                    _exit(3);
                for (;;)
                    pause();
            });
        } catch (...) {
        }
        _exit(4);
    }
    close(ready[1]);
    char byte = 0;
    const bool writing = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (writing) {
        // The report is half written: its temporary file is there and the report is not.
        const std::vector<std::string> names = fileNamesIn(folder);
        EXPECT_EQ(names.size(), 1u);
        if (!names.empty()) {
            EXPECT_TRUE(names[0].ends_with(".part")) << names[0];
        }
    }
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

TEST(SignalDuringAReportWrite, RemovesTheTemporaryFileAndEndsOfTheSignal)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        TempFolder folder;
        const int status = interruptReportWrite(folder.path(), signal);
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signal << ", status " << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_TRUE(fileNamesIn(folder.path()).empty()) << "signal " << signal;
    }
}

TEST(SignalBetweenTheRenamesOfDistances, WaitsUntilEveryFileIsInPlace)
{
    // A signal between the two renames of `distances` left the new genetic matrix beside the old
    // geographic one and removed the second link kept to the old genetic file. Here the signal
    // arrives as the renames begin: the set goes in place whole, then the run ends of the signal.
    for (const int signal : {SIGTERM, SIGINT}) {
        TempFolder folder;
        folder.write("GeneticDistances.csv", "old genetic");
        folder.write("GeographicDistances.csv", "old geographic");
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(ready[0]);
            installReportCleanupOnSignals();
            {
                const SignalsWaitForRenames renaming;
                raise(signal);
                writeReportFiles(folder.path(),
                                 {{"GeneticDistances.csv", [](ReportWriter& out) { out.line("new genetic"); }},
                                  {"GeographicDistances.csv", [](ReportWriter& out) { out.line("new geographic"); }}});
                const char byte = 'w';
                if (write(ready[1], &byte, 1) != 1)
                    _exit(3);
            }
            _exit(4); // the signal should have ended the child when the renaming was over
        }
        close(ready[1]);
        char byte = 0;
        EXPECT_EQ(read(ready[0], &byte, 1), 1) << "the signal did not wait for the renames";
        close(ready[0]);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signal << ", status " << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(fileNamesIn(folder.path()),
                  (std::vector<std::string>{"GeneticDistances.csv", "GeographicDistances.csv"}));
        EXPECT_EQ(readFile(folder.path() / "GeneticDistances.csv"), "new genetic\r\n");
        EXPECT_EQ(readFile(folder.path() / "GeographicDistances.csv"), "new geographic\r\n");
    }
}

TEST(ReportBeyondTheFileSizeLimit, SaysItCannotWriteTheReportAndLeavesNoTemporaryFile)
{
    // Under `ulimit -f` the run died of SIGXFSZ (status 153, no message) and left its .part file.
    TempFolder data;
    writeData(data, 400, 1);
    const fs::path output = data.path() / "out";
    fs::create_directory(output);
    const fs::path errors = data.path() / "err.txt";
    const pid_t child = fork();
    if (child == 0) {
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nothing = open("/dev/null", O_WRONLY);
        if (err < 0 || nothing < 0 || dup2(err, STDERR_FILENO) < 0 || dup2(nothing, STDOUT_FILENO) < 0)
            _exit(126);
        // A report of over a megabyte against a limit of 64 KiB.
        const rlimit limit{64 * 1024, 64 * 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(126);
        std::vector<std::string> arguments = mantelArguments(data, 1, output);
        arguments.insert(arguments.begin(), TESSALOC_CLI);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended of signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), kExitAnalysisError);
    EXPECT_NE(readFile(errors).find("cannot write the report \"" + (output / "IBDResults.txt").string() +
                                    "\": " + std::strerror(EFBIG)),
              std::string::npos)
        << readFile(errors);
    EXPECT_TRUE(fileNamesIn(output).empty());
}

TEST(SeedOption, RefusesSeedsThatLeaveTheGeneratorConstant)
{
    for (const char* seed : {"0,0", "2147483563,2147483399", "0,2147483399", "2147483563,0", "0,5", "5,0",
                             "2147483563,5", "5,2147483399", "-1,5"}) {
        std::ostringstream out, err;
        const int exit = runCommandLine({"mantel", "--seed", seed, "c.txt", "g.txt"}, out, err);
        EXPECT_EQ(exit, kExitUsageError) << seed;
        EXPECT_NE(err.str().find("S1 a whole number from 1 to 2147483562 and S2 from 1 to 2147483398"),
                  std::string::npos)
            << err.str();
    }
    const Subcommand* mantel = nullptr;
    for (const Subcommand& command : subcommands())
        mantel = command.name == "mantel" ? &command : mantel;
    ASSERT_NE(mantel, nullptr);
    const Invocation edges = parseInvocation(*mantel, {"--seed", "2147483562,2147483398", "c.txt", "g.txt"});
    EXPECT_EQ(edges.seed, std::make_pair(std::int64_t{2147483562}, std::int64_t{2147483398}));
}

TEST(EmptyCoordinateList, GivesTheSameReasonInEveryAnalysis)
{
    TempFolder folder;
    // Not named coordinates.txt, which `convert` would write into the same folder.
    const fs::path coordinates = folder.write("empty-coordinates.txt", "\n;\n");
    const fs::path genotypes = kExamples / "microsatellites" / "genotypes.txt";
    // The options an analysis cannot run without (the distances the partial Mantel test holds
    // constant, the current map's surface and map file); a missing one is a usage error before any
    // file is read.
    const std::map<std::string, std::vector<std::string>> needed = {
        {"partialmantel", {"--z", "straight"}},
        {"currentmap",
         {"--resistance", (kExamples / "microsatellites" / "resistance.asc").string(), "--output",
          (folder.path() / "map.tif").string()}}};
    for (const Subcommand& command : subcommands()) {
        if (!command.readsSampleFiles)
            continue; // the surface tool reads layers, not a coordinate list
        std::vector<std::string> arguments = {command.name, "--seed", "1,1", "--output-dir", folder.path().string()};
        if (const auto own = needed.find(command.name); own != needed.end())
            arguments.insert(arguments.end(), own->second.begin(), own->second.end());
        arguments.push_back(coordinates.string());
        if (command.needsGenotypes)
            arguments.push_back(genotypes.string());
        std::ostringstream out, err;
        EXPECT_EQ(runCommandLine(arguments, out, err), kExitAnalysisError) << command.name;
        EXPECT_EQ(err.str(), std::string(kGeneralErrorMessage) + "\nthe coordinate file lists no observation\n")
            << command.name;
        EXPECT_EQ(out.str(), "") << command.name;
    }
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{"empty-coordinates.txt"});
}

TEST(ConvertIntoAFolderWhereTheSecondFileCannotGo, KeepsTheUsersOldFirstFile)
{
    // coordinates.txt replaced the user's old file before a folder named genotypes.txt stopped the
    // second rename; taking the new coordinates.txt away again lost the old one.
    TempFolder folder;
    const fs::path output = folder.path() / "out";
    fs::create_directories(output / "genotypes.txt");
    folder.write("out/coordinates.txt", "the user's own file");
    std::ostringstream out, err;
    EXPECT_EQ(
        runCommandLine({"convert", (kExamples / "microsatellites" / "coordinates.txt").string(),
                        (kExamples / "microsatellites" / "genotypes.txt").string(), "--output-dir", output.string()},
                       out, err),
        kExitAnalysisError);
    EXPECT_NE(err.str().find("genotypes.txt\": Is a directory"), std::string::npos) << err.str();
    EXPECT_EQ(fileNamesIn(output), (std::vector<std::string>{"coordinates.txt", "genotypes.txt"}));
    EXPECT_EQ(readFile(output / "coordinates.txt"), "the user's own file");
}

} // namespace
} // namespace tessaloc::cli
