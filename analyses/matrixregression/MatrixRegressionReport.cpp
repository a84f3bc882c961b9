#include "analyses/matrixregression/MatrixRegression.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tessaloc {

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
    std::vector<std::string> termNames;
    for (const RegressionTerm& term : result.terms)
        termNames.push_back(term.name);
    const ReportTableColumns columns(longestTableLabel(termNames, result.predictors));
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
    WritePredictorCorrelations(report, columns, predictorNames(result.predictors),
                               [&](int a, int b) { return result.predictorCorrelation(a, b); });
}

} // namespace tessaloc
