#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/pairedsample/PairedSampleResult.h"

class QComboBox;

namespace tessaloc::ui {

/// "PSGDA Results": the paired-sample genetic distance analysis's chart of one quantity against the
/// neighbour rank, chosen under "Show graph of", and the report "PSGDA-Results.txt". The program
/// has no such analysis yet, so nothing opens this window.
class PairedSampleResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// The quantities "Show graph of" offers, in the list's order.
    enum Quantity { LijValues = 0, PValues = 1, MeanGeoDistances = 2 };

    /// Shows `result` with the Lij,ik values plotted; the report lies in `runFolder` and goes
    /// when the window closes.
    PairedSampleResultsWindow(ProgramState& state, const PairedSampleResult& result,
                              std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);

    QComboBox* quantityList() const { return m_quantityList; }

public slots:
    /// Redraws series 0 with `quantity` against the neighbour rank, in blue, and titles the left
    /// axis after it.
    void plotQuantity(int quantity);

private:
    PairedSampleResult m_result;
    QComboBox* m_quantityList;
};

} // namespace tessaloc::ui
