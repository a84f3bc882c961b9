// The mixed-model regression run from the main window, its options window (the list of predictor
// matrices, none twice) and its results window (coefficient table and report).
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/mlpe/MlpeOptionsDialog.h"
#include "ui/analyses/mlpe/MlpeResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"

#include "analyses/mlpe/Mlpe.h"
#include "core/NumberText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

using namespace tessaloc;
using namespace tessaloc::ui;
using namespace tessaloc::ui::test;

namespace {

constexpr int kMlpe = 8;

QString masked(double value)
{
    return QString::fromStdString(formatMask(value, NumberMask::Point10));
}

template <typename Widget> Widget* child(const QWidget& parent, const char* name)
{
    auto* widget = parent.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

MlpeInput exampleInput()
{
    MlpeInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
    input.settings.predictors.push_back(
        {GeoDistanceKind::Circuit, examplePath(QStringLiteral("microsatellites/resistance.asc")).toStdString()});
    return input;
}

} // namespace

class MlpeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aRunFromTheMainWindowShowsTheReportOfTheEngine()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), 1, 1);
        QCOMPARE(runAnalysis(*window, kMlpe), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        auto* results = qobject_cast<MlpeResultsWindow*>(window->resultsWindow());
        QVERIFY(results);
        const MlpeResult expected =
            RunMlpe(MlpeInput{exampleFiles(QStringLiteral("microsatellites")), {}}, RunListener::none());
        QCOMPARE(results->reportText(), QString::fromLatin1(MlpeReport(expected)));
        results->close();
    }

    void theOptionsWindowAddsPredictorsOnceAndRemovesThem()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MlpeOptionsDialog window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Mixed-Model Regression (MLPE) Options"));
        auto* list = child<QListWidget>(window, "List1");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("straight: straight lines"));

        // The straight line again is refused with a message.
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(list->count(), 1);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].contains(QStringLiteral("\"straight\" twice")));

        auto* kind = child<QComboBox>(window, "geoDistanceKind");
        kind->setCurrentIndex(kind->findData(static_cast<int>(GeoDistanceKind::Matrix)));
        child<QLineEdit>(window, "geoDistanceFile")->setText(QStringLiteral("habitat.csv"));
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(list->count(), 2);
        list->setCurrentRow(0);
        child<QPushButton>(window, "Command3")->click();
        QCOMPARE(list->count(), 1);
        child<QPushButton>(window, "OKButton")->click();
        QCOMPARE(state.settings.mlpe.predictors.size(), size_t{1});
        QCOMPARE(state.settings.mlpe.predictors[0].kind, GeoDistanceKind::Matrix);
        QCOMPARE(state.settings.mlpe.predictors[0].file, std::string("habitat.csv"));
    }

    void theResultsWindowShowsCoefficientsAndReport()
    {
        ProgramState state;
        const MlpeResult result = RunMlpe(exampleInput(), RunListener::none());
        auto window = showResultsWindow<MlpeResultsWindow>(state, result, kMlpeReportFileName, MlpeReport(result));
        QCOMPARE(window->windowTitle(), QStringLiteral("Mixed-Model Regression (MLPE) Results"));
        QCOMPARE(window->tabs()->count(), 2);
        QCOMPARE(window->tabs()->tabText(0), QStringLiteral("Coefficients"));
        QCOMPARE(window->tabs()->tabText(1), QStringLiteral("Results"));
        QTableWidget* table = window->coefficientTable();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->verticalHeaderItem(2)->text(), QStringLiteral("resistance.asc"));
        for (int row = 0; row < 3; ++row) {
            const MlpeTerm& term = result.terms[static_cast<size_t>(row)];
            QCOMPARE(table->item(row, 0)->text(), masked(term.estimate));
            QCOMPARE(table->item(row, 1)->text(), masked(term.standardError));
            QCOMPARE(table->item(row, 3)->text(), masked(term.p));
        }
        QVERIFY(window->reportText().contains(QStringLiteral("\r\nAICc = ")));
        QVERIFY(helpPageOpenedBy(*window, "MlpeHelp").endsWith(QStringLiteral("mlpe.html")));
    }
};

TESSALOC_GUI_TEST_MAIN(MlpeWindowTest)
#include "MlpeWindowTest.moc"
