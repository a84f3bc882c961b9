#include "analyses/kinship/Kinship.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <charconv>
#include <cmath>

namespace tessaloc {
namespace {

// Statistics with 10 decimals, distances and probabilities with 5, "NA" where undefined.
std::string statistic(double value)
{
    return std::isnan(value) ? "NA" : statisticText(value);
}

std::string fixed5(double value)
{
    return std::isnan(value) ? "NA" : formatMask(value, NumberMask::ZeroPoint5);
}

// Distances with six significant digits, whatever their scale ("0.5", "1378.45", "1e-09").
std::string distance(double value)
{
    if (std::isnan(value))
        return "NA";
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return std::string(text, written.ptr);
}

// Columns of the class table and of the summary, counted from 1.
constexpr int kClassColumns[] = {1, 7, 20, 33, 42, 55, 70, 85, 95, 105, 115, 125, 140};
constexpr int kSummaryColumns[] = {1, 44, 59, 74};

void classTable(ReportWriter& report, const KinshipResult& result)
{
    const char* heads[] = {"Class", "From",   "To",       "Pairs",  "Mean dist.", "F",    "SE(F)",
                           "P low", "P high", "P 2-side", "P Holm", "a",          "SE(a)"};
    for (size_t c = 0; c < std::size(heads); ++c)
        report.column(kClassColumns[c]).text(heads[c]);
    report.endLine();
    for (size_t c = 0; c < result.rows.size(); ++c) {
        const KinshipClassRow& row = result.rows[c];
        const std::string cells[] = {std::to_string(c + 1),
                                     distance(row.lower),
                                     distance(row.upper),
                                     std::to_string(row.pairs),
                                     distance(row.meanDistance),
                                     statistic(row.kinship.estimate),
                                     statistic(row.kinship.jackknifeSe),
                                     fixed5(row.kinship.pLower),
                                     fixed5(row.kinship.pUpper),
                                     fixed5(row.kinship.pTwoSided),
                                     fixed5(row.pHolm),
                                     result.rousset ? statistic(row.rousset.estimate) : "",
                                     result.rousset ? statistic(row.rousset.jackknifeSe) : ""};
        for (size_t cell = 0; cell < std::size(cells); ++cell) {
            if (cells[cell].empty())
                continue;
            if (report.currentColumn() < kClassColumns[cell])
                report.column(kClassColumns[cell]);
            else if (cell > 0)
                report.text(" ");
            report.text(cells[cell]);
        }
        report.endLine();
    }
}

void summaryLine(ReportWriter& report, std::string_view name, const KinshipEstimate& estimate, bool tested)
{
    report.text(name);
    const std::string cells[] = {statistic(estimate.estimate), statistic(estimate.jackknifeSe),
                                 tested ? fixed5(estimate.pTwoSided) : ""};
    for (size_t cell = 0; cell < std::size(cells); ++cell) {
        if (cells[cell].empty())
            continue;
        if (report.currentColumn() < kSummaryColumns[cell + 1])
            report.column(kSummaryColumns[cell + 1]);
        else
            report.text(" ");
        report.text(cells[cell]);
    }
    report.endLine();
}

} // namespace

std::string KinshipReport(const KinshipResult& result)
{
    ReportWriter report;
    WriteKinshipReport(report, result);
    return report.str();
}

void WriteKinshipReport(ReportWriter& report, const KinshipResult& result)
{
    WriteReportHeading(report, "Results of Fine-Scale Spatial Structure Analysis (Kinship)", result.coordinatePath,
                       result.genotypePath, result.dataType, geoDistancesLine(result.geoDistances));
    report.line();
    report.line();
    report.line("Individuals: " + std::to_string(result.sampleCount) + "   Loci: " + std::to_string(result.locusCount) +
                " (" + std::to_string(result.polymorphicLoci) + " polymorphic)" +
                "   Pairs: " + std::to_string(result.pairs));
    report.line("Kinship coefficient F of Loiselle et al. (1995), reference allele frequencies from the whole sample");
    if (result.rousset)
        report.line("Rousset's (2000) a between individuals, over loci where both have complete genotypes");
    else if (result.roussetDeclined)
        report.line("Rousset's a not estimated: it needs diploid genotypes (data type 1)");
    else
        report.line("Rousset's a not estimated (not asked)");
    if (result.pairsWithoutKinship > 0)
        report.line("Pairs without a kinship coefficient (no common polymorphic locus): " +
                    std::to_string(result.pairsWithoutKinship));
    if (result.rousset && result.pairsWithoutRousset > 0)
        report.line("Pairs without a (no common locus with complete genotypes and heterozygotes): " +
                    std::to_string(result.pairsWithoutRousset));
    report.line();
    if (result.classes.upperIncluded)
        report.line("Distance classes: a pair at distance d is in a class when From < d <= To (class 1 from 0 on)");
    else
        report.line("Distance classes: a pair at distance d is in a class when From <= d < To");
    classTable(report, result);
    report.line();
    report.text("Statistic");
    report.column(kSummaryColumns[1]).text("Estimate");
    report.column(kSummaryColumns[2]).text("Jackknife SE");
    report.column(kSummaryColumns[3]).text("P 2-side").endLine();
    summaryLine(report, "b_lin: slope of F on distance", result.bLin, true);
    summaryLine(report, "b_log: slope of F on ln(distance)", result.bLog, true);
    summaryLine(report, "F1: mean F of class 1", result.f1, false);
    summaryLine(report, "Sp = -b_log / (1 - F1)", result.sp, false);
    if (result.rousset) {
        summaryLine(report, "Slope of a on ln(distance)", result.aSlope, true);
        summaryLine(report, "Nb = 1 / slope of a on ln(distance)", result.nb, false);
    }
    if (result.zeroDistancePairs > 0)
        report.line("Pairs at distance 0, left out of the regressions on ln(distance): " +
                    std::to_string(result.zeroDistancePairs));
    report.line();
    if (!result.jackknifeAsked)
        report.line("Jackknife over loci: not asked");
    else if (result.jackknifeLoci == 0)
        report.line("No jackknife: it needs at least two polymorphic loci (" + std::to_string(result.polymorphicLoci) +
                    " here); the estimates stand without standard errors");
    else
        report.line("Jackknife over loci: standard errors over the " + std::to_string(result.jackknifeLoci) +
                    " polymorphic loci");
    if (result.permutations > 0) {
        report.line("P: (count + 1) / (replicates + 1) with locations permuted among individuals; two-sided P is "
                    "twice the smaller tail, at most 1; Holm over classes 1..c");
        report.line(printForm(result.permutations) + " replicates performed");
        WritePermutationSchemeLine(report, result.permutationScheme);
        report.line(result.permutationScheme.scheme == PermutationScheme::Complete
                        ? std::string(kNoSeedLine)
                        : SeedLine(result.seed1, result.seed2));
    } else {
        report.line("No permutation test (0 permutations)");
    }
    for (const std::string& note : result.notes)
        report.line(note);
}

} // namespace tessaloc
