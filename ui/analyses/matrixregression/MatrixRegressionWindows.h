#pragma once

#include "ui/analyses/matrixregression/MatrixRegressionOptionsDialog.h"
#include "ui/analyses/matrixregression/MatrixRegressionResultsWindow.h"
#include "ui/shell/AnalysisWindows.h"

#include "analyses/matrixregression/MatrixRegressionAnalysis.h"

namespace tessaloc::ui {

template <> struct AnalysisWindows<MatrixRegressionAnalysis> {
    static QString listText() { return QStringLiteral("Multiple Matrix Regression"); }
    static OptionsMenuItem optionsMenuItem()
    {
        return {QStringLiteral("Multiple Matrix Regression"), 7, &makeOptionsWindow<MatrixRegressionOptionsDialog>};
    }
    static MatrixRegressionSettings settings(const ProgramSettings& program) { return program.matrixRegression; }
    using ResultsWindow = MatrixRegressionResultsWindow;
};

} // namespace tessaloc::ui
