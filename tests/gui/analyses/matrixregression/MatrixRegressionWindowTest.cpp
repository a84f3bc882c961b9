// The multiple matrix regression run from the main window, its options window (the list of predictor
// matrices) and its results window (coefficient table, observed against fitted, report).
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/matrixregression/MatrixRegressionOptionsDialog.h"
#include "ui/analyses/matrixregression/MatrixRegressionResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/Chart.h"

#include "analyses/matrixregression/MatrixRegression.h"
#include "core/NumberText.h"

#include <QCheckBox>
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

constexpr std::int64_t kSeed1 = 271;
constexpr std::int64_t kSeed2 = 828;
constexpr int kMatrixRegression = 7;

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

} // namespace

class MatrixRegressionWindowTest : public QObject {
    Q_OBJECT

    MatrixRegressionResult m_result;

private slots:
    void initTestCase()
    {
        MatrixRegressionInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
        input.settings.permutations.count = 99;
        input.settings.predictors.push_back(
            {GeoDistanceKind::Circuit, examplePath(QStringLiteral("microsatellites/resistance.asc")).toStdString()});
        RandomUniform random(kSeed1, kSeed2);
        m_result = RunMatrixRegression(input, random, RunListener::none());
    }

    void aRunFromTheMainWindowShowsTheReportOfTheEngine()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.matrixRegression.permutations.count = 99;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kMatrixRegression), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        auto* results = qobject_cast<MatrixRegressionResultsWindow*>(window->resultsWindow());
        QVERIFY(results);

        MatrixRegressionInput input{exampleFiles(QStringLiteral("microsatellites")), {}};
        input.settings.permutations.count = 99;
        RandomUniform random(kSeed1, kSeed2);
        const MatrixRegressionResult expected = RunMatrixRegression(input, random, RunListener::none());
        QCOMPARE(results->reportText(), QString::fromLatin1(MatrixRegressionReport(expected)));
        results->close();
    }

    void theOptionsWindowAddsAndRemovesPredictors()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        MatrixRegressionOptionsDialog window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Multiple Matrix Regression Options"));
        auto* list = child<QListWidget>(window, "List1");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("straight: straight lines"));

        auto* kind = child<QComboBox>(window, "geoDistanceKind");
        kind->setCurrentIndex(kind->findData(static_cast<int>(GeoDistanceKind::Matrix)));
        child<QLineEdit>(window, "geoDistanceFile")->setText(QStringLiteral("habitat.csv"));
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("habitat.csv: the distance matrix file \"habitat.csv\""));
        list->setCurrentRow(0);
        child<QPushButton>(window, "Command3")->click();
        QCOMPARE(list->count(), 1);

        // A surface without its file is not added: the window says what is missing.
        kind->setCurrentIndex(kind->findData(static_cast<int>(GeoDistanceKind::Circuit)));
        child<QLineEdit>(window, "geoDistanceFile")->setText(QString());
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(list->count(), 1);
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral("No resistance surface is named for the circuit resistance.")});

        child<QLineEdit>(window, "Text1")->setText(QStringLiteral("250"));
        child<QCheckBox>(window, "Check1")->setChecked(true);
        child<QCheckBox>(window, "Check2")->setChecked(true);
        child<QPushButton>(window, "OKButton")->click();
        const MatrixRegressionSettings& settings = state.settings.matrixRegression;
        QCOMPARE(settings.predictors.size(), size_t{1});
        QCOMPARE(settings.predictors[0].kind, GeoDistanceKind::Matrix);
        QCOMPARE(settings.predictors[0].file, std::string("habitat.csv"));
        QCOMPARE(settings.permutations.count, 250);
        QVERIFY(settings.rank);
        QVERIFY(settings.standardise);
    }

    void cancelLeavesTheSettings()
    {
        ProgramState state;
        MatrixRegressionOptionsDialog window(state);
        auto* list = child<QListWidget>(window, "List1");
        child<QPushButton>(window, "Command3")->click(); // nothing selected: nothing removed
        QCOMPARE(list->count(), 1);
        list->setCurrentRow(0);
        child<QPushButton>(window, "Command3")->click();
        QCOMPARE(list->count(), 0);
        window.reject();
        QCOMPARE(state.settings.matrixRegression.predictors.size(), size_t{1});
    }

    void theResultsWindowShowsCoefficientsFitAndReport()
    {
        ProgramState state;
        auto window = showResultsWindow<MatrixRegressionResultsWindow>(state, m_result, kMatrixRegressionReportFileName,
                                                                       MatrixRegressionReport(m_result));
        QCOMPARE(window->windowTitle(), QStringLiteral("Multiple Matrix Regression Results"));
        QCOMPARE(window->tabs()->count(), 3);
        QCOMPARE(window->tabs()->tabText(0), QStringLiteral("Coefficients"));
        QCOMPARE(window->tabs()->tabText(1), QStringLiteral("Scatterplot"));
        QCOMPARE(window->tabs()->tabText(2), QStringLiteral("Results"));

        QTableWidget* table = window->coefficientTable();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->verticalHeaderItem(0)->text(), QStringLiteral("Intercept"));
        QCOMPARE(table->verticalHeaderItem(1)->text(), QStringLiteral("straight"));
        QCOMPARE(table->verticalHeaderItem(2)->text(), QStringLiteral("resistance.asc"));
        for (int row = 0; row < 3; ++row) {
            const RegressionTerm& term = m_result.terms[static_cast<size_t>(row)];
            QCOMPARE(table->item(row, 0)->text(), masked(term.estimate));
            QCOMPARE(table->item(row, 1)->text(), masked(term.t));
            QCOMPARE(table->item(row, 2)->text(), masked(term.p));
        }

        // One point per pair (30 observations); the report as written.
        QVERIFY(window->chart());
        QCOMPARE(window->reportText(), QString::fromLatin1(MatrixRegressionReport(m_result)));
        QVERIFY(window->reportText().contains(QStringLiteral("\r\nR2 = ")));
        QVERIFY(helpPageOpenedBy(*window, "MatrixRegressionHelp").endsWith(QStringLiteral("matrix-regression.html")));
    }
};

TESSALOC_GUI_TEST_MAIN(MatrixRegressionWindowTest)
#include "MatrixRegressionWindowTest.moc"
