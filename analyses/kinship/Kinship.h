#pragma once

#include "analyses/AnalysisInput.h"
#include "analyses/autocorrelation/Autocorrelation.h"
#include "analyses/kinship/KinshipPairs.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "core/Significance.h"
#include "core/SquareMatrix.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaloc {

/// Whether a run estimates Rousset's a beside the kinship coefficient.
enum class RoussetChoice {
    /// For diploid data (data type 1), not for data type 2.
    Auto = 0,
    /// Always: data type 2 is then refused.
    Yes = 1,
    No = 2,
};

/// The fine-scale spatial structure analysis's own settings.
struct KinshipSettings {
    /// Upper bounds of the distance classes, increasing and positive: class c holds the pairs with
    /// b(c-1) < d <= b(c), class 1 those with 0 <= d <= b1, and a last class is added for the pairs
    /// beyond the last bound. Empty: `classCount` classes of the autocorrelation's kinds.
    std::vector<double> classBounds;
    /// Classes of equal width or equal counts (as the spatial autocorrelation cuts them) when no
    /// bounds are given; at least 1.
    long long classCount = 10;
    ClassMode classMode = ClassMode::EqualDistances;
    /// The permutation test of every class mean and slope; 0 runs none (no probabilities).
    PermutationSettings permutations{999};
    RoussetChoice rousset = RoussetChoice::Auto;
    /// The jackknife over loci of every statistic (needs two polymorphic loci).
    bool jackknife = true;
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using KinshipInput = RunInput<KinshipSettings>;

/// Throws AnalysisError when `bounds` are not positive and strictly increasing (naming the first
/// that is not), or are not finite.
void requireClassBounds(const std::vector<double>& bounds);

/// The distance classes of a run: class c (0-based) from lower[c] to upper[c]. With
/// `upperIncluded` (classes from bounds) a pair at distance d belongs to it when lower < d <= upper,
/// the first class including 0; otherwise (the autocorrelation's classes) when lower <= d < upper.
struct KinshipClasses {
    std::vector<double> lower;
    std::vector<double> upper;
    bool upperIncluded = false;

    int count() const { return static_cast<int>(upper.size()); }
    /// The class of distance d, count() when it lies in none.
    int classOf(double d) const;
};

/// The classes of `settings` over the pairs of `geographic`.
KinshipClasses KinshipDistanceClasses(const SquareMatrix& geographic, const KinshipSettings& settings);

/// A statistic with its jackknife standard error and permutation probabilities (NaN where they do
/// not exist).
struct KinshipEstimate {
    double estimate = std::numeric_limits<double>::quiet_NaN();
    double jackknifeSe = std::numeric_limits<double>::quiet_NaN();
    double pLower = std::numeric_limits<double>::quiet_NaN();
    double pUpper = std::numeric_limits<double>::quiet_NaN();
    double pTwoSided = std::numeric_limits<double>::quiet_NaN();
};

/// One distance class of the correlogram.
struct KinshipClassRow {
    double lower = 0.0;
    double upper = 0.0;
    long long pairs = 0; ///< pairs whose distance falls in the class
    double meanDistance = std::numeric_limits<double>::quiet_NaN();
    long long kinshipPairs = 0;                              ///< of them, the pairs with a kinship coefficient
    KinshipEstimate kinship;                                 ///< mean F over those pairs, with its tests
    double pHolm = std::numeric_limits<double>::quiet_NaN(); ///< pTwoSided by progressive Holm
    Band envelope;                                           ///< 2.5 % and 97.5 % points of the replicates' mean F
    long long roussetPairs = 0;
    KinshipEstimate rousset; ///< mean a (no tests)
};

/// Everything a run produced.
struct KinshipResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    GeoDistanceSettings geoDistances;
    int sampleCount = 0;
    int locusCount = 0;
    int polymorphicLoci = 0;
    bool rousset = false;         ///< a was estimated
    bool roussetDeclined = false; ///< left out because the data are not diploid (RoussetChoice::Auto)
    KinshipClasses classes;
    ClassMode classMode = ClassMode::EqualDistances;
    long long pairs = 0;
    long long pairsWithoutKinship = 0;
    long long pairsWithoutRousset = 0;
    long long zeroDistancePairs = 0; ///< left out of the regressions on ln d
    long long permutations = 0;
    PermutationRecord permutationScheme;
    std::int64_t seed1 = 0;
    std::int64_t seed2 = 0;
    bool jackknifeAsked = true;
    int jackknifeLoci = 0; ///< loci the jackknife ran over (0: none ran)
    std::vector<KinshipClassRow> rows;
    KinshipEstimate bLin;                                            ///< slope of F on d
    KinshipEstimate bLog;                                            ///< slope of F on ln d
    KinshipEstimate f1;                                              ///< mean F of class 1
    KinshipEstimate sp;                                              ///< -bLog / (1 - F1)
    KinshipEstimate aSlope;                                          ///< slope of a on ln d
    KinshipEstimate nb;                                              ///< 1 / aSlope
    double interceptLog = std::numeric_limits<double>::quiet_NaN();  ///< of F on ln d
    double aInterceptLog = std::numeric_limits<double>::quiet_NaN(); ///< of a on ln d
    /// Pairwise geographic distances, kinship coefficients and a (NaN where a pair has none; a empty
    /// when not estimated).
    SquareMatrix geographic;
    SquareMatrix kinshipCoefficients;
    SquareMatrix roussetCoefficients;
    /// What the report says about the data beyond the numbers (all pairs in one class, ...), also
    /// told to the listener as warnings.
    std::vector<std::string> notes;
};

/// The report's file name.
inline constexpr const char* kKinshipReportFileName = "Kinship-Results.txt";

/// The pairwise kinship coefficients F_ij and a_ij of `loci` (NaN where a pair has none).
SquareMatrix KinshipCoefficients(const KinshipLoci& loci);
SquareMatrix RoussetCoefficients(const KinshipLoci& loci);

/// The analysis on a table and geographic distances already read: pairwise coefficients, classes,
/// regressions, the jackknife over loci and the permutation test (locations permuted among
/// individuals by the settings' scheme; P = (count + 1) / (replicates + 1)). Throws DataProblem when
/// no locus is polymorphic or a is asked of data that are not diploid, AnalysisError for settings out
/// of range.
KinshipResult ComputeKinship(const SampleTable& table, DataType dataType, SquareMatrix geographic,
                             const KinshipSettings& settings, RandomUniform& random, RunListener& listener);

/// A whole run: reads both files, builds the geographic distances and runs the analysis.
KinshipResult RunKinship(const KinshipInput& input, RandomUniform& random, RunListener& listener);

/// The text of "Kinship-Results.txt", lines ending CR LF.
std::string KinshipReport(const KinshipResult& result);
void WriteKinshipReport(ReportWriter& report, const KinshipResult& result);

/// The head lines of the two tables.
inline constexpr const char* kKinshipClassTableHeader =
    "class,lower,upper,pairs,mean_distance,kinship,kinship_se,p_lower,p_upper,p_two_sided,p_holm,a,a_se";
inline constexpr const char* kKinshipSummaryHeader = "statistic,estimate,jackknife_se,p_two_sided";

/// The class table: one row per class; numbers in their shortest exact form, empty cells where a
/// value does not exist; lines end CR LF.
std::string KinshipClassTable(const KinshipResult& result);
/// The summary: rows b_lin, b_log, F1, Sp, a_slope, Nb.
std::string KinshipSummaryTable(const KinshipResult& result);
/// The two tables written whole to `path` (see writeFileAt); throws AnalysisError naming the file.
void WriteKinshipClassTableFile(const std::filesystem::path& path, const KinshipResult& result);
void WriteKinshipSummaryFile(const std::filesystem::path& path, const KinshipResult& result);

} // namespace tessaloc
