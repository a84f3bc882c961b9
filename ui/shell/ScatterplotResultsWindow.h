#pragma once

#include "ui/shell/ResultsWindow.h"

#include "ui/widgets/ChartPoints.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaloc::ui {

/// What the results windows of the matrix analyses that plot one matrix's pairs against another's
/// share: the "Scatterplot" page with the points and their regression line, each point's tool tip
/// naming its two observations, the report on the "Results" page, and the menus "Copy/Print/Save"
/// (graph and report), "Edit Chart" (the symbols) and "Help". A window adds any page of its own
/// first, then calls showScatterplot.
class ScatterplotResultsWindow : public ResultsWindow {
    Q_OBJECT
public:
    using ResultsWindow::ResultsWindow;

protected:
    struct Scatterplot {
        QString title;
        QString xTitle;
        QString yTitle;
        /// The points, pair by pair; the pointer keeps whatever holds the matrices alive.
        std::shared_ptr<const MatrixPairs> pairs;
        /// The observations' names, kept alive by the pointer.
        std::shared_ptr<const std::vector<std::string>> names;
        /// The tool tip's lines after the two names, for the pair (i, j).
        std::function<QString(int i, int j)> pairText;
    };

    /// Adds the scatterplot and report pages, shows the first page, loads `reportFileName` from the
    /// run's folder, and adds the menus, the help command's item named `helpObjectName`.
    Chart* showScatterplot(const Scatterplot& scatterplot, const QString& reportFileName,
                           const QString& helpObjectName);
};

} // namespace tessaloc::ui
