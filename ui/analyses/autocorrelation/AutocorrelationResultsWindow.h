#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/autocorrelation/Autocorrelation.h"

class QAction;

namespace tessaloc::ui {

/// True when a corrected probability counts as significant at 5 %: at most 0.05, allowing for
/// the rounding of the correction's products.
bool significantAfterCorrection(double probability);

/// "Spatial Autocorrelation Analysis Results": the distogram on the "Distogram" page (Ay of each
/// class at its upper limit, joined by a line, with a dotted line at the mean genetic distance, the
/// null envelope as a grey band and the bootstrap intervals as bars), the report
/// "SAA-Results.txt" on the "Results" page and the Mantel correlogram on the "Mantel Correlogram"
/// page (r of each class at its upper limit, with a dotted line at 0). A class whose corrected P is
/// at most 0.05 has a filled symbol, the others a hollow one, while "Symbols" > "Mark significant
/// classes" is on; a legend under each chart says what it shows. Resting the mouse on a symbol shows
/// the class's numbers. "Copy/Print/Save" > "Save Class Table..." writes the class table.
class AutocorrelationResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows `result`; the report lies in `runFolder` and goes when the window closes.
    AutocorrelationResultsWindow(ProgramState& state, AutocorrelationResult result,
                                 std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);

    Chart* distogram() const { return m_distogram; }
    Chart* correlogram() const { return m_correlogram; }
    bool marksSignificantClasses() const { return m_marking; }

public slots:
    /// Fills the symbols of the classes whose corrected P is at most 0.05 (the others hollow), or
    /// draws all alike.
    void setMarkSignificantClasses(bool mark);
    /// Asks for a file name ("Save Class Table", a .csv table) and writes the class table there.
    void saveClassTable();
    /// Writes the class table to `fileName` as a whole file; shows why and returns false when it
    /// cannot.
    bool saveClassTableTo(const QString& fileName);

private:
    void drawDistogram();
    void drawCorrelogram();
    void updateMarking();

    AutocorrelationResult m_result;
    Chart* m_distogram;
    Chart* m_correlogram;
    /// Class (0-based) of each point of the correlogram: classes without an r have no point.
    QList<int> m_correlogramClasses;
    bool m_marking = true;
};

} // namespace tessaloc::ui
