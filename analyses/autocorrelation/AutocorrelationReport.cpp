#include "analyses/autocorrelation/Autocorrelation.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

namespace tessaloc {
namespace {

std::string probability(double value)
{
    return formatMask(value, NumberMask::Hash5);
}

std::string limit(double value)
{
    return formatMask(value, NumberMask::Point11);
}

// Columns of the per-class table, counted from 1.
constexpr int kFromColumn = 10;
constexpr int kToColumn = 33;
constexpr int kAyColumn = 55;

} // namespace

std::string AutocorrelationReport(const AutocorrelationResult& result)
{
    ReportWriter report;
    WriteAutocorrelationReport(report, result);
    return report.str();
}

void WriteAutocorrelationReport(ReportWriter& report, const AutocorrelationResult& result)
{
    const DistogramResult& distogram = result.distogram;
    report.line("Results of Spatial Autocorrelation Analyses");
    report.line("Coordinate File: " + result.coordinatePath);
    report.line("Genotype File: " + result.genotypePath);
    if (const std::string line = geoDistancesLine(result.geoDistances); !line.empty())
        report.line(line);
    // Unlike the other reports, an empty line stands between the file names and the data type.
    report.line();
    if (const char* line = DataTypeLine(result.dataType))
        report.line(line);
    report.line();
    report.line(printForm(distogram.classCount) + " distance classes used for analysis");
    report.line();
    report.line("Average pairwise genetic distance from full data set: " +
                formatMask(distogram.meanGeneticDistance, NumberMask::Hash9));
    report.line();
    report.line(result.classMode == ClassMode::EqualCounts
                    ? "Distance classes constructed using unequal distances with equal sample sizes"
                    : "Distance classes constructed using equal distances with unequal sample sizes");
    report.line(printForm(result.permutations) + " permutations performed");
    WritePermutationSchemeLine(report, result.permutationScheme);
    report.line();
    report.line("Analysis of full distogram:  V = " + formatMask(result.v, NumberMask::Hash5));
    report.line("Probability of observing a random value of V >= observed V by chance: P = " + probability(result.vP));
    report.line();
    report.line("Results for each distance class");
    report.text("Class").column(kFromColumn).text("Range: From").column(kToColumn).text("To");
    report.column(kAyColumn).text("Ay").nextZone().text(" n").nextZone().text("Upper-tail P").nextZone();
    report.text("Lower-tail P").endLine();

    for (int f = 0; f < distogram.classCount; ++f) {
        report.number(f + 1).column(kFromColumn).text(limit(distogram.lowerLimit[f]));
        report.column(kToColumn).text(limit(distogram.upperLimit[f]));
        report.column(kAyColumn).text(limit(distogram.ay[f])).nextZone();
        report.number(result.pairCounts[f]).nextZone();
        report.text("P = " + probability(result.upperTailP[f])).nextZone();
        report.text("P = " + probability(result.lowerTailP[f])).endLine();
    }
}

} // namespace tessaloc
