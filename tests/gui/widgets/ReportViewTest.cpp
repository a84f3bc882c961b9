// The report page: a report file read where it lies, its line index, the view over it with
// selection, copy and Find, and the results window's copy and save commands on a large report.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/mantel/MantelResultsWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/ReportFile.h"
#include "ui/widgets/ReportView.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::readAll;
using tessaloc::ui::test::rtfToPlainText;
using tessaloc::ui::test::ScriptedDialogs;

namespace {

constexpr int kReportLines = 20000;

/// Line `k` of the test report (from 0): its number, a Latin-1 letter, and text of varying length so
/// that lines differ in width and strides hold lines of different lengths.
QByteArray reportLine(int k)
{
    QByteArray line = "line " + QByteArray::number(k).rightJustified(5, '0') + " \xe9t\xe9 ";
    line += QByteArray(k % 37, 'x');
    if (k == 12345)
        line += " Needle";
    return line;
}

QByteArray reportBytes(int lines)
{
    QByteArray bytes;
    for (int k = 0; k < lines; ++k)
        bytes += reportLine(k) + "\r\n";
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class ReportViewTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    QString m_reportPath;
    ProgramState m_state;

    std::unique_ptr<ReportView> makeView()
    {
        auto view = std::make_unique<ReportView>();
        view->setFont(reportFont());
        view->setReportFile(ReportFile::open(m_reportPath));
        view->resize(600, 300);
        view->show();
        view->activateWindow();
        if (!QTest::qWaitForWindowActive(view.get()))
            qWarning("the report view did not become the active window");
        view->lines()->setFocus();
        return view;
    }

    /// A Mantel results window whose report is the test report.
    std::unique_ptr<MantelResultsWindow> makeWindow(const QByteArray& report)
    {
        auto folder = std::make_unique<QTemporaryDir>();
        writeFile(QDir(folder->path()).filePath(QStringLiteral("IBDResults.txt")), report);
        MantelResult result;
        result.genetic = PackedDistances(3);
        result.geographic = PackedDistances(3);
        auto window = std::make_unique<MantelResultsWindow>(m_state, result, std::move(folder));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(700, 500);
        window->show();
        return window;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_reportPath = m_folder.filePath(QStringLiteral("report.txt"));
        QVERIFY(writeFile(m_reportPath, reportBytes(kReportLines)));
    }

    void theIndexCountsLinesAndTheirLongest_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("lines");
        QTest::addColumn<qint64>("longest");
        // Counted by hand: LF ends a line, a CR before it belongs to the line end, text after the
        // last line end is a line of its own.
        QTest::newRow("empty") << QByteArray() << qint64(0) << qint64(0);
        QTest::newRow("one line without an end") << QByteArray("abc") << qint64(1) << qint64(3);
        QTest::newRow("one line") << QByteArray("abc\r\n") << qint64(1) << qint64(3);
        QTest::newRow("two lines, the last without an end") << QByteArray("abc\r\nde") << qint64(2) << qint64(3);
        QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << qint64(2) << qint64(0);
        QTest::newRow("LF only") << QByteArray("a\nbcd\n") << qint64(2) << qint64(3);
        QTest::newRow("a CR inside a line") << QByteArray("a\rb\r\n") << qint64(1) << qint64(3);
    }

    void theIndexCountsLinesAndTheirLongest()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, lines);
        QFETCH(qint64, longest);
        const QString path = m_folder.filePath(QStringLiteral("small.txt"));
        QVERIFY(writeFile(path, content));
        const std::optional<ReportLineIndex> index = ReportLineIndex::build(path);
        QVERIFY(index);
        QCOMPARE(index->lineCount(), lines);
        QCOMPARE(index->longestLine(), longest);
        QCOMPARE(index->size(), qint64(content.size()));
    }

    void aLineEndAcrossTheIndexersReadBoundaryIsOneLineEnd()
    {
        // The indexer reads 4 MiB at a time; here the CR is the last byte of the first read.
        const qint64 chunk = 4 << 20;
        QByteArray content(chunk - 1, 'a');
        content += "\r\nb\r\n";
        const QString path = m_folder.filePath(QStringLiteral("boundary.txt"));
        QVERIFY(writeFile(path, content));
        std::shared_ptr<ReportFile> file = ReportFile::open(path);
        QVERIFY(file);
        QCOMPARE(file->lineCount(), qint64(2));
        QCOMPARE(file->longestLine(), chunk - 1);
        QCOMPARE(file->line(1), QStringLiteral("b"));
        QCOMPARE(file->lineLength(0), chunk - 1);
    }

    void readsFirstMiddleAndLastLines_data()
    {
        QTest::addColumn<int>("line");
        for (const int line : {0, 1, 63, 64, 65, 127, 128, kReportLines / 2, kReportLines - 2, kReportLines - 1})
            QTest::addRow("line %d", line) << line;
    }

    void readsFirstMiddleAndLastLines()
    {
        QFETCH(int, line);
        std::shared_ptr<ReportFile> file = ReportFile::open(m_reportPath);
        QVERIFY(file);
        QCOMPARE(file->lineCount(), qint64(kReportLines));
        QCOMPARE(file->line(line), QString::fromLatin1(reportLine(line)));
        // Its first byte, and back.
        const qint64 start = reportBytes(line).size();
        QCOMPARE(file->lineStart(line), start);
        QCOMPARE(file->positionOfOffset(start), (TextPosition{line, 0}));
        QCOMPARE(file->offsetOf(TextPosition{line, 3}), start + 3);
    }

    void aPreparedIndexIsTakenOnlyWhileItDescribesTheFile()
    {
        const QString path = m_folder.filePath(QStringLiteral("prepared.txt"));
        QVERIFY(writeFile(path, "one\r\ntwo\r\n"));
        auto prepared = std::make_shared<const ReportLineIndex>(*ReportLineIndex::build(path));
        ReportIndexCache cache;
        cache.put(path, prepared);
        QCOMPARE(cache.take(path), prepared);
        QVERIFY(cache.isEmpty());

        // Rewritten since it was indexed: the index is not taken, and the file is indexed anew.
        cache.put(path, prepared);
        QVERIFY(writeFile(path, "one\r\ntwo\r\nthree\r\n"));
        QVERIFY(!cache.take(path));
        std::shared_ptr<ReportFile> file = ReportFile::open(path, prepared);
        QCOMPARE(file->lineCount(), qint64(3));
        QCOMPARE(file->line(2), QStringLiteral("three"));
    }

    void theViewShowsThePageItScrollsTo()
    {
        auto view = makeView();
        ReportLinesView* lines = view->lines();
        const int page = lines->visibleLineCount();
        QVERIFY(page > 3);
        QVERIFY(page < kReportLines);
        QCOMPARE(lines->lineCount(), qint64(kReportLines));
        QCOMPARE(lines->visibleLines().first(), QString::fromLatin1(reportLine(0)));
        QCOMPARE(lines->visibleLines().size(), page);

        lines->scrollToLine(kReportLines / 2);
        QCOMPARE(lines->firstVisibleLine(), qint64(kReportLines / 2));
        QCOMPARE(lines->visibleLines().first(), QString::fromLatin1(reportLine(kReportLines / 2)));

        // "Go to End" shows the last line at the bottom of the page.
        view->findChild<QPushButton*>(QStringLiteral("GoToEnd"))->click();
        QCOMPARE(lines->visibleLines().last(), QString::fromLatin1(reportLine(kReportLines - 1)));
        QCOMPARE(lines->firstVisibleLine(), qint64(kReportLines - page));
        QTest::keyClick(lines, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(lines->firstVisibleLine(), qint64(0));
        QTest::keyClick(lines, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(lines->firstVisibleLine(), qint64(kReportLines - page));
        QTest::keyClick(lines, Qt::Key_PageUp);
        QCOMPARE(lines->firstVisibleLine(), qint64(kReportLines - 2 * page));
    }

    void assistiveTechnologyReadsTheLinesShown()
    {
        QVERIFY(QFileInfo(m_reportPath).size() > ReportLinesView::kWholeAccessibleBytes);
        auto view = makeView();
        ReportLinesView* lines = view->lines();
        lines->scrollToLine(777);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(lines);
        QVERIFY(accessible);
        QAccessibleTextInterface* text = accessible->textInterface();
        QVERIFY(text);
        const QString shown = text->text(0, text->characterCount());
        QVERIFY(shown.startsWith(QString::fromLatin1(reportLine(777)) + QLatin1Char('\n')));
        QCOMPARE(shown, lines->visibleLines().join(QLatin1Char('\n')));
        QVERIFY(accessible->state().readOnly);

        // A selection set through it is the view's selection.
        text->setSelection(0, 5, 9);
        QCOMPARE(lines->selectedText(), QStringLiteral("0077"));
    }

    void assistiveTechnologyReadsASmallReportWhole()
    {
        const QByteArray report = reportBytes(2000);
        const QString path = m_folder.filePath(QStringLiteral("short.txt"));
        QVERIFY(writeFile(path, report));
        QVERIFY(report.size() <= ReportLinesView::kWholeAccessibleBytes);
        ReportLinesView view;
        view.setReportFile(ReportFile::open(path));
        view.resize(400, 200);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
        QVERIFY(accessible && accessible->textInterface());
        QAccessibleTextInterface* text = accessible->textInterface();
        QString expected = QString::fromLatin1(report);
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        expected.chop(1); // the last line end ends the last line and adds none
        QCOMPARE(text->text(0, text->characterCount()), expected);
        // Offsets count from the report's first line, also for lines far below the view.
        const int at = static_cast<int>(expected.indexOf(QStringLiteral("line 01999"))) + 5;
        text->setSelection(0, at, at + 5);
        QCOMPARE(view.selectedText(), QStringLiteral("01999"));
    }

    void dragsASelectionAndCopiesIt()
    {
        auto view = makeView();
        ReportLinesView* lines = view->lines();
        const QRect from = lines->characterRect(TextPosition{2, 5});
        const QRect to = lines->characterRect(TextPosition{4, 9});
        QTest::mousePress(lines->viewport(), Qt::LeftButton, {}, from.topLeft() + QPoint(1, from.height() / 2));
        QTest::mouseMove(lines->viewport(), to.topLeft() + QPoint(1, to.height() / 2));
        QTest::mouseRelease(lines->viewport(), Qt::LeftButton, {}, to.topLeft() + QPoint(1, to.height() / 2));
        QCOMPARE(lines->selectionStart(), (TextPosition{2, 5}));
        QCOMPARE(lines->selectionEnd(), (TextPosition{4, 9}));

        QApplication::clipboard()->setText(QStringLiteral("something else"));
        QTest::keyClick(lines, Qt::Key_C, Qt::ControlModifier);
        const QString expected =
            QString::fromLatin1(reportLine(2).mid(5) + "\n" + reportLine(3) + "\n" + reportLine(4).left(9));
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    void aSelectionBeyondThePageIsCopiedWhole()
    {
        auto view = makeView();
        ReportLinesView* lines = view->lines();
        lines->setSelection(TextPosition{10, 0}, TextPosition{15000, 4});
        lines->scrollToLine(kReportLines - 1);
        view->copySelection();
        const QByteArray all = reportBytes(kReportLines);
        const qint64 start = reportBytes(10).size();
        QByteArray expected = all.mid(start, reportBytes(15000).size() + 4 - start);
        expected.replace("\r\n", "\n");
        QCOMPARE(QApplication::clipboard()->text(), QString::fromLatin1(expected));
        QCOMPARE(lines->selectionSize(), reportBytes(15000).size() + 4 - start);
    }

    void findsForwardsBackwardsAndAroundTheEnd()
    {
        auto view = makeView();
        ReportLinesView* lines = view->lines();
        QTest::keyClick(view.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), view->findField());
        // Case is ignored; the match is selected and brought into view.
        QTest::keyClicks(view->findField(), QStringLiteral("nEEDLE"));
        QTest::keyClick(view->findField(), Qt::Key_Return);
        const qint64 column = reportLine(12345).indexOf("Needle");
        QCOMPARE(lines->selectionStart(), (TextPosition{12345, column}));
        QCOMPARE(lines->selectedText(), QStringLiteral("Needle"));
        QVERIFY(lines->firstVisibleLine() <= 12345 && 12345 < lines->firstVisibleLine() + lines->visibleLineCount());
        QVERIFY(view->findStatus().isEmpty());

        // The only match: searching on finds it again from the top.
        view->findChild<QPushButton*>(QStringLiteral("FindNext"))->click();
        QCOMPARE(lines->selectionStart(), (TextPosition{12345, column}));
        QCOMPARE(view->findStatus(), QStringLiteral("Continued from the top"));

        QVERIFY(view->find(QStringLiteral("line 00300"), true));
        QCOMPARE(lines->selectionStart(), (TextPosition{300, 0}));
        QVERIFY(view->find(QStringLiteral("line 00300"), true));
        QCOMPARE(view->findStatus(), QStringLiteral("Continued from the bottom"));
        QVERIFY(view->find(QString::fromLatin1("\xc9T\xc9 xxx"), false));
        QCOMPARE(lines->selectionStart(), (TextPosition{300, 11}));

        QVERIFY(!view->find(QStringLiteral("no such text")));
        QCOMPARE(view->findStatus(), QStringLiteral("Not found"));
        QCOMPARE(lines->selectionStart(), (TextPosition{300, 11}));
    }

    void aLargeCopyAsksFirstAndSaysHowLarge()
    {
        ScriptedDialogs dialogs;
        QCOMPARE(confirmLargeCopy(nullptr, kLargeCopyBytes, QStringLiteral("The report")), true);
        QVERIFY(dialogs.questions.isEmpty());
        dialogs.proceedAnswer = false;
        QCOMPARE(confirmLargeCopy(nullptr, 144'200'000, QStringLiteral("The report")), false);
        QCOMPARE(dialogs.questions.size(), 1);
        QVERIFY2(dialogs.questions[0].startsWith(QStringLiteral("The report is 144.2 MB.")),
                 qPrintable(dialogs.questions[0]));
    }

    void copyTextOfAReportOver50MegabytesAsksAndCanBeDeclined()
    {
        ScriptedDialogs dialogs;
        QByteArray report;
        const QByteArray line = QByteArray(98, 'r') + "\r\n";
        while (report.size() <= kLargeCopyBytes)
            report += line;
        auto window = makeWindow(report);
        QCOMPARE(window->reportView()->lines()->lineCount(), report.size() / line.size());
        QApplication::clipboard()->setText(QStringLiteral("something else"));
        dialogs.proceedAnswer = false;
        window->copyText();
        QCOMPARE(dialogs.questions.size(), 1);
        QVERIFY(dialogs.questions[0].contains(QStringLiteral("50.0 MB")));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("something else"));
    }

    void savesALargeReportByteForByteAndAsRichText()
    {
        ScriptedDialogs dialogs;
        const QByteArray report = reportBytes(kReportLines);
        auto window = makeWindow(report);
        window->copyText();
        QVERIFY(dialogs.questions.isEmpty());

        dialogs.saveAnswer = m_folder.filePath(QStringLiteral("saved.txt"));
        window->saveText();
        QCOMPARE(readAll(dialogs.saveAnswer), report);

        dialogs.saveAnswer = m_folder.filePath(QStringLiteral("saved.rtf"));
        window->saveText();
        QString expected = QString::fromLatin1(report);
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(rtfToPlainText(readAll(dialogs.saveAnswer)), expected);
    }

    void theReportPageOfAResultsWindowReadsTheFileTheRunIndexed()
    {
        const QByteArray report = reportBytes(300);
        auto folder = std::make_unique<QTemporaryDir>();
        const QString path = QDir(folder->path()).filePath(QStringLiteral("IBDResults.txt"));
        QVERIFY(writeFile(path, report));
        // What the run's worker does once the report is written.
        for (auto& [file, index] : indexReportFolder(folder->path()))
            m_state.reportIndexes.put(file, index);
        QVERIFY(!m_state.reportIndexes.isEmpty());
        MantelResult result;
        result.genetic = PackedDistances(3);
        result.geographic = PackedDistances(3);
        MantelResultsWindow window(m_state, result, std::move(folder));
        QVERIFY(m_state.reportIndexes.isEmpty());
        QCOMPARE(window.reportText(), QString::fromLatin1(report));
        QCOMPARE(window.reportView()->lines()->lineCount(), qint64(300));
    }
};

TESSALOC_GUI_TEST_MAIN(ReportViewTest)
#include "ReportViewTest.moc"
