#include "core/DistanceCodes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace tessaloc {
namespace {

// Every entry read back through its code, compared bit for bit.
void expectSameEntries(const DistanceCodes& codes, const SquareMatrix& m)
{
    ASSERT_TRUE(codes.coded());
    ASSERT_EQ(codes.size(), m.size());
    for (int i = 0; i < m.size(); ++i)
        for (int j = 0; j < m.size(); ++j)
            ASSERT_EQ(std::bit_cast<std::uint64_t>(codes.values()[codes.row(i)[j]]),
                      std::bit_cast<std::uint64_t>(m(i, j)))
                << i << ", " << j;
}

TEST(DistanceCodes, CodesNameTheDistinctValuesInOrderOfFirstAppearance)
{
    SquareMatrix m(3);
    m.setPair(0, 1, 0.5);
    m.setPair(0, 2, 0.25);
    m.setPair(1, 2, 0.5);
    const DistanceCodes codes(m);
    expectSameEntries(codes, m);
    // Row 0 is 0, .5, .25: codes 0, 1, 2; row 1 is .5, 0, .5.
    EXPECT_EQ(codes.row(0)[0], 0);
    EXPECT_EQ(codes.row(0)[1], 1);
    EXPECT_EQ(codes.row(0)[2], 2);
    EXPECT_EQ(codes.row(1)[0], 1);
    EXPECT_EQ(codes.row(1)[2], 1);
}

TEST(DistanceCodes, NegativeZeroKeepsItsOwnCode)
{
    SquareMatrix m(2);
    m(0, 1) = -0.0;
    m(1, 0) = 0.0;
    const DistanceCodes codes(m);
    expectSameEntries(codes, m);
    EXPECT_NE(codes.row(0)[1], codes.row(1)[0]);
}

TEST(DistanceCodes, ManyRepeatedValuesStayExact)
{
    // 300 x 300 entries over 1000 distinct values, so the table of recent values keeps being replaced.
    const int n = 300;
    SquareMatrix m(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            m.setPair(i, j, static_cast<double>((i * 7919 + j * 104729) % 1000) / 1000.0);
    expectSameEntries(DistanceCodes(m), m);
}

TEST(DistanceCodes, MoreDistinctValuesThanCodesAreNotCoded)
{
    // 363 observations have 65703 pairs, each with its own value.
    const int n = 363;
    SquareMatrix m(n);
    int k = 0;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            m.setPair(i, j, 1.0 + static_cast<double>(k++));
    EXPECT_FALSE(DistanceCodes(m).coded());
    // Exactly 65536 distinct values (65535 pairs plus the diagonal's 0) still fit.
    SquareMatrix fits(n);
    k = 0;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j, ++k)
            fits.setPair(i, j, k < 65535 ? 1.0 + static_cast<double>(k) : 1.0);
    expectSameEntries(DistanceCodes(fits), fits);
}

TEST(DistanceCodes, EmptyMatrixIsNotCoded)
{
    EXPECT_FALSE(DistanceCodes(SquareMatrix(0)).coded());
}

TEST(PackedDistanceCodes, CodesOfThePairsGiveTheDistancesBackBitForBit)
{
    // 0.5, 0.25 and -0.0: the diagonal's 0 takes code 0, so -0.0 gets a code of its own.
    PackedDistances d(3);
    d.setPair(0, 1, 0.5);
    d.setPair(0, 2, 0.25);
    d.setPair(1, 2, -0.0);
    const PackedDistanceCodes codes(d);
    ASSERT_TRUE(codes.coded());
    EXPECT_EQ(codes.values().front(), 0.0);
    EXPECT_EQ(codes.pairCodes(), (std::vector<std::uint16_t>{1, 2, 3}));
    const PackedDistances back = codes.decoded();
    ASSERT_EQ(back.values().size(), 3u);
    for (size_t k = 0; k < 3; ++k)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back.values()[k]), std::bit_cast<std::uint64_t>(d.values()[k]));
}

TEST(PackedDistanceCodes, RowsFromThePairsReadAsRowsFromTheWholeMatrix)
{
    // Sizes around the tiles of 64 the rows are written in.
    for (const int n : {1, 2, 5, 64, 65, 130}) {
        SquareMatrix full(n);
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                full.setPair(i, j, static_cast<double>((i * 31 + j * 17) % 97) / 97.0);
        const DistanceCodes fromPairs(PackedDistanceCodes{PackedDistances(full)});
        expectSameEntries(fromPairs, full);
    }
}

TEST(PackedDistanceCodes, MoreDistinctValuesThanCodesAreNotCoded)
{
    // 363 observations have 65703 pairs, each with its own value; with the diagonal's 0, 65535
    // distinct pair values still fit.
    const int n = 363;
    PackedDistances many(n);
    PackedDistances fits(n);
    for (size_t k = 0; k < many.values().size(); ++k) {
        many.values()[k] = 1.0 + static_cast<double>(k);
        fits.values()[k] = k < 65535 ? 1.0 + static_cast<double>(k) : 1.0;
    }
    EXPECT_FALSE(PackedDistanceCodes(many).coded());
    EXPECT_FALSE(DistanceCodes(PackedDistanceCodes(many)).coded());
    EXPECT_TRUE(PackedDistanceCodes(fits).coded());
    expectSameEntries(DistanceCodes(PackedDistanceCodes(fits)), fits.square());
}

} // namespace
} // namespace tessaloc
