#include "analyses/mantel/Mantel.h"

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
    WriteCorrelationTestLines(report, {.correlationLine = "Correlation of genetic and geographical distances:  r = ",
                                       .statistic = "a correlation",
                                       .r = result.r,
                                       .pGreaterOrEqual = result.pGreaterOrEqual,
                                       .pLessOrEqual = result.pLessOrEqual,
                                       .permutations = result.permutations,
                                       .scheme = result.permutationScheme,
                                       .rank = result.rank});
    report.line();
    report.line();
    WritePairTable(report, result.pairTable, result.names, result.genetic,
                   {{"Geographical Distance", result.geographic}});
}

} // namespace tessaloc
