#include "resistance/GridOrdering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace tessaloc {
namespace {

// Node numbers for a rows x columns grid: every cell a node, numbered row by row, except those
// `left out` (which get -1 and leave the numbers of the others consecutive).
std::vector<std::int64_t> numberCells(int rows, int columns, const std::vector<bool>& leftOut = {})
{
    std::vector<std::int64_t> nodeOfCell(static_cast<size_t>(rows) * static_cast<size_t>(columns), -1);
    std::int64_t next = 0;
    for (size_t cell = 0; cell < nodeOfCell.size(); ++cell) {
        if (leftOut.empty() || !leftOut[cell])
            nodeOfCell[cell] = next++;
    }
    return nodeOfCell;
}

bool isPermutation(std::vector<std::int64_t> order, std::int64_t n)
{
    std::sort(order.begin(), order.end());
    std::vector<std::int64_t> expected(static_cast<size_t>(n));
    std::iota(expected.begin(), expected.end(), 0);
    return order == expected;
}

TEST(GridNestedDissection, OrdersEveryNodeOnceOnGridsOfEveryShape)
{
    struct Shape {
        int rows;
        int columns;
        double leftOutShare;
    };
    for (const Shape& shape : std::vector<Shape>{{1, 1, 0.0},
                                                 {1, 300, 0.0},
                                                 {300, 1, 0.0},
                                                 {1, 300, 0.3},
                                                 {300, 1, 0.3},
                                                 {2, 2, 0.0},
                                                 {17, 5, 0.0},
                                                 {5, 17, 0.2},
                                                 {64, 64, 0.0},
                                                 {63, 41, 0.25},
                                                 {40, 40, 1.0}}) {
        std::mt19937 generator(7);
        std::bernoulli_distribution leftOut(shape.leftOutShare);
        std::vector<bool> out(static_cast<size_t>(shape.rows) * static_cast<size_t>(shape.columns));
        for (size_t cell = 0; cell < out.size(); ++cell)
            out[cell] = leftOut(generator);
        const std::vector<std::int64_t> nodeOfCell = numberCells(shape.rows, shape.columns, out);
        const auto n = static_cast<std::int64_t>(std::count(out.begin(), out.end(), false));
        const std::vector<std::int64_t> order = gridNestedDissection(shape.rows, shape.columns, nodeOfCell);
        EXPECT_TRUE(isPermutation(order, n)) << shape.rows << " x " << shape.columns << ", " << shape.leftOutShare;
    }
}

TEST(GridNestedDissection, ASmallBlockGoesRowByRowAlongItsShorterSide)
{
    // 4 x 4 cells: ordered as they are numbered. 2 rows x 8 columns is as small: row by row too;
    // 8 rows x 2 columns goes column by column.
    EXPECT_EQ(gridNestedDissection(4, 4, numberCells(4, 4)),
              (std::vector<std::int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(gridNestedDissection(2, 8, numberCells(2, 8)),
              (std::vector<std::int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(gridNestedDissection(8, 2, numberCells(8, 2)),
              (std::vector<std::int64_t>{0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15}));
}

TEST(GridNestedDissection, TheMiddleColumnOfAWideBlockComesLast)
{
    // 5 rows x 9 columns: cut at column 4; the halves (5 x 4 each, 20 cells) are cut at their
    // middle row (row 2), after which 2 x 4 blocks are small enough.
    const std::vector<std::int64_t> order = gridNestedDissection(5, 9, numberCells(5, 9));
    ASSERT_EQ(order.size(), 45u);
    const std::vector<std::int64_t> lastColumn(order.end() - 5, order.end());
    EXPECT_EQ(lastColumn, (std::vector<std::int64_t>{4, 13, 22, 31, 40}));
    // The left half: rows 0-1 and 3-4 of columns 0-3, then row 2 of them.
    const std::vector<std::int64_t> leftHalf(order.begin(), order.begin() + 20);
    EXPECT_EQ(leftHalf,
              (std::vector<std::int64_t>{0, 1, 2, 3, 9, 10, 11, 12, 27, 28, 29, 30, 36, 37, 38, 39, 18, 19, 20, 21}));
}

TEST(GridNestedDissection, CellsLeftOutAreSkipped)
{
    // A 1 x 20 strip without its cells 3 and 11 (18 nodes): cut at cell 10 into two blocks small
    // enough to go in order, cells 0-9 and 11-19, then cell 10.
    std::vector<bool> out(20, false);
    out[3] = out[11] = true;
    const std::vector<std::int64_t> nodeOfCell = numberCells(1, 20, out);
    const std::vector<std::int64_t> order = gridNestedDissection(1, 20, nodeOfCell);
    std::vector<std::int64_t> expected;
    for (int cell = 0; cell < 10; ++cell)
        if (nodeOfCell[cell] >= 0)
            expected.push_back(nodeOfCell[cell]);
    for (int cell = 11; cell < 20; ++cell)
        if (nodeOfCell[cell] >= 0)
            expected.push_back(nodeOfCell[cell]);
    expected.push_back(nodeOfCell[10]);
    EXPECT_EQ(order, expected);
}

} // namespace
} // namespace tessaloc
