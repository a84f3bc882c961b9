#include "core/GeneticDistances.h"
#include "core/AlleleSharingSums.h"
#include "core/Errors.h"
#include "tests/support/FailingPairTable.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/NumberedNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessaloc {
namespace {

// A table from rows of genotype fields, one row per observation.
SampleTable tableOf(const std::vector<std::vector<std::string>>& rows)
{
    SampleTable table;
    table.locusCount = static_cast<int>(rows.front().size());
    table.genotypes.assign(static_cast<size_t>(table.locusCount), {});
    for (const auto& row : rows) {
        table.names.push_back(testing::numberedName("o", static_cast<long long>(table.names.size()) + 1));
        table.xTexts.push_back("0");
        table.yTexts.push_back("0");
        for (int l = 0; l < table.locusCount; ++l)
            table.genotypes[l].push_back(row[l]);
    }
    return table;
}

double pairDistance(DataType type, const std::string& a, const std::string& b)
{
    return BuildGeneticDistances(tableOf({{a}, {b}}), type)(0, 1);
}

std::string dataProblemOf(const SampleTable& table, DataType type)
{
    try {
        BuildGeneticDistances(table, type);
    } catch (const DataProblem& problem) {
        return problem.what();
    }
    return {};
}

TEST(Alleles, LeftAndRightSplitAtTheFirstBackslash)
{
    EXPECT_EQ(LeftAllele("12\\14"), "12");
    EXPECT_EQ(RightAllele("12\\14"), "14");
    EXPECT_EQ(LeftAllele("12\\14\\16"), "12");
    EXPECT_EQ(RightAllele("12\\14\\16"), "14\\16");
    EXPECT_EQ(LeftAllele("\\7"), "");
    EXPECT_EQ(RightAllele("7\\"), "");
}

TEST(AlleleDistanceMatrix, PerLocusTermsOfTheWorkedCases)
{
    EXPECT_EQ(pairDistance(DataType::Codominant, "12\\14", "14\\12"), 0.0);
    EXPECT_EQ(pairDistance(DataType::Codominant, "12\\12", "12\\12"), 0.0);
    EXPECT_EQ(pairDistance(DataType::Codominant, "12\\12", "12\\14"), 1.0 - std::sqrt(0.5));
    EXPECT_NEAR(pairDistance(DataType::Codominant, "12\\14", "12\\12"), 0.2928932, 1e-7);
    EXPECT_EQ(pairDistance(DataType::Codominant, "12\\14", "14\\16"), 0.5);
    EXPECT_EQ(pairDistance(DataType::Codominant, "12\\14", "16\\18"), 1.0);
    EXPECT_EQ(pairDistance(DataType::Codominant, "12\\12", "14\\14"), 1.0);
}

TEST(AlleleDistanceMatrix, MissingLociAreLeftOutPairByPair)
{
    // Locus 2 is missing in observation 1 only, so it counts for the pair (2, 3) alone.
    const PackedDistances d = BuildGeneticDistances(
        tableOf({{"12\\14", "0\\0"}, {"12\\14", "10\\10"}, {"16\\18", "10\\12"}}), DataType::Codominant);
    EXPECT_EQ(d(0, 1), 0.0);
    EXPECT_EQ(d(0, 2), 1.0);
    EXPECT_EQ(d(1, 2), (1.0 + (1.0 - std::sqrt(0.5))) / 2.0);
    EXPECT_EQ(d(2, 1), d(1, 2));
    // An allele "0" beside another allele is an ordinary allele.
    EXPECT_EQ(pairDistance(DataType::Codominant, "0\\12", "0\\12"), 0.0);
    EXPECT_EQ(pairDistance(DataType::Codominant, "0\\12", "12\\14"), 0.5);
}

TEST(GeneticDistances, PairWithoutCommonLociStopsNamingBothObservations)
{
    const SampleTable codominant = tableOf({{"1\\1", "2\\2"}, {"1\\1", "0\\0"}, {"0\\0", "2\\2"}, {"0\\0", "0\\0"}});
    EXPECT_EQ(dataProblemOf(codominant, DataType::Codominant),
              "Error constructing genetic distance between observations  1 and  4:  No common loci after "
              "accounting for missing data.");
    const SampleTable genotypes = tableOf({{"A", "B"}, {"A", "0"}, {"0\\0", "C"}, {"A", "B"}});
    EXPECT_EQ(dataProblemOf(genotypes, DataType::Genotypes),
              "Error constructing genetic distance between observations  2 and  3:  No common loci after "
              "accounting for missing data.");
}

TEST(GenotypeDistanceMatrix, ComparesTextsExactlyAndSkipsMissingCodes)
{
    EXPECT_EQ(pairDistance(DataType::Genotypes, "aa", "AA"), 1.0);
    EXPECT_EQ(pairDistance(DataType::Genotypes, "x\\y", "x\\y"), 0.0);
    const PackedDistances d =
        BuildGeneticDistances(tableOf({{"A", "B", "C"}, {"A", "0", "D"}, {"B", "B", "0\\0"}}), DataType::Genotypes);
    EXPECT_EQ(d(0, 1), 0.5); // locus 2 left out: A = A, C != D
    EXPECT_EQ(d(0, 2), 0.5); // locus 3 left out: A != B, B = B
    EXPECT_EQ(d(1, 2), 1.0); // only locus 1 is usable: A != B
}

TEST(SequenceDistanceMatrix, CaseDoesNotMatterAndIdenticalSequencesGiveZero)
{
    EXPECT_EQ(pairDistance(DataType::Sequences, "ACGTacgt", "acgtACGT"), 0.0);
    const PackedDistances same = BuildGeneticDistances(tableOf({{"ACGT"}, {"ACGT"}, {"ACGT"}}), DataType::Sequences);
    EXPECT_EQ(same, PackedDistances(3));
}

TEST(SequenceDistanceMatrix, DividesByTheFullLengthOfTheFirstSequence)
{
    EXPECT_EQ(pairDistance(DataType::Sequences, "AAAAAAAAAA", "AAGAAAATAA"), 0.2);
    // Positions beyond the first sequence's length are never examined.
    EXPECT_EQ(pairDistance(DataType::Sequences, "ACG", "ACGTTTT"), 0.0);
}

TEST(SequenceDistanceMatrix, PositionsBeyondAShortSequenceDiffer)
{
    // Variable sites are 3 and 4 (the third sequence ends after site 2); reduced sequences are
    // "GT", "CA" and "". Pair (1, 3) differs at both reduced positions, as does (2, 3).
    const PackedDistances d = BuildGeneticDistances(tableOf({{"ACGT"}, {"ACCA"}, {"AC"}}), DataType::Sequences);
    EXPECT_EQ(d(0, 1), 2.0 / 4.0);
    EXPECT_EQ(d(0, 2), 2.0 / 4.0);
    EXPECT_EQ(d(1, 2), 2.0 / 4.0);
    // A sequence that ends early makes the sites beyond its end variable and differs at all of them.
    const PackedDistances shorter = BuildGeneticDistances(tableOf({{"AAG"}, {"AAG"}, {"A"}}), DataType::Sequences);
    EXPECT_EQ(shorter(0, 1), 0.0);
    EXPECT_EQ(shorter(0, 2), 2.0 / 3.0);
}

TEST(SequenceDistanceMatrix, EmptyFirstSequenceIsAnAnalysisError)
{
    EXPECT_THROW(BuildGeneticDistances(tableOf({{""}, {"ACGT"}}), DataType::Sequences), AnalysisError);
}

TEST(BuildGeneticDistances, UnknownDataTypeLeavesZeros)
{
    EXPECT_EQ(BuildGeneticDistances(tableOf({{"1\\1"}, {"2\\2"}}), static_cast<DataType>(0)), PackedDistances(2));
}

// The fast builders must give every entry bit for bit as the literal procedure does, and stop at
// the same pair with the same message.
bool bitIdentical(const SquareMatrix& a, const SquareMatrix& b)
{
    return a.size() == b.size() && (a.values().empty() || std::memcmp(a.values().data(), b.values().data(),
                                                                      a.values().size() * sizeof(double)) == 0);
}

void expectSameAsLiteral(DataType type, const reference::RandomTableRecipe& recipe)
{
    const SampleTable table = reference::randomSampleTable(type, recipe);
    auto literal = [&] {
        switch (type) {
        case DataType::Codominant:
            return reference::literalAlleleDistances(table);
        case DataType::Genotypes:
            return reference::literalGenotypeDistances(table);
        case DataType::Sequences:
            break;
        }
        return reference::literalSequenceDistances(table);
    };
    std::string literalProblem, fastProblem;
    SquareMatrix expected, actual;
    try {
        expected = literal();
    } catch (const DataProblem& problem) {
        literalProblem = problem.what();
    }
    try {
        actual = BuildGeneticDistances(table, type).square();
    } catch (const DataProblem& problem) {
        fastProblem = problem.what();
    }
    EXPECT_EQ(fastProblem, literalProblem) << "seed " << recipe.seed;
    EXPECT_TRUE(bitIdentical(actual, expected)) << "type " << static_cast<int>(type) << " seed " << recipe.seed;
}

TEST(BuildGeneticDistances, FastBuildersMatchTheLiteralProcedureBitForBit)
{
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        reference::RandomTableRecipe recipe;
        recipe.seed = seed;
        recipe.samples = 5 + static_cast<int>(seed) * 7;
        recipe.loci = 1 + static_cast<int>(seed % 9);
        recipe.allelesPerLocus = 2 + static_cast<int>(seed % 4);
        recipe.missingRate = seed % 3 == 0 ? 0.0 : 0.15;
        recipe.sequenceLength = 10 + static_cast<int>(seed) * 5;
        recipe.sequenceAlphabet = seed % 2 == 0 ? 4 : 14;
        expectSameAsLiteral(DataType::Codominant, recipe);
        expectSameAsLiteral(DataType::Genotypes, recipe);
        expectSameAsLiteral(DataType::Sequences, recipe);
    }
}

TEST(BuildGeneticDistances, FastBuildersStopAtTheSamePairAsTheLiteralProcedure)
{
    for (std::uint32_t seed = 100; seed < 110; ++seed) {
        reference::RandomTableRecipe recipe;
        recipe.seed = seed;
        // Large enough tables are split over threads; the first failing pair must still win.
        recipe.samples = seed % 2 == 0 ? 30 : 400;
        recipe.loci = seed % 2 == 0 ? 2 : 4;
        recipe.missingRate = seed % 2 == 0 ? 0.5 : 0.55;
        expectSameAsLiteral(DataType::Codominant, recipe);
        expectSameAsLiteral(DataType::Genotypes, recipe);
    }
}

TEST(BuildGeneticDistances, OnlyFailingPairDeepInALargeTableIsFound)
{
    const SampleTable table = reference::tableWithoutCommonLociOnlyAt201And251();
    EXPECT_EQ(dataProblemOf(table, DataType::Codominant), noCommonLociMessage(201, 251));
}

TEST(AlleleDistanceMatrix, LocusWithThousandsOfGenotypesMatchesTheLiteralProcedure)
{
    // More distinct genotypes at a locus than the term table takes: terms are computed per pair.
    reference::RandomTableRecipe recipe;
    recipe.samples = 800;
    recipe.loci = 2;
    recipe.allelesPerLocus = 120;
    recipe.missingRate = 0.0;
    recipe.seed = 77;
    expectSameAsLiteral(DataType::Codominant, recipe);
}

// What a builder gives for a table: the matrix, or the message of the data problem that stopped it.
struct Outcome {
    SquareMatrix distances;
    std::string problem;
};

SquareMatrix whole(SquareMatrix matrix)
{
    return matrix;
}
SquareMatrix whole(const PackedDistances& pairs)
{
    return pairs.square();
}

template <typename Build> Outcome outcomeOf(Build build)
{
    Outcome outcome;
    try {
        outcome.distances = whole(build());
    } catch (const DataProblem& problem) {
        outcome.problem = problem.what();
    }
    return outcome;
}

// Every kernel this processor has, the portable one always among them, against the literal
// procedure on one table.
void expectEveryKernelAsLiteral(DataType type, const SampleTable& table, const std::string& what)
{
    const Outcome expected = outcomeOf([&] {
        return type == DataType::Codominant ? reference::literalAlleleDistances(table)
                                            : reference::literalGenotypeDistances(table);
    });
    for (const DistanceKernel kernel : availableDistanceKernels()) {
        const Outcome actual = outcomeOf([&] {
            return type == DataType::Codominant ? alleleSharingDistances(table, kernel)
                                                : genotypeDifferenceDistances(table, kernel);
        });
        EXPECT_EQ(actual.problem, expected.problem) << what << ", kernel " << distanceKernelName(kernel);
        EXPECT_TRUE(bitIdentical(actual.distances, expected.distances))
            << what << ", kernel " << distanceKernelName(kernel);
    }
}

// Tables of many loci of several widths: two alleles (four genotypes to a byte), three to five
// (a byte each) and more (pair by pair), alone and interleaved, over sample counts that fill the
// last block of 32 partly or exactly.
struct StretchCase {
    const char* name;
    std::vector<reference::LocusStretch> stretches;
    double missingRate;
};

const std::vector<StretchCase>& stretchCases()
{
    static const std::vector<StretchCase> cases = {
        {"two alleles", {{240, 2}}, 0.1},
        {"two alleles, nothing missing", {{100, 2}}, 0.0},
        {"three to five alleles", {{60, 3}, {60, 4}, {60, 5}}, 0.1},
        {"wide loci", {{50, 9}, {15, 30}}, 0.1},
        {"interleaved", {{70, 2}, {3, 9}, {20, 4}, {1, 2}, {1, 12}, {50, 2}, {17, 5}, {1, 9}, {40, 2}}, 0.05},
        {"mostly missing", {{120, 2}, {10, 4}, {2, 9}, {60, 2}}, 0.45},
    };
    return cases;
}

void expectEveryKernelAsLiteralOverStretchCases(DataType type, std::uint32_t seed)
{
    for (const StretchCase& stretchCase : stretchCases()) {
        for (const int samples : {31, 64, 77}) {
            const SampleTable table =
                reference::randomStretchedTable(type, samples, stretchCase.stretches, stretchCase.missingRate, seed++);
            expectEveryKernelAsLiteral(type, table,
                                       std::string(stretchCase.name) + ", " + std::to_string(samples) + " samples");
        }
    }
}

TEST(AlleleDistanceMatrix, EveryKernelMatchesTheLiteralProcedureOverManyLoci)
{
    expectEveryKernelAsLiteralOverStretchCases(DataType::Codominant, 1);
}

TEST(GenotypeDistanceMatrix, EveryKernelMatchesTheLiteralProcedureOverManyLoci)
{
    expectEveryKernelAsLiteralOverStretchCases(DataType::Genotypes, 500);
}

TEST(GeneticDistances, EveryKernelMatchesTheLiteralProcedureWithRowsSpreadOverThreads)
{
    // Enough observations for the rows to be shared out among threads.
    const std::vector<reference::LocusStretch> stretches = {{20, 2}, {5, 4}, {1, 9}, {30, 2}};
    for (const DataType type : {DataType::Codominant, DataType::Genotypes})
        expectEveryKernelAsLiteral(type, reference::randomStretchedTable(type, 130, stretches, 0.1, 77),
                                   "data type " + std::to_string(static_cast<int>(type)));
}

TEST(GeneticDistances, EveryKernelCountsMoreMissingLociPerObservationThanAByteHolds)
{
    // About 330 missing loci per observation: the tallies of loci missing in both observations of a
    // pair are emptied more than once.
    const std::vector<reference::LocusStretch> stretches = {{400, 2}, {40, 4}, {3, 9}, {300, 2}};
    for (const DataType type : {DataType::Codominant, DataType::Genotypes})
        expectEveryKernelAsLiteral(type, reference::randomStretchedTable(type, 31, stretches, 0.45, 900),
                                   "data type " + std::to_string(static_cast<int>(type)));
}

TEST(GenotypeDistanceMatrix, EveryKernelMatchesTheLiteralProcedureWithHundredsOfTextsAtALocus)
{
    // More distinct texts at a locus than byte-wide codes can tell apart.
    const SampleTable table =
        reference::randomStretchedTable(DataType::Genotypes, 400, {{2, 2000}, {60, 2}, {1, 5000}}, 0.05, 41);
    size_t texts = 0;
    for (const GenotypeColumn& column : table.genotypes)
        texts = std::max(texts, column.texts().size());
    ASSERT_GT(texts, 254u);
    expectEveryKernelAsLiteral(DataType::Genotypes, table, "hundreds of texts");
}

TEST(GeneticDistances, EveryKernelStopsAtTheSamePairAsTheLiteralProcedure)
{
    for (std::uint32_t seed = 200; seed < 206; ++seed) {
        // Few loci, most of them missing: some pair has none in common, in a table large enough to
        // be split over threads.
        const SampleTable codominant =
            reference::randomStretchedTable(DataType::Codominant, 150, {{2, 2}, {1, 4}, {1, 9}}, 0.55, seed);
        expectEveryKernelAsLiteral(DataType::Codominant, codominant, "seed " + std::to_string(seed));
        const SampleTable genotypes =
            reference::randomStretchedTable(DataType::Genotypes, 150, {{3, 2}, {1, 300}}, 0.55, seed);
        expectEveryKernelAsLiteral(DataType::Genotypes, genotypes, "seed " + std::to_string(seed));
    }
}

TEST(DistanceKernels, ThePortableKernelIsAlwaysAvailableAndLast)
{
    const std::vector<DistanceKernel> kernels = availableDistanceKernels();
    ASSERT_FALSE(kernels.empty());
    EXPECT_EQ(kernels.back(), DistanceKernel::Portable);
    EXPECT_EQ(std::count(kernels.begin(), kernels.end(), DistanceKernel::Portable), 1);
}

TEST(DistanceKernels, NamesTurnBackIntoTheirKernels)
{
    for (const DistanceKernel kernel : {DistanceKernel::Portable, DistanceKernel::Avx2, DistanceKernel::Avx512})
        EXPECT_EQ(distanceKernelNamed(distanceKernelName(kernel)), kernel);
    EXPECT_EQ(distanceKernelName(DistanceKernel::Avx2), "avx2");
    EXPECT_FALSE(distanceKernelNamed("AVX2").has_value());
    EXPECT_FALSE(distanceKernelNamed("").has_value());
}

TEST(DistanceKernels, TheVariableChoosesTheFastestKernelNotAboveTheOneItNames)
{
    const std::vector<DistanceKernel> all = {DistanceKernel::Avx512, DistanceKernel::Avx2, DistanceKernel::Portable};
    const std::vector<DistanceKernel> withoutAvx512 = {DistanceKernel::Avx2, DistanceKernel::Portable};
    const std::vector<DistanceKernel> portableOnly = {DistanceKernel::Portable};
    struct Case {
        const char* requested;
        const std::vector<DistanceKernel>* available;
        DistanceKernel expected;
    };
    const Case cases[] = {
        {nullptr, &all, DistanceKernel::Avx512},
        {"avx2", &all, DistanceKernel::Avx2},
        {"portable", &all, DistanceKernel::Portable},
        {"avx512", &withoutAvx512, DistanceKernel::Avx2},
        {"avx512", &portableOnly, DistanceKernel::Portable},
        {"avx2", &portableOnly, DistanceKernel::Portable},
        // A value that names no kernel is ignored.
        {"AVX2", &all, DistanceKernel::Avx512},
        {"", &withoutAvx512, DistanceKernel::Avx2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(distanceKernelFor(c.requested, *c.available), c.expected) << (c.requested ? c.requested : "unset");
}

TEST(DistanceKernels, TheSummaryNamesTheKernelInUseAndThoseOfTheProcessor)
{
    std::string expected =
        "distance kernel: " + std::string(distanceKernelName(chosenDistanceKernel())) + " (this processor:";
    for (const DistanceKernel kernel : availableDistanceKernels())
        expected += " " + std::string(distanceKernelName(kernel));
    EXPECT_EQ(distanceKernelSummary(), expected + ")");
}

} // namespace
} // namespace tessaloc
