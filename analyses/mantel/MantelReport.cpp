#include "analyses/mantel/Mantel.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <string>

namespace tessaloc {

std::string MantelReport(const MantelResult& result)
{
    ReportWriter report;
    WriteMantelReport(report, result);
    return report.str();
}

void WriteMantelReport(ReportWriter& report, const MantelResult& result)
{
    WriteReportHeading(report, "Results of Mantel Test", result.coordinatePath, result.genotypePath, result.dataType,
                       geoDistancesLine(result.geoDistances));
    report.line();
    report.line();
    report.line("Correlation of genetic and geographical distances:  r = " + statisticText(result.r));
    report.line("Probability of observing a correlation greater than or equal to observed:  P = " +
                statisticText(result.pGreaterOrEqual));
    report.line("Probability of observing a correlation less than or equal to observed:  P = " +
                statisticText(result.pLessOrEqual));
    report.line(printForm(result.permutations) + " replicates performed");
    WritePermutationSchemeLine(report, result.permutationScheme);
    if (result.rank)
        report.line(kRankLine);
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
    report.text("Geographical Distance").endLine();

    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            report.text(result.names[i]).nextZone().text(result.names[j]).nextZone();
            report.text(statisticText(result.genetic(i, j))).nextZone().nextZone();
            report.text(statisticText(result.geographic(i, j))).endLine();
        }
    }
}

} // namespace tessaloc
