#include "cli/MonmonierCommand.h"

#include "analyses/monmonier/SupportTable.h"

#include <string>

namespace tessaloc::cli {
namespace {

// The --support table's file, or empty when none is asked for. Throws UsageError for a table without
// replicates to fill it (checkRunFiles has made sure it replaces no other file).
std::string supportFile(const Invocation& invocation, long long replicates)
{
    if (invocation.values.count("--support") == 0)
        return {};
    const std::string file = invocation.textValue("--support", "");
    if (file.empty())
        throw UsageError("--support needs a file name");
    if (replicates < 1)
        throw UsageError("--support writes the bootstrap support; give --bootstrap with at least 1 replicate too");
    return file;
}

} // namespace

const std::string_view AnalysisCommandLine<MonmonierAnalysis>::summary =
    "Monmonier's maximum difference barriers; writes monmonierresults.txt";

std::vector<OptionSpec> AnalysisCommandLine<MonmonierAnalysis>::options()
{
    return {
        {"--distances", "raw|pseudoslope|residual",
         "edge values from raw genetic distances, pseudoslopes (divided by the edge length) or residuals of "
         "genetic on geographic distance (default residual)"},
        {"--barriers", "B", "number of barriers to find (default 1)"},
        {"--bootstrap", "R",
         "bootstrap replicates over the loci (the sites of sequences), 0 to 100000: the support of every crossed "
         "edge, in the report and the --support table (default 0, none)"},
        {"--support", "FILE",
         "write the support of every edge crossed by a barrier or in a replicate to FILE as CSV (needs "
         "--bootstrap)",
         false, OptionFile::Written, "the support table"},
    };
}

MonmonierSettings AnalysisCommandLine<MonmonierAnalysis>::settings(const Invocation& invocation)
{
    MonmonierSettings settings;
    settings.distanceKind = choiceValue<MonmonierDistanceKind>(invocation, "--distances", "residual",
                                                               {{"raw", MonmonierDistanceKind::Raw},
                                                                {"pseudoslope", MonmonierDistanceKind::Pseudoslope},
                                                                {"residual", MonmonierDistanceKind::Residual}});
    // A count below 1 reaches the analysis, which ends with its error, as the window program's does.
    settings.barrierCount = invocation.integerValue("--barriers", 1, -2147483648LL, 2147483647LL);
    settings.bootstrapReplicates = invocation.integerValue("--bootstrap", 0, 0, kMostBootstrapReplicates);
    supportFile(invocation, settings.bootstrapReplicates);
    return settings;
}

CommandResult AnalysisCommandLine<MonmonierAnalysis>::write(const Invocation& invocation, const MonmonierResult& result,
                                                            RunListener&)
{
    CommandResult output;
    output.written = {writeAnalysisReport<MonmonierAnalysis>(invocation.outputDirectory, result)};
    // The table comes after the report, so that a table that cannot be written costs the report nothing.
    const std::string file = supportFile(invocation, result.settings.bootstrapReplicates);
    if (file.empty())
        return output;
    try {
        WriteSupportTableFile(file, result);
        output.afterReports = "Support table written to " + file + "\n";
    } catch (const AnalysisError& error) {
        output.problems = std::string("No support table was written: ") + error.what();
    }
    return output;
}

} // namespace tessaloc::cli
