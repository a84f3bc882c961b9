#pragma once

#include "ui/widgets/Chart.h"
#include "ui/widgets/ReportView.h"

#include <QFont>
#include <QMainWindow>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QMenu;
class QPrinter;
class QTabWidget;

namespace tessaloc::ui {

struct ProgramState;

/// The captions a results window gives the shared symbol menus.
struct SymbolMenuCaptions {
    QString menu = QStringLiteral("Symbol");
    QString color = QStringLiteral("Color");
    QString shape = QStringLiteral("Shape");
    QString size = QStringLiteral("Size");
    QString square = QStringLiteral("Square");
};

/// The captions of a "Copy/Print/Save" menu; an empty caption leaves its item out.
struct CopyPrintSaveCaptions {
    QString copyGraph;
    QString printGraph;
    QString copyText;
    QString saveText;
};

/// The font of every report page: fixed pitch, so that the report's columns stay aligned whatever
/// fonts the machine has. The family list names common fixed-pitch fonts; the style hint lets the
/// font matching fall back to any other one.
QFont reportFont();

/// What every results window shares: the tab pages (`SSTab1`), the report page in the report font
/// (`RichTextBox1`), the chart pages (the first `TChart1`), the commands of the copy, print, save,
/// symbol and help menus, and the run's seed in the status bar. The symbol commands apply to the
/// points of every chart. A window adds its pages and menus and fills them; the base owns the run's
/// private report directory and removes it, report included, when the window closes. When first
/// shown it centres itself over its parent.
///
/// The report page shows the report from its file, reading the lines it shows; copy and save read
/// the file too, so that a report of gigabytes costs the window little more than its line index.
class ResultsWindow : public QMainWindow {
    Q_OBJECT
public:
    /// `runFolder` is the run's private directory holding the report; may be null.
    ResultsWindow(ProgramState& state, QString helpKeyword, std::unique_ptr<QTemporaryDir> runFolder,
                  QWidget* parent = nullptr);
    ~ResultsWindow() override;

    /// The whole report as its file holds it (lines ending CR LF), or empty; read from the file at
    /// each call.
    QString reportText() const;
    /// The report loaded last, or null.
    ReportFile* reportFile() const { return m_reportFile.get(); }
    /// The path of the run's report directory, empty once it has been removed.
    QString runFolderPath() const;

    QTabWidget* tabs() const { return m_tabs; }
    /// The first chart page's chart, or null.
    Chart* chart() const { return m_charts.empty() ? nullptr : m_charts.front(); }
    /// The chart of every chart page, in the order of the pages.
    const std::vector<Chart*>& charts() const { return m_charts; }
    /// The chart of the page shown, else the first chart: the one the copy and print commands take.
    Chart* shownChart() const;
    ReportView* reportView() const { return m_report; }

    /// Shows in the window's status bar the seed the run started its generator from,
    /// "Seed: S1,S2" (`RunSeed`), so that the run can be repeated.
    void showRunSeed(std::int64_t seed1, std::int64_t seed2);
    /// The status bar's seed text, empty when none was shown.
    QString runSeedText() const;

public slots:
    /// Puts the chart on the clipboard as an SVG drawing and as a bitmap.
    void copyChart();
    /// Lets the user choose a printer (or a PDF file) and prints the chart.
    void printChart();
    /// Prints the chart on a printer already set up; false when nothing could be drawn.
    bool printChartTo(QPrinter& printer);
    /// Puts `picture` on the clipboard as a bitmap.
    void copyPicture(const QImage& picture);
    /// Puts the report on the clipboard as plain text; asks first when it is larger than about 50 MB.
    void copyText();
    /// Asks for a file name ("Save Text File"), starting in the folder of the last save of this
    /// program run, and saves the report there; a cancel or a failure writes nothing and shows
    /// nothing.
    void saveText();
    /// The same with a save dialog titled `dialogTitle` (empty: a dialog without a title).
    void saveTextAs(const QString& dialogTitle);
    /// Saves the report as plain text when `fileName` ends in .txt (the report file's bytes as they
    /// are), as rich text otherwise, read from the report file piece by piece. The file is replaced
    /// only when the whole text was written. Returns false on failure.
    bool saveTextTo(const QString& fileName);
    void chooseSymbolColor();
    void setSymbolShape(tessaloc::ui::SymbolShape shape);
    void setSymbolSize(int size);
    /// Opens help at this window's keyword.
    void showHelp();

protected:
    /// Adds the chart page titled `title`.
    Chart* addChartPage(const QString& title);
    /// Adds the report page titled `title`.
    ReportView* addReportPage(const QString& title);
    /// Shows the report file `fileName` of the run's directory (Latin-1 text) on the report page,
    /// from its first line, with `prepared` as its line index, else the one the run made of it,
    /// else one made now (each only while it still describes the file). The file stays open while
    /// the window shows it. Loading it again (after it was rewritten) shows the new text. False,
    /// keeping what was shown, when the file cannot be read.
    bool loadReport(const QString& fileName, std::shared_ptr<const ReportLineIndex> prepared = nullptr);
    /// Adds the symbol menus (colour, shape, size of series 0) under `parent`.
    void addSymbolMenus(QMenu* parent, const SymbolMenuCaptions& captions);
    /// Adds a menu title that acts as the window's help command.
    void addHelpMenu(const QString& objectName, const QString& caption = QStringLiteral("Help"));
    /// Adds the menu "Copy/Print/Save" (`MantelPlotMnu`) with the chart's copy and print commands,
    /// a separator, and the report's copy and save commands (items `MantelPlotMenu0`, 1, 3, 4).
    QMenu* addCopyPrintSaveMenu(const CopyPrintSaveCaptions& captions);
    /// Adds the menus "Edit Chart" (`chrtedit`, no items) and "Symbols" (`chartsymbols`: colour,
    /// shapes from "Rectangle", sizes of series 0) to the menu bar, and returns "Symbols".
    QMenu* addEditChartAndSymbolsMenus();
    /// Puts `widget` under the tab pages, across the window.
    void addBelowPages(QWidget* widget);
    /// Lets the user choose a printer (or a PDF file), landscape, and has `draw` print on it; shows
    /// `failure` when `draw` returns false. A cancelled dialog prints nothing.
    void printWith(const std::function<bool(QPrinter&)>& draw, const QString& failure);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    ProgramState& m_state;

private:
    void removeReportDirectory();

    QString m_helpKeyword;
    std::unique_ptr<QTemporaryDir> m_runFolder;
    std::shared_ptr<ReportFile> m_reportFile;
    QTabWidget* m_tabs;
    std::vector<Chart*> m_charts;
    QLabel* m_runSeed = nullptr;
    ReportView* m_report = nullptr;
    bool m_placed = false;
};

} // namespace tessaloc::ui
