#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace tessaloc::ui {

/// A message with an OK button. `detail` (may be empty) is shown beneath it on request, so that
/// the message itself stays exactly as the user expects it.
struct Message {
    QString text;
    QString detail;
};

/// Every place where a window would wait for the user in a dialog of the platform. The windows call
/// these instead of the dialogs; the program uses the defaults, and the tests put in functions that
/// answer at once, so that no dialog ever blocks a test.
struct UiHooks {
    /// Shows a message box with an OK button only, titled with the program's name.
    std::function<void(QWidget* parent, const Message& message)> showMessage;
    /// Asks a yes-or-no question; true when the user answered yes.
    std::function<bool(QWidget* parent, const Message& question)> askToProceed;
    /// An existing file to open, or an empty text when the user cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& startPath)> openFileName;
    /// A file name to save to, or an empty text when the user cancelled. The dialog starts in
    /// `startFolder` (the current folder when it is empty).
    std::function<QString(QWidget* parent, const QString& title, const QString& startFolder)> saveFileName;
    /// The same for files of the kinds `nameFilters` lists ("SVG drawing (*.svg)", ...); a name typed
    /// without an ending gets the ending of the kind chosen.
    std::function<QString(QWidget* parent, const QString& title, const QString& startFolder,
                          const QStringList& nameFilters)>
        saveFileNameOfType;
    /// A colour, or nothing when the user cancelled.
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> chooseColor;
    /// Lets the user choose and set up a printer (or a PDF file); false when cancelled.
    std::function<bool(QWidget* parent, QPrinter& printer)> preparePrinter;
};

/// The hooks in use, initially the platform dialogs.
UiHooks& uiHooks();
/// Puts the platform dialogs back.
void restoreDefaultUiHooks();

/// Shorthand for uiHooks().showMessage.
void showMessage(QWidget* parent, const QString& text, const QString& detail = {});

} // namespace tessaloc::ui
