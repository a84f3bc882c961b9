#pragma once

#include "analyses/AnalysisInput.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "core/SquareMatrix.h"

#include <string>
#include <vector>

namespace tessaloc {

/// How the pairs of observations are cut into distance classes.
enum class ClassMode {
    /// Classes of equal width Dmax / K, holding unequal numbers of pairs.
    EqualDistances = 0,
    /// Classes of unequal width, cut at the sorted distances so that they hold about P / K pairs each.
    EqualCounts = 1,
};

/// The spatial autocorrelation analysis's own settings.
struct AutocorrelationSettings {
    /// Number of distance classes K; at least 1 (K = 1 gives V = 0), at most the number of pairs.
    long long classCount = 10;
    /// The permutation test; at least 1 replicate (without replicates the probabilities are 0/0).
    PermutationSettings permutations;
    ClassMode classMode = ClassMode::EqualDistances;
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using AutocorrelationInput = RunInput<AutocorrelationSettings>;

/// The lower and upper limits of the K distance classes; class f (1..K) is at index f - 1. A pair
/// at geographic distance d belongs to class f when lower(f) <= d < upper(f).
struct ClassLimits {
    std::vector<double> lower;
    std::vector<double> upper;
};

/// What the results window plots: the observed distogram. Class f (1..K) is at index f - 1.
struct DistogramResult {
    int classCount = 0;
    std::vector<double> lowerLimit;
    std::vector<double> upperLimit;
    std::vector<double> ay;           ///< observed mean genetic distance of each class's pairs
    double meanGeneticDistance = 0.0; ///< Gbar, the mean genetic distance over all pairs
};

/// Everything a spatial autocorrelation run produced. Per-class vectors are indexed f - 1.
struct AutocorrelationResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    /// The geographic distances the classes were drawn over (the straight line by default).
    GeoDistanceSettings geoDistances;
    ClassMode classMode = ClassMode::EqualDistances;
    long long permutations = 0; ///< replicates run (for complete enumeration N!)
    PermutationRecord permutationScheme;
    DistogramResult distogram;
    std::vector<long long> pairCounts;      ///< n(f): the pairs of each class
    double v = 0.0;                         ///< V: root mean square of Ay(f) - Gbar over the K classes
    std::vector<long long> upperTailCounts; ///< replicates with Ay*(f) >= Ay(f)
    std::vector<long long> lowerTailCounts; ///< replicates with Ay*(f) <= Ay(f)
    long long vCount = 0;                   ///< replicates with V* >= V
    std::vector<double> upperTailP;         ///< upper-tail count / permutations
    std::vector<double> lowerTailP;         ///< lower-tail count / permutations
    double vP = 0.0;                        ///< V count / permutations
    /// Geographic distances (for straight lines kilometres with latitude/longitude, else the unit of
    /// the coordinates).
    SquareMatrix geographic;
    /// Genetic distances as they were before the permutations.
    SquareMatrix genetic;
};

/// The report's file name.
inline constexpr const char* kAutocorrelationReportFileName = "SAA-Results.txt";

/// The limits of `classCount` distance classes over the pairs i < j of `geographic` (N x N,
/// symmetric). EqualDistances: width w = Dmax / K, class k from (k-1)w to kw, the last upper limit
/// raised by 1 so that the pair at Dmax belongs to class K. EqualCounts: with S the ascending pair
/// distances (S(0) = 0) and q = P / K truncated, upper limit l is S(lq + 1) for odd l and S(lq) for
/// even l, the last is S(P) + 1, and each lower limit is the previous upper limit (0 for class 1).
/// Throws AnalysisError when N < 2 or K < 1.
ClassLimits DistanceClassLimits(const SquareMatrix& geographic, int classCount, ClassMode mode);

/// The analysis on matrices already built: class limits, Ay, Gbar, V and the permutation test.
/// `genetic` and `geographic` are N x N and symmetric. Draws from `random` by the settings' scheme
/// (complete enumeration: all N! arrangements, the observed one included, whatever the settings'
/// count); reports "Rep: " progress every 10 replicates and stops with RunCancelled when asked.
/// Throws AnalysisError for settings out of range and for complete enumeration of N > 9 (before
/// anything is computed), N < 2, a class with no pair, and no permutations.
/// The paths of the result are left empty.
AutocorrelationResult ComputeAutocorrelation(SquareMatrix genetic, SquareMatrix geographic,
                                             const AutocorrelationSettings& settings, RandomUniform& random,
                                             RunListener& listener);

/// A whole run: reads both files, builds the distances and runs the analysis. Throws AnalysisError
/// for a negative permutation count or fewer than one class before reading anything, DataProblem for
/// the expected data problems.
AutocorrelationResult RunAutocorrelation(const AutocorrelationInput& input, RandomUniform& random,
                                         RunListener& listener);

/// The text of "SAA-Results.txt", lines ending CR LF.
std::string AutocorrelationReport(const AutocorrelationResult& result);
/// The same report written line by line into `report`.
void WriteAutocorrelationReport(ReportWriter& report, const AutocorrelationResult& result);

} // namespace tessaloc
