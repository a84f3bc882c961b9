#pragma once

#include "analyses/AnalysisInput.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "core/Significance.h"
#include "core/SquareMatrix.h"

#include <filesystem>
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
    /// Bootstrap resamples of the loci (data types 1 and 2) or sites (type 3) for the confidence
    /// intervals of Ay, drawn after the permutation test; 0 draws none. At most kMostBootstrapResamples.
    long long bootstrapResamples = 200;
};

/// The largest number of bootstrap resamples a run takes.
inline constexpr long long kMostBootstrapResamples = 100000;

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

/// Why a class has no bootstrap interval of Ay.
enum class IntervalGap {
    None,                 ///< it has one
    BootstrapOff,         ///< no resamples were asked for
    NothingToResample,    ///< the data hold no locus or site to resample
    NoUsableResample,     ///< every resample left some pair without a common locus
    TooFewDistinctValues, ///< its resamples gave fewer than two distinct values of Ay
};

/// The Mantel correlogram: per class, the Mantel correlation of genetic distance with the class's
/// membership (0 for the pairs in the class, 1 for the others, so that a positive r means pairs of
/// the class are genetically more alike than average). Per-class vectors are indexed f - 1.
struct MantelCorrelogram {
    /// Pearson r over the pairs; NaN when undefined (one class holding every pair, or genetic
    /// distances all equal).
    std::vector<double> r;
    /// The permutation P in the direction of r's sign, (count + 1) / (replicates + 1) with the
    /// observed arrangement counted as one more replicate (complete enumeration: count / N!, the
    /// observed arrangement being among the replicates); NaN where r is.
    std::vector<double> p;
    /// `p` corrected progressively by Holm's method over classes 1..f.
    std::vector<double> holmP;
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
    /// Two-sided P of each class: twice the smaller of its two tail P values, at most 1.
    std::vector<double> twoSidedP;
    /// `twoSidedP` corrected progressively by Holm's method: class f over classes 1..f.
    std::vector<double> holmP;
    /// The null envelope: the 2.5 % and 97.5 % points of each class's Ay* over the replicates.
    std::vector<Band> envelope;
    /// The same for V*.
    Band vEnvelope;
    MantelCorrelogram correlogram;
    /// Bootstrap resamples asked for, and those that gave every pair a distance.
    long long bootstrapResamples = 0;
    long long usableResamples = 0;
    /// The 2.5 % and 97.5 % points of each class's Ay over the usable resamples, undefined where
    /// `intervalGaps` says why.
    std::vector<Band> confidence;
    std::vector<IntervalGap> intervalGaps;
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

/// The bootstrap intervals of Ay: `resamples` times, draws a resample of the loci of `table`
/// (data types 1 and 2) or of the sites of its sequences (type 3) with DrawResample, builds the
/// genetic distances of the resampled data and recomputes every class's Ay over the classes of
/// `result` (which holds the geographic distances and limits of a finished run on `table`). All
/// draws come from `random`, one resample after another; the intervals are the 2.5 % and 97.5 %
/// points of each class's values. A resample that leaves some pair without a common locus is left
/// out. Shows "Resample: " progress every 10 resamples and stops with RunCancelled when asked.
/// Throws AnalysisError when `resamples` is negative or beyond kMostBootstrapResamples.
///
/// The resamples run side by side on `threads` threads (0: defaultThreadCount()), fewer when their
/// distance matrices would take much memory, and with a group of processes (sharingProcessGroup())
/// each process computes a contiguous block of them; the draws, the intervals and the generator's
/// state afterwards are the same for any count of threads and processes.
void BootstrapClassIntervals(AutocorrelationResult& result, const SampleTable& table, DataType dataType,
                             long long resamples, RandomUniform& random, RunListener& listener, int threads = 0);

/// A whole run: reads both files, builds the distances, runs the analysis and then the bootstrap of
/// the settings. Throws AnalysisError for a negative permutation count, fewer than one class or a
/// bootstrap count out of range before reading anything, DataProblem for the expected data problems.
AutocorrelationResult RunAutocorrelation(const AutocorrelationInput& input, RandomUniform& random,
                                         RunListener& listener);

/// The text of "SAA-Results.txt", lines ending CR LF.
std::string AutocorrelationReport(const AutocorrelationResult& result);
/// The same report written line by line into `report`.
void WriteAutocorrelationReport(ReportWriter& report, const AutocorrelationResult& result);

/// The head line of the class table.
inline constexpr const char* kAutocorrelationClassTableHeader =
    "class,lower,upper,pairs,ay,p_upper,p_lower,p_two_sided,p_holm,envelope_low,envelope_high,ci_low,ci_high,"
    "mantel_r,mantel_p,mantel_p_holm,note";

/// Why a class has no bootstrap interval ("the resamples gave fewer than 2 distinct values of Ay"),
/// empty for IntervalGap::None.
std::string intervalGapReason(IntervalGap gap);
/// What the class table says of a class without a bootstrap interval: "no interval: " and the
/// reason; empty for IntervalGap::None.
std::string intervalGapText(IntervalGap gap);

/// The class table: the head line, then one row per class with its number, limits (a pair at
/// distance d belongs to the class when lower <= d < upper), pairs, Ay, the tail, two-sided and
/// Holm-corrected P, the null envelope, the bootstrap interval, the Mantel correlogram's r, P and
/// corrected P, and a note saying why an interval or r is missing. Numbers are in the shortest form
/// that reads back to the same double, NA where undefined; lines end CR LF.
void WriteAutocorrelationClassTable(ReportWriter& out, const AutocorrelationResult& result);
/// The same text as a string.
std::string AutocorrelationClassTable(const AutocorrelationResult& result);
/// Writes the class table to `path` whole: the file is replaced only once the whole table was
/// written. Throws AnalysisError naming it when its folder does not exist or it cannot be written.
void WriteAutocorrelationClassTableFile(const std::filesystem::path& path, const AutocorrelationResult& result);

} // namespace tessaloc
