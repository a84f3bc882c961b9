#include "cli/OutputFiles.h"
#include "cli/CommandLine.h"

#include "core/Errors.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tessaloc::cli {
namespace {

namespace fs = std::filesystem;
using tessaloc::testing::fileNamesIn;
using tessaloc::testing::readFile;
using tessaloc::testing::TempFolder;

const fs::path kExamples = TESSALOC_EXAMPLES_DIR;
const std::string kCoordinates = (kExamples / "microsatellites" / "coordinates.txt").string();
const std::string kGenotypes = (kExamples / "microsatellites" / "genotypes.txt").string();

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// The files of one run that must stay apart: a folder `data` with an input the run reads (its
// content never changes), a folder `out` for the reports, and `data/link` leading to `data`.
struct RunFolders {
    TempFolder folder;
    fs::path data = folder.path() / "data";
    fs::path out = folder.path() / "out";
    RunFolders()
    {
        fs::create_directories(data / "sub");
        fs::create_directories(out);
        fs::create_directory_symlink(data, folder.path() / "link");
    }
    // An input with recognisable content; the check refuses the run before anything reads it, so
    // it need not be a raster or a matrix.
    std::string input(const fs::path& path) const
    {
        std::ofstream(path) << "the user's own data";
        return path.string();
    }
};

TEST(OutputReplacingAnInput, IsRefusedBeforeAnythingIsReadWhateverTheSpelling)
{
    // Before, --intervals, --support and --grid-file were compared with the report and the two data
    // files only, and by name: each replaced a --resistance surface or a --geo-matrix with status 0,
    // and `distances --geo-matrix GeographicDistances.csv` replaced its own input.
    const struct Case {
        std::string name;
        std::vector<std::string> arguments; // {INPUT} and {OUT} stand for the input and the output folder
        std::string input;                  // relative to the data folder, or "out/..." for the output folder
        std::string message;                // its first line, {INPUT} as above
    } cases[] = {
        {"distances replacing its own --geo-matrix",
         {"distances", "--geo-distance", "matrix", "--geo-matrix", "{INPUT}"},
         "out/GeographicDistances.csv",
         "the report GeographicDistances.csv names the --geo-matrix file \"{INPUT}\"; write the reports into "
         "another folder with --output-dir"},
        {"--intervals naming the --resistance surface",
         {"autocorrelation", "--geo-distance", "least-cost", "--resistance", "{INPUT}", "--intervals",
          "{DATA}/./surface.asc"},
         "surface.asc",
         "--intervals \"{DATA}/./surface.asc\" names the --resistance file \"{INPUT}\"; give the class table a "
         "name of its own"},
        {"--support naming the --geo-matrix through a folder and back",
         {"monmonier", "--bootstrap", "2", "--geo-distance", "matrix", "--geo-matrix", "{INPUT}", "--support",
          "{DATA}/sub/../m.csv"},
         "m.csv",
         "--support \"{DATA}/sub/../m.csv\" names the --geo-matrix file \"{INPUT}\"; give the support table a name "
         "of its own"},
        {"--grid-file naming the surface through a linked folder",
         {"landscape", "--grid", "3,3,1", "--geo-distance", "resistance", "--resistance", "{INPUT}", "--grid-file",
          "{LINK}/surface.asc"},
         "surface.asc",
         "--grid-file \"{LINK}/surface.asc\" names the --resistance file \"{INPUT}\"; give the grid file a name of "
         "its own"},
        {"partialmantel's report replacing its --z matrix",
         {"partialmantel", "--z", "matrix:{INPUT}"},
         "out/PartialMantel-Results.txt",
         "the report PartialMantel-Results.txt names the --z file \"{INPUT}\"; write the reports into another "
         "folder with --output-dir"},
        {"mmrr's report replacing a --predictor surface",
         {"mmrr", "--predictor", "straight", "--predictor", "least-cost:{INPUT}"},
         "out/MMRR-Results.txt",
         "the report MMRR-Results.txt names the --predictor file \"{INPUT}\"; write the reports into another folder "
         "with --output-dir"},
    };
    for (const Case& c : cases) {
        RunFolders folders;
        const fs::path inputPath =
            c.input.starts_with("out/") ? folders.out / c.input.substr(4) : folders.data / c.input;
        const std::string input = folders.input(inputPath);
        const auto expand = [&](std::string text) {
            for (const auto& [key, value] : {std::pair<std::string, std::string>{"{INPUT}", input},
                                             {"{DATA}", folders.data.string()},
                                             {"{LINK}", (folders.folder.path() / "link").string()},
                                             {"{OUT}", folders.out.string()}}) {
                for (size_t at = text.find(key); at != std::string::npos; at = text.find(key))
                    text.replace(at, key.size(), value);
            }
            return text;
        };
        std::vector<std::string> arguments;
        for (const std::string& argument : c.arguments)
            arguments.push_back(expand(argument));
        arguments.insert(arguments.end(), {"--output-dir", folders.out.string(), kCoordinates, kGenotypes});
        const std::vector<std::string> before = fileNamesIn(folders.out);

        const CliRun result = runCli(arguments);
        EXPECT_EQ(result.exit, kExitUsageError) << c.name << "\n" << result.err;
        EXPECT_EQ(firstLine(result.err), "tessaloc-cli: " + expand(c.message)) << c.name;
        EXPECT_EQ(readFile(input), "the user's own data") << c.name;
        EXPECT_EQ(fileNamesIn(folders.out), before) << c.name;
    }
}

TEST(OutputReplacingAnInput, AHardLinkToAnInputIsTheSameFile)
{
    RunFolders folders;
    const std::string input = folders.input(folders.data / "m.csv");
    fs::create_hard_link(input, folders.out / "IBDResults.txt");
    const CliRun result = runCli({"mantel", "--geo-distance", "matrix", "--geo-matrix", input, "--output-dir",
                                  folders.out.string(), kCoordinates, kGenotypes});
    EXPECT_EQ(result.exit, kExitUsageError) << result.err;
    EXPECT_EQ(firstLine(result.err), "tessaloc-cli: the report IBDResults.txt names the --geo-matrix file \"" + input +
                                         "\"; write the reports into another folder with --output-dir");
    EXPECT_EQ(readFile(input), "the user's own data");
}

TEST(OutputReplacingAnInput, FilesWrittenAndReadAreListedForTheOneCheck)
{
    // What the check compares, for an analysis that reads a surface and a matrix and writes a table.
    const Subcommand* autocorrelation = nullptr;
    for (const Subcommand& command : subcommands())
        autocorrelation = command.name == "autocorrelation" ? &command : autocorrelation;
    ASSERT_NE(autocorrelation, nullptr);
    const Invocation invocation =
        parseInvocation(*autocorrelation, {"--geo-distance", "resistance", "--resistance", "r.asc", "--intervals",
                                           "t.csv", "--output-dir", "out", "c.txt", "g.txt"});
    std::vector<std::string> read, written;
    for (const RunFile& file : filesRead(*autocorrelation, invocation))
        read.push_back(file.path.string() + " = " + file.label);
    for (const RunFile& file : filesWritten(*autocorrelation, invocation))
        written.push_back(file.path.string() + " = " + file.label);
    EXPECT_EQ(read, (std::vector<std::string>{"c.txt = the coordinate file", "g.txt = the genotype file",
                                              "r.asc = the --resistance file \"r.asc\""}));
    EXPECT_EQ(written, (std::vector<std::string>{"out/SAA-Results.txt = the report SAA-Results.txt",
                                                 "t.csv = --intervals \"t.csv\""}));
}

TEST(BadOutputFolder, IsAUsageErrorBeforeAnyWork)
{
    // Before, a missing or unusable --output-dir was found only when the report was written, after
    // the whole analysis, with status 2 and the general message. The coordinate file here does not
    // exist either: the folder is checked before any file is opened.
    TempFolder folder;
    const fs::path file = folder.write("a-file", "not a folder");
    const struct {
        fs::path outputDirectory;
        std::string reason;
    } cases[] = {
        {folder.path() / "no" / "such" / "folder", ": there is no such folder"},
        {file, " is a file, not a folder"},
    };
    for (const auto& c : cases) {
        for (const std::string analysis : {"distances", "mantel", "convert"}) {
            const CliRun result = runCli({analysis, "--output-dir", c.outputDirectory.string(),
                                          (folder.path() / "absent.txt").string(), kGenotypes});
            EXPECT_EQ(result.exit, kExitUsageError) << analysis << "\n" << result.err;
            EXPECT_EQ(firstLine(result.err),
                      "tessaloc-cli: --output-dir \"" + c.outputDirectory.string() + "\"" + c.reason)
                << analysis;
        }
    }
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{"a-file"});
}

TEST(BadOutputFolder, ThatCannotBeWrittenToIsAUsageError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "run as root, which may write into any folder";
    TempFolder folder;
    const fs::path locked = folder.path() / "locked";
    fs::create_directory(locked);
    ::chmod(locked.c_str(), 0500);
    const CliRun result = runCli({"mantel", "--output-dir", locked.string(), kCoordinates, kGenotypes});
    ::chmod(locked.c_str(), 0700);
    EXPECT_EQ(result.exit, kExitUsageError) << result.err;
    EXPECT_EQ(firstLine(result.err), "tessaloc-cli: --output-dir \"" + locked.string() +
                                         "\": this folder cannot be written to (Permission denied)");
}

TEST(BadOutputFolder, DoesNotConcernACommandThatWritesNoReport)
{
    TempFolder folder;
    const CliRun result = runCli({"sampleplot", "--output-dir", (folder.path() / "absent").string(), kCoordinates});
    EXPECT_EQ(result.exit, kExitSuccess) << result.err;
}

TEST(ControlCharactersInMessages, AreEscapedOnTheTerminalWhateverMadeTheMessage)
{
    // mmrr quoted a predictor's file name raw, and the "there is no folder" message of the extra
    // outputs its file and folder, while partialmantel escaped the same names.
    TempFolder folder;
    const std::string coordinates = folder.write("c.txt", "a,0,0\nb,1,0\nc,0,1\nd,1,1\ne,2,2\n;\n").string();
    const std::string genotypes = folder.write("g.txt", "1\na,A\nb,B\nc,A\nd,B\ne,A\n").string();
    const std::string constant = folder
                                     .write("same\x1b[31m.csv", ",a,b,c,d,e\na,0,1,1,1,1\nb,1,0,1,1,1\nc,1,1,0,1,1\n"
                                                                "d,1,1,1,0,1\ne,1,1,1,1,0\n")
                                     .string();
    const std::string noFolder = (folder.path() / "gone\x07" / "t\x1b.csv").string();
    const struct {
        std::vector<std::string> arguments;
        std::string shown; // a part of the message, as the terminal must show it
    } cases[] = {
        {{"mmrr", "--type", "2", "--seed", "1,1", "--predictor", "matrix:" + constant},
         "The predictor \"same\\x1b[31m.csv\" is the same for every pair"},
        {{"autocorrelation", "--type", "2", "--seed", "1,1", "--classes", "2", "--bootstrap", "0", "--intervals",
          noFolder},
         "there is no folder \"" + (folder.path() / "gone\\x07").string() + "\""},
        {{"landscape", "--type", "2", "--grid", "3,3,1", "--grid-file", noFolder},
         "cannot write the grid file \"" + (folder.path() / "gone\\x07" / "t\\x1b.csv").string() + "\""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--output-dir", folder.path().string(), coordinates, genotypes});
        const CliRun result = runCli(arguments);
        EXPECT_NE(result.exit, kExitSuccess) << c.arguments[0];
        EXPECT_NE(result.err.find(c.shown), std::string::npos) << c.arguments[0] << "\n" << result.err;
        EXPECT_EQ(result.err.find('\x1b'), std::string::npos) << c.arguments[0];
        EXPECT_EQ(result.err.find('\x07'), std::string::npos) << c.arguments[0];
        EXPECT_EQ(result.out.find('\x1b'), std::string::npos) << c.arguments[0];
    }
}

TEST(RepeatedOption, IsAUsageErrorUnlessTheOptionIsRepeatable)
{
    // Before, the last value silently won: "--permutations 10 --permutations 20" ran 20.
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } refused[] = {
        {{"mantel", "--permutations", "10", "--permutations", "20"},
         "--permutations is given twice (\"10\" and \"20\"); give it once"},
        {{"mantel", "--seed", "1,1", "--seed=2,2"}, "--seed is given twice (\"1,1\" and \"2,2\"); give it once"},
        {{"distances", "--output-dir", "a", "--output-dir", "b"},
         "--output-dir is given twice (\"a\" and \"b\"); give it once"},
        {{"partialmantel", "--z", "straight", "--z", "straight"},
         "--z is given twice (\"straight\" and \"straight\"); give it once"},
    };
    for (const auto& c : refused) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"c.txt", "g.txt"});
        const CliRun result = runCli(arguments);
        EXPECT_EQ(result.exit, kExitUsageError) << c.message;
        EXPECT_EQ(firstLine(result.err), "tessaloc-cli: " + c.message);
    }

    // Repeatable options keep every value, and a flag given twice is still the flag.
    for (const Subcommand& command : subcommands()) {
        if (command.name == "landscape") {
            const Invocation grids = parseInvocation(
                command, {"--grid", "3,3,1", "--grid", "4,4,2", "--log-heights", "--log-heights", "c.txt", "g.txt"});
            EXPECT_EQ(grids.textValues("--grid"), (std::vector<std::string>{"3,3,1", "4,4,2"}));
            EXPECT_TRUE(grids.flag("--log-heights"));
        }
    }
}

} // namespace
} // namespace tessaloc::cli
