#pragma once

#include "ui/shell/ResultsWindow.h"

#include "analyses/aggregation/Aggregation.h"

namespace tessaloc::ui {

/// "AAIA Results": the report "AAIA-Results.txt" filling the window, with its copy and save
/// commands and help.
class AggregationResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows the report of the run that gave `result`; the report lies in `runFolder` and goes
    /// when the window closes.
    AggregationResultsWindow(ProgramState& state, const AggregationResult& result,
                             std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent = nullptr);
};

} // namespace tessaloc::ui
