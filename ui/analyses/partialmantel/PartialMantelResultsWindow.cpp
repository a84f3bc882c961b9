#include "ui/analyses/partialmantel/PartialMantelResultsWindow.h"

#include "ui/widgets/ChartPoints.h"
#include "ui/widgets/NumericText.h"

#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace tessaloc::ui {

namespace {

// The pairs of `m` less their line on Z: m(i, j) - (a + b Z(i, j)).
PackedDistances residualsOnZ(const PackedDistances& m, const PackedDistances& z, const PairLine& line)
{
    PackedDistances residuals = m;
    const std::vector<double>& zs = z.values();
    std::vector<double>& values = residuals.values();
    for (size_t k = 0; k < values.size(); ++k)
        values[k] -= line.intercept + line.slope * zs[k];
    return residuals;
}

// The two matrices of residuals the chart reads its points from.
struct Residuals {
    PackedDistances x;
    PackedDistances genetic;
};

} // namespace

PartialMantelResultsWindow::PartialMantelResultsWindow(ProgramState& state, PartialMantelResult result,
                                                       std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Partial Mantel Test"), std::move(runFolder), parent)
    , m_result(std::make_shared<const PartialMantelResult>(std::move(result)))
{
    setObjectName(QStringLiteral("PartialMantelPlotForm"));
    setWindowTitle(QStringLiteral("Partial Mantel Test Analysis Results"));

    Chart* plot = addChartPage(QStringLiteral("Scatterplot"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    loadReport(QString::fromLatin1(kPartialMantelReportFileName));

    plot->setTitle(QStringLiteral("Partial Mantel Test Results"));
    plot->setAxisTitles(QStringLiteral("X Residual after Z"), QStringLiteral("Genetic Distance Residual after Z"));
    auto residuals = std::make_shared<const Residuals>(
        Residuals{residualsOnZ(m_result->x, m_result->z, m_result->xOnZ),
                  residualsOnZ(m_result->genetic, m_result->z, m_result->geneticOnZ)});
    auto pairs =
        std::make_shared<const MatrixPairs>(std::shared_ptr<const PackedDistances>(residuals, &residuals->x),
                                            std::shared_ptr<const PackedDistances>(residuals, &residuals->genetic));
    plot->setPoints(pairs, Qt::blue);
    plot->addRegressionLine();
    plot->setPointToolTips([result = m_result, pairs](qsizetype index) {
        const auto [i, j] = pairs->pairOf(index);
        return QStringLiteral("%1, %2\nGenetic Distance %3\nX %4\nZ %5")
            .arg(observationName(result->names, i), observationName(result->names, j),
                 reportNumberText(result->genetic(i, j)), reportNumberText(result->x(i, j)),
                 reportNumberText(result->z(i, j)));
    });

    addCopyPrintSaveMenu({.copyGraph = QStringLiteral("Copy Graph to Clipboard as Metafile"),
                          .printGraph = QStringLiteral("Print Graph"),
                          .copyText = QStringLiteral("Copy text to clipboard"),
                          .saveText = QStringLiteral("Save Text to file")});
    QMenu* editChart = menuBar()->addMenu(QStringLiteral("Edit Chart"));
    editChart->setObjectName(QStringLiteral("chartmnu1"));
    addSymbolMenus(editChart, SymbolMenuCaptions{});
    addHelpMenu(QStringLiteral("PartialMantelHelp"));
}

} // namespace tessaloc::ui
