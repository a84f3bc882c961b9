#pragma once

#include "analyses/AnalysisInput.h"
#include "analyses/PredictorMatrices.h"
#include "core/PackedDistances.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "resistance/GeoDistances.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaloc {

/// The partial Mantel test's own settings.
struct PartialMantelSettings {
    /// The permutation test of the genetic matrix: 0 replicates run none (both P are then 1).
    PermutationSettings permutations;
    /// X, the distances whose correlation with the genetic distances is tested.
    GeoDistanceSettings x;
    /// Z, the distances held constant. No default choice fits every study: at start-up it is a
    /// matrix file still to be named.
    GeoDistanceSettings z = [] {
        GeoDistanceSettings matrixFile;
        matrixFile.kind = GeoDistanceKind::Matrix;
        return matrixFile;
    }();
    /// Replace the pairs of every matrix by their ranks first (Spearman's correlations).
    bool rank = false;
    /// Write the table of every pair into the report; without it the report says in one line that
    /// the table was left out.
    bool pairTable = true;
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using PartialMantelInput = RunInput<PartialMantelSettings>;

/// The least-squares line a + b v of one matrix's pairs on another's.
struct PairLine {
    double intercept = 0.0;
    double slope = 0.0;
};

/// Everything a partial Mantel run produced: the statistics for the report and the matrices, as the
/// statistics saw them, for the table and the scatterplot of residuals.
struct PartialMantelResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    std::vector<std::string> names;
    /// The states the random generator started from, when the run drew from it (not for complete
    /// enumeration or no replicates).
    std::optional<RandomSeed> seed;
    /// X and Z as the report names and describes them.
    std::string xName = "X";
    std::string xDescription;
    std::string zName = "Z";
    std::string zDescription;
    /// The three matrices after any rank transform.
    PackedDistances genetic;
    PackedDistances x;
    PackedDistances z;
    bool rank = false;
    bool pairTable = true; ///< the report lists every pair (PartialMantelSettings::pairTable)

    double r = 0.0;        ///< the partial correlation of genetic distances and X given Z
    double geneticX = 0.0; ///< Pearson's correlation of genetic distances and X (of their ranks with `rank`)
    double geneticZ = 0.0; ///< the same of genetic distances and Z
    double xZ = 0.0;       ///< the same of X and Z
    /// The lines of the genetic distances and of X on Z; their residuals are the scatterplot's points.
    PairLine geneticOnZ;
    PairLine xOnZ;

    long long permutations = 0; ///< replicates run (for complete enumeration N! - 1)
    PermutationRecord permutationScheme;
    long long greaterOrEqual = 0; ///< replicates with r' >= r
    long long lessOrEqual = 0;    ///< replicates with r' <= r
    double pGreaterOrEqual = 1.0; ///< (ge + 1) / (permutations + 1)
    double pLessOrEqual = 1.0;    ///< (le + 1) / (permutations + 1)

    int sampleCount() const { return genetic.size(); }
};

/// The report's file name.
inline constexpr const char* kPartialMantelReportFileName = "PartialMantel-Results.txt";

/// The partial correlation r(G, X | Z) = (r_GX - r_GZ r_XZ) / sqrt((1 - r_GZ^2)(1 - r_XZ^2)) from the
/// sums a replicate changes, with the rest fixed: `geneticX` and `geneticZ` are the sums over the
/// pairs of the genetic deviations from their mean times the deviations of X and of Z (see
/// CenterPairs), the other arguments the sums of squares of the three matrices' deviations and the
/// sum of the products of the deviations of X and Z. The test computes the observed r and every
/// replicate's r' with it, so that arrangements with the same sums give the same r bit for bit.
double PartialMantelStatistic(double geneticX, double geneticZ, double geneticSquares, double xSquares, double zSquares,
                              double xZ);

/// The test on matrices already built (all of one size): ranks when asked, the
/// correlations, r and the permutation test of the genetic matrix, drawing from `random` by the
/// settings' scheme (complete enumeration: the N! - 1 arrangements other than the observed one, and
/// an AnalysisError for N > 9 before anything is computed). Reports "Replicate: " progress every 10
/// replicates and stops with RunCancelled when asked. Throws DataProblem for fewer than three
/// observations, matrices of different sizes, a matrix the same for every pair, X and Z exactly
/// collinear, genetic distances exactly collinear with Z, and ranks of a matrix whose pairs all tie. The paths,
/// observation names and the descriptions of X and Z are left empty.
PartialMantelResult ComputePartialMantel(PackedDistances genetic, PredictorMatrix x, PredictorMatrix z,
                                         const PartialMantelSettings& settings, RandomUniform& random,
                                         RunListener& listener);

/// A whole run: reads both files, builds X, Z and the genetic distances and runs the test. Throws
/// AnalysisError for a negative permutation count and DataProblem for X or Z without the file its
/// kind needs, before reading anything, and DataProblem for the expected data problems.
PartialMantelResult RunPartialMantel(const PartialMantelInput& input, RandomUniform& random, RunListener& listener);

/// The text of "PartialMantel-Results.txt", lines ending CR LF.
std::string PartialMantelReport(const PartialMantelResult& result);
/// The same report written line by line into `report`.
void WritePartialMantelReport(ReportWriter& report, const PartialMantelResult& result);

} // namespace tessaloc
