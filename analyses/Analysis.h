#pragma once

#include "analyses/AnalysisInput.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"

#include <concepts>
#include <filesystem>
#include <string_view>

namespace tessaloc {

/// The definition of one analysis, which both front ends read: the batch program and the window
/// program list the definitions (see AnalysisList.h) and run them through runAnalysis, never on
/// their own. A definition is a type in the analysis's folder with
///
/// - `Settings`: the analysis's own settings, default-constructed at their start-up values; an
///   analysis with a permutation test keeps its PermutationSettings in a member `permutations`;
/// - `Result`: everything a run produced, for the report and the results window;
/// - `kName`: the analysis's name, as the batch program's subcommand ("mantel");
/// - `kReportFileName`: the report's file name ("IBDResults.txt"), empty when it writes none;
/// - `kReadsGenotypes`: false when a run reads the coordinate file only;
/// - `run(input, random, listener)`: a whole run on the two files (RunInput<Settings>), drawing from
///   `random` where it draws numbers; throws DataProblem, AnalysisError or RunCancelled;
/// - `writeReport(report, result)`: the report's text, line by line (never called without a report
///   file name).
template <typename A>
concept AnalysisDefinition = std::default_initializable<typename A::Settings> &&
    requires(const RunInput<typename A::Settings>& input, RandomUniform& random, RunListener& listener,
             ReportWriter& report, const typename A::Result& result)
{
    {
        A::kName
        } -> std::convertible_to<std::string_view>;
    {
        A::kReportFileName
        } -> std::convertible_to<std::string_view>;
    {
        A::kReadsGenotypes
        } -> std::convertible_to<bool>;
    {
        A::run(input, random, listener)
        } -> std::same_as<typename A::Result>;
    A::writeReport(report, result);
};

/// Settings of an analysis that has a permutation test.
template <typename Settings>
concept HasPermutationTest = requires(Settings& settings)
{
    {
        settings.permutations
        } -> std::same_as<PermutationSettings&>;
};

/// What runAnalysis gives back: the result, and where its report went (empty without a report).
template <AnalysisDefinition A> struct AnalysisOutcome {
    typename A::Result result;
    std::filesystem::path report;
};

/// Writes the report of `result` into `folder` under the analysis's report file name, as a whole
/// file (see writeReportFile), and returns its path. Throws AnalysisError when it cannot be written.
template <AnalysisDefinition A>
std::filesystem::path writeAnalysisReport(const std::filesystem::path& folder, const typename A::Result& result)
{
    return writeReportFile(folder, A::kReportFileName,
                           [&result](ReportWriter& report) { A::writeReport(report, result); });
}

/// A run as both front ends make it: the analysis on the input's files, then, unless the listener
/// asks to stop meanwhile (RunCancelled, and no report), its report written into `folder` (the
/// batch program's output folder, the window program's private folder of the run).
template <AnalysisDefinition A>
AnalysisOutcome<A> runAnalysis(const RunInput<typename A::Settings>& input, RandomUniform& random,
                               RunListener& listener, const std::filesystem::path& folder)
{
    AnalysisOutcome<A> outcome{A::run(input, random, listener), {}};
    listener.throwIfCancelled();
    if constexpr (!std::string_view(A::kReportFileName).empty())
        outcome.report = writeAnalysisReport<A>(folder, outcome.result);
    return outcome;
}

} // namespace tessaloc
