#include "analyses/matrixregression/MatrixRegression.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <algorithm>
#include <string>

namespace tessaloc {
namespace {

// The columns of the tables: the names in the first, as wide as a print zone or as the longest name
// (a predictor's with its number) and two blanks, then one print zone per number.
struct TableColumns {
    explicit TableColumns(const MatrixRegressionResult& result)
    {
        size_t longest = 0;
        for (const RegressionTerm& term : result.terms)
            longest = std::max(longest, term.name.size());
        for (size_t k = 0; k < result.predictors.size(); ++k)
            longest = std::max(longest, std::to_string(k + 1).size() + 1 + result.predictors[k].name.size());
        first = 1 + std::max(ReportWriter::kZoneWidth, static_cast<int>(longest) + 2);
    }
    int at(int column) const { return first + column * ReportWriter::kZoneWidth; }
    // Starts the cell of `column` of the line: at its place, or two blanks after a number too long
    // for the cell before it, so that a line never breaks.
    ReportWriter& cell(ReportWriter& report, int column) const
    {
        if (report.currentColumn() < at(column))
            return report.column(at(column));
        return report.text("  ");
    }

    int first = 1;
};

} // namespace

std::string MatrixRegressionReport(const MatrixRegressionResult& result)
{
    ReportWriter report;
    WriteMatrixRegressionReport(report, result);
    return report.str();
}

void WriteMatrixRegressionReport(ReportWriter& report, const MatrixRegressionResult& result)
{
    WriteReportHeading(report, "Results of Multiple Matrix Regression", result.coordinatePath, result.genotypePath,
                       result.dataType);
    report.line();
    report.line();
    const int n = result.sampleCount();
    const long long pairs = static_cast<long long>(n) * (n - 1) / 2;
    const int k = result.predictorCount();
    report.line("Genetic distance regressed on " + std::to_string(k) + " predictor matri" + (k == 1 ? "x" : "ces") +
                " over " + std::to_string(pairs) + " pairs of observations");
    for (const PredictorMatrix& predictor : result.predictors)
        report.line("Predictor \"" + predictor.name + "\": " + predictor.description);
    report.line();
    report.line("P: probability of observing |t| greater than or equal to observed");
    const TableColumns columns(result);
    report.text("Term");
    columns.cell(report, 0).text("Estimate");
    columns.cell(report, 1).text("t");
    columns.cell(report, 2).text("P").endLine();
    for (const RegressionTerm& term : result.terms) {
        report.text(term.name);
        columns.cell(report, 0).text(statisticText(term.estimate));
        columns.cell(report, 1).text(statisticText(term.t));
        columns.cell(report, 2).text(statisticText(term.p)).endLine();
    }
    report.line();
    report.line("R2 = " + statisticText(result.rSquared));
    report.line("F = " + statisticText(result.f) + " on " + std::to_string(k) + " and " +
                std::to_string(result.residualDegrees) + " degrees of freedom");
    report.line("Probability of observing an F greater than or equal to observed:  P = " + statisticText(result.pF));
    report.line(printForm(result.permutations) + " replicates performed");
    WritePermutationSchemeLine(report, result.permutationScheme);
    if (result.rank)
        report.line(kRankLine);
    if (result.standardise)
        report.line("Standardised estimates (beta weights): each slope times the standard deviation of its "
                    "predictor over that of the genetic distances; the intercept is then 0");
    report.line(SeedLine(result.seed));
    report.line();
    report.line();
    report.line("Correlation among predictors");
    // The columns carry the predictors' numbers; their names head them in the order of the rows.
    for (int b = 0; b < k; ++b)
        columns.cell(report, b).text(std::to_string(b + 1));
    report.endLine();
    for (int a = 0; a < k; ++a) {
        report.text(std::to_string(a + 1) + " " + result.predictors[static_cast<size_t>(a)].name);
        for (int b = 0; b < k; ++b)
            columns.cell(report, b).text(statisticText(result.predictorCorrelation(a, b)));
        report.endLine();
    }
}

} // namespace tessaloc
