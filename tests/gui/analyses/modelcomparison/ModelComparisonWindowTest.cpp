// The comparison of hypotheses run from the main window, its options window (named models, each a
// set of predictors) and its results window (ranking, bar chart of the weights, report).
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/modelcomparison/ModelComparisonOptionsDialog.h"
#include "ui/analyses/modelcomparison/ModelComparisonResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"

#include "analyses/modelcomparison/ModelComparison.h"
#include "core/NumberText.h"

#include <QBarSet>
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

constexpr int kModelComparison = 9;

template <typename Widget> Widget* child(const QWidget& parent, const char* name)
{
    auto* widget = parent.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

ModelComparisonInput exampleInput()
{
    ModelComparisonInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
    const GeoDistanceSettings surface{GeoDistanceKind::Circuit,
                                      examplePath(QStringLiteral("microsatellites/resistance.asc")).toStdString()};
    input.settings.models.push_back({"surface", {surface}});
    input.settings.models.push_back({"both", {GeoDistanceSettings{}, surface}});
    return input;
}

} // namespace

class ModelComparisonWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aRunFromTheMainWindowShowsTheReportOfTheEngine()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), 1, 1);
        QCOMPARE(runAnalysis(*window, kModelComparison), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        auto* results = qobject_cast<ModelComparisonResultsWindow*>(window->resultsWindow());
        QVERIFY(results);
        const ModelComparisonResult expected = RunModelComparison(
            ModelComparisonInput{exampleFiles(QStringLiteral("microsatellites")), {}}, RunListener::none());
        QCOMPARE(results->reportText(), QString::fromLatin1(ModelComparisonReport(expected)));
        results->close();
    }

    void theOptionsWindowMakesNamedModels()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        ModelComparisonOptionsDialog window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Compare Hypotheses Options"));
        auto* models = child<QListWidget>(window, "List1");
        QCOMPARE(models->count(), 1);
        QCOMPARE(models->item(0)->text(), QStringLiteral("distance: straight"));

        // A model needs predictors, a name of its own, and each predictor once.
        child<QLineEdit>(window, "Text1")->setText(QStringLiteral("habitat"));
        child<QPushButton>(window, "Command4")->click();
        QCOMPARE(models->count(), 1);
        auto* kind = child<QComboBox>(window, "geoDistanceKind");
        kind->setCurrentIndex(kind->findData(static_cast<int>(GeoDistanceKind::Matrix)));
        child<QLineEdit>(window, "geoDistanceFile")->setText(QStringLiteral("habitat.csv"));
        child<QPushButton>(window, "Command2")->click();
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(window.newPredictors().size(), size_t{1});
        child<QLineEdit>(window, "Text1")->setText(QStringLiteral("distance"));
        child<QPushButton>(window, "Command4")->click();
        QCOMPARE(models->count(), 1);
        QCOMPARE(dialogs.messages.size(), 3);
        QVERIFY(dialogs.messages[0].contains(QStringLiteral("has no predictor")));
        QVERIFY(dialogs.messages[1].contains(QStringLiteral("twice")));
        QVERIFY(dialogs.messages[2].contains(QStringLiteral("\"distance\" is given twice")));

        child<QLineEdit>(window, "Text1")->setText(QStringLiteral("habitat"));
        child<QPushButton>(window, "Command4")->click();
        QCOMPARE(models->count(), 2);
        QCOMPARE(models->item(1)->text(), QStringLiteral("habitat: habitat.csv"));
        QVERIFY(window.newPredictors().empty());
        models->setCurrentRow(0);
        child<QPushButton>(window, "Command3")->click();
        child<QPushButton>(window, "OKButton")->click();
        QCOMPARE(state.settings.modelComparison.models.size(), size_t{1});
        QCOMPARE(state.settings.modelComparison.models[0].name, std::string("habitat"));
    }

    void theResultsWindowShowsRankingWeightsAndReport()
    {
        ProgramState state;
        const ModelComparisonResult result = RunModelComparison(exampleInput(), RunListener::none());
        auto window = showResultsWindow<ModelComparisonResultsWindow>(state, result, kModelComparisonReportFileName,
                                                                      ModelComparisonReport(result));
        QCOMPARE(window->windowTitle(), QStringLiteral("Compare Hypotheses Results"));
        QCOMPARE(window->tabs()->count(), 3);
        QCOMPARE(window->tabs()->tabText(0), QStringLiteral("Models"));
        QCOMPARE(window->tabs()->tabText(1), QStringLiteral("Weights"));
        QCOMPARE(window->tabs()->tabText(2), QStringLiteral("Results"));
        QTableWidget* table = window->modelTable();
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(window->weightBars()->count(), 4);
        for (int row = 0; row < 4; ++row) {
            const RankedModel& model = result.ranking[static_cast<size_t>(row)];
            QCOMPARE(table->verticalHeaderItem(row)->text(), QString::fromStdString(model.name));
            QCOMPARE(window->weightBars()->at(row), model.weight);
        }
        QVERIFY(helpPageOpenedBy(*window, "ModelComparisonHelp").endsWith(QStringLiteral("compare-hypotheses.html")));
    }
};

TESSALOC_GUI_TEST_MAIN(ModelComparisonWindowTest)
#include "ModelComparisonWindowTest.moc"
