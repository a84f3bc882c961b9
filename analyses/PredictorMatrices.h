#pragma once

#include "analyses/AnalysisInput.h"
#include "core/PackedDistances.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "resistance/GeoDistances.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

// What the analyses that ask which distance explains the genetic distances share (the partial Mantel
// test and the multiple matrix regression): the distance matrices they take beside the genetic one,
// read and named the same way, and the checks those matrices must pass.

/// A matrix that may explain the genetic distances, as a run built it.
struct PredictorMatrix {
    /// Its name in the reports: see predictorNames.
    std::string name;
    /// Where it came from, in words (describeGeoDistances): "straight lines", `the distance matrix
    /// file "habitat.csv"`.
    std::string description;
    /// Pairwise distances in the order of the observations, stored once per pair.
    PackedDistances distances;
};

/// The name of each choice in the reports: the name of its file (without the folder) for the kinds
/// that read one, the kind's keyword ("straight") otherwise. Choices whose names would coincide are
/// named by their kind and file as the command line gives them ("least-cost:surface.tif" beside
/// "resistance:surface.tif"), so that every report line starting with a name starts with one
/// choice's name only, unless the same choice is given twice.
std::vector<std::string> predictorNames(const std::vector<GeoDistanceSettings>& choices);

/// The names of the matrices, in order.
std::vector<std::string> predictorNames(const std::vector<PredictorMatrix>& predictors);

/// The width of the longest of `termNames` and of the predictors as the tables of the reports number
/// them ("2 forest.tif"): the first column of those tables holds them.
std::size_t longestTableLabel(const std::vector<std::string>& termNames,
                              const std::vector<PredictorMatrix>& predictors);

/// What a run of these analyses works on.
struct PredictorData {
    SampleTable table;
    PackedDistances genetic;
    /// The chosen matrices, in the order of the choices.
    std::vector<PredictorMatrix> predictors;
};

/// Throws DataProblem when `choice` is of a kind that reads a file and names none; `what` names the
/// choice in the message ("Z", "predictor 2"). The analyses check every choice so before reading.
void requireFileNamed(const GeoDistanceSettings& choice, std::string_view what);

/// Throws DataProblem when two of `choices` are the same kind with the same file; `owner` is the
/// message's subject ("The regression", `The model "forest"`), and the choice is named as the command
/// line gives it ("resistance:forest.tif").
void requireDistinctPredictors(const std::vector<GeoDistanceSettings>& choices, std::string_view owner);

/// Reads both files, then builds each chosen matrix in turn (status "Calculating"; least-cost and
/// circuit distances over a resistance surface, or a matrix file matched by name) and the genetic
/// distances. Throws DataProblem for fewer than three observations and as ReadAnalysisData and
/// BuildGeographicDistances do; RunCancelled when asked.
PredictorData ReadPredictorData(const AnalysisInput& input, const std::vector<GeoDistanceSettings>& choices,
                                RunListener& listener);

/// Throws DataProblem unless there are at least three observations (three pairs), the fewest for
/// which a correlation between distance matrices is defined.
void requireThreeObservations(int observations);

/// Throws DataProblem when `sumOfSquares`, the sum of the squared deviations of a matrix's pairs from
/// their mean, is zero: the matrix is then the same for every pair, explains nothing and cannot be
/// explained. `what` is the message's subject ("The genetic distance", `Predictor "habitat.csv"`).
void requireVaryingPairs(double sumOfSquares, std::string_view what);

} // namespace tessaloc
