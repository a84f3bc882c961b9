#include "cli/KinshipCommand.h"

#include "cli/OutputFiles.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <charconv>
#include <cmath>

namespace tessaloc::cli {
namespace {

// --class-bounds B1,B2,...: positive and increasing, checked before anything runs.
std::vector<double> classBounds(const Invocation& invocation)
{
    if (invocation.values.count("--class-bounds") == 0)
        return {};
    const std::string text = invocation.textValue("--class-bounds", "");
    std::vector<double> bounds;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string field = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        double value = 0.0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (field.empty() || error != std::errc() || end != field.data() + field.size() || !std::isfinite(value))
            throw UsageError("--class-bounds takes distances separated by commas, not " + quotedField(text));
        bounds.push_back(value);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    try {
        requireClassBounds(bounds);
    } catch (const AnalysisError& error) {
        throw UsageError(std::string("--class-bounds: ") + error.what());
    }
    return bounds;
}

// The file of a table option, or empty when it is not given (checkRunFiles has made sure it replaces no
// other file).
std::string tableFile(const Invocation& invocation, const std::string& option)
{
    const bool wanted = invocation.values.count(option) != 0;
    const std::string file = invocation.textValue(option, "");
    if (wanted && file.empty())
        throw UsageError(option + " needs a file name");
    return file;
}

} // namespace

const std::string_view AnalysisCommandLine<KinshipAnalysis>::summary =
    "fine-scale spatial structure: kinship by distance class, Sp, Rousset's a and neighbourhood size; writes "
    "Kinship-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<KinshipAnalysis>::options()
{
    return {
        {"--class-bounds", "B1,B2,...",
         "upper bounds of the distance classes, positive and increasing (class c: B(c-1) < d <= Bc); a last "
         "class takes the pairs beyond the last bound"},
        {"--classes", "K", "without --class-bounds: number of classes of equal width (default 10)"},
        {"--equal-counts", "", "without --class-bounds: classes holding about equal numbers of pairs"},
        {"--permutations", "N", "replicates of the permutation tests (default 999)"},
        shuffleOptionEntry(),
        {"--estimators", "auto|kinship|both",
         "Loiselle's kinship alone, or with Rousset's a (needs data type 1); auto (default): both for data "
         "type 1, kinship for data type 2"},
        {"--no-jackknife", "", "leave out the jackknife over loci (no standard errors)"},
        {"--table", "FILE", "also write the class table to FILE (CSV)", false, OptionFile::Written, "the class table"},
        {"--summary", "FILE", "also write b_lin, b_log, F1, Sp, the slope of a and Nb to FILE (CSV)", false,
         OptionFile::Written, "the summary"},
    };
}

KinshipSettings AnalysisCommandLine<KinshipAnalysis>::settings(const Invocation& invocation)
{
    if (invocation.dataType == DataType::Sequences)
        throw UsageError("kinship needs alleles: --type 1 (diploid codominant loci) or 2 (one gene copy per "
                         "individual), not 3 (sequences)");
    KinshipSettings settings;
    settings.classBounds = classBounds(invocation);
    if (!settings.classBounds.empty() &&
        (invocation.values.count("--classes") != 0 || invocation.flag("--equal-counts")))
        throw UsageError("--class-bounds sets the classes itself: give it without --classes and --equal-counts");
    settings.classCount = invocation.integerValue("--classes", 10, 1, 100000);
    settings.classMode = invocation.flag("--equal-counts") ? ClassMode::EqualCounts : ClassMode::EqualDistances;
    settings.permutations.count = invocation.integerValue("--permutations", 999, 0, 2147483647LL);
    settings.permutations.scheme = shuffleOption(invocation);
    settings.rousset = choiceValue<RoussetChoice>(
        invocation, "--estimators", "auto",
        {{"auto", RoussetChoice::Auto}, {"kinship", RoussetChoice::No}, {"both", RoussetChoice::Yes}});
    settings.jackknife = !invocation.flag("--no-jackknife");
    tableFile(invocation, "--table");
    tableFile(invocation, "--summary");
    return settings;
}

CommandResult AnalysisCommandLine<KinshipAnalysis>::write(const Invocation& invocation, const KinshipResult& result,
                                                          RunListener& listener)
{
    listener.throwIfCancelled();
    const std::string table = tableFile(invocation, "--table");
    const std::string summary = tableFile(invocation, "--summary");
    CommandResult output;
    output.written = {writeAnalysisReport<KinshipAnalysis>(invocation.outputDirectory, result)};
    // The tables come after the report, so that a table that cannot be written costs the report
    // nothing.
    try {
        if (!table.empty()) {
            WriteKinshipClassTableFile(table, result);
            output.afterReports += "Class table written to " + table + "\n";
        }
        if (!summary.empty()) {
            WriteKinshipSummaryFile(summary, result);
            output.afterReports += "Summary written to " + summary + "\n";
        }
    } catch (const AnalysisError& error) {
        output.problems = std::string("Not every table was written: ") + error.what();
    }
    return output;
}

} // namespace tessaloc::cli
