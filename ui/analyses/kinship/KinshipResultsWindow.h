#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/kinship/Kinship.h"

namespace tessaloc::ui {

/// "Fine-Scale Spatial Structure Results": the kinship correlogram on the "Correlogram" page (mean F
/// of each class at its mean distance, joined by a line, with its jackknife standard error as bars,
/// the permutation envelope as a grey band and a dotted line at 0; a class whose Holm-corrected P is
/// at most 0.05 has a filled symbol, the others a hollow one), F of every pair against ln(distance)
/// with the regression line on the "Kinship" page, Rousset's a likewise on the "Rousset's a" page,
/// and the report "Kinship-Results.txt" on the "Results" page (many pairs are drawn shaded by
/// density). "Copy/Print/Save" > "Save Class Table..." and "Save Summary..." write the two tables.
class KinshipResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    KinshipResultsWindow(ProgramState& state, KinshipResult result, std::unique_ptr<QTemporaryDir> runFolder,
                         QWidget* parent = nullptr);

    Chart* correlogram() const { return m_correlogram; }
    Chart* kinshipPlot() const { return m_kinshipPlot; }
    Chart* roussetPlot() const { return m_roussetPlot; }

public slots:
    void saveClassTable();
    void saveSummary();
    /// Write the tables to `fileName` whole; show why and return false when they cannot.
    bool saveClassTableTo(const QString& fileName);
    bool saveSummaryTo(const QString& fileName);

private:
    void drawCorrelogram();
    void drawPairs(Chart* plot, const SquareMatrix& values, double slope, double intercept, const QString& name);
    QString askCsvName(const QString& title);

    KinshipResult m_result;
    Chart* m_correlogram;
    Chart* m_kinshipPlot;
    Chart* m_roussetPlot;
};

} // namespace tessaloc::ui
