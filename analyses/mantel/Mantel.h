#pragma once

#include "analyses/AnalysisInput.h"
#include "core/PackedDistances.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"

#include <string>
#include <vector>

namespace tessaloc {

/// The Mantel test's own settings.
struct MantelSettings {
    /// The permutation test: 0 replicates run none (both P are then 1), a negative count is an error.
    PermutationSettings permutations;
    /// Replace geographic distances by their log10 (shifted when some distance is exactly 0).
    bool logGeographic = false;
    /// Replace genetic distances by their log10 (shifted when some distance is exactly 0).
    bool logGenetic = false;
    /// Write the table of every pair into the report; without it the report says in one line that
    /// the table was left out (N = 20 000 has 199 990 000 pairs, gigabytes of text).
    bool pairTable = true;
    /// Replace both matrices' distances by their ranks among the pairs after any log10 transform
    /// (ties share their mean rank), so that r is Spearman's correlation. The report then says so in
    /// one line; without it the report is as it always was.
    bool rank = false;
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using MantelInput = RunInput<MantelSettings>;

/// Everything a Mantel run produced: the statistics for the report and the matrices, before any
/// permutation, for the scatterplot.
struct MantelResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    /// The geographic distances the test ran on (the straight line by default).
    GeoDistanceSettings geoDistances;
    std::vector<std::string> names;
    /// Geographic distances after any log10 and rank transform (kilometres before them, with
    /// latitude/longitude and straight lines).
    PackedDistances geographic;
    /// Genetic distances after any log10 and rank transform, as they were before the permutations.
    PackedDistances genetic;
    double r = 0.0;             ///< matrix correlation of genetic against geographic distances
    double z = 0.0;             ///< cross-product sum of the observed arrangement
    long long permutations = 0; ///< replicates run (for complete enumeration N! - 1)
    PermutationRecord permutationScheme;
    long long greaterOrEqual = 0; ///< replicates with Z' >= Z
    long long lessOrEqual = 0;    ///< replicates with Z' <= Z
    double pGreaterOrEqual = 1.0; ///< (ge + 1) / (permutations + 1)
    double pLessOrEqual = 1.0;    ///< (le + 1) / (permutations + 1)
    bool pairTable = true;        ///< the report lists every pair (MantelSettings::pairTable)
    bool rank = false;            ///< the distances were replaced by their ranks (MantelSettings::rank)

    int sampleCount() const { return genetic.size(); }
};

/// The report's file name.
inline constexpr const char* kMantelReportFileName = "IBDResults.txt";

/// Replaces every distance d of the pairs i < j by log10(d + m) when some distance is exactly 0, with
/// m the smallest positive distance not above `startingValue` (or startingValue itself when there is
/// none), and by log10(d) otherwise. The diagonal stays 0.
void Log10DistanceTransform(PackedDistances& distances, double startingValue);

/// The test on matrices already built: transforms, r, Z and the permutation test. `genetic` and
/// `geographic` have the same N >= 3 (fewer makes r undefined, an AnalysisError). Draws from
/// `random` by the settings' permutation scheme (complete enumeration: the N! - 1 arrangements other than the
/// observed one, whatever the settings' count, and an AnalysisError for N > 9 before anything is
/// computed); reports "Replicate: " progress every 10 replicates and stops with RunCancelled when
/// asked. The names and paths of the result are left empty.
///
/// Memory: the two matrices once per pair, and while the replicates run the genetic distances as
/// 16-bit codes in full rows (a quarter of a full matrix of doubles) in place of the doubles; only
/// distances with more than 65536 distinct values are held as a full matrix of doubles instead.
MantelResult ComputeMantel(PackedDistances genetic, PackedDistances geographic, const MantelSettings& settings,
                           RandomUniform& random, RunListener& listener);

/// A whole run: reads both files, builds the distances and runs the test. Throws AnalysisError for a
/// negative permutation count before reading anything, DataProblem for the expected data problems.
MantelResult RunMantel(const MantelInput& input, RandomUniform& random, RunListener& listener);

/// The text of "IBDResults.txt", lines ending CR LF.
std::string MantelReport(const MantelResult& result);
/// The same report written line by line into `report` (for files too large to hold in memory).
void WriteMantelReport(ReportWriter& report, const MantelResult& result);

} // namespace tessaloc
