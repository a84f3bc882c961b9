#pragma once

#include "ui/shell/ProgramState.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace tessaloc::ui {

/// Makes an analysis's options window for the Options menu.
using OptionsWindowFactory = std::unique_ptr<QDialog> (*)(ProgramState& state, QWidget* parent);

/// The item of the Options menu that opens an analysis's options window.
struct OptionsMenuItem {
    QString caption;
    int index = -1; ///< part of the item's object name, "analysisoptions<index>"
    OptionsWindowFactory window = nullptr;
};

template <typename Dialog> std::unique_ptr<QDialog> makeOptionsWindow(ProgramState& state, QWidget* parent)
{
    return std::make_unique<Dialog>(state, parent);
}

/// The window program's own part of the analysis `A` (see analyses/Analysis.h): its item in the
/// analysis list, its options window and its results window. Each analysis specialises it in
/// `<Name>Windows.h` of its folder under ui/ with
///
///     static QString listText();                    // its item in the analysis list
///     static OptionsMenuItem optionsMenuItem();     // {} when it has no options window
///     static typename A::Settings settings(const ProgramSettings&);  // its part of the settings
///     using ResultsWindow = ...;
///
/// where the results window, derived from ResultsWindow, is made on the window's thread as
/// `ResultsWindow(ProgramState&, A::Result&&, std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)`
/// and takes the run's private folder over. A missing specialisation stops the build where the
/// analysis table is made.
template <typename A> struct AnalysisWindows;

} // namespace tessaloc::ui
