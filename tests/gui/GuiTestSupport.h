#pragma once

#include "ui/UiHooks.h"

#include "analyses/mantel/MantelTest.h"
#include "core/AnalysisInput.h"

#include <QApplication>
#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

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
