#pragma once

#include "core/Errors.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "formats/GenotypeFormats.h"
#include "resistance/GeoDistances.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaloc::cli {

/// Exit status of tessaloc-cli.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitDataProblem = 1,
    kExitAnalysisError = 2,
    kExitUsageError = 64,
};

/// A command line that does not say what to run.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What the value of an option names, for the check that no file a run writes replaces one it
/// reads or writes (requireOutputsApart).
enum class OptionFile {
    None,
    Read,           ///< a file the run reads ("--geo-matrix FILE")
    DistanceChoice, ///< KIND[:FILE] (distanceChoiceValue): a file the run reads after the colon
    Written,        ///< a file the run writes besides its reports ("--support FILE")
};

/// An option of one subcommand: a flag when `valueName` is empty, otherwise it takes a value. An
/// option that is not repeatable may be given once.
struct OptionSpec {
    std::string name;      ///< with the dashes: "--permutations"
    std::string valueName; ///< "N", or empty for a flag
    std::string help;
    bool repeatable = false; ///< may be given several times; every value is kept, in order
    OptionFile file = OptionFile::None;
    /// For a Written file, how the refusal of a clashing name calls it ("the support table").
    std::string fileWhat = {};
};

/// The parsed command line of one run.
struct Invocation {
    DataType dataType = DataType::Codominant;
    bool useLatLong = false;
    GenotypeFormat genotypeFormat = GenotypeFormat::Detect;
    SampleMatching sampleMatching = SampleMatching::ByName;
    /// --geo-distance with its --resistance or --geo-matrix file and --neighbours.
    GeoDistanceSettings geoDistances;
    std::optional<std::pair<std::int64_t, std::int64_t>> seed;
    std::filesystem::path outputDirectory = ".";
    /// The threads of the run (--threads); 0 for one per core.
    int threads = 0;
    std::string coordinatePath;
    std::string genotypePath;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;
    std::map<std::string, std::vector<std::string>> repeatedValues;

    bool flag(const std::string& name) const { return flags.count(name) != 0; }
    /// The option's value as a whole number, or `fallback` when it was not given. Throws UsageError
    /// when it is not a whole number in [minimum, maximum].
    long long integerValue(const std::string& name, long long fallback, long long minimum, long long maximum) const;
    /// The option's value as a number, or `fallback`. Throws UsageError when it is not a number.
    double numberValue(const std::string& name, double fallback) const;
    /// The option's value, or `fallback`.
    std::string textValue(const std::string& name, const std::string& fallback) const;
    /// Every value of a repeatable option, in the order given (none when it was not given).
    std::vector<std::string> textValues(const std::string& name) const;
    /// The generator for this run: the states of --seed, or the clock seeding of the front ends.
    RandomUniform generator(SeedSource& seeds) const;
};

/// An analysis's input with the two files and the common options of the command line filled in.
template <typename Input> Input commonInput(const Invocation& invocation)
{
    Input input;
    input.coordinatePath = invocation.coordinatePath;
    input.genotypePath = invocation.genotypePath;
    input.dataType = invocation.dataType;
    input.useLatLong = invocation.useLatLong;
    input.genotypeFormat = invocation.genotypeFormat;
    input.sampleMatching = invocation.sampleMatching;
    input.geoDistances = invocation.geoDistances;
    return input;
}

/// The value of an option that names one of a few choices ("--network delaunay"), or the value of
/// `fallback` when the option is absent. Throws UsageError naming the choices for any other text.
template <typename T>
T choiceValue(const Invocation& invocation, const std::string& name, const std::string& fallback,
              std::initializer_list<std::pair<std::string_view, T>> choices)
{
    const std::string text = invocation.textValue(name, fallback);
    std::string names;
    size_t index = 0;
    for (const auto& [choice, value] : choices) {
        if (choice == text)
            return value;
        names += (index == 0 ? "" : index + 1 == choices.size() ? " or " : ", ") + std::string(choice);
        ++index;
    }
    throw UsageError(name + " takes " + names + ", not " + quotedField(text));
}

/// The distances an option such as --x names as KIND[:FILE]: `straight`, `least-cost:FILE` or
/// `resistance:FILE` (a resistance surface), `matrix:FILE` (a distance matrix file). The cells a step
/// on a surface reaches and the run's threads come from the common options. Throws UsageError for
/// any other kind, a file after `straight` or none after the other kinds.
GeoDistanceSettings distanceChoiceValue(const Invocation& invocation, const std::string& option,
                                        const std::string& text);

/// The --permutations option of the permutation tests: a count from 0 to the largest 32-bit one,
/// 1000 when absent; a negative count is a usage error that states the range.
inline long long permutationsOption(const Invocation& invocation)
{
    return invocation.integerValue("--permutations", 1000, 0, 2147483647LL);
}

/// The --shuffle option of the permutation tests, as their help lists it.
inline OptionSpec shuffleOptionEntry()
{
    return {"--shuffle", "exchanges|uniform|complete",
            "how replicates rearrange the observations: N exchanges each, continuing from the last "
            "(default), independent uniform shuffles, or every arrangement once for an exact test (at most 9 "
            "observations; --permutations is then ignored)"};
}

/// The permutation scheme of --shuffle: the one named, the exchanges when it is absent.
inline PermutationScheme shuffleOption(const Invocation& invocation)
{
    return choiceValue<PermutationScheme>(invocation, "--shuffle", "exchanges",
                                          {{"exchanges", PermutationScheme::Exchanges},
                                           {"uniform", PermutationScheme::Uniform},
                                           {"complete", PermutationScheme::Complete}});
}

/// What a subcommand produced: the files it wrote, and text for standard output (lines ending LF),
/// printed only when the run got as far as returning. `problems` holds messages of parts of the run
/// that failed while the rest was written (one per line); they go to standard error and the exit
/// status is then 1.
struct CommandResult {
    std::vector<std::filesystem::path> written;
    std::string text;
    /// Text for standard output printed after the lines naming the reports (other files written).
    std::string afterReports;
    std::string problems;
    /// The seed the run started its generator from, when it came from the clock and the run drew
    /// numbers from it (standard error says so, for repeating the run with --seed).
    std::optional<std::pair<std::int64_t, std::int64_t>> clockSeed;
};

/// One analysis of the batch front end.
struct Subcommand {
    std::string name;
    std::string summary;
    std::vector<OptionSpec> options;
    bool needsGenotypes = true;
    /// The files it writes into the output folder (none: it writes no report there).
    std::vector<std::string> reportFiles;
    /// False for a tool that reads no coordinate or genotype file (`surface`): it takes no file names,
    /// and of the common options only --output-dir and --threads.
    bool readsSampleFiles = true;
    /// Runs over a resistance surface of its own: --resistance FILE is needed and goes, with
    /// --neighbours, without --geo-distance (which it does not take); the geographic distance
    /// settings then name circuit resistance over that surface.
    bool takesSurface = false;
    /// Runs the analysis. Throws DataProblem, AnalysisError or UsageError; never prints.
    std::function<CommandResult(const Invocation&, RunListener&, SeedSource&)> run;
};

/// The options every subcommand takes, in the order the help lists them.
const std::vector<OptionSpec>& commonOptions();

/// All subcommands, in the order the help lists them.
const std::vector<Subcommand>& subcommands();

/// The subcommands that are no analysis: the distance matrices, the conversion of files and the
/// building of a resistance surface from GIS layers.
Subcommand distancesCommand();
Subcommand convertCommand();
Subcommand surfaceCommand();

/// Parses `arguments` (without the program name) for `command`. Throws UsageError, also for an
/// option that is not repeatable given twice.
Invocation parseInvocation(const Subcommand& command, const std::vector<std::string>& arguments);

/// Makes SIGINT, SIGTERM and SIGHUP remove the temporary file of any report being written before the
/// program ends of the signal as it would have without the handler; one that arrives while a set of
/// files is being renamed into place ends it once they are all in place or all taken back
/// (deferSignalDuringRenames). A signal the program was started to ignore stays ignored. SIGXFSZ is
/// ignored, so that a report beyond a file-size limit (`ulimit -f`) fails to write with EFBIG and
/// the run says so and removes its temporary file instead of dying of it. The batch program calls
/// it once, first thing.
void installReportCleanupOnSignals();

/// The whole batch program: parses, runs, reports on `out` and `err`, and returns the exit status.
int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace tessaloc::cli
