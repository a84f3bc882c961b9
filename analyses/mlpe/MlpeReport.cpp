#include "analyses/mlpe/Mlpe.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tessaloc {

std::string MlpeReport(const MlpeResult& result)
{
    ReportWriter report;
    WriteMlpeReport(report, result);
    return report.str();
}

void WriteMlpeReport(ReportWriter& report, const MlpeResult& result)
{
    WriteReportHeading(report, "Results of Mixed-Model Regression (MLPE)", result.coordinatePath, result.genotypePath,
                       result.dataType);
    report.line();
    report.line();
    const int k = static_cast<int>(result.predictors.size());
    report.line("Genetic distance regressed on " + std::to_string(k) + " predictor matri" + (k == 1 ? "x" : "ces") +
                " over " + std::to_string(result.pairs) +
                " pairs of observations, with a random effect of each of "
                "the " +
                std::to_string(result.observations) + " observations");
    if (result.missingPairs > 0)
        report.line(std::to_string(result.missingPairs) + " pair" + (result.missingPairs == 1 ? "" : "s") +
                    " without a genetic distance left out");
    for (const PredictorMatrix& predictor : result.predictors)
        report.line("Predictor \"" + predictor.name + "\": " + predictor.description);
    report.line("Each predictor standardised over the pairs (mean 0, standard deviation 1)");
    report.line();
    report.line("Maximum likelihood (ML) fit, k = " + std::to_string(result.maximumLikelihood.parameters()) +
                " parameters (fixed effects and two variances):");
    report.line("Log-likelihood (ML) = " + statisticText(result.maximumLikelihood.logLikelihood));
    report.line("AIC = " + statisticText(result.criteria.aic));
    report.line("AICc = " + statisticText(result.criteria.aicc));
    report.line("BIC = " + statisticText(result.criteria.bic));
    report.line("Marginal R2 = " + statisticText(result.rSquared.marginal));
    report.line("Conditional R2 = " + statisticText(result.rSquared.conditional));
    report.line();
    report.line("Restricted maximum likelihood (REML) estimates;");
    report.line("P: likelihood-ratio test (ML) of the model without the term, chi-squared on 1 degree of freedom");
    std::vector<std::string> termNames;
    for (const MlpeTerm& term : result.terms)
        termNames.push_back(term.name);
    const ReportTableColumns columns(longestTableLabel(termNames, result.predictors));
    report.text("Term");
    columns.cell(report, 0).text("Estimate");
    columns.cell(report, 1).text("SE");
    columns.cell(report, 2).text("t");
    columns.cell(report, 3).text("P").endLine();
    for (const MlpeTerm& term : result.terms) {
        report.text(term.name);
        columns.cell(report, 0).text(statisticText(term.estimate));
        columns.cell(report, 1).text(statisticText(term.standardError));
        columns.cell(report, 2).text(statisticText(term.t));
        columns.cell(report, 3).text(statisticText(term.p)).endLine();
    }
    report.line();
    report.line("Variance of the observations' effects (REML) = " +
                statisticText(result.restricted.individualVariance));
    report.line("Residual variance (REML) = " + statisticText(result.restricted.residualVariance));
    report.line();
    report.line();
    WritePredictorCorrelations(report, columns, predictorNames(result.predictors), [&](int a, int b) {
        return result.predictorCorrelations[static_cast<size_t>(a * k + b)];
    });
}

} // namespace tessaloc
