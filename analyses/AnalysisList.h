#pragma once

#include "analyses/Analysis.h"
#include "analyses/aggregation/AggregationAnalysis.h"
#include "analyses/autocorrelation/AutocorrelationAnalysis.h"
#include "analyses/currentmap/CurrentMapAnalysis.h"
#include "analyses/kinship/KinshipAnalysis.h"
#include "analyses/landscape/LandscapeAnalysis.h"
#include "analyses/mantel/MantelAnalysis.h"
#include "analyses/matrixregression/MatrixRegressionAnalysis.h"
#include "analyses/mlpe/MlpeAnalysis.h"
#include "analyses/modelcomparison/ModelComparisonAnalysis.h"
#include "analyses/monmonier/MonmonierAnalysis.h"
#include "analyses/partialmantel/PartialMantelAnalysis.h"
#include "analyses/sampleplot/SamplePlotAnalysis.h"

#include <cstddef>
#include <utility>

namespace tessaloc {

/// A list of analysis definitions.
template <AnalysisDefinition... Analyses> struct AnalysisTypes {
    static constexpr std::size_t size = sizeof...(Analyses);

    /// Calls `visit.template operator()<A>()` for every analysis A, in the list's order.
    template <typename Visit> static void forEach(Visit&& visit) { (visit.template operator()<Analyses>(), ...); }
};

/// Every analysis of the program, in the order both front ends list them: the window program's
/// analysis list and the batch program's help. This is the one list of analyses; each front end
/// finds its own part of an analysis (command-line options, options dialog and results window)
/// through the analysis's type and refuses to build when one is missing.
using AnalysisList =
    AnalysisTypes<MantelAnalysis, AutocorrelationAnalysis, AggregationAnalysis, LandscapeAnalysis, MonmonierAnalysis,
                  SamplePlotAnalysis, PartialMantelAnalysis, MatrixRegressionAnalysis, MlpeAnalysis,
                  ModelComparisonAnalysis, KinshipAnalysis, CurrentMapAnalysis>;

/// Calls `visit.template operator()<A>()` for every analysis of the program, in order.
template <typename Visit> void forEachAnalysis(Visit&& visit)
{
    AnalysisList::forEach(std::forward<Visit>(visit));
}

} // namespace tessaloc
