#include "cli/CommandLine.h"

#include "cli/OutputFiles.h"
#include "cli/RunProcesses.h"

#include "core/AlleleSharingSums.h"
#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/ReportWriter.h"
#include "core/ThreadCount.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <tuple>
#include <unistd.h>

namespace tessaloc::cli {
namespace {

// More threads than this would only cost memory: no machine has that many cores.
constexpr long long kMostThreads = 4096;

} // namespace

const std::vector<OptionSpec>& commonOptions()
{
    static const std::vector<OptionSpec> options = {
        {"--type", "1|2|3",
         "data type: 1 codominant alleles \"a\\b\", 2 haploid/dominant markers or whole genotypes, "
         "3 DNA/protein sequences (default 1)"},
        {"--latlong", "", "X is longitude and Y latitude in decimal degrees"},
        {"--genotype-format", "own|vcf|genepop|genalex",
         "layout of the genotype file (default: recognised from its content); all but own are matched with "
         "the coordinates by sample name"},
        {"--match", "name|order",
         "how the samples of a vcf, genepop or genalex file pair with the observations of the coordinate file: by "
         "sample name (default), or the k-th with the k-th, for files whose names repeat; own always pairs by "
         "order"},
        {"--geo-distance", "straight|least-cost|resistance|matrix",
         "geographic distances of mantel, autocorrelation, the residual heights of landscape, the residual "
         "distances of monmonier and distances: straight lines (default; great-circle km with --latlong), "
         "least-cost paths or circuit resistance over the surface of --resistance, or the matrix of "
         "--geo-matrix; aggregation and sampleplot keep straight lines"},
        {"--resistance", "FILE",
         "resistance surface for least-cost and resistance: a raster GDAL reads (GeoTIFF, ESRI ASCII grid, ...), "
         "band 1, resistances above 0, no-data cells impassable",
         false, OptionFile::Read},
        {"--geo-matrix", "FILE", "distance matrix for matrix: CSV with the names in the first row and the first column",
         false, OptionFile::Read},
        {"--neighbours", "4|8", "cells a step on the resistance surface reaches: 4, or 8 with the diagonals (default)"},
        {"--seed", "S1,S2", "start the random generator at these two whole numbers instead of the clock"},
        {"--output-dir", "DIR", "folder the report is written to (default: the current folder)"},
        {"--threads", "N", "threads the analysis may use (default: one per core); the results do not depend on it"},
    };
    return options;
}

namespace {

// The common options that a tool reading no sample files takes.
const std::vector<OptionSpec>& toolOptions()
{
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> kept;
        for (const OptionSpec& option : commonOptions()) {
            if (option.name == "--output-dir" || option.name == "--threads")
                kept.push_back(option);
        }
        return kept;
    }();
    return options;
}

const std::vector<OptionSpec>& commonOptionsOf(const Subcommand& command)
{
    return command.readsSampleFiles ? commonOptions() : toolOptions();
}

const OptionSpec* findOption(const std::vector<OptionSpec>& options, const std::string& name)
{
    for (const OptionSpec& option : options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

std::optional<GenotypeFormat> genotypeFormatOf(const std::string& text)
{
    for (const GenotypeFormat format :
         {GenotypeFormat::Own, GenotypeFormat::Vcf, GenotypeFormat::Genepop, GenotypeFormat::Genalex}) {
        if (text == genotypeFormatName(format))
            return format;
    }
    return std::nullopt;
}

std::optional<long long> parseWholeNumber(const std::string& text)
{
    const auto value = parseDecimal(text);
    if (!value || *value != std::floor(*value) || std::abs(*value) > 9e15)
        return std::nullopt;
    return static_cast<long long>(*value);
}

// The choice of geographic distances from --geo-distance and the options that go with it; a file
// option the choice does not take, or a missing one, is a usage error rather than quietly ignored.
GeoDistanceSettings geoDistanceOptions(const Invocation& invocation)
{
    GeoDistanceSettings settings;
    settings.kind =
        choiceValue<GeoDistanceKind>(invocation, "--geo-distance", "straight",
                                     {{geoDistanceKindName(GeoDistanceKind::Straight), GeoDistanceKind::Straight},
                                      {geoDistanceKindName(GeoDistanceKind::LeastCost), GeoDistanceKind::LeastCost},
                                      {geoDistanceKindName(GeoDistanceKind::Circuit), GeoDistanceKind::Circuit},
                                      {geoDistanceKindName(GeoDistanceKind::Matrix), GeoDistanceKind::Matrix}});
    const bool surface = settings.kind == GeoDistanceKind::LeastCost || settings.kind == GeoDistanceKind::Circuit;
    const bool matrix = settings.kind == GeoDistanceKind::Matrix;
    const std::string kind(geoDistanceKindName(settings.kind));
    const auto given = [&](const std::string& option) { return invocation.values.count(option) != 0; };
    // The matrices of the partial Mantel test and of the regression may come from a surface of their
    // own (--x, --z, --predictor least-cost:FILE or resistance:FILE); the steps over it are --neighbours.
    const auto namesSurface = [](const std::string& text) {
        const std::optional<GeoDistanceKind> named = parseGeoDistanceKind(text.substr(0, text.find(':')));
        return named == GeoDistanceKind::LeastCost || named == GeoDistanceKind::Circuit;
    };
    bool surfaceOfItsOwn = false;
    for (const char* option : {"--x", "--z"}) {
        if (const auto value = invocation.values.find(option); value != invocation.values.end())
            surfaceOfItsOwn = surfaceOfItsOwn || namesSurface(value->second);
    }
    for (const std::string& text : invocation.textValues("--predictor"))
        surfaceOfItsOwn = surfaceOfItsOwn || namesSurface(text);
    if (surface && !given("--resistance"))
        throw UsageError("--geo-distance " + kind + " needs --resistance FILE");
    if (matrix && !given("--geo-matrix"))
        throw UsageError("--geo-distance " + kind + " needs --geo-matrix FILE");
    const std::tuple<std::string, bool, const char*> takers[] = {
        {"--resistance", surface, "least-cost or resistance"},
        {"--geo-matrix", matrix, "matrix"},
        {"--neighbours", surface || surfaceOfItsOwn, "least-cost or resistance"},
    };
    for (const auto& [option, taken, choices] : takers) {
        if (!taken && given(option))
            throw UsageError(option + " goes only with --geo-distance " + choices + ", not with " + kind);
    }
    settings.file = invocation.textValue(surface ? "--resistance" : "--geo-matrix", {});
    settings.neighbours = choiceValue<int>(invocation, "--neighbours", "8", {{"4", 4}, {"8", 8}});
    return settings;
}

// The surface of a subcommand that runs over one of its own (Subcommand::takesSurface).
GeoDistanceSettings surfaceOptions(const Subcommand& command, const Invocation& invocation)
{
    for (const char* option : {"--geo-distance", "--geo-matrix"}) {
        if (invocation.values.count(option) != 0)
            throw UsageError(std::string(option) + " does not go with " + command.name +
                             ", which runs over the surface of --resistance");
    }
    if (invocation.values.count("--resistance") == 0)
        throw UsageError(command.name + " needs --resistance FILE");
    GeoDistanceSettings settings;
    settings.kind = GeoDistanceKind::Circuit;
    settings.file = invocation.textValue("--resistance", {});
    if (settings.file.empty())
        throw UsageError("--resistance needs a file name");
    settings.neighbours = choiceValue<int>(invocation, "--neighbours", "8", {{"4", 4}, {"8", 8}});
    return settings;
}

} // namespace

GeoDistanceSettings distanceChoiceValue(const Invocation& invocation, const std::string& option,
                                        const std::string& text)
{
    const size_t colon = text.find(':');
    const std::string keyword = text.substr(0, colon);
    const std::optional<GeoDistanceKind> kind = parseGeoDistanceKind(keyword);
    if (!kind)
        throw UsageError(option + " takes KIND[:FILE] with KIND straight, least-cost, resistance or matrix, not " +
                         quotedField(text));
    GeoDistanceSettings settings = invocation.geoDistances;
    settings.kind = *kind;
    settings.file = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    if (*kind == GeoDistanceKind::Straight && colon != std::string::npos)
        throw UsageError(option + " straight takes no file, not " + quotedField(text));
    if (*kind != GeoDistanceKind::Straight && settings.file.empty())
        throw UsageError(option + " " + keyword + " needs a file: " + keyword + ":FILE");
    return settings;
}

namespace {

std::string usageLine(const Subcommand& command)
{
    std::string line = "tessaloc-cli " + command.name + " [common options]";
    for (const OptionSpec& option : command.options)
        line += " [" + option.name + (option.valueName.empty() ? "" : " " + option.valueName) +
                (option.repeatable ? " ..." : "") + "]";
    if (command.readsSampleFiles)
        line += command.needsGenotypes ? " COORDS GENOTYPES" : " COORDS";
    return line;
}

void printOptions(std::ostream& out, const std::vector<OptionSpec>& options)
{
    for (const OptionSpec& option : options) {
        std::string head = "  " + option.name + (option.valueName.empty() ? "" : " " + option.valueName);
        if (head.size() < 20)
            head.resize(20, ' ');
        else
            head += "  ";
        out << head << option.help << '\n';
    }
}

void printGeneralHelp(std::ostream& out)
{
    out << "Usage: tessaloc-cli ANALYSIS [options] COORDS [GENOTYPES]\n\n"
           "Runs one analysis of a coordinate file and a genotype file and writes its report.\n\nAnalyses:\n";
    for (const Subcommand& command : subcommands()) {
        std::string name = "  " + command.name;
        name.resize(20, ' ');
        out << name << command.summary << '\n';
    }
    out << "\nCommon options:\n";
    printOptions(out, commonOptions());
    out << "\nExit status: 0 success, 1 a problem with the data (message on stderr), 2 the analysis failed,\n"
           "64 the command line is wrong. 'tessaloc-cli ANALYSIS --help' shows an analysis's own options.\n"
           "'tessaloc-cli --version' names the version and the distance kernel in use.\n";
}

void printCommandHelp(std::ostream& out, const Subcommand& command)
{
    out << "Usage: " << usageLine(command) << "\n\n" << command.summary << "\n";
    if (!command.options.empty()) {
        out << "\nOptions:\n";
        printOptions(out, command.options);
    }
    out << "\nCommon options:\n";
    printOptions(out, commonOptionsOf(command));
}

// Text for the terminal, a line at a time: whatever a message quotes (a file name, a field) shows its
// control characters escaped, so that it can move no cursor, however the message was made. Every
// message and result line of the batch program passes through here; text escaped already stays as it
// is.
std::string terminalText(std::string_view text)
{
    std::string shown;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
        shown += escapeControlCharacters(text.substr(start, end - start));
        shown += '\n';
        start = end + 1;
    }
    return shown + escapeControlCharacters(text.substr(start));
}

// Progress texts go to a terminal only, each overwriting the last; messages always go to stderr.
class ConsoleListener : public RunListener {
public:
    explicit ConsoleListener(std::ostream& err, bool terminal)
        : m_err(err)
        , m_terminal(terminal)
    {
    }
    ~ConsoleListener() override { finishLine(); }

    void status(std::string_view text) override
    {
        if (!m_terminal)
            return;
        m_err << "\r\033[K" << terminalText(text) << std::flush;
        m_lineOpen = true;
    }
    void message(std::string_view text) override
    {
        finishLine();
        m_err << terminalText(text) << '\n';
    }
    void warning(std::string_view text) override
    {
        finishLine();
        m_err << "tessaloc-cli: warning: " << terminalText(text) << '\n';
    }
    void finishLine()
    {
        if (m_lineOpen)
            m_err << "\r\033[K" << std::flush;
        m_lineOpen = false;
    }

private:
    std::ostream& m_err;
    bool m_terminal;
    bool m_lineOpen = false;
};

// Like the window program's Run command, every input file must open before an analysis starts.
void checkInputOpens(const std::string& path, const char* role)
{
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path))
        throw AnalysisError(std::string("cannot open the ") + role + " \"" + escapeControlCharacters(path) +
                            "\": " + (in ? "it is a folder" : std::strerror(errno)));
}

void removeReportsAndEnd(int signal)
{
    // Between the renames of a set of files the signal waits until the set is whole again; the
    // writer then removes the temporary files and raises it once more.
    if (deferSignalDuringRenames(signal))
        return;
    removeUnfinishedReportFiles();
    // The handler was reset to the default on entry, and the signal stays blocked until this handler
    // returns; then it ends the program as if no handler had been there.
    std::raise(signal);
}

} // namespace

void installReportCleanupOnSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction cleanup {};
        cleanup.sa_handler = removeReportsAndEnd;
        sigemptyset(&cleanup.sa_mask);
        cleanup.sa_flags = SA_RESETHAND;
        sigaction(signal, &cleanup, nullptr);
    }
    // Beyond a file-size limit a write then fails with EFBIG, and the run reports it like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
}

long long Invocation::integerValue(const std::string& name, long long fallback, long long minimum,
                                   long long maximum) const
{
    const auto it = values.find(name);
    if (it == values.end())
        return fallback;
    const auto value = parseWholeNumber(it->second);
    if (!value || *value < minimum || *value > maximum)
        throw UsageError(name + " takes a whole number from " + std::to_string(minimum) + " to " +
                         std::to_string(maximum) + ", not " + quotedField(it->second));
    return *value;
}

double Invocation::numberValue(const std::string& name, double fallback) const
{
    const auto it = values.find(name);
    if (it == values.end())
        return fallback;
    const auto value = parseDecimal(it->second);
    if (!value)
        throw UsageError(name + " takes a number, not " + quotedField(it->second));
    return *value;
}

std::string Invocation::textValue(const std::string& name, const std::string& fallback) const
{
    const auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

std::vector<std::string> Invocation::textValues(const std::string& name) const
{
    const auto it = repeatedValues.find(name);
    return it == repeatedValues.end() ? std::vector<std::string>() : it->second;
}

RandomUniform Invocation::generator(SeedSource& seeds) const
{
    if (seed)
        return RandomUniform(seed->first, seed->second);
    return seeds.seedFromClock();
}

Invocation parseInvocation(const Subcommand& command, const std::vector<std::string>& arguments)
{
    Invocation invocation;
    std::vector<std::string> positionals;
    bool optionsEnded = false;
    // The values of the options given so far, for refusing one given twice: the first value would
    // silently give way to the second.
    std::map<std::string, std::string> given;

    for (size_t index = 0; index < arguments.size(); ++index) {
        std::string argument = arguments[index];
        if (optionsEnded || !argument.starts_with("--") || argument == "-") {
            positionals.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }

        std::optional<std::string> inlineValue;
        if (const size_t equals = argument.find('='); equals != std::string::npos) {
            inlineValue = argument.substr(equals + 1);
            argument.resize(equals);
        }
        const OptionSpec* option = findOption(commonOptionsOf(command), argument);
        if (!option)
            option = findOption(command.options, argument);
        if (!option)
            throw UsageError("unknown option " + quotedField(argument) + " for " + command.name);

        std::string value;
        if (option->valueName.empty()) {
            if (inlineValue)
                throw UsageError(argument + " takes no value");
        } else if (inlineValue) {
            value = *inlineValue;
        } else if (index + 1 < arguments.size()) {
            value = arguments[++index];
        } else {
            throw UsageError(argument + " needs a value (" + option->valueName + ")");
        }
        if (!option->repeatable && !option->valueName.empty()) {
            const auto [earlier, first] = given.emplace(argument, value);
            if (!first)
                throw UsageError(argument + " is given twice (" + quotedField(earlier->second) + " and " +
                                 quotedField(value) + "); give it once");
        }

        if (argument == "--type") {
            const auto type = parseWholeNumber(value);
            if (!type || *type < 1 || *type > 3)
                throw UsageError("--type takes 1, 2 or 3, not " + quotedField(value));
            invocation.dataType = static_cast<DataType>(*type);
        } else if (argument == "--genotype-format") {
            const auto format = genotypeFormatOf(value);
            if (!format)
                throw UsageError("--genotype-format takes own, vcf, genepop or genalex, not " + quotedField(value));
            invocation.genotypeFormat = *format;
        } else if (argument == "--match") {
            if (value != "name" && value != "order")
                throw UsageError("--match takes name or order, not " + quotedField(value));
            invocation.sampleMatching = value == "order" ? SampleMatching::ByOrder : SampleMatching::ByName;
        } else if (argument == "--latlong") {
            invocation.useLatLong = true;
        } else if (argument == "--seed") {
            const size_t comma = value.find(',');
            const auto first = comma == std::string::npos ? std::nullopt : parseWholeNumber(value.substr(0, comma));
            const auto second = comma == std::string::npos ? std::nullopt : parseWholeNumber(value.substr(comma + 1));
            // Outside these ranges a component of the generator stays constant, and with both
            // constant a permutation test could never draw two different observations.
            if (!first || !second || !RandomUniform::validSeed(*first, *second))
                throw UsageError("--seed takes S1,S2 with S1 a whole number from " +
                                 std::to_string(RandomUniform::kSmallestSeed) + " to " +
                                 std::to_string(RandomUniform::kLargestSeed1) + " and S2 from " +
                                 std::to_string(RandomUniform::kSmallestSeed) + " to " +
                                 std::to_string(RandomUniform::kLargestSeed2) + ", not " + quotedField(value));
            invocation.seed = std::make_pair(*first, *second);
        } else if (argument == "--threads") {
            const auto threads = parseWholeNumber(value);
            if (!threads || *threads < 1 || *threads > kMostThreads)
                throw UsageError("--threads takes a whole number from 1 to " + std::to_string(kMostThreads) + ", not " +
                                 quotedField(value));
            invocation.threads = static_cast<int>(*threads);
        } else if (argument == "--output-dir") {
            if (value.empty())
                throw UsageError("--output-dir needs a folder");
            invocation.outputDirectory = value;
        } else if (option->valueName.empty()) {
            invocation.flags.insert(argument);
        } else if (option->repeatable) {
            invocation.repeatedValues[argument].push_back(value);
        } else {
            invocation.values[argument] = value;
        }
    }

    if (!command.readsSampleFiles) {
        if (!positionals.empty())
            throw UsageError(command.name + " takes no file name but in its options, not " +
                             quotedField(positionals.front()));
        invocation.geoDistances = geoDistanceOptions(invocation);
        return invocation;
    }
    const size_t expected = command.needsGenotypes ? 2 : 1;
    if (positionals.size() != expected)
        throw UsageError(command.name + " takes " +
                         (expected == 2 ? "a coordinate file and a genotype file" : "a coordinate file") + ", " +
                         std::to_string(positionals.size()) + " file name(s) given");
    invocation.coordinatePath = positionals[0];
    if (expected == 2)
        invocation.genotypePath = positionals[1];
    invocation.geoDistances =
        command.takesSurface ? surfaceOptions(command, invocation) : geoDistanceOptions(invocation);
    return invocation;
}

namespace {

int runOneCommand(const Subcommand& command, const Invocation& invocation, std::ostream& out, std::ostream& progress,
                  std::ostream& err)
{
    const ThreadCountLimit threadLimit(invocation.threads);
    SeedSource seeds;
    CommandResult result;
    std::string usageProblem;
    RunStatus status;
    {
        ConsoleListener listener(progress, isatty(STDERR_FILENO) != 0);
        status = runGuarded([&] {
            try {
                checkRunFiles(command, invocation);
                if (command.readsSampleFiles)
                    checkInputOpens(invocation.coordinatePath, "coordinate file");
                if (command.readsSampleFiles && command.needsGenotypes)
                    checkInputOpens(invocation.genotypePath, "genotype file");
                result = command.run(invocation, listener, seeds);
            } catch (const UsageError& error) {
                usageProblem = error.what();
            }
        });
    }

    if (!usageProblem.empty()) {
        err << "tessaloc-cli: " << terminalText(usageProblem) << "\nUsage: " << usageLine(command) << '\n';
        return kExitUsageError;
    }
    switch (status.outcome) {
    case RunOutcome::Success:
        if (result.clockSeed)
            progress << "Seed: " << result.clockSeed->first << ',' << result.clockSeed->second << '\n';
        out << terminalText(result.text);
        for (const auto& path : result.written)
            out << "Report written to " << terminalText(path.string()) << '\n';
        out << terminalText(result.afterReports);
        if (!result.problems.empty()) {
            err << terminalText(result.problems) << '\n';
            return kExitDataProblem;
        }
        return kExitSuccess;
    case RunOutcome::DataProblem:
        err << terminalText(status.text) << '\n';
        if (!status.detail.empty())
            err << terminalText(status.detail) << '\n';
        return kExitDataProblem;
    case RunOutcome::AnalysisError:
    case RunOutcome::Cancelled:
        break;
    }
    if (!status.ownMessage)
        err << kGeneralErrorMessage << '\n';
    err << terminalText(status.text) << '\n';
    return kExitAnalysisError;
}

} // namespace

int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
        printGeneralHelp(arguments.empty() ? err : out);
        return arguments.empty() ? kExitUsageError : kExitSuccess;
    }
    if (arguments[0] == "--version") {
        out << "tessaloc-cli " << TESSALOC_VERSION << '\n' << distanceKernelSummary() << '\n';
        return kExitSuccess;
    }

    const Subcommand* command = nullptr;
    for (const Subcommand& candidate : subcommands()) {
        if (candidate.name == arguments[0])
            command = &candidate;
    }
    if (!command) {
        err << "tessaloc-cli: unknown analysis " << quotedField(arguments[0]) << "; 'tessaloc-cli --help' lists them\n";
        return kExitUsageError;
    }

    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    for (const std::string& argument : rest) {
        if (argument == "--help" || argument == "-h") {
            printCommandHelp(out, *command);
            return kExitSuccess;
        }
    }

    Invocation invocation;
    try {
        invocation = parseInvocation(*command, rest);
    } catch (const UsageError& error) {
        err << "tessaloc-cli: " << terminalText(error.what()) << "\nUsage: " << usageLine(*command) << '\n';
        return kExitUsageError;
    }

    // Started several times by a launcher, a build with MPI shares the run between the processes;
    // one without runs the whole analysis in each, and they write the same files.
    std::unique_ptr<RunProcesses> processes;
    if (sharesRunsBetweenProcesses()) {
        try {
            processes = joinLaunchedProcesses();
        } catch (const AnalysisError& error) {
            err << kGeneralErrorMessage << '\n' << terminalText(error.what()) << '\n';
            return kExitAnalysisError;
        }
    } else if (const auto launched = launchedProcesses()) {
        err << "tessaloc-cli: started as one of " << *launched
            << " processes, but this build does not share a run between processes (it was built without MPI): "
               "each process runs the whole analysis\n";
    }
    std::optional<SharedWork> sharedWork;
    if (processes) {
        sharedWork.emplace(*processes);
        if (processes->count() > 1 && processes->index() == 0)
            err << "tessaloc-cli: " + std::to_string(processes->count()) + " processes\n" << std::flush;
    }
    // Process 0 alone prints the results and the run's progress; any process says why it failed.
    std::ostream nowhere(nullptr);
    std::ostream& results = writesResults() ? out : nowhere;
    std::ostream& progress = writesResults() ? err : nowhere;
    // Shared between processes, a failing one's message goes out in one piece (as the line above does)
    // before the launcher ends the others, so that no other process's text lands between its lines.
    const bool shared = processes && processes->count() > 1;
    std::ostringstream failure;
    const int exitStatus = runOneCommand(*command, invocation, results, progress, shared ? failure : err);
    if (shared)
        err << failure.str() << std::flush;
    // A process that failed before every process finished its part may leave the others waiting for
    // it: they end with it. Once all have finished, only process 0's writing can fail, and it ends
    // alone with its status.
    if (processes && processes->count() > 1 && exitStatus != kExitSuccess && !everyProcessHasFinished())
        processes->abortAll(exitStatus);
    return exitStatus;
}

} // namespace tessaloc::cli
