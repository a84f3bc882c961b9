#pragma once

#include "ui/widgets/UiHooks.h"

#include "analyses/AnalysisInput.h"
#include "analyses/mantel/Mantel.h"
#include "core/Errors.h"
#include "core/ReportWriter.h"

#include <QApplication>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QValueAxis;
class QWidget;

namespace tessaloc::ui {
class Chart;
class MainWindow;
class ResultsWindow;
struct ProgramState;
} // namespace tessaloc::ui

namespace tessaloc::ui::test {

/// Replaces every dialog of the windows with answers given in advance and records the messages
/// shown, so that no test ever waits for a user. The platform dialogs come back on destruction.
class ScriptedDialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    QStringList messages;           ///< texts of the message boxes, in order
    QStringList details;            ///< their details
    QStringList questions;          ///< the yes-or-no questions asked, in order
    bool proceedAnswer = true;      ///< the answer to every question (true: yes)
    QStringList dialogTitles;       ///< titles of the file dialogs asked for
    QString openAnswer;             ///< the file an open dialog returns (empty: cancelled)
    QString saveAnswer;             ///< the file a save dialog returns (empty: cancelled)
    QStringList saveFolders;        ///< the folders the save dialogs were asked to start in
    QList<QStringList> saveFilters; ///< the kinds of file offered by the save dialogs that offer kinds
    std::optional<QColor> colorAnswer;
    QString printToPdf; ///< print dialogs print to this PDF file (empty: cancelled)
};

/// The plain text of a rich-text document as a word processor shows it: paragraphs become line
/// ends, escapes become characters, the font table is skipped. Enough for the documents the
/// program writes.
QString rtfToPlainText(const QByteArray& rtf);

/// The bytes of the file at `path`; empty when it cannot be read.
QByteArray readAll(const QString& path);

/// The path of a file of the examples folder.
QString examplePath(const QString& relative);

/// The two files of the example in `folder`, read as codominant data with planar coordinates.
AnalysisInput exampleFiles(const QString& folder);

/// A Mantel run of the example in `folder` (codominant data, planar coordinates).
MantelInput exampleMantelInput(const QString& folder, long long permutations);

/// Puts the files of the example in `folder` into the main window's two file boxes.
void pickExample(MainWindow& window, const QString& folder);

/// A shown main window (owned by the caller, who includes ui/MainWindow.h) with the example in
/// `folder` picked, whose runs start the generator at (`seed1`, `seed2`).
std::unique_ptr<MainWindow> mainWindowWithExample(ProgramState& state, const QString& folder, std::int64_t seed1,
                                                  std::int64_t seed2);

/// Chooses the analysis at list position `analysis` in the main window, presses "Go" and waits for
/// the run to end. Returns its outcome, or nothing when it did not end within `timeoutMs`.
std::optional<RunOutcome> runAnalysis(MainWindow& window, int analysis, int timeoutMs = 120000);

/// The menu item or menu named `name` in `window`; the test fails when there is none.
QAction* menuItem(const QWidget& window, const char* name);
QMenu* menu(const QWidget& window, const char* name);

/// The captions of a menu's items in order, "-" for a separator.
QStringList itemCaptions(const QMenu& menu);

/// The general message of a failed run.
QString generalErrorMessage();

/// The bottom (Qt::Horizontal) or left (Qt::Vertical) axis of `chart`.
QValueAxis* chartAxis(const Chart& chart, Qt::Orientation orientation);

/// Triggers the print item `printItem` of `window` with the print dialog answered by printing to
/// `pdfPath`. Returns an empty text when a PDF was written and no message shown, else what went
/// wrong.
QString checkPrintGraph(ScriptedDialogs& dialogs, ResultsWindow& window, const char* printItem, const QString& pdfPath);

/// Triggers the help item `helpItem` of `window`; the address of the help page that opened, or an
/// empty text when none did.
QString helpPageOpenedBy(ResultsWindow& window, const char* helpItem);

/// Checks a results window's text commands: `copyItem` puts the report on the clipboard as plain
/// text, `saveItem` saves it through the "Save Text File" dialog (answered by `dialogs`) into
/// `folder`. Returns an empty text, or what went wrong.
QString checkTextCommands(ScriptedDialogs& dialogs, ResultsWindow& window, const char* copyItem, const char* saveItem,
                          const QString& folder);

/// A results window of type `Window` over `result`, shown at 700 x 500 and kept when closed (the
/// caller owns it). Its private folder holds `report` under `reportFileName` (none when empty).
template <typename Window, typename Result>
std::unique_ptr<Window> showResultsWindow(ProgramState& state, const Result& result, const char* reportFileName,
                                          const std::string& report, QWidget* parent = nullptr)
{
    auto folder = std::make_unique<QTemporaryDir>();
    if (!report.empty())
        writeReportFile(QFile::encodeName(folder->path()).toStdString(), reportFileName, report);
    auto window = std::make_unique<Window>(state, result, std::move(folder), parent);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(700, 500);
    window->show();
    return window;
}

/// Runs the QtTest object `test` under the QApplication already made. When the environment variable
/// TESSALOC_EXPECT_DECIMAL_POINT is set, it first checks that the locale the test was started in has
/// taken effect (its decimal point is that text), so that a run meant for another locale fails
/// rather than passing in the "C" locale.
int runGuiTest(QObject& test, int argc, char** argv);

} // namespace tessaloc::ui::test

/// The main function of a window test: QTEST_MAIN with the locale check of runGuiTest.
#define TESSALOC_GUI_TEST_MAIN(TestClass)                                                                              \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QApplication application(argc, argv);                                                                          \
        TestClass test;                                                                                                \
        return tessaloc::ui::test::runGuiTest(test, argc, argv);                                                       \
    }
