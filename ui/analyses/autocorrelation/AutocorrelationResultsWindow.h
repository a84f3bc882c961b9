#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/autocorrelation/Autocorrelation.h"

namespace tessaloc::ui {

/// True when a class's test counts as significant at 5 %: its probability as the report prints it
/// (five decimals) is at most 0.05.
bool significantAtFivePercent(double probability);

/// "Spatial Autocorrelation Analysis Results": the distogram on the "Distogram" page (Ay of each
/// class at its upper limit, joined by a line, with a dotted line at the mean genetic distance) and
/// the report "SAA-Results.txt" on the "Results" page. A class whose test is significant at 5 % in
/// either tail has a filled symbol, the others a hollow one; resting the mouse on a symbol shows
/// the class's limits, pairs, Ay and probabilities.
class AutocorrelationResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows `result`; the report lies in `runFolder` and goes when the window closes.
    AutocorrelationResultsWindow(ProgramState& state, const AutocorrelationResult& result,
                                 std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);
};

} // namespace tessaloc::ui
