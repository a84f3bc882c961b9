#include "analyses/matrixregression/MatrixRegression.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <string>

namespace tessaloc {
namespace {

std::string masked(double value)
{
    return formatMask(value, NumberMask::Point10);
}

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
    report.text("Term").nextZone().text("Estimate").nextZone().text("t").nextZone().text("P").endLine();
    for (const RegressionTerm& term : result.terms) {
        report.text(term.name).nextZone().text(masked(term.estimate)).nextZone();
        report.text(masked(term.t)).nextZone().text(masked(term.p)).endLine();
    }
    report.line();
    report.line("R2 = " + masked(result.rSquared));
    report.line("F = " + masked(result.f) + " on " + std::to_string(k) + " and " +
                std::to_string(result.residualDegrees) + " degrees of freedom");
    report.line("Probability of observing an F greater than or equal to observed:  P = " + masked(result.pF));
    report.line(printForm(result.permutations) + " replicates performed");
    WritePermutationSchemeLine(report, result.permutationScheme);
    if (result.rank)
        report.line(kRankLine);
    if (result.standardise)
        report.line("Standardised estimates (beta weights): each slope times the standard deviation of its "
                    "predictor over that of the genetic distances; the intercept is then 0");
    report.line(SeedLine(result.seed1, result.seed2));
    report.line();
    report.line();
    report.line("Correlation among predictors");
    report.nextZone();
    for (const PredictorMatrix& predictor : result.predictors)
        report.text(predictor.name).nextZone();
    report.endLine();
    for (int a = 0; a < k; ++a) {
        report.text(result.predictors[static_cast<size_t>(a)].name).nextZone();
        for (int b = 0; b < k; ++b) {
            report.text(masked(result.predictorCorrelation(a, b)));
            if (b + 1 < k)
                report.nextZone();
        }
        report.endLine();
    }
}

} // namespace tessaloc
