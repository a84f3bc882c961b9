#include "GuiTestSupport.h"

#include <QFile>
#include <QPrinter>
#include <QTest>

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
    input.settings.permutations = permutations;
    return input;
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
