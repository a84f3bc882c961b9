// The fine-scale structure analysis run from the main window, its options window and its results
// window.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/kinship/KinshipOptionsDialog.h"
#include "ui/analyses/kinship/KinshipResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/Chart.h"

#include "analyses/kinship/Kinship.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace tessaloc;
using namespace tessaloc::ui;
using namespace tessaloc::ui::test;

namespace {

constexpr std::int64_t kSeed1 = 4242;
constexpr std::int64_t kSeed2 = 777;
/// Its position in the analysis list: after the eight before it.
constexpr int kKinship = 10;

QString fileText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll());
}

} // namespace

class KinshipWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theOptionsWindowEditsTheSettingsOnOk()
    {
        ProgramState state;
        {
            KinshipOptionsDialog dialog(state);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Fine-Scale Spatial Structure Options"));
            dialog.findChild<QLineEdit*>(QStringLiteral("boundsEdit"))->setText(QStringLiteral("5, 10,20"));
            dialog.findChild<QLineEdit*>(QStringLiteral("permutationsEdit"))->setText(QStringLiteral("99"));
            dialog.findChild<QComboBox*>(QStringLiteral("estimators"))->setCurrentIndex(2);
            dialog.findChild<QCheckBox*>(QStringLiteral("jackknife"))->setChecked(false);
            dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        }
        const KinshipSettings& settings = state.settings.kinship;
        QCOMPARE(settings.classBounds, (std::vector<double>{5, 10, 20}));
        QCOMPARE(settings.permutations.count, 99);
        QCOMPARE(settings.rousset, RoussetChoice::No);
        QVERIFY(!settings.jackknife);
        KinshipOptionsDialog again(state);
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("boundsEdit"))->text(), QStringLiteral("5, 10, 20"));
    }

    void boundsNotIncreasingAreAMessageAndStayUnchanged()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        KinshipOptionsDialog dialog(state);
        dialog.findChild<QLineEdit*>(QStringLiteral("boundsEdit"))->setText(QStringLiteral("10, 5"));
        dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(state.settings.kinship.classBounds.empty());
    }

    void aRunShowsTheCorrelogramThePairsAndTheReport()
    {
        ScriptedDialogs dialogs;
        ProgramState state;
        KinshipSettings& settings = state.settings.kinship;
        settings.permutations.count = 49;
        settings.classBounds = {5, 10, 20};
        auto window = mainWindowWithExample(state, QStringLiteral("microsatellites"), kSeed1, kSeed2);
        QCOMPARE(runAnalysis(*window, kKinship), RunOutcome::Success);
        QVERIFY(dialogs.messages.isEmpty());
        auto* results = qobject_cast<KinshipResultsWindow*>(window->resultsWindow());
        QVERIFY(results);
        QCOMPARE(results->windowTitle(), QStringLiteral("Fine-Scale Spatial Structure Results"));

        // The same run through the engine, with the same seed.
        KinshipInput input{exampleFiles(QStringLiteral("microsatellites")), settings};
        RandomUniform random(kSeed1, kSeed2);
        const KinshipResult expected = RunKinship(input, random, RunListener::none());
        QCOMPARE(results->reportText(), QString::fromLatin1(KinshipReport(expected)));

        // One correlogram point per class at its mean distance; hollow where the corrected P is
        // above 0.05.
        const Chart* correlogram = results->correlogram();
        QCOMPARE(correlogram->pointCount(0), 4);
        for (int c = 0; c < 4; ++c) {
            const KinshipClassRow& row = expected.rows[static_cast<size_t>(c)];
            QCOMPARE(correlogram->points(0)[c], QPointF(row.meanDistance, row.kinship.estimate));
            QCOMPARE(correlogram->isHollow(c), !(row.pHolm <= 0.05 * (1.0 + 1e-12)));
        }
        QCOMPARE(correlogram->intervalBars().size(), 4);
        // Every pair at a distance above 0 against ln(distance), with the regression line.
        QCOMPARE(results->kinshipPlot()->pointCount(0), static_cast<int>(expected.pairs - expected.zeroDistancePairs));
        QCOMPARE(results->kinshipPlot()->seriesCount(), 2);
        QCOMPARE(results->roussetPlot()->seriesCount(), 2);

        // The two tables, as the batch program writes them.
        QTemporaryDir folder;
        QVERIFY(results->saveClassTableTo(folder.filePath(QStringLiteral("classes.csv"))));
        QVERIFY(results->saveSummaryTo(folder.filePath(QStringLiteral("summary.csv"))));
        QCOMPARE(fileText(folder.filePath(QStringLiteral("classes.csv"))),
                 QString::fromLatin1(KinshipClassTable(expected)));
        QCOMPARE(fileText(folder.filePath(QStringLiteral("summary.csv"))),
                 QString::fromLatin1(KinshipSummaryTable(expected)));
        QCOMPARE(helpPageOpenedBy(*results, "KinshipHelp"), QStringLiteral("qrc:/help/kinship.html"));
        results->close();
    }
};

TESSALOC_GUI_TEST_MAIN(KinshipWindowTest)
#include "KinshipWindowTest.moc"
