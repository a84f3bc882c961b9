#pragma once

#include "ui/ResultsWindow.h"

#include "analyses/aggregation/AllelicAggregation.h"

namespace tessaloc::ui {

/// "AAIA Results": the report "AAIA-Results.txt" filling the window, with its copy and save
/// commands and help.
class AggregationResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    /// Shows the report of the run that gave `result`; the report lies in `reportDirectory` and goes
    /// when the window closes.
    AggregationResultsWindow(ProgramState& state, const AggregationResult& result,
                             std::unique_ptr<QTemporaryDir> reportDirectory, QWidget* parent = nullptr);
};

} // namespace tessaloc::ui
