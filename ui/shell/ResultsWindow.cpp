#include "ui/shell/ResultsWindow.h"

#include "ui/shell/HelpWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/RichText.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace tessaloc::ui {

QFont reportFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono"),
                      QStringLiteral("Liberation Mono"), QStringLiteral("Monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

ResultsWindow::ResultsWindow(ProgramState& state, QString helpKeyword, std::unique_ptr<QTemporaryDir> runFolder,
                             QWidget* parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_helpKeyword(std::move(helpKeyword))
    , m_runFolder(std::move(runFolder))
    , m_tabs(new QTabWidget(this))
{
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    setCentralWidget(m_tabs);
    resize(760, 560);
}

ResultsWindow::~ResultsWindow()
{
    removeReportDirectory();
}

QString ResultsWindow::runFolderPath() const
{
    return m_runFolder ? m_runFolder->path() : QString();
}

Chart* ResultsWindow::addChartPage(const QString& title)
{
    auto* chart = new Chart(m_tabs);
    chart->setObjectName(m_charts.empty() ? QStringLiteral("TChart1")
                                          : QStringLiteral("TChart%1").arg(m_charts.size() + 1));
    m_tabs->addTab(chart, title);
    m_charts.push_back(chart);
    return chart;
}

Chart* ResultsWindow::shownChart() const
{
    if (auto* shown = qobject_cast<Chart*>(m_tabs->currentWidget()))
        return shown;
    return chart();
}

void ResultsWindow::showRunSeed(std::int64_t seed1, std::int64_t seed2)
{
    if (!m_runSeed) {
        m_runSeed = new QLabel(this);
        m_runSeed->setObjectName(QStringLiteral("RunSeed"));
        m_runSeed->setTextInteractionFlags(Qt::TextSelectableByMouse);
        statusBar()->addPermanentWidget(m_runSeed);
    }
    m_runSeed->setText(QStringLiteral("Seed: %1,%2").arg(seed1).arg(seed2));
}

QString ResultsWindow::runSeedText() const
{
    return m_runSeed ? m_runSeed->text() : QString();
}

ReportView* ResultsWindow::addReportPage(const QString& title)
{
    m_report = new ReportView(m_tabs);
    m_report->setObjectName(QStringLiteral("RichTextBox1"));
    m_report->setFont(reportFont());
    m_report->setReportFile(m_reportFile);
    m_tabs->addTab(m_report, title);
    return m_report;
}

bool ResultsWindow::loadReport(const QString& fileName, std::shared_ptr<const ReportLineIndex> prepared)
{
    if (!m_runFolder)
        return false;
    const QString path = QDir(m_runFolder->path()).filePath(fileName);
    std::shared_ptr<const ReportLineIndex> fromRun = m_state.reportIndexes.take(path);
    std::shared_ptr<ReportFile> file = ReportFile::open(path, prepared ? std::move(prepared) : std::move(fromRun));
    if (!file)
        return false;
    m_reportFile = std::move(file);
    if (m_report)
        m_report->setReportFile(m_reportFile);
    return true;
}

QString ResultsWindow::reportText() const
{
    return m_reportFile ? m_reportFile->wholeText() : QString();
}

void ResultsWindow::copyChart()
{
    Chart* shown = shownChart();
    if (!shown)
        return;
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), shown->toSvg());
    mime->setImageData(shown->toImage());
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(mime);
}

void ResultsWindow::printChart()
{
    if (!shownChart())
        return;
    printWith([this](QPrinter& printer) { return printChartTo(printer); },
              QStringLiteral("The graph could not be printed."));
}

void ResultsWindow::printWith(const std::function<bool(QPrinter&)>& draw, const QString& failure)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(windowTitle());
    if (!uiHooks().preparePrinter(this, printer))
        return;
    if (!draw(printer))
        showMessage(this, failure);
}

bool ResultsWindow::printChartTo(QPrinter& printer)
{
    Chart* shown = shownChart();
    if (!shown)
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The painter's origin is the top left corner of the printable area.
    shown->render(painter, QRectF(0, 0, printer.width(), printer.height()));
    return painter.end();
}

void ResultsWindow::copyPicture(const QImage& picture)
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture);
}

void ResultsWindow::copyText()
{
    if (m_reportFile && !confirmLargeCopy(this, m_reportFile->size(), QStringLiteral("The report")))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString text = reportText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    QApplication::restoreOverrideCursor();
}

void ResultsWindow::saveText()
{
    saveTextAs(QStringLiteral("Save Text File"));
}

void ResultsWindow::saveTextAs(const QString& dialogTitle)
{
    const QString fileName = uiHooks().saveFileName(this, dialogTitle, m_state.lastSaveFolder);
    if (fileName.isEmpty())
        return;
    m_state.lastSaveFolder = QFileInfo(fileName).absolutePath();
    saveTextTo(fileName);
}

bool ResultsWindow::saveTextTo(const QString& fileName)
{
    const bool plain = fileName.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto write = [&file](const QByteArray& bytes) { return file.write(bytes) == bytes.size(); };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Plain text: the report file's own bytes and line ends (CR LF). Rich text: converted a piece
    // of whole lines at a time.
    bool written = plain || write(rtfOpening());
    if (written && m_reportFile)
        written = m_reportFile->forEachPiece([&](const QByteArray& piece) {
            if (plain)
                return write(piece);
            QByteArray rtf;
            appendRtfText(rtf, QString::fromLatin1(piece));
            return write(rtf);
        });
    written = written && (plain || write(rtfClosing()));
    QApplication::restoreOverrideCursor();
    if (!written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void ResultsWindow::chooseSymbolColor()
{
    if (!chart())
        return;
    if (const std::optional<QColor> color = uiHooks().chooseColor(this, chart()->symbolColor()))
        for (Chart* each : m_charts)
            each->setSymbolColor(*color);
}

void ResultsWindow::setSymbolShape(SymbolShape shape)
{
    for (Chart* each : m_charts)
        each->setSymbolShape(shape);
}

void ResultsWindow::setSymbolSize(int size)
{
    for (Chart* each : m_charts)
        each->setSymbolSize(size);
}

void ResultsWindow::showHelp()
{
    ShowHelpTopic(this, m_state, m_helpKeyword);
}

void ResultsWindow::addSymbolMenus(QMenu* parent, const SymbolMenuCaptions& captions)
{
    QMenu* symbol = parent;
    if (!captions.menu.isEmpty()) {
        symbol = parent->addMenu(captions.menu);
        symbol->setObjectName(QStringLiteral("chartsymbol"));
    }
    QAction* color = symbol->addAction(captions.color, this, &ResultsWindow::chooseSymbolColor);
    color->setObjectName(QStringLiteral("symbolcolor"));

    QMenu* shapes = symbol->addMenu(captions.shape);
    shapes->setObjectName(QStringLiteral("shapemenu"));
    const std::pair<QString, SymbolShape> shapeItems[] = {{captions.square, SymbolShape::Square},
                                                          {QStringLiteral("Circle"), SymbolShape::Circle},
                                                          {QStringLiteral("Triangle"), SymbolShape::Triangle},
                                                          {QStringLiteral("Cross"), SymbolShape::Cross}};
    int index = 0;
    for (const auto& [caption, shape] : shapeItems) {
        QAction* item = shapes->addAction(caption, this, [this, shape = shape] { setSymbolShape(shape); });
        item->setObjectName(QStringLiteral("symbolshape%1").arg(index++));
    }

    QMenu* sizes = symbol->addMenu(captions.size);
    sizes->setObjectName(QStringLiteral("symbolsze"));
    for (int size = 1; size <= 5; ++size) {
        QAction* item = sizes->addAction(QString::number(size), this, [this, size] { setSymbolSize(size); });
        item->setObjectName(QStringLiteral("symbolsize%1").arg(size - 1));
    }
}

void ResultsWindow::addHelpMenu(const QString& objectName, const QString& caption)
{
    // A menu-bar entry without items that acts when chosen, as the window's help command.
    QAction* help = menuBar()->addAction(caption, this, &ResultsWindow::showHelp);
    help->setObjectName(objectName);
}

QMenu* ResultsWindow::addCopyPrintSaveMenu(const CopyPrintSaveCaptions& captions)
{
    QMenu* menu = menuBar()->addMenu(QStringLiteral("Copy/Print/Save"));
    menu->setObjectName(QStringLiteral("MantelPlotMnu"));
    const auto add = [&](const QString& caption, int index, void (ResultsWindow::*command)()) {
        if (!caption.isEmpty())
            menu->addAction(caption, this, command)->setObjectName(QStringLiteral("MantelPlotMenu%1").arg(index));
    };
    add(captions.copyGraph, 0, &ResultsWindow::copyChart);
    add(captions.printGraph, 1, &ResultsWindow::printChart);
    if (!captions.copyText.isEmpty() || !captions.saveText.isEmpty())
        menu->addSeparator();
    add(captions.copyText, 3, &ResultsWindow::copyText);
    add(captions.saveText, 4, &ResultsWindow::saveText);
    return menu;
}

QMenu* ResultsWindow::addEditChartAndSymbolsMenus()
{
    menuBar()->addMenu(QStringLiteral("Edit Chart"))->setObjectName(QStringLiteral("chrtedit"));
    QMenu* symbols = menuBar()->addMenu(QStringLiteral("Symbols"));
    symbols->setObjectName(QStringLiteral("chartsymbols"));
    SymbolMenuCaptions captions;
    captions.menu.clear(); // the items stand in "Symbols" itself
    captions.square = QStringLiteral("Rectangle");
    addSymbolMenus(symbols, captions);
    return symbols;
}

void ResultsWindow::addBelowPages(QWidget* widget)
{
    if (centralWidget() == m_tabs) {
        // The pages go into a column that the widgets below them join.
        takeCentralWidget();
        auto* column = new QWidget(this);
        auto* layout = new QVBoxLayout(column);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_tabs, 1);
        setCentralWidget(column);
    }
    centralWidget()->layout()->addWidget(widget);
}

void ResultsWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_placed && !event->spontaneous()) {
        m_placed = true;
        centreOverParent(*this);
    }
}

void ResultsWindow::closeEvent(QCloseEvent* event)
{
    removeReportDirectory();
    QMainWindow::closeEvent(event);
}

void ResultsWindow::removeReportDirectory()
{
    if (m_runFolder) {
        m_runFolder->remove();
        m_runFolder.reset();
    }
}

} // namespace tessaloc::ui
