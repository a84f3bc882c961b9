#include "analyses/modelcomparison/ModelComparison.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"
#include "formats/DistanceCsv.h"

#include <algorithm>
#include <string>

namespace tessaloc {
namespace {

// The longest model name, for the width of the ranking's first column.
size_t longestModelName(const ModelComparisonResult& result)
{
    size_t longest = 0;
    for (const RankedModel& model : result.ranking)
        longest = std::max(longest, model.name.size());
    return longest;
}

std::string joined(const std::vector<std::string>& names)
{
    if (names.empty())
        return "intercept only";
    std::string text;
    for (size_t k = 0; k < names.size(); ++k)
        text += (k == 0 ? "\"" : " + \"") + names[k] + "\"";
    return text;
}

} // namespace

std::string ModelComparisonReport(const ModelComparisonResult& result)
{
    ReportWriter report;
    WriteModelComparisonReport(report, result);
    return report.str();
}

void WriteModelComparisonReport(ReportWriter& report, const ModelComparisonResult& result)
{
    WriteReportHeading(report, "Results of Comparing Hypotheses (MLPE)", result.coordinatePath, result.genotypePath,
                       result.dataType);
    report.line();
    report.line();
    report.line(std::to_string(result.models.size()) +
                " mixed models of genetic distance fitted by maximum "
                "likelihood (ML) over " +
                std::to_string(result.pairs) + " pairs of observations, with a random effect of each of the " +
                std::to_string(result.observations) + " observations");
    if (result.missingPairs > 0)
        report.line(std::to_string(result.missingPairs) + " pair" + (result.missingPairs == 1 ? "" : "s") +
                    " without a genetic distance left out");
    for (const PredictorMatrix& predictor : result.predictors)
        report.line("Predictor \"" + predictor.name + "\": " + predictor.description);
    for (const ModelDescription& model : result.models)
        report.line("Model \"" + model.name + "\": " + joined(model.predictors));
    report.line();
    report.line("Ranked by AICc; k: fixed effects and two variances; weight: Akaike weight over these models");
    const ReportTableColumns columns(longestModelName(result));
    report.text("Model");
    const char* heads[] = {"k", "Log-likelihood", "AIC", "AICc", "Delta AICc", "Weight", "Marginal R2"};
    for (int c = 0; c < 7; ++c)
        columns.cell(report, c).text(heads[c]);
    report.endLine();
    for (const RankedModel& model : result.ranking) {
        report.text(model.name);
        columns.cell(report, 0).text(std::to_string(model.parameters));
        const double numbers[] = {model.logLikelihood, model.criteria.aic, model.criteria.aicc,
                                  model.deltaAicc,     model.weight,       model.marginalRSquared};
        for (int c = 0; c < 6; ++c)
            columns.cell(report, c + 1).text(statisticText(numbers[c]));
        report.endLine();
    }
    report.line();
    report.line("Best supported: \"" + result.ranking.front().name + "\"");
}

void WriteModelTable(ReportWriter& out, const ModelComparisonResult& result)
{
    out.line(kModelTableHeader);
    for (const RankedModel& model : result.ranking) {
        out.text(csvCell(model.name)).text(",").text(std::to_string(model.parameters));
        for (double value : {model.logLikelihood, model.criteria.aic, model.criteria.aicc, model.deltaAicc,
                             model.weight, model.marginalRSquared})
            out.text(",").text(ExactNumber(value).view());
        out.endLine();
    }
}

std::string ModelTable(const ModelComparisonResult& result)
{
    ReportWriter out;
    WriteModelTable(out, result);
    return out.str();
}

void WriteModelTableFile(const std::filesystem::path& path, const ModelComparisonResult& result)
{
    writeFileAt(path, "the table of models", [&result](ReportWriter& out) { WriteModelTable(out, result); });
}

} // namespace tessaloc
