// The pairwise kinship coefficients and Rousset's a against their definitions (LiteralKinship).

#include "analyses/kinship/KinshipPairs.h"
#include "tests/analyses/kinship/KinshipTestData.h"

#include "analyses/kinship/Kinship.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tessaloc {
namespace {

using testing::MixedTable;

void expectSameValues(const SquareMatrix& actual, const SquareMatrix& expected, const char* what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (int i = 0; i < actual.size(); ++i)
        for (int j = 0; j < actual.size(); ++j) {
            if (i == j)
                continue;
            if (std::isnan(expected(i, j))) {
                EXPECT_TRUE(std::isnan(actual(i, j))) << what << " (" << i << ", " << j << ")";
                continue;
            }
            EXPECT_NEAR(actual(i, j), expected(i, j), 1e-13) << what << " (" << i << ", " << j << ")";
        }
}

TEST(KinshipPairs, KinshipMatchesTheDefinitionWithMissingAndHalfMissingGenotypes)
{
    const MixedTable data;
    const KinshipLoci loci(data.table, DataType::Codominant, true);
    EXPECT_EQ(loci.polymorphicCount(), 3); // the monomorphic locus 3 is left out
    expectSameValues(KinshipCoefficients(loci), reference::literalKinship(data.table, DataType::Codominant), "F");
}

TEST(KinshipPairs, RoussetMatchesTheDefinitionWithMissingAndHalfMissingGenotypes)
{
    const MixedTable data;
    const KinshipLoci loci(data.table, DataType::Codominant, true);
    expectSameValues(RoussetCoefficients(loci), reference::literalRousset(data.table), "a");
}

TEST(KinshipPairs, RoussetWithoutHalfMissingGenotypesSharesTheKinshipSums)
{
    // Missing genotypes but none half-missing: a is summed from F's own products.
    const testing::CompleteTable complete;
    SampleTable table = complete.table;
    table.genotypes[0].set(2, "0\\0");
    table.genotypes[2].set(4, "0\\0");
    const KinshipLoci loci(table, DataType::Codominant, true);
    expectSameValues(RoussetCoefficients(loci), reference::literalRousset(table), "a");
    expectSameValues(KinshipCoefficients(loci), reference::literalKinship(table, DataType::Codominant), "F");
}

TEST(KinshipPairs, HandWorkedHomozygotesOfTwoAlleles)
{
    // One locus, 1/1 1/1 2/2 2/2: p = (.5, .5), D = .5, n = 8, D / (n - 1) = 1/14.
    // Two 1/1: S = (.5)^2 + (-.5)^2 = .5, F = (.5 + 1/14) / .5 = 8/7.
    // 1/1 and 2/2: S = 2 x (.5)(-.5) = -.5, F = (-.5 + 1/14) / .5 = -6/7.
    const SampleTable table =
        reference::kinshipTable({{"1\\1"}, {"1\\1"}, {"2\\2"}, {"2\\2"}}, {0, 1, 2, 3}, {0, 0, 0, 0});
    const SquareMatrix f = KinshipCoefficients(KinshipLoci(table, DataType::Codominant, false));
    EXPECT_NEAR(f(0, 1), 8.0 / 7.0, 1e-15);
    EXPECT_NEAR(f(2, 3), 8.0 / 7.0, 1e-15);
    EXPECT_NEAR(f(0, 2), -6.0 / 7.0, 1e-15);
    EXPECT_NEAR(f(1, 3), -6.0 / 7.0, 1e-15);
}

TEST(KinshipPairs, HandWorkedRoussetOfHeterozygotes)
{
    // One locus, 1/2 1/2 1/1 2/2: Ho = 1/2. Two 1/2: Hb = 2/4, a = (1/2 - 2/4 - 1/4) / (1/2) = -1/2.
    // 1/1 and 2/2: Hb = 1, a = (1 - 0 - 1/4) / (1/2) = 3/2. 1/2 and 1/1: Hb = 1/2,
    // a = (1/2 - 1/4 - 1/4) / (1/2) = 0.
    const SampleTable table =
        reference::kinshipTable({{"1\\2"}, {"1\\2"}, {"1\\1"}, {"2\\2"}}, {0, 1, 2, 3}, {0, 0, 0, 0});
    const SquareMatrix a = RoussetCoefficients(KinshipLoci(table, DataType::Codominant, true));
    EXPECT_NEAR(a(0, 1), -0.5, 1e-15);
    EXPECT_NEAR(a(2, 3), 1.5, 1e-15);
    EXPECT_NEAR(a(0, 2), 0.0, 1e-15);
}

TEST(KinshipPairs, DataType2CountsOneCopyPerIndividual)
{
    const SampleTable table = reference::kinshipTable(
        {{"A", "x", "0"}, {"B", "x", "P"}, {"A", "y", "Q"}, {"0\\0", "y", "P"}, {"C", "0", "P"}, {"A", "x", "Q"}},
        {0, 1, 2, 3, 4, 5}, {0, 0, 0, 0, 0, 0});
    const KinshipLoci loci(table, DataType::Genotypes, false);
    EXPECT_FALSE(loci.rousset());
    expectSameValues(KinshipCoefficients(loci), reference::literalKinship(table, DataType::Genotypes), "F");
}

TEST(KinshipPairs, APairWithoutACommonPolymorphicLocusHasNoValue)
{
    // Individuals 1 and 2 are never both defined at a polymorphic locus (locus 3 is monomorphic).
    const SampleTable table = reference::kinshipTable(
        {{"1\\2", "0\\0", "5\\5"}, {"0\\0", "3\\4", "5\\5"}, {"1\\1", "3\\3", "5\\5"}, {"2\\2", "4\\4", "5\\5"}},
        {0, 1, 2, 3}, {0, 0, 0, 0});
    const KinshipLoci loci(table, DataType::Codominant, true);
    const SquareMatrix f = KinshipCoefficients(loci);
    EXPECT_TRUE(std::isnan(f(0, 1)));
    EXPECT_FALSE(std::isnan(f(0, 2)));
    expectSameValues(f, reference::literalKinship(table, DataType::Codominant), "F");
    expectSameValues(RoussetCoefficients(loci), reference::literalRousset(table), "a");
}

TEST(KinshipPairs, ManyAllelesAndLociOnRandomTables)
{
    // Random tables of 1 to 9 alleles per locus with missing and half-missing calls, against the
    // definitions: every column layout (one column for two alleles, one per allele otherwise).
    std::mt19937 generator(42);
    for (int round = 0; round < 5; ++round) {
        const int n = 9 + round * 3;
        const int loci = 2 + round;
        std::vector<std::vector<std::string>> fields(static_cast<size_t>(n));
        for (int l = 0; l < loci; ++l) {
            const int alleles = 1 + (l * 4 + round) % 9;
            std::uniform_int_distribution<int> allele(1, alleles);
            std::uniform_int_distribution<int> missing(0, 19);
            for (int i = 0; i < n; ++i) {
                const std::string a = missing(generator) == 0 ? "0" : std::to_string(100 + allele(generator));
                const std::string b = missing(generator) == 0 ? "0" : std::to_string(100 + allele(generator));
                fields[static_cast<size_t>(i)].push_back(a + "\\" + b);
            }
        }
        const SampleTable table = reference::kinshipTable(fields, std::vector<double>(static_cast<size_t>(n), 0.0),
                                                          std::vector<double>(static_cast<size_t>(n), 0.0));
        const KinshipLoci kinshipLoci(table, DataType::Codominant, true);
        expectSameValues(KinshipCoefficients(kinshipLoci), reference::literalKinship(table, DataType::Codominant), "F");
        expectSameValues(RoussetCoefficients(kinshipLoci), reference::literalRousset(table), "a");
    }
}

TEST(KinshipPairs, GramSumsMatchPlainDotProducts)
{
    // More rows and columns than one block, with odd counts: every edge of the blocks.
    std::mt19937 generator(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (const auto& [n, columns] : {std::pair{7, 3}, std::pair{13, 257}, std::pair{5, 600}, std::pair{2, 1}}) {
        std::vector<double> rows(static_cast<size_t>(n) * static_cast<size_t>(columns));
        for (double& v : rows)
            v = value(generator);
        const SquareMatrix sums = UpperGramSums(rows, n, static_cast<size_t>(columns));
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                double expected = 0.0;
                for (int c = 0; c < columns; ++c)
                    expected += rows[static_cast<size_t>(i * columns + c)] * rows[static_cast<size_t>(j * columns + c)];
                EXPECT_NEAR(sums(i, j), expected, 1e-12) << n << " x " << columns << " (" << i << ", " << j << ")";
            }
    }
}

} // namespace
} // namespace tessaloc
