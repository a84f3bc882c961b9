#include "core/PermutedCrossProducts.h"

#include "core/MatrixSums.h"
#include "tests/support/AllArrangements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

// A symmetric matrix of `n` with pairs drawn from `distinct` values (0 for as many as doubles give).
SquareMatrix randomMatrix(int n, int distinct, std::mt19937& engine)
{
    std::uniform_real_distribution<double> uniform(0.0, 10.0);
    std::uniform_int_distribution<int> level(1, std::max(distinct, 1));
    SquareMatrix m(n);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j)
            m.setPair(i, j, distinct > 0 ? level(engine) / 7.0 : uniform(engine));
    }
    return m;
}

struct CrossProductCase {
    int n;
    int matrices;
    int distinct; ///< distinct genetic values, 0 for continuous values (the pass then reads doubles)
};

class PermutedCrossProductsCases : public ::testing::TestWithParam<CrossProductCase> {};

// Every slot of every lane count holds, bit for bit, CrossProductSum of the rearranged matrix with
// each fixed matrix, whichever way the pass groups the k matrices.
TEST_P(PermutedCrossProductsCases, EqualTheSumsOverTheRearrangedMatrixBitForBit)
{
    const CrossProductCase c = GetParam();
    std::mt19937 engine(static_cast<std::uint32_t>(c.n * 100 + c.matrices * 10 + c.distinct));
    const SquareMatrix genetic = randomMatrix(c.n, c.distinct, engine);
    std::vector<SquareMatrix> fixedFull;
    std::vector<PackedDistances> fixed;
    for (int m = 0; m < c.matrices; ++m) {
        fixedFull.push_back(randomMatrix(c.n, 0, engine));
        fixed.emplace_back(fixedFull.back());
    }
    std::vector<const PackedDistances*> pointers;
    for (const PackedDistances& f : fixed)
        pointers.push_back(&f);

    PermutedCrossProducts products(PackedDistances(genetic), pointers, 8);
    ASSERT_EQ(products.matrices(), c.matrices);
    for (int count = 1; count <= 4; ++count) {
        std::vector<std::vector<std::int32_t>> permutations(static_cast<size_t>(count));
        std::vector<const std::int32_t*> lanes;
        for (auto& p : permutations) {
            p.resize(static_cast<size_t>(c.n));
            std::iota(p.begin(), p.end(), 0);
            std::shuffle(p.begin(), p.end(), engine);
            lanes.push_back(p.data());
        }
        const int firstSlot = count == 4 ? 4 : 1;
        products.evaluate(lanes.data(), count, firstSlot);
        for (int lane = 0; lane < count; ++lane) {
            const SquareMatrix literal = testing::rearranged(genetic, permutations[static_cast<size_t>(lane)]);
            for (int m = 0; m < c.matrices; ++m) {
                const double expected = CrossProductSum(literal, fixedFull[static_cast<size_t>(m)]);
                EXPECT_EQ(std::bit_cast<std::uint64_t>(products.sums(firstSlot + lane)[m]),
                          std::bit_cast<std::uint64_t>(expected))
                    << "count " << count << " lane " << lane << " matrix " << m;
            }
        }
    }
}

// The observed arrangement through the same pass gives the observed cross products exactly.
TEST_P(PermutedCrossProductsCases, IdentityGivesTheObservedSums)
{
    const CrossProductCase c = GetParam();
    std::mt19937 engine(static_cast<std::uint32_t>(c.n + c.matrices + c.distinct));
    const PackedDistances genetic(randomMatrix(c.n, c.distinct, engine));
    std::vector<PackedDistances> fixed;
    for (int m = 0; m < c.matrices; ++m)
        fixed.emplace_back(randomMatrix(c.n, 0, engine));
    std::vector<const PackedDistances*> pointers;
    for (const PackedDistances& f : fixed)
        pointers.push_back(&f);
    const PermutedCrossProducts products(genetic, pointers, 0);
    std::vector<std::int32_t> identity(static_cast<size_t>(c.n));
    std::iota(identity.begin(), identity.end(), 0);
    const std::vector<double> sums = products.sumsOf(identity);
    for (int m = 0; m < c.matrices; ++m)
        EXPECT_EQ(sums[static_cast<size_t>(m)], CrossProductSum(genetic, fixed[static_cast<size_t>(m)]));
}

INSTANTIATE_TEST_SUITE_P(Matrices, PermutedCrossProductsCases,
                         ::testing::Values(CrossProductCase{3, 1, 3}, CrossProductCase{9, 2, 5},
                                           CrossProductCase{17, 3, 0}, CrossProductCase{23, 4, 11},
                                           CrossProductCase{30, 5, 0}, CrossProductCase{12, 7, 4},
                                           // More distinct values than 16-bit codes hold: the pass
                                           // reads the doubles.
                                           CrossProductCase{400, 2, 0}),
                         [](const ::testing::TestParamInfo<CrossProductCase>& param) {
                             return "N" + std::to_string(param.param.n) + "Matrices" +
                                    std::to_string(param.param.matrices) + "Distinct" +
                                    std::to_string(param.param.distinct);
                         });

} // namespace
} // namespace tessaloc
