#pragma once

#include "ui/shell/AnalysisWindows.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/ResultsWindow.h"

#include "analyses/Analysis.h"
#include "analyses/AnalysisInput.h"
#include "core/RandomUniform.h"
#include "core/RunListener.h"

#include <QString>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tessaloc::ui {

/// What a run works with, copied when "Go" is pressed so that the worker thread shares nothing
/// with the windows: the files and their kind as the main window gives them, the settings, the
/// seeded generator, and the run's private folder that the report goes into.
struct RunContext {
    AnalysisInput files;
    ProgramSettings settings;
    RandomUniform random;
    std::filesystem::path runFolder;
};

/// Makes the results window of a run that succeeded, on the window's thread. The window takes over
/// the run's folder and removes it when it closes.
using ResultsWindowOpener =
    std::function<ResultsWindow*(ProgramState& state, std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)>;

/// A run prepared by "Go", in its two halves.
struct PreparedRun {
    /// On the worker thread: the engine, then its report written into the run's folder. Throws as
    /// the engines do; a cancelled run ends with RunCancelled.
    std::function<void(RunListener& listener)> work;
    /// Called once `work` has returned.
    ResultsWindowOpener openResults;
};

/// Prepares a run of an analysis from what "Go" gathered.
using StartFunction = std::function<PreparedRun(RunContext context)>;

/// One analysis of the main window's list. The main window knows the analyses only through these
/// entries: it fills its list and its Options menu from them and starts a run through `start`.
struct AnalysisEntry {
    QString listText;        ///< its item in the analysis list
    OptionsMenuItem options; ///< no window when the analysis has no options
    StartFunction start;     ///< reads the files, runs the engine and opens the results window
};

/// The analyses of the main window's list: one entry per analysis of analyses/AnalysisList.h, in its
/// order (the six of the first design at positions 0..5, those added since after them).
const std::vector<AnalysisEntry>& analysisTable();

/// The line indexes of the reports a run wrote into `runFolder`, made on the worker thread as the
/// run's last step so that the results window need not read a large report through again. Throws
/// RunCancelled when the run is cancelled meanwhile.
std::vector<std::pair<QString, std::shared_ptr<const ReportLineIndex>>>
indexRunReports(const std::filesystem::path& runFolder, RunListener& listener);

/// The settings a run of `A` takes from the program's: the analysis's own, with the permutation
/// scheme that the program chose for every permutation test.
template <AnalysisDefinition A> typename A::Settings analysisSettings(const ProgramSettings& program)
{
    typename A::Settings settings = AnalysisWindows<A>::settings(program);
    if constexpr (HasPermutationTest<typename A::Settings>)
        settings.permutations.scheme = program.permutationScheme;
    return settings;
}

/// The start function of the analysis `A`. The run (runAnalysis: the engine on the context's files
/// and settings, then the report written into the run's folder) works on the worker thread, which
/// then indexes the report's lines; the results window is made on the window's thread after it
/// succeeded, once, takes the result over and shows the seed the run started from.
template <AnalysisDefinition A> PreparedRun startAnalysis(RunContext context)
{
    struct Outcome {
        std::optional<typename A::Result> result;
        std::vector<std::pair<QString, std::shared_ptr<const ReportLineIndex>>> reports;
    };
    // Written by the worker thread, read by the window's thread only after the worker has ended.
    auto outcome = std::make_shared<Outcome>();
    PreparedRun prepared;
    prepared.work = [outcome,
                     input = RunInput<typename A::Settings>{context.files, analysisSettings<A>(context.settings)},
                     random = context.random, runFolder = context.runFolder](RunListener& listener) mutable {
        outcome->result.emplace(runAnalysis<A>(input, random, listener, runFolder).result);
        outcome->reports = indexRunReports(runFolder, listener);
    };
    prepared.openResults = [outcome, seed1 = context.random.state1(), seed2 = context.random.state2()](
                               ProgramState& state, std::unique_ptr<QTemporaryDir> runFolder,
                               QWidget* parent) -> ResultsWindow* {
        for (auto& [path, index] : outcome->reports)
            state.reportIndexes.put(path, std::move(index));
        ResultsWindow* opened = new typename AnalysisWindows<A>::ResultsWindow(state, std::move(*outcome->result),
                                                                               std::move(runFolder), parent);
        state.reportIndexes.clear();
        opened->showRunSeed(seed1, seed2);
        return opened;
    };
    return prepared;
}

} // namespace tessaloc::ui
