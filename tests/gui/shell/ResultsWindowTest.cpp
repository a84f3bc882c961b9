// The Mantel results window and the commands every results window shares.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/mantel/MantelResultsWindow.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/RichText.h"

#include "analyses/mantel/Mantel.h"
#include "core/ReportWriter.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGraphicsScene>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QValueAxis>
#include <QtTest>

#include <memory>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::exampleMantelInput;
using tessaloc::ui::test::readAll;
using tessaloc::ui::test::rtfToPlainText;
using tessaloc::ui::test::ScriptedDialogs;

class ResultsWindowTest : public QObject {
    Q_OBJECT

    ProgramState m_state;
    MantelResult m_result;
    QTemporaryDir m_saved;

    /// A results window over the example's run, its report in a fresh private folder.
    std::unique_ptr<MantelResultsWindow> makeWindow(QWidget* parent = nullptr)
    {
        auto folder = std::make_unique<QTemporaryDir>();
        writeReportFile(QFile::encodeName(folder->path()).toStdString(), kMantelReportFileName, MantelReport(m_result));
        auto window = std::make_unique<MantelResultsWindow>(m_state, m_result, std::move(folder), parent);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(700, 500);
        window->show();
        return window;
    }

    QAction* action(QWidget& window, const char* name)
    {
        auto* found = window.findChild<QAction*>(QLatin1String(name));
        if (!found)
            qFatal("no menu item %s", name);
        return found;
    }

private slots:
    void initTestCase()
    {
        const MantelInput input = exampleMantelInput(QStringLiteral("microsatellites"), 99);
        RandomUniform random(17, 29);
        m_result = RunMantel(input, random, RunListener::none());
        QVERIFY(m_saved.isValid());
    }

    void showsThePagesMenusAndReport()
    {
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Mantel Test Analysis Results"));
        QTabWidget* tabs = window->tabs();
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Scatterplot"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Results"));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(window->reportText(), QString::fromLatin1(MantelReport(m_result)));
        QVERIFY(window->reportView()->isReadOnly());

        QStringList items;
        for (QAction* item : window->findChild<QMenu*>(QStringLiteral("MantelPlotMnu"))->actions())
            items << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(items, (QStringList{QStringLiteral("Copy Graph to Clipboard as Metafile"),
                                     QStringLiteral("Print Graph"), QStringLiteral("-"),
                                     QStringLiteral("Copy text to clipboard"), QStringLiteral("Save Text to file")}));
        QCOMPARE(window->findChild<QMenu*>(QStringLiteral("chartmnu1"))->title(), QStringLiteral("Edit Chart"));
        QCOMPARE(window->findChild<QMenu*>(QStringLiteral("shapemenu"))->actions().size(), 4);
        QCOMPARE(window->findChild<QMenu*>(QStringLiteral("symbolsze"))->actions().size(), 5);
        QCOMPARE(action(*window, "MantelHelp")->text(), QStringLiteral("Help"));
    }

    void theReportPageAsksForAFixedPitchFont()
    {
        const QFont requested = reportFont();
        QVERIFY(requested.fixedPitch());
        QCOMPARE(requested.styleHint(), QFont::Monospace);
        auto window = makeWindow();
        QCOMPARE(window->reportView()->font().fixedPitch(), true);
        QCOMPARE(window->reportView()->font().styleHint(), QFont::Monospace);

        // Whatever font the machine gives for that request, every character of the report is as
        // wide as every other, so that the columns line up.
        const QFontMetrics metrics = window->reportView()->fontMetrics();
        const QString report = window->reportText() + QStringLiteral("0123456789.-+E ");
        const int width = metrics.horizontalAdvance(QLatin1Char('0'));
        QVERIFY(width > 0);
        QString wider;
        for (const QChar c : report)
            if (c >= QLatin1Char(' ') && metrics.horizontalAdvance(c) != width && !wider.contains(c))
                wider += c;
        QVERIFY2(wider.isEmpty(), qPrintable(QStringLiteral("characters of another width: ") + wider));
    }

    void opensCentredOverTheMainWindow()
    {
        QWidget mainWindow;
        mainWindow.setGeometry(300, 250, 200, 100);
        mainWindow.show();
        auto folder = std::make_unique<QTemporaryDir>();
        MantelResultsWindow window(m_state, m_result, std::move(folder), &mainWindow);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.resize(400, 300);
        window.show();
        const QPoint offset = window.frameGeometry().center() - mainWindow.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2 off the centre").arg(offset.x()).arg(offset.y())));
    }

    void plotsEveryPairAndTheRegressionLine()
    {
        auto window = makeWindow();
        Chart* chart = window->chart();
        QCOMPARE(chart->chart()->title(), QStringLiteral("Mantel Test Results"));
        const int n = m_result.sampleCount();
        const QList<QPointF> points = chart->points(0);
        QCOMPARE(points.size(), n * (n - 1) / 2);
        QCOMPARE(points.first(), QPointF(m_result.geographic(0, 1), m_result.genetic(0, 1)));
        QCOMPARE(points.last(), QPointF(m_result.geographic(n - 2, n - 1), m_result.genetic(n - 2, n - 1)));
        // Distances are never negative, so neither axis starts below 0, and every point is shown.
        auto* bottom = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Horizontal).constFirst());
        auto* left = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical).constFirst());
        QCOMPARE(bottom->min(), 0.0);
        QCOMPARE(left->min(), 0.0);
        for (const QPointF& p : points)
            QVERIFY(p.x() <= bottom->max() && p.y() <= left->max());
        QCOMPARE(bottom->titleText(), QStringLiteral("Geographical Distance"));
        QCOMPARE(left->titleText(), QStringLiteral("Genetic Distance"));
        QCOMPARE(chart->symbolColor(), QColor(Qt::blue));
        QCOMPARE(chart->symbolShape(), SymbolShape::Circle);

        // The line is the least-squares fit: its residuals sum to zero and are uncorrelated with x.
        const QList<QPointF> line = chart->points(1);
        QCOMPARE(line.size(), 2);
        const double slope = (line[1].y() - line[0].y()) / (line[1].x() - line[0].x());
        double sumResidual = 0.0;
        double sumResidualX = 0.0;
        for (const QPointF& p : points) {
            const double residual = p.y() - (line[0].y() + slope * (p.x() - line[0].x()));
            sumResidual += residual;
            sumResidualX += residual * p.x();
        }
        QVERIFY(std::abs(sumResidual) < 1e-9);
        QVERIFY(std::abs(sumResidualX) < 1e-6);
    }

    void aChartOfManyPairsDrawsItsPointsAsOneItem()
    {
        // 500 observations give 124 750 pairs; a graphics item per point took minutes to draw.
        Chart chart;
        chart.resize(800, 600);
        chart.show();
        const qsizetype itemsBefore = chart.chart()->scene()->items().size();
        QList<QPointF> points;
        for (int i = 0; i < 124750; ++i)
            points.append(QPointF(i % 1000, (i % 997) / 997.0));
        chart.setPoints(points, Qt::blue);
        chart.addRegressionLine();
        chart.setSymbolShape(SymbolShape::Cross);
        QVERIFY(!chart.toImage().isNull());
        QCOMPARE(chart.pointCount(0), 124750);
        // The points and the line add a handful of items (axis labels, the line), not one per point.
        const qsizetype added = chart.chart()->scene()->items().size() - itemsBefore;
        QVERIFY2(added < 100, qPrintable(QString::number(added)));
    }

    void noLineIsDerivedWhenTheDistancesDoNotVary()
    {
        // All pairs equally far apart: the slope is undefined, so no line rather than one of NaNs.
        Chart chart;
        chart.setPoints({QPointF(2, 0.1), QPointF(2, 0.5), QPointF(2, 0.9)}, Qt::blue);
        chart.addRegressionLine();
        QCOMPARE(chart.seriesCount(), 1);
        QCOMPARE(chart.pointCount(1), 0);
        QVERIFY(!chart.toImage().isNull());
    }

    void copyTextPutsPlainTextOnTheClipboard()
    {
        auto window = makeWindow();
        QApplication::clipboard()->setText(QStringLiteral("something else"));
        action(*window, "MantelPlotMenu3")->trigger();
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(!data->hasHtml());
        QString expected = QString::fromLatin1(MantelReport(m_result));
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    void copyGraphPutsSvgAndBitmapOnTheClipboard()
    {
        auto window = makeWindow();
        QApplication::clipboard()->setText(QStringLiteral("something else"));
        action(*window, "MantelPlotMenu0")->trigger();
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data->hasImage());
        QVERIFY(!qvariant_cast<QImage>(data->imageData()).isNull());
        const QByteArray svg = data->data(QStringLiteral("image/svg+xml"));
        QVERIFY(svg.contains("<svg"));
        QVERIFY(svg.contains("Mantel Test Results"));
        QVERIFY(!data->hasText());
    }

    void copyPicturePutsABitmapOnTheClipboard()
    {
        auto window = makeWindow();
        QApplication::clipboard()->setText(QStringLiteral("something else"));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        window->copyPicture(picture);
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(40, 30));
        QCOMPARE(QApplication::clipboard()->image().pixelColor(5, 5), QColor(Qt::red));
        QVERIFY(QApplication::clipboard()->text().isEmpty());
    }

    void printGraphPrintsToPdf()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        dialogs.printToPdf = m_saved.filePath(QStringLiteral("graph.pdf"));
        action(*window, "MantelPlotMenu1")->trigger();
        const QByteArray pdf = readAll(dialogs.printToPdf);
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(pdf.size() > 1000);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void cancellingThePrintDialogPrintsNothing()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        action(*window, "MantelPlotMenu1")->trigger();
        QVERIFY(dialogs.messages.isEmpty());
    }

    void saveTextAsTxtWritesTheReport()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("copy.txt"));
        action(*window, "MantelPlotMenu4")->trigger();
        QCOMPARE(dialogs.dialogTitles, QStringList{QStringLiteral("Save Text File")});
        QCOMPARE(readAll(dialogs.saveAnswer), QByteArray::fromStdString(MantelReport(m_result)));
    }

    void saveTextAsRtfReadsBackAsTheSameText()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("copy.rtf"));
        action(*window, "MantelPlotMenu4")->trigger();
        const QByteArray rtf = readAll(dialogs.saveAnswer);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QString expected = QString::fromLatin1(MantelReport(m_result));
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(rtfToPlainText(rtf), expected);
    }

    void rtfKeepsSpecialCharacters()
    {
        const QString text = QStringLiteral("a\\b {c} \u00e9\u00df\u20ac\nnext\tline");
        QCOMPARE(rtfToPlainText(plainTextToRtf(text)), text);
    }

    void theSaveDialogStartsInTheFolderOfTheLastSave()
    {
        ScriptedDialogs dialogs;
        m_state.lastSaveFolder.clear();
        QTemporaryDir elsewhere;
        dialogs.saveAnswer = elsewhere.filePath(QStringLiteral("first.txt"));
        makeWindow()->saveText();
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("second.txt"));
        makeWindow()->saveText();
        dialogs.saveAnswer.clear();
        makeWindow()->saveText(); // cancelled: the folder stays
        makeWindow()->saveText();
        QCOMPARE(dialogs.saveFolders, (QStringList{QString(), elsewhere.path(), m_saved.path(), m_saved.path()}));
    }

    void aCancelledOrFailedSaveWritesAndShowsNothing()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        action(*window, "MantelPlotMenu4")->trigger(); // cancelled: no name
        const QString unwritable = m_saved.filePath(QStringLiteral("no-such-folder/copy.rtf"));
        dialogs.saveAnswer = unwritable;
        action(*window, "MantelPlotMenu4")->trigger();
        QVERIFY(!QFile::exists(unwritable));
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(dialogs.dialogTitles.size(), 2);
    }

    void aFailedSaveKeepsTheOldFile()
    {
        auto window = makeWindow();
        // A folder in the way: the save cannot replace it, and nothing is left behind.
        const QString blocked = m_saved.filePath(QStringLiteral("blocked.txt"));
        QVERIFY(QDir().mkpath(blocked));
        QVERIFY(!window->saveTextTo(blocked));
        QVERIFY(QFileInfo(blocked).isDir());
    }

    void symbolCommandsChangeSeriesZero()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        Chart* chart = window->chart();
        action(*window, "symbolsize4")->trigger();
        QCOMPARE(chart->symbolSize(), 5);
        action(*window, "symbolshape3")->trigger();
        QCOMPARE(chart->symbolShape(), SymbolShape::Cross);
        QCOMPARE(chart->symbolSize(), 5);
        action(*window, "symbolshape0")->trigger();
        QCOMPARE(chart->symbolShape(), SymbolShape::Square);
        action(*window, "symbolshape2")->trigger();
        QCOMPARE(chart->symbolShape(), SymbolShape::Triangle);
        action(*window, "symbolsize0")->trigger();
        QCOMPARE(chart->symbolSize(), 1);

        dialogs.colorAnswer = QColor(Qt::darkGreen);
        action(*window, "symbolcolor")->trigger();
        QCOMPARE(chart->symbolColor(), QColor(Qt::darkGreen));
        dialogs.colorAnswer.reset();
        action(*window, "symbolcolor")->trigger();
        QCOMPARE(chart->symbolColor(), QColor(Qt::darkGreen));
    }

    void closingRemovesTheReportButNotASavedCopy()
    {
        ScriptedDialogs dialogs;
        auto window = makeWindow();
        const QString folder = window->runFolderPath();
        QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("IBDResults.txt"))));
        dialogs.saveAnswer = m_saved.filePath(QStringLiteral("kept.txt"));
        action(*window, "MantelPlotMenu4")->trigger();
        window->close();
        QVERIFY(!QDir(folder).exists());
        QVERIFY(QFile::exists(dialogs.saveAnswer));
    }

    void helpOpensAtTheMantelTopicAndRestoresTheRunDirectory()
    {
        auto window = makeWindow();
        const QString before = QDir::currentPath();
        m_state.RunDirectory = before;
        QVERIFY(QDir::setCurrent(m_saved.path()));
        action(*window, "MantelHelp")->trigger();
        auto* help = window->findChild<HelpWindow*>();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->browser()->source().toString(), QStringLiteral("qrc:/help/mantel.html"));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Mantel")));
        QCOMPARE(QDir::currentPath(), before);
        m_state.RunDirectory.clear();
    }
};

TESSALOC_GUI_TEST_MAIN(ResultsWindowTest)
#include "ResultsWindowTest.moc"
