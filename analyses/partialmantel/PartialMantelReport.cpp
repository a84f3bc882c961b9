#include "analyses/partialmantel/PartialMantel.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <string>

namespace tessaloc {

std::string PartialMantelReport(const PartialMantelResult& result)
{
    ReportWriter report;
    WritePartialMantelReport(report, result);
    return report.str();
}

void WritePartialMantelReport(ReportWriter& report, const PartialMantelResult& result)
{
    WriteReportHeading(report, "Results of Partial Mantel Test", result.coordinatePath, result.genotypePath,
                       result.dataType);
    report.line("X, the distances tested: " + result.xName + " (" + result.xDescription + ")");
    report.line("Z, the distances held constant: " + result.zName + " (" + result.zDescription + ")");
    report.line(SeedLine(result.seed));
    report.line();
    report.line();
    report.line("Partial correlation of genetic distances and X given Z:  r = " + statisticText(result.r));
    report.line("Probability of observing a partial correlation greater than or equal to observed:  P = " +
                statisticText(result.pGreaterOrEqual));
    report.line("Probability of observing a partial correlation less than or equal to observed:  P = " +
                statisticText(result.pLessOrEqual));
    report.line(printForm(result.permutations) + " replicates performed");
    WritePermutationSchemeLine(report, result.permutationScheme);
    if (result.rank)
        report.line(kRankLine);
    report.line();
    report.line("Correlation of genetic distances and X:  " + statisticText(result.geneticX));
    report.line("Correlation of genetic distances and Z:  " + statisticText(result.geneticZ));
    report.line("Correlation of X and Z:  " + statisticText(result.xZ));
    report.line();
    report.line();
    const int n = result.sampleCount();
    if (!result.pairTable) {
        const long long pairs = static_cast<long long>(n) * (n - 1) / 2;
        report.line("Table of matrix data in expanded format left out (" + std::to_string(pairs) + " pairs)");
        return;
    }
    report.line("Table of matrix data in expanded format");
    report.text("Obs. 1").nextZone().text("Obs. 2").nextZone().text("Genetic Distance").nextZone();
    report.text("X").nextZone().text("Z").endLine();

    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            report.text(result.names[i]).nextZone().text(result.names[j]).nextZone();
            report.text(statisticText(result.genetic(i, j))).nextZone().nextZone();
            report.text(statisticText(result.x(i, j))).nextZone().text(statisticText(result.z(i, j))).endLine();
        }
    }
}

} // namespace tessaloc
