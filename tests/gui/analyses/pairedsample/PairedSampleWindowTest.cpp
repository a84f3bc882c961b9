// The paired-sample results window over results the test gives it: the quantity list redrawing the
// chart, the report, the menus, and the report's removal on closing.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/pairedsample/PairedSampleResultsWindow.h"
#include "ui/shell/AnalysisTable.h"
#include "ui/shell/ProgramState.h"

#include "analyses/pairedsample/PairedSampleResult.h"

#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QValueAxis>
#include <QtTest>

using namespace tessaloc;
using namespace tessaloc::ui;
using namespace tessaloc::ui::test;

namespace {

PairedSampleResult fourRanks()
{
    PairedSampleResult result;
    result.lijValues = {0.12, 0.18, 0.25, 0.31};
    result.pValues = {0.01, 0.04, 0.2, 0.6};
    result.meanGeoDistances = {1.5, 2.75, 4.0, 6.25};
    return result;
}

std::string report()
{
    return std::string(kPairedSampleReportTitle) + "\r\n\r\nNeighbour ranks: 4\r\n";
}

QString leftTitle(const Chart& chart)
{
    return chartAxis(chart, Qt::Vertical)->titleText();
}

QList<QPointF> againstRank(const std::vector<double>& values)
{
    QList<QPointF> points;
    for (size_t i = 0; i < values.size(); ++i)
        points.append(QPointF(static_cast<double>(i + 1), values[i]));
    return points;
}

} // namespace

class PairedSampleWindowTest : public QObject {
    Q_OBJECT

    ProgramState m_state;
    QTemporaryDir m_saved;

    std::unique_ptr<PairedSampleResultsWindow> makeWindow()
    {
        return showResultsWindow<PairedSampleResultsWindow>(m_state, fourRanks(), kPairedSampleReportFileName,
                                                            report());
    }

private slots:
    void showsItsCaptionPagesListAndReport()
    {
        auto window = makeWindow();
        QCOMPARE(window->objectName(), QStringLiteral("PSGDAPlotForm"));
        QCOMPARE(window->windowTitle(), QStringLiteral("PSGDA Results"));
        QCOMPARE(window->tabs()->count(), 2);
        QCOMPARE(window->tabs()->currentIndex(), 0);
        QCOMPARE(window->tabs()->widget(0), window->chart());
        QCOMPARE(window->tabs()->widget(1), window->reportView());
        QCOMPARE(window->reportText(), QString::fromStdString(report()));
        QVERIFY(window->reportView()->font().fixedPitch());

        auto* label = window->findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(label->text(), QStringLiteral("Show graph of"));
        QVERIFY(label->isVisible());
        QComboBox* list = window->quantityList();
        QCOMPARE(list->objectName(), QStringLiteral("Combo1"));
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->itemText(0), QStringLiteral("Lij,ik values"));
        QCOMPARE(list->itemText(1), QStringLiteral("P-values"));
        QCOMPARE(list->itemText(2), QStringLiteral("Ave. Geo. Distances"));
        QCOMPARE(list->currentIndex(), 0);

        Chart* chart = window->chart();
        QCOMPARE(chart->chart()->title(), QStringLiteral("PSGDA Test Results"));
        QCOMPARE(chartAxis(*chart, Qt::Horizontal)->titleText(), QStringLiteral("Neighbor Rank"));
        QCOMPARE(leftTitle(*chart), QStringLiteral("Lij,ik"));
        QCOMPARE(chart->points(0), againstRank(fourRanks().lijValues));
        QCOMPARE(chart->symbolColor(), QColor(Qt::blue));
        QCOMPARE(chart->symbolShape(), SymbolShape::Circle);
    }

    void theListRedrawsSeriesZeroAndTitlesTheLeftAxis()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        Chart* chart = window->chart();
        dialogs.colorAnswer = QColor(Qt::darkGreen);
        menuItem(*window, "symbolcolor")->trigger();

        window->quantityList()->setCurrentIndex(1);
        QCOMPARE(chart->points(0), againstRank(fourRanks().pValues));
        QCOMPARE(leftTitle(*chart), QStringLiteral("P-value"));
        // Each redraw is in blue again.
        QCOMPARE(chart->symbolColor(), QColor(Qt::blue));

        window->quantityList()->setCurrentIndex(2);
        QCOMPARE(chart->points(0), againstRank(fourRanks().meanGeoDistances));
        QCOMPARE(leftTitle(*chart), QStringLiteral("Ave. Geo. Distance"));

        window->quantityList()->setCurrentIndex(0);
        QCOMPARE(chart->points(0), againstRank(fourRanks().lijValues));
        QCOMPARE(leftTitle(*chart), QStringLiteral("Lij,ik"));
        QCOMPARE(chart->seriesCount(), 1);
    }

    void hasTheMenusOfTheDistogramWindows()
    {
        auto window = makeWindow();
        QCOMPARE(itemCaptions(*menu(*window, "MantelPlotMnu")),
                 (QStringList{QStringLiteral("Copy to Clipboard as Metafile"), QStringLiteral("Print Graph"),
                              QStringLiteral("-"), QStringLiteral("Copy text to clipboard"),
                              QStringLiteral("Save Text to file")}));
        QCOMPARE(menu(*window, "chrtedit")->title(), QStringLiteral("Edit Chart"));
        QVERIFY(menu(*window, "chrtedit")->actions().isEmpty());
        QCOMPARE(itemCaptions(*menu(*window, "chartsymbols")),
                 (QStringList{QStringLiteral("Color"), QStringLiteral("Shape"), QStringLiteral("Size")}));
        QCOMPARE(menuItem(*window, "PSDGAHelp")->text(), QStringLiteral("Help"));
    }

    void theTextCommandsCopyAndSaveTheReport()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        const QString problem =
            checkTextCommands(dialogs, *window, "MantelPlotMenu3", "MantelPlotMenu4", m_saved.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void printGraphPrintsTheChart()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        const QString problem =
            checkPrintGraph(dialogs, *window, "MantelPlotMenu1", m_saved.filePath(QStringLiteral("ranks.pdf")));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void closingRemovesTheReport()
    {
        auto window = makeWindow();
        const QString reportFile =
            QDir(window->runFolderPath()).filePath(QString::fromLatin1(kPairedSampleReportFileName));
        QVERIFY(QFile::exists(reportFile));
        window->close();
        QVERIFY(!QFile::exists(reportFile));
        QVERIFY(window->runFolderPath().isEmpty());
    }

    void helpOpensThePairedSamplePage()
    {
        auto window = makeWindow();
        QCOMPARE(helpPageOpenedBy(*window, "PSDGAHelp"), QStringLiteral("qrc:/help/paired-sample.html"));
    }

    void isNotAnAnalysisOfTheMainWindow()
    {
        for (const AnalysisEntry& analysis : analysisTable())
            QVERIFY(!analysis.listText.contains(QStringLiteral("Paired"), Qt::CaseInsensitive));
    }
};

TESSALOC_GUI_TEST_MAIN(PairedSampleWindowTest)
#include "PairedSampleWindowTest.moc"
