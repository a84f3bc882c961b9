#include "ui/ResultsWindow.h"

#include "ui/HelpViewer.h"
#include "ui/ProgramState.h"
#include "ui/RichText.h"
#include "ui/UiHooks.h"
#include "ui/WindowParts.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QSaveFile>
#include <QShowEvent>
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

ResultsWindow::ResultsWindow(ProgramState& state, QString helpKeyword, std::unique_ptr<QTemporaryDir> reportDirectory,
                             QWidget* parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_helpKeyword(std::move(helpKeyword))
    , m_reportDirectory(std::move(reportDirectory))
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

QString ResultsWindow::reportDirectoryPath() const
{
    return m_reportDirectory ? m_reportDirectory->path() : QString();
}

Chart* ResultsWindow::addChartPage(const QString& title)
{
    m_chart = new Chart(m_tabs);
    m_chart->setObjectName(QStringLiteral("TChart1"));
    m_tabs->addTab(m_chart, title);
    return m_chart;
}

QPlainTextEdit* ResultsWindow::addReportPage(const QString& title)
{
    m_report = new QPlainTextEdit(m_tabs);
    m_report->setObjectName(QStringLiteral("RichTextBox1"));
    m_report->setReadOnly(true);
    m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_report->setFont(reportFont());
    m_tabs->addTab(m_report, title);
    return m_report;
}

bool ResultsWindow::loadReport(const QString& fileName)
{
    if (!m_reportDirectory)
        return false;
    QFile file(QDir(m_reportDirectory->path()).filePath(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    m_reportText = QString::fromLatin1(file.readAll());
    if (m_report) {
        QString shown = m_reportText;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_report->setPlainText(shown);
    }
    return true;
}

void ResultsWindow::copyChart()
{
    if (!m_chart)
        return;
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), m_chart->toSvg());
    mime->setImageData(m_chart->toImage());
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(mime);
}

void ResultsWindow::printChart()
{
    if (!m_chart)
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
    if (!m_chart)
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The painter's origin is the top left corner of the printable area.
    m_chart->render(painter, QRectF(0, 0, printer.width(), printer.height()));
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
    QString text = m_reportText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
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
    QString text = m_reportText;
    if (plain) {
        // The report's own line ends (CR LF) and bytes, as the program writes report files.
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    }
    const QByteArray bytes = plain ? text.toLatin1() : plainTextToRtf(text);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void ResultsWindow::chooseSymbolColor()
{
    if (!m_chart)
        return;
    if (const std::optional<QColor> color = uiHooks().chooseColor(this, m_chart->symbolColor()))
        m_chart->setSymbolColor(*color);
}

void ResultsWindow::setSymbolShape(SymbolShape shape)
{
    if (m_chart)
        m_chart->setSymbolShape(shape);
}

void ResultsWindow::setSymbolSize(int size)
{
    if (m_chart)
        m_chart->setSymbolSize(size);
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

void ResultsWindow::addEditChartAndSymbolsMenus()
{
    menuBar()->addMenu(QStringLiteral("Edit Chart"))->setObjectName(QStringLiteral("chrtedit"));
    QMenu* symbols = menuBar()->addMenu(QStringLiteral("Symbols"));
    symbols->setObjectName(QStringLiteral("chartsymbols"));
    SymbolMenuCaptions captions;
    captions.menu.clear(); // the items stand in "Symbols" itself
    captions.square = QStringLiteral("Rectangle");
    addSymbolMenus(symbols, captions);
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
    if (m_reportDirectory) {
        m_reportDirectory->remove();
        m_reportDirectory.reset();
    }
}

} // namespace tessaloc::ui
