#pragma once

#include "core/PackedDistances.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"
#include "core/ReportWriter.h"
#include "core/SampleTable.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// The report line that names the data type, written under the two file names by the reports:
/// "Data type = 1 (alleles from codominant loci)", "Data type = 2 (codominant genotypes or dominant
/// markers)" or "Data type = 3 (DNA/Protein sequence data)". Any other value gives nullptr: the
/// reports then write no line at all.
const char* DataTypeLine(DataType dataType);

/// The first lines of a report: `title`, "Coordinate File: " and "Genotype File: " followed by the
/// paths as the user named them, `distancesLine` when it is not empty (the line that names
/// geographic distances other than the straight line), then the data-type line (none for another
/// value).
void WriteReportHeading(ReportWriter& report, std::string_view title, std::string_view coordinatePath,
                        std::string_view genotypePath, DataType dataType, std::string_view distancesLine = {});

/// The line that names a permutation scheme other than the default, for a report to write after its
/// replicates: "Permutations: independent uniform shuffles" or "Permutations: all 5040 arrangements
/// (exact test)" (for N = 7). Empty for the exchanges, whose reports have no such line.
std::string PermutationSchemeLine(const PermutationRecord& record);

/// Writes PermutationSchemeLine as a line of its own, or nothing when it is empty.
void WritePermutationSchemeLine(ReportWriter& report, const PermutationRecord& record);

/// The line a report writes after its replicates when its statistics were computed on the ranks of
/// the distances: "Rank correlation: every distance replaced by its rank among the pairs (ties share
/// their mean rank)".
inline constexpr std::string_view kRankLine =
    "Rank correlation: every distance replaced by its rank among the pairs (ties share their mean rank)";

/// The line that names the states the random generator started from, for repeating the run with
/// `--seed S1,S2`: "Random seed: S1,S2".
std::string SeedLine(std::int64_t state1, std::int64_t state2);

/// The seed line of a run that drew no random numbers (an exact test, or no replicates).
inline constexpr std::string_view kNoSeedLine = "Random seed: none drawn";

/// The seed line of a run as seedDrawnFrom gives its seed: SeedLine of it, or kNoSeedLine.
std::string SeedLine(const std::optional<RandomSeed>& seed);

/// A correlation's permutation test as the Mantel-style reports write it.
struct CorrelationTest {
    /// The line of r up to its number: "Correlation of genetic and geographical distances:  r = ".
    std::string_view correlationLine;
    /// What the P lines call the statistic: "a correlation", "a partial correlation".
    std::string_view statistic;
    double r = 0.0;
    double pGreaterOrEqual = 1.0;
    double pLessOrEqual = 1.0;
    long long permutations = 0;
    PermutationRecord scheme;
    bool rank = false;
};

/// The lines of the test: r, "Probability of observing <statistic> greater than or equal to
/// observed:  P = ...", the same less than or equal, "<N> replicates performed", the scheme's line
/// and, for ranks, kRankLine.
void WriteCorrelationTestLines(ReportWriter& report, const CorrelationTest& test);

/// A column of the pair table after the genetic distances: its heading and the matrix it shows.
struct PairTableColumn {
    std::string_view heading;
    const PackedDistances& values;
};

/// The table of every pair i < j, "Table of matrix data in expanded format": the two observations'
/// names, the genetic distance and then each column's value, in print zones. Without `wholeTable` a
/// line that says the table was left out and how many pairs it has.
void WritePairTable(ReportWriter& report, bool wholeTable, const std::vector<std::string>& names,
                    const PackedDistances& genetic, std::initializer_list<PairTableColumn> columns);

/// The columns of a report's table: the names in the first, as wide as a print zone or as the
/// longest name (`longestName` characters) and two blanks, then one print zone per number.
class ReportTableColumns {
public:
    explicit ReportTableColumns(std::size_t longestName);
    /// The report column where table column `column` (0 for the first number) starts.
    int at(int column) const { return m_first + column * ReportWriter::kZoneWidth; }
    /// Starts the cell of `column` of the line: at its place, or two blanks after a number too long
    /// for the cell before it, so that a line never breaks.
    ReportWriter& cell(ReportWriter& report, int column) const;

private:
    int m_first = 1;
};

/// "Correlation among predictors": the columns headed by the predictors' numbers, then a row per
/// predictor ("1 name") with its correlation `correlation(a, b)` to each, in the order of `names`.
void WritePredictorCorrelations(ReportWriter& report, const ReportTableColumns& columns,
                                const std::vector<std::string>& names,
                                const std::function<double(int, int)>& correlation);

} // namespace tessaloc
