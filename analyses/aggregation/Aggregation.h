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

/// How the study area A is found.
enum class AreaMode {
    EstimatedRectangular = 0, ///< the bounding rectangle of the coordinates
    Empirical = 1,            ///< the area the user gives
};

/// The aggregation analysis's own settings.
struct AggregationSettings {
    /// Random relabellings of the sample locations. At least 1: with 0 the probabilities are
    /// undefined, and a negative count is an error before anything is read.
    PermutationSettings permutations;
    AreaMode areaMode = AreaMode::EstimatedRectangular;
    /// The area in Empirical mode: in the square of the coordinates' unit, or in square kilometres
    /// for latitude/longitude data.
    double empiricalArea = 0.0;
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using AggregationInput = RunInput<AggregationSettings>;

/// One category of a locus (an allele pair, genotype, marker state or sequence) with its results.
struct CategoryResult {
    /// The genotype text padded with one blank on each side, as categories are compared.
    std::string text;
    /// The report's label: the padded text, or for sequence data the sequence's code (" 1", " 2", ...).
    std::string label;
    int bearerCount = 0;
    /// Mean distance from each bearer to its nearest other bearer; meaningful with 2 or more bearers.
    double meanNearestDistance = 0.0;
    /// meanNearestDistance over its expectation for as many points scattered over the area.
    double rj = 0.0;
    long long upperCount = 0; ///< replicates with random Rj >= observed Rj
    long long lowerCount = 0; ///< replicates with random Rj <= observed Rj
    double pUpper = 0.0;      ///< P (Rj>=RND) = upperCount / permutations
    double pLower = 0.0;      ///< P (Rj<=RND) = lowerCount / permutations

    bool computed() const { return bearerCount >= 2; }
};

/// The categories of one locus in order of first appearance (missing-data codes are none).
struct LocusResult {
    std::vector<CategoryResult> categories;

    bool invariant() const { return categories.size() < 2; }
};

/// One distinct sequence of the first locus (sequence data only) and the observations that carry it.
struct SequenceEntry {
    std::string code;     ///< " 1", " 2", ... in order of first appearance
    std::string sequence; ///< padded with one blank on each side
    std::vector<std::string> names;
};

/// Everything an aggregation run produced.
struct AggregationResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    int sampleCount = 0;

    /// Sides of the bounding rectangle (kilometres for latitude/longitude data); dy as used, after
    /// a height of 0 was replaced by 1.
    double dx = 0.0;
    double dy = 0.0;
    /// True when the observations lie on one horizontal line (dy was 0), so that R compares with the
    /// one-dimensional expectation.
    bool oneDimensional = false;
    double area = 0.0;                 ///< A
    double meanNearestNeighbour = 0.0; ///< mean distance of each observation to its nearest other one
    double expectedNearestNeighbour = 0.0;
    double r = 0.0; ///< aggregation of the sampled points themselves

    double rave = 0.0;          ///< mean Rj over the included categories
    int includedCategories = 0; ///< categories with 2 or more bearers at loci with 2 or more categories
    long long raveCount = 0;    ///< replicates with random Rave <= observed Rave
    double pRave = 0.0;         ///< P (Rave<=RND) = raveCount / permutations
    long long permutations = 0; ///< replicates run (for complete enumeration N!)
    PermutationRecord permutationScheme;

    std::vector<LocusResult> loci;
    /// Sequence data: the distinct sequences of the first locus.
    std::vector<SequenceEntry> sequences;
};

/// The report's file name.
inline constexpr const char* kAggregationReportFileName = "AAIA-Results.txt";

/// True when `field` is a missing-data code of the data type: "0\0" for codominant alleles, "0" and
/// "0\0" for genotypes, none for sequences. Compared exactly.
bool IsMissingCode(DataType dataType, const std::string& field);

/// The analysis on a table already read. Builds the geographic distances (great-circle kilometres
/// with `useLatLong`), computes R, every category's Rj and Rave, and tests them against
/// `settings.permutations.count` random relabellings of the sample locations, drawing from `random` by
/// their scheme (complete enumeration: all N! arrangements, the observed one included, whatever
/// the count). Reports "Replicate: 10", "Replicate: 20", ... and stops with RunCancelled when asked.
/// Throws AnalysisError for fewer than 2 observations, complete enumeration of more than 9 (both
/// before anything is computed), an undefined area or expectation (an area of 0 or below), no
/// included category, a permutation count below 1 and, for sequence data, a sequence of a later
/// locus that the first locus lacks. The paths of the result are left empty.
AggregationResult ComputeAggregation(const SampleTable& table, DataType dataType, bool useLatLong,
                                     const AggregationSettings& settings, RandomUniform& random, RunListener& listener);

/// A whole run: reads both files and runs the analysis. Throws AnalysisError for a negative
/// permutation count before reading anything, DataProblem for the expected data problems.
AggregationResult RunAggregation(const AggregationInput& input, RandomUniform& random, RunListener& listener);

/// The text of "AAIA-Results.txt", lines ending CR LF.
std::string AggregationReport(const AggregationResult& result);
/// The same report written line by line into `report`.
void WriteAggregationReport(ReportWriter& report, const AggregationResult& result);

} // namespace tessaloc
