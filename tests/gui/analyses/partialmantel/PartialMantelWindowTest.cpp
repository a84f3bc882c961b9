// The partial Mantel test run from the main window, its options window and its results window.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/partialmantel/PartialMantelOptionsDialog.h"
#include "ui/analyses/partialmantel/PartialMantelResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/Chart.h"

#include "analyses/partialmantel/PartialMantel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cmath>

using namespace tessaloc;
using namespace tessaloc::ui;
using namespace tessaloc::ui::test;

namespace {

constexpr std::int64_t kSeed1 = 4242;
constexpr std::int64_t kSeed2 = 777;
/// Its position in the analysis list: after the six of the first design.
constexpr int kPartialMantel = 6;

GeoDistanceSettings choice(GeoDistanceKind kind, const QString& file = {})
{
    GeoDistanceSettings settings;
    settings.kind = kind;
    settings.file = QFile::encodeName(file).toStdString();
    return settings;
}

// Pearson's correlation of the points, computed here.
double correlationOf(const QList<QPointF>& points)
{
    double sx = 0, sy = 0;
    for (const QPointF& p : points) {
        sx += p.x();
        sy += p.y();
    }
    const double mx = sx / static_cast<double>(points.size());
    const double my = sy / static_cast<double>(points.size());
    double sxx = 0, syy = 0, sxy = 0;
    for (const QPointF& p : points) {
        sxx += (p.x() - mx) * (p.x() - mx);
        syy += (p.y() - my) * (p.y() - my);
        sxy += (p.x() - mx) * (p.y() - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

} // namespace

class PartialMantelWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theOptionsWindowEditsTheSettingsOnOk()
    {
        ProgramState state;
        {
            PartialMantelOptionsDialog dialog(state);
            QCOMPARE(dialog.objectName(), QStringLiteral("PartialMantelForm"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Partial Mantel Test Options"));
            auto* zKind = dialog.findChild<QComboBox*>(QStringLiteral("zKind"));
            // Z starts as a matrix file still to be named; X as straight lines.
            QCOMPARE(zKind->currentData().toInt(), static_cast<int>(GeoDistanceKind::Matrix));
            QVERIFY(!dialog.findChild<QLineEdit*>(QStringLiteral("xFile"))->isEnabled());
            dialog.findChild<QLineEdit*>(QStringLiteral("permutations"))->setText(QStringLiteral("99"));
            auto* xKind = dialog.findChild<QComboBox*>(QStringLiteral("xKind"));
            xKind->setCurrentIndex(xKind->findData(static_cast<int>(GeoDistanceKind::LeastCost)));
            dialog.findChild<QLineEdit*>(QStringLiteral("xFile"))->setText(QStringLiteral("surface.asc"));
            dialog.findChild<QComboBox*>(QStringLiteral("xNeighbours"))->setCurrentIndex(1);
            dialog.findChild<QLineEdit*>(QStringLiteral("zFile"))->setText(QStringLiteral("habitat.csv"));
            dialog.findChild<QCheckBox*>(QStringLiteral("rank"))->setChecked(true);
            dialog.findChild<QCheckBox*>(QStringLiteral("pairTable"))->setChecked(false);
            dialog.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        }
        const PartialMantelSettings& settings = state.settings.partialMantel;
        QCOMPARE(settings.permutations.count, 99);
        QCOMPARE(settings.x.kind, GeoDistanceKind::LeastCost);
        QCOMPARE(settings.x.file, std::string("surface.asc"));
        QCOMPARE(settings.x.neighbours, 4);
        QCOMPARE(settings.z.kind, GeoDistanceKind::Matrix);
        QCOMPARE(settings.z.file, std::string("habitat.csv"));
        QVERIFY(settings.rank);
        QVERIFY(!settings.pairTable);

        // Opened again, it shows what was stored.
        PartialMantelOptionsDialog again(state);
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("xFile"))->text(), QStringLiteral("surface.asc"));
        QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("xNeighbours"))->currentData().toInt(), 4);
        QVERIFY(again.findChild<QCheckBox*>(QStringLiteral("rank"))->isChecked());
    }

    void aRunShowsTheResidualsAfterZAndTheReport()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        PartialMantelSettings& settings = state.settings.partialMantel;
        settings.permutations.count = 20;
        settings.x = choice(GeoDistanceKind::LeastCost, examplePath(QStringLiteral("microsatellites/resistance.asc")));
        settings.z = choice(GeoDistanceKind::Straight);
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kPartialMantel), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        auto* results = qobject_cast<PartialMantelResultsWindow*>(window->resultsWindow());
        QVERIFY(results);
        QCOMPARE(results->windowTitle(), QStringLiteral("Partial Mantel Test Analysis Results"));

        // The same run through the engine, with the same seed.
        PartialMantelInput input{exampleFiles(QStringLiteral("microsatellites")), settings};
        RandomUniform random(kSeed1, kSeed2);
        const PartialMantelResult expected = RunPartialMantel(input, random, RunListener::none());
        QCOMPARE(results->reportText(), QString::fromLatin1(PartialMantelReport(expected)));

        // One point per pair; the correlation of the residuals after Z is the partial r.
        const Chart* chart = results->chart();
        QCOMPARE(chart->pointCount(0), 30 * 29 / 2);
        QCOMPARE(chart->seriesCount(), 2);
        const double r = correlationOf(chart->points(0));
        QVERIFY2(std::abs(r - expected.r) < 1e-9,
                 qPrintable(QString::number(r) + " against " + QString::number(expected.r)));
        QCOMPARE(helpPageOpenedBy(*results, "PartialMantelHelp"), QStringLiteral("qrc:/help/partial-mantel.html"));
        results->close();
    }

    void zWithoutAFileIsAMessageAndNoWindow()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        state.settings.partialMantel.permutations.count = 5;
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kPartialMantel), RunOutcome::DataProblem);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages.constFirst().contains(QStringLiteral("No file is named for Z")),
                 qPrintable(dialogs.messages.constFirst()));
        QVERIFY(!window->resultsWindow());
    }
};

TESSALOC_GUI_TEST_MAIN(PartialMantelWindowTest)
#include "PartialMantelWindowTest.moc"
