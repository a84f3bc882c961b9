#include "GuiTestSupport.h"

#include "ui/shell/HelpWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ResultsWindow.h"
#include "ui/widgets/Chart.h"

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QValueAxis>

#include <clocale>
#include <cstdio>

namespace tessaloc::ui::test {

ScriptedDialogs::ScriptedDialogs()
{
    UiHooks& hooks = uiHooks();
    hooks.showMessage = [this](QWidget*, const Message& message) {
        messages << message.text;
        details << message.detail;
    };
    hooks.askToProceed = [this](QWidget*, const Message& question) {
        questions << question.text;
        return proceedAnswer;
    };
    hooks.openFileName = [this](QWidget*, const QString& title, const QString&) {
        dialogTitles << title;
        return openAnswer;
    };
    hooks.saveFileName = [this](QWidget*, const QString& title, const QString& startFolder) {
        dialogTitles << title;
        saveFolders << startFolder;
        return saveAnswer;
    };
    hooks.saveFileNameOfType = [this](QWidget*, const QString& title, const QString& startFolder,
                                      const QStringList& filters) {
        dialogTitles << title;
        saveFolders << startFolder;
        saveFilters << filters;
        return saveAnswer;
    };
    hooks.chooseColor = [this](QWidget*, const QColor&) { return colorAnswer; };
    hooks.preparePrinter = [this](QWidget*, QPrinter& printer) {
        if (printToPdf.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printToPdf);
        return true;
    };
}

ScriptedDialogs::~ScriptedDialogs()
{
    restoreDefaultUiHooks();
}

QString rtfToPlainText(const QByteArray& rtf)
{
    QString text;
    int depth = 0;
    int skipBelow = -1; // inside a destination group (font table) that holds no text
    qsizetype i = 0;
    const qsizetype n = rtf.size();
    while (i < n) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            if (depth == skipBelow)
                skipBelow = -1;
            --depth;
            ++i;
        } else if (c == '\\') {
            ++i;
            if (i >= n)
                break;
            const char next = rtf[i];
            if (next == '\\' || next == '{' || next == '}') {
                if (skipBelow < 0)
                    text += QLatin1Char(next);
                ++i;
            } else if (next == '\'') {
                const int code = rtf.mid(i + 1, 2).toInt(nullptr, 16);
                if (skipBelow < 0)
                    text += QChar(code);
                i += 3;
            } else {
                qsizetype start = i;
                while (i < n && std::isalpha(static_cast<unsigned char>(rtf[i])))
                    ++i;
                const QByteArray word = rtf.mid(start, i - start);
                qsizetype numberStart = i;
                if (i < n && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i]))))
                    ++i;
                while (i < n && std::isdigit(static_cast<unsigned char>(rtf[i])))
                    ++i;
                const int argument = rtf.mid(numberStart, i - numberStart).toInt();
                if (i < n && rtf[i] == ' ')
                    ++i;
                if (word == "fonttbl" || word == "colortbl" || word == "stylesheet")
                    skipBelow = depth;
                if (skipBelow >= 0)
                    continue;
                if (word == "par")
                    text += QLatin1Char('\n');
                else if (word == "tab")
                    text += QLatin1Char('\t');
                else if (word == "u") {
                    text += QChar(static_cast<char16_t>(static_cast<qint16>(argument)));
                    ++i; // the replacement character
                }
            }
        } else if (c == '\n' || c == '\r') {
            ++i;
        } else {
            if (skipBelow < 0)
                text += QLatin1Char(c);
            ++i;
        }
    }
    return text;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString examplePath(const QString& relative)
{
    return QStringLiteral(TESSALOC_EXAMPLES_DIR "/") + relative;
}

AnalysisInput exampleFiles(const QString& folder)
{
    AnalysisInput files;
    files.coordinatePath = QFile::encodeName(examplePath(folder + QStringLiteral("/coordinates.txt"))).toStdString();
    files.genotypePath = QFile::encodeName(examplePath(folder + QStringLiteral("/genotypes.txt"))).toStdString();
    return files;
}

MantelInput exampleMantelInput(const QString& folder, long long permutations)
{
    MantelInput input{exampleFiles(folder), {}};
    input.settings.permutations.count = permutations;
    return input;
}

void pickExample(MainWindow& window, const QString& folder)
{
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))
        ->setText(examplePath(folder + QStringLiteral("/coordinates.txt")));
    window.findChild<QLineEdit*>(QStringLiteral("Text2"))
        ->setText(examplePath(folder + QStringLiteral("/genotypes.txt")));
}

std::unique_ptr<MainWindow> mainWindowWithExample(ProgramState& state, const QString& folder, std::int64_t seed1,
                                                  std::int64_t seed2)
{
    auto window = std::make_unique<MainWindow>(state);
    window->setRunGenerator([seed1, seed2] { return RandomUniform(seed1, seed2); });
    window->show();
    pickExample(*window, folder);
    return window;
}

std::optional<RunOutcome> runAnalysis(MainWindow& window, int analysis, int timeoutMs)
{
    window.findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(analysis);
    QSignalSpy finished(&window, &MainWindow::runFinished);
    window.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    if (finished.isEmpty() && !finished.wait(timeoutMs))
        return std::nullopt;
    return finished.takeFirst().at(0).value<RunOutcome>();
}

QAction* menuItem(const QWidget& window, const char* name)
{
    auto* found = window.findChild<QAction*>(QLatin1String(name));
    if (!found)
        qFatal("no menu item %s", name);
    return found;
}

QMenu* menu(const QWidget& window, const char* name)
{
    auto* found = window.findChild<QMenu*>(QLatin1String(name));
    if (!found)
        qFatal("no menu %s", name);
    return found;
}

QStringList itemCaptions(const QMenu& menu)
{
    QStringList captions;
    for (const QAction* item : menu.actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return captions;
}

QString generalErrorMessage()
{
    return QString::fromLatin1(kGeneralErrorMessage.data(), static_cast<qsizetype>(kGeneralErrorMessage.size()));
}

QValueAxis* chartAxis(const Chart& chart, Qt::Orientation orientation)
{
    return qobject_cast<QValueAxis*>(chart.chart()->axes(orientation).constFirst());
}

QString checkPrintGraph(ScriptedDialogs& dialogs, ResultsWindow& window, const char* printItem, const QString& pdfPath)
{
    dialogs.printToPdf = pdfPath;
    menuItem(window, printItem)->trigger();
    QFile pdf(pdfPath);
    if (!pdf.open(QIODevice::ReadOnly) || !pdf.readAll().startsWith("%PDF"))
        return QStringLiteral("no PDF was printed");
    if (!dialogs.messages.isEmpty())
        return QStringLiteral("a message: ") + dialogs.messages.join(QLatin1Char('\n'));
    return {};
}

QString helpPageOpenedBy(ResultsWindow& window, const char* helpItem)
{
    menuItem(window, helpItem)->trigger();
    const auto* help = window.findChild<HelpWindow*>();
    return help && help->isVisible() ? help->browser()->source().toString() : QString();
}

QString checkTextCommands(ScriptedDialogs& dialogs, ResultsWindow& window, const char* copyItem, const char* saveItem,
                          const QString& folder)
{
    dialogs.dialogTitles.clear();
    QApplication::clipboard()->setText(QStringLiteral("something else"));
    menuItem(window, copyItem)->trigger();
    QString shown = window.reportText();
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.isEmpty() || QApplication::clipboard()->text() != shown)
        return QStringLiteral("the clipboard does not hold the report");
    dialogs.saveAnswer = QDir(folder).filePath(QStringLiteral("saved-report.txt"));
    menuItem(window, saveItem)->trigger();
    if (dialogs.dialogTitles != QStringList{QStringLiteral("Save Text File")})
        return QStringLiteral("no \"Save Text File\" dialog");
    QFile saved(dialogs.saveAnswer);
    if (!saved.open(QIODevice::ReadOnly) || saved.readAll() != window.reportText().toLatin1())
        return QStringLiteral("the saved file does not hold the report");
    return {};
}

int runGuiTest(QObject& test, int argc, char** argv)
{
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    // QApplication has set the locale from the environment by now.
    const QByteArray expected = qgetenv("TESSALOC_EXPECT_DECIMAL_POINT");
    const char* decimalPoint = std::localeconv()->decimal_point;
    if (!expected.isEmpty() && expected != decimalPoint) {
        std::fprintf(stderr,
                     "FAIL: the locale \"%s\" did not take effect (decimal point \"%s\", expected \"%s\"); "
                     "scripts/install-deps generates it\n",
                     qgetenv("LC_ALL").constData(), decimalPoint, expected.constData());
        return 1;
    }
    return QTest::qExec(&test, argc, argv);
}

} // namespace tessaloc::ui::test
