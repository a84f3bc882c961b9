#include "cli/ModelComparisonCommand.h"

#include "cli/OutputFiles.h"

#include <set>
#include <string>

namespace tessaloc::cli {
namespace {

// The --table file, or empty when none is asked for (checkRunFiles has made sure it replaces no other file).
std::string tableFile(const Invocation& invocation)
{
    if (invocation.values.count("--table") == 0)
        return {};
    const std::string file = invocation.textValue("--table", "");
    if (file.empty())
        throw UsageError("--table needs a file name");
    return file;
}

// NAME=KIND[:FILE][+KIND[:FILE]...]
HypothesisModel modelValue(const Invocation& invocation, const std::string& text)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        throw UsageError("--model takes NAME=KIND[:FILE][+KIND[:FILE]...], not " + quotedField(text));
    HypothesisModel model;
    model.name = text.substr(0, equals);
    size_t start = equals + 1;
    while (true) {
        const size_t plus = text.find('+', start);
        model.predictors.push_back(distanceChoiceValue(
            invocation, "--model", text.substr(start, plus == std::string::npos ? std::string::npos : plus - start)));
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    return model;
}

} // namespace

const std::string_view AnalysisCommandLine<ModelComparisonAnalysis>::summary =
    "competing hypotheses (sets of predictor matrices) fitted as mixed models by ML and ranked by AICc with the "
    "null model; writes Models-Results.txt";

std::vector<OptionSpec> AnalysisCommandLine<ModelComparisonAnalysis>::options()
{
    return {
        {"--model", "NAME=KIND[:FILE][+KIND[:FILE]...]",
         "a hypothesis: its name and its predictor matrices (straight, least-cost:SURFACE, resistance:SURFACE or "
         "matrix:CSV) joined by + (repeatable; default distance=straight); the null model is always added",
         true},
        {"--table", "FILE", "write the ranking to FILE as CSV", false, OptionFile::Written, "the table of models"},
    };
}

ModelComparisonSettings AnalysisCommandLine<ModelComparisonAnalysis>::settings(const Invocation& invocation)
{
    ModelComparisonSettings settings;
    const std::vector<std::string> models = invocation.textValues("--model");
    if (!models.empty()) {
        settings.models.clear();
        std::set<std::string> names;
        for (const std::string& text : models) {
            settings.models.push_back(modelValue(invocation, text));
            const std::string& name = settings.models.back().name;
            if (name == kNullModelName)
                throw UsageError("--model: the name \"null\" is the null model's (intercept only), which is always "
                                 "added; name the model otherwise");
            if (!names.insert(name).second)
                throw UsageError("--model: the name \"" + name +
                                 "\" is given twice; each model needs a name of its "
                                 "own");
        }
        try {
            requireValidHypotheses(settings.models);
        } catch (const DataProblem& problem) {
            throw UsageError(std::string("--model: ") + problem.what());
        }
    }
    tableFile(invocation);
    return settings;
}

CommandResult AnalysisCommandLine<ModelComparisonAnalysis>::write(const Invocation& invocation,
                                                                  const ModelComparisonResult& result, RunListener&)
{
    CommandResult output;
    output.written = {writeAnalysisReport<ModelComparisonAnalysis>(invocation.outputDirectory, result)};
    // The table comes after the report, so that a table that cannot be written costs the report nothing.
    const std::string file = tableFile(invocation);
    if (file.empty())
        return output;
    try {
        WriteModelTableFile(file, result);
        output.afterReports = "Table of models written to " + file + "\n";
    } catch (const AnalysisError& error) {
        output.problems = std::string("No table of models was written: ") + error.what();
    }
    return output;
}

} // namespace tessaloc::cli
