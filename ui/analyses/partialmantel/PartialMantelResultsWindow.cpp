#include "ui/analyses/partialmantel/PartialMantelResultsWindow.h"

#include "ui/widgets/ChartPoints.h"
#include "ui/widgets/NumericText.h"

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
    : ScatterplotResultsWindow(state, QStringLiteral("Partial Mantel Test"), std::move(runFolder), parent)
    , m_result(std::make_shared<const PartialMantelResult>(std::move(result)))
{
    setObjectName(QStringLiteral("PartialMantelPlotForm"));
    setWindowTitle(QStringLiteral("Partial Mantel Test Analysis Results"));

    auto residuals = std::make_shared<const Residuals>(
        Residuals{residualsOnZ(m_result->x, m_result->z, m_result->xOnZ),
                  residualsOnZ(m_result->genetic, m_result->z, m_result->geneticOnZ)});
    showScatterplot({.title = QStringLiteral("Partial Mantel Test Results"),
                     .xTitle = QStringLiteral("X Residual after Z"),
                     .yTitle = QStringLiteral("Genetic Distance Residual after Z"),
                     .pairs = std::make_shared<const MatrixPairs>(
                         std::shared_ptr<const PackedDistances>(residuals, &residuals->x),
                         std::shared_ptr<const PackedDistances>(residuals, &residuals->genetic)),
                     .names = std::shared_ptr<const std::vector<std::string>>(m_result, &m_result->names),
                     .pairText =
                         [result = m_result](int i, int j) {
                             return QStringLiteral("Genetic Distance %1\nX %2\nZ %3")
                                 .arg(reportNumberText(result->genetic(i, j)), reportNumberText(result->x(i, j)),
                                      reportNumberText(result->z(i, j)));
                         }},
                    QString::fromLatin1(kPartialMantelReportFileName), QStringLiteral("PartialMantelHelp"));
}

} // namespace tessaloc::ui
