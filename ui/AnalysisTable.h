#pragma once

#include "ui/ProgramState.h"

#include "core/AnalysisInput.h"
#include "core/RandomUniform.h"
#include "core/RunListener.h"

#include <QDialog>
#include <QString>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessaloc::ui {

class ResultsWindow;

/// What a run works with, copied when "Go" is pressed so that the worker thread shares nothing
/// with the windows: the files and their kind as the main window gives them, the settings, the
/// seeded generator, and the run's private folder that the report goes into.
struct RunContext {
    AnalysisInput files;
    ProgramSettings settings;
    RandomUniform random;
    std::filesystem::path folder;
};

/// Makes the results window of a run that succeeded, on the window's thread. The window takes over
/// the run's folder and removes it when it closes.
using ResultsWindowOpener =
    std::function<ResultsWindow*(ProgramState& state, std::unique_ptr<QTemporaryDir> folder, QWidget* parent)>;

/// A run prepared by "Go", in its two halves.
struct PreparedRun {
    /// On the worker thread: the engine, then its report written into the run's folder. Throws as
    /// the engines do; a cancelled run ends with RunCancelled.
    std::function<void(RunListener& listener)> work;
    /// Called once `work` has returned.
    ResultsWindowOpener openResults;
};

/// Makes an analysis's options window for the Options menu.
using OptionsWindowFactory = std::unique_ptr<QDialog> (*)(ProgramState& state, QWidget* parent);
/// Prepares a run of an analysis from what "Go" gathered.
using StartFunction = std::function<PreparedRun(RunContext context)>;

/// The item of the Options menu that opens an analysis's options window.
struct OptionsMenuItem {
    QString caption;
    int index = -1; ///< part of the item's object name, "analysisoptions<index>"
    OptionsWindowFactory window = nullptr;
};

/// One analysis of the main window's list. The main window knows the analyses only through these
/// entries: it fills its list and its Options menu from them and starts a run through `start`.
struct AnalysisEntry {
    QString listText;        ///< its item in the analysis list
    OptionsMenuItem options; ///< no window when the analysis has no options
    StartFunction start;     ///< reads the files, runs the engine and opens the results window
};

/// The analyses of the main window's list, in the list's order (positions 0..5).
const std::vector<AnalysisEntry>& analysisTable();

template <typename Dialog> std::unique_ptr<QDialog> makeOptionsWindow(ProgramState& state, QWidget* parent)
{
    return std::make_unique<Dialog>(state, parent);
}

template <typename Window, typename Result>
ResultsWindow* makeResultsWindow(ProgramState& state, const Result& result, std::unique_ptr<QTemporaryDir> folder,
                                 QWidget* parent)
{
    return new Window(state, result, std::move(folder), parent);
}

/// The start function of an analysis whose `run` gives a `Result` that `window` shows. `run` works
/// on the worker thread (fills the analysis's input from the context, runs the engine, writes the
/// report into the context's folder); `window` is called on the window's thread after it succeeded.
template <typename Result>
StartFunction startWith(Result (*run)(RunContext& context, RunListener& listener),
                        ResultsWindow* (*window)(ProgramState&, const Result&, std::unique_ptr<QTemporaryDir>,
                                                 QWidget*))
{
    return [run, window](RunContext context) {
        // Written by the worker thread, read by the window's thread only after the worker has ended.
        auto result = std::make_shared<std::optional<Result>>();
        PreparedRun prepared;
        prepared.work = [run, result, context = std::move(context)](RunListener& listener) mutable {
            result->emplace(run(context, listener));
        };
        prepared.openResults = [window, result](ProgramState& state, std::unique_ptr<QTemporaryDir> folder,
                                                QWidget* parent) {
            return window(state, **result, std::move(folder), parent);
        };
        return prepared;
    };
}

} // namespace tessaloc::ui
