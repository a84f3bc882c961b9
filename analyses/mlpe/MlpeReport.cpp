#include "analyses/mlpe/Mlpe.h"

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
    explicit TableColumns(const MlpeResult& result)
    {
        size_t longest = 0;
        for (const MlpeTerm& term : result.terms)
            longest = std::max(longest, term.name.size());
        for (size_t k = 0; k < result.predictors.size(); ++k)
            longest = std::max(longest, std::to_string(k + 1).size() + 1 + result.predictors[k].name.size());
        first = 1 + std::max(ReportWriter::kZoneWidth, static_cast<int>(longest) + 2);
    }
    int at(int column) const { return first + column * ReportWriter::kZoneWidth; }
    // Starts the cell of `column`: at its place, or two blanks after a number too long for the cell
    // before it, so that a line never breaks.
    ReportWriter& cell(ReportWriter& report, int column) const
    {
        if (report.currentColumn() < at(column))
            return report.column(at(column));
        return report.text("  ");
    }

    int first = 1;
};

} // namespace

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
    const TableColumns columns(result);
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
    report.line("Correlation among predictors");
    for (int b = 0; b < k; ++b)
        columns.cell(report, b).text(std::to_string(b + 1));
    report.endLine();
    for (int a = 0; a < k; ++a) {
        report.text(std::to_string(a + 1) + " " + result.predictors[static_cast<size_t>(a)].name);
        for (int b = 0; b < k; ++b)
            columns.cell(report, b).text(statisticText(result.predictorCorrelations[static_cast<size_t>(a * k + b)]));
        report.endLine();
    }
}

} // namespace tessaloc
