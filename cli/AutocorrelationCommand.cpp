#include "cli/AutocorrelationCommand.h"

#include "core/Errors.h"

namespace tessaloc::cli {
namespace {

// --intervals FILE: the class table's file (checkRunFiles has made sure it replaces no other file).
std::string classTableFile(const Invocation& invocation)
{
    const bool wanted = invocation.values.count("--intervals") != 0;
    const std::string file = invocation.textValue("--intervals", "");
    if (wanted && file.empty())
        throw UsageError("--intervals needs a file name");
    if (!wanted && invocation.values.count("--bootstrap") != 0)
        throw UsageError("--bootstrap sets the resamples of the class table's intervals; give --intervals FILE too");
    return file;
}

} // namespace

const std::string_view AnalysisCommandLine<AutocorrelationAnalysis>::summary =
    "spatial autocorrelation of genetic distance over distance classes; writes SAA-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<AutocorrelationAnalysis>::options()
{
    return {
        {"--permutations", "N", "random relabellings of the permutation tests (default 1000)"},
        {"--classes", "K", "number of distance classes (default 10)"},
        {"--equal-counts", "", "classes holding about equal numbers of pairs instead of classes of equal width"},
        shuffleOptionEntry(),
        {"--intervals", "FILE",
         "also write the class table to FILE (CSV): per class the two-sided and Holm-corrected P, the null "
         "envelope, the bootstrap interval of Ay and the Mantel correlogram",
         false, OptionFile::Written, "the class table"},
        {"--bootstrap", "B",
         "bootstrap resamples of the loci (sites for sequences) for the intervals of --intervals (default 200, "
         "0 none, at most 100000)"},
    };
}

AutocorrelationSettings AnalysisCommandLine<AutocorrelationAnalysis>::settings(const Invocation& invocation)
{
    AutocorrelationSettings settings;
    settings.permutations.count = permutationsOption(invocation);
    settings.classCount = invocation.integerValue("--classes", 10, -2147483648LL, 2147483647LL);
    settings.classMode = invocation.flag("--equal-counts") ? ClassMode::EqualCounts : ClassMode::EqualDistances;
    settings.permutations.scheme = shuffleOption(invocation);
    const long long resamples =
        invocation.integerValue("--bootstrap", settings.bootstrapResamples, 0, kMostBootstrapResamples);
    // The intervals appear only in the class table: without it the run draws no resample.
    settings.bootstrapResamples = classTableFile(invocation).empty() ? 0 : resamples;
    return settings;
}

CommandResult AnalysisCommandLine<AutocorrelationAnalysis>::write(const Invocation& invocation,
                                                                  const AutocorrelationResult& result,
                                                                  RunListener& listener)
{
    listener.throwIfCancelled();
    const std::string file = classTableFile(invocation);
    CommandResult output;
    output.written = {writeAnalysisReport<AutocorrelationAnalysis>(invocation.outputDirectory, result)};
    // The class table comes after the report, so that a table that cannot be written costs the
    // report nothing.
    if (!file.empty()) {
        try {
            WriteAutocorrelationClassTableFile(file, result);
            output.afterReports = "Class table written to " + file + "\n";
        } catch (const AnalysisError& error) {
            output.problems = std::string("No class table was written: ") + error.what();
        }
    }
    return output;
}

} // namespace tessaloc::cli
