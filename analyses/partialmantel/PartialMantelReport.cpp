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
    WriteCorrelationTestLines(report,
                              {.correlationLine = "Partial correlation of genetic distances and X given Z:  r = ",
                               .statistic = "a partial correlation",
                               .r = result.r,
                               .pGreaterOrEqual = result.pGreaterOrEqual,
                               .pLessOrEqual = result.pLessOrEqual,
                               .permutations = result.permutations,
                               .scheme = result.permutationScheme,
                               .rank = result.rank});
    report.line();
    report.line("Correlation of genetic distances and X:  " + statisticText(result.geneticX));
    report.line("Correlation of genetic distances and Z:  " + statisticText(result.geneticZ));
    report.line("Correlation of X and Z:  " + statisticText(result.xZ));
    report.line();
    report.line();
    WritePairTable(report, result.pairTable, result.names, result.genetic, {{"X", result.x}, {"Z", result.z}});
}

} // namespace tessaloc
