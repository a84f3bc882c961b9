#include "resistance/LeastCostDistances.h"

#include "core/GeographicDistances.h"
#include "tests/resistance/SurfaceTestSupport.h"
#include "tests/support/DataProblems.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::inCells;
using testing::kImpassable;
using testing::planarSurface;
using testing::randomResistances;

// Every cell to every cell by Floyd-Warshall over the steps between passable neighbours, each
// costing the mean resistance times the distance between the two centres (straight, or the great
// circle on a longitude/latitude surface) as the test computes it from the centres' coordinates.
std::vector<std::vector<double>> allPairs(const ResistanceSurface& surface, int neighbours)
{
    const int columns = surface.columns();
    const auto n = static_cast<size_t>(surface.cellCount());
    const double infinity = std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> cost(n, std::vector<double>(n, infinity));
    for (size_t a = 0; a < n; ++a) {
        cost[a][a] = 0.0;
        if (!surface.passable(static_cast<CellIndex>(a)))
            continue;
        const int r = static_cast<int>(a) / columns;
        const int c = static_cast<int>(a) % columns;
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                if ((dr == 0 && dc == 0) || (neighbours == 4 && dr != 0 && dc != 0))
                    continue;
                if (r + dr < 0 || r + dr >= surface.rows() || c + dc < 0 || c + dc >= columns)
                    continue;
                const auto b = static_cast<size_t>((r + dr) * columns + c + dc);
                if (!surface.passable(static_cast<CellIndex>(b)))
                    continue;
                const double x1 = surface.centreX(c);
                const double y1 = surface.centreY(r);
                const double x2 = surface.centreX(c + dc);
                const double y2 = surface.centreY(r + dr);
                const double length =
                    surface.geographic() ? GreatCircleDistance(x1, y1, x2, y2) : std::hypot(x2 - x1, y2 - y1);
                cost[a][b] =
                    (surface.resistance(static_cast<CellIndex>(a)) + surface.resistance(static_cast<CellIndex>(b))) /
                    2.0 * length;
            }
        }
    }
    for (size_t k = 0; k < n; ++k) {
        for (size_t i = 0; i < n; ++i) {
            for (size_t j = 0; j < n; ++j)
                cost[i][j] = std::min(cost[i][j], cost[i][k] + cost[k][j]);
        }
    }
    return cost;
}

// Passable cells joined to the first one, drawn by the seed, with one cell twice.
std::vector<CellIndex> joinedCells(const std::vector<std::vector<double>>& cost, const ResistanceSurface& surface,
                                   std::uint32_t seed, size_t count)
{
    CellIndex first = 0;
    while (!surface.passable(first))
        ++first;
    std::vector<CellIndex> cells{first};
    std::mt19937 generator(seed);
    while (cells.size() < count) {
        const CellIndex cell = std::uniform_int_distribution<CellIndex>(0, surface.cellCount() - 1)(generator);
        if (surface.passable(cell) && std::isfinite(cost[first][cell]))
            cells.push_back(cell);
    }
    cells.push_back(cells[count / 2]);
    return cells;
}

// Great-circle lengths of short steps carry about 12 correct digits (the arc cosine of a number
// near 1), and the search and the reference take them between different centres.
void expectAllPairs(const ResistanceSurface& surface, int neighbours, std::uint32_t seed)
{
    const double tolerance = surface.geographic() ? 1e-10 : 1e-12;
    const auto cost = allPairs(surface, neighbours);
    const std::vector<CellIndex> cells = joinedCells(cost, surface, seed, 12);
    const SquareMatrix d = LeastCostDistances(surface, inCells(cells), neighbours, 2);
    for (size_t i = 0; i < cells.size(); ++i) {
        for (size_t j = 0; j < cells.size(); ++j) {
            const double expected = cost[cells[i]][cells[j]];
            EXPECT_NEAR(d(static_cast<int>(i), static_cast<int>(j)), expected, tolerance * expected)
                << "seed " << seed << ", " << neighbours << " neighbours, cells " << cells[i] << " and " << cells[j];
        }
    }
}

TEST(LeastCostDistances, AStepCostsTheMeanResistanceTimesTheDistanceBetweenCentres)
{
    // A 1 x 3 strip of resistances 1, 3, 5 and cells of 10: 2 x 10 + 4 x 10.
    const SquareMatrix d = LeastCostDistances(planarSurface(3, 1, {1.0, 3.0, 5.0}, 10.0), inCells({0, 1, 2}), 8);
    EXPECT_EQ(d(0, 1), 20.0);
    EXPECT_EQ(d(1, 2), 40.0);
    EXPECT_EQ(d(0, 2), 60.0);
    EXPECT_EQ(d(2, 0), 60.0);

    // Across the corner of a 2 x 2 surface whose other two cells are impassable: (2 + 4) / 2 x 10 sqrt(2).
    const ResistanceSurface corner = planarSurface(2, 2, {2.0, kImpassable, kImpassable, 4.0}, 10.0);
    EXPECT_DOUBLE_EQ(LeastCostDistances(corner, inCells({0, 3}), 8)(0, 1), 30.0 * std::numbers::sqrt2);
}

TEST(LeastCostDistances, FourNeighboursTakeNoDiagonalStep)
{
    const ResistanceSurface surface = planarSurface(3, 3, std::vector<double>(9, 1.0));
    EXPECT_DOUBLE_EQ(LeastCostDistances(surface, inCells({0, 8}), 8)(0, 1), 2.0 * std::numbers::sqrt2);
    EXPECT_DOUBLE_EQ(LeastCostDistances(surface, inCells({0, 8}), 4)(0, 1), 4.0);
}

TEST(LeastCostDistances, RandomPlanarSurfacesMatchAnAllPairsSearch)
{
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        const ResistanceSurface surface = planarSurface(9, 8, randomResistances(72, seed, 0.2), 25.0);
        expectAllPairs(surface, 8, seed);
        expectAllPairs(surface, 4, seed);
    }
}

TEST(LeastCostDistances, ResistancesOfWidelyDifferentSizesMatchAnAllPairsSearch)
{
    // From 0.001 to 1000: too many of Dial's buckets, so the search takes its radix heap.
    std::vector<double> cells = randomResistances(72, 9, 0.1);
    for (double& r : cells) {
        if (!std::isnan(r))
            r = std::pow(10.0, (r - 1.0) / 1.5 - 3.0);
    }
    expectAllPairs(planarSurface(9, 8, cells, 2.0), 8, 9);
    expectAllPairs(planarSurface(9, 8, cells, 2.0), 4, 9);
}

TEST(LeastCostDistances, SurfacesOfOneRowOrOneColumn)
{
    const SquareMatrix row = LeastCostDistances(planarSurface(4, 1, {1.0, 2.0, 3.0, 4.0}), inCells({3, 0}), 8);
    EXPECT_EQ(row(0, 1), (3.5 + 2.5 + 1.5));
    RasterGeometry geometry;
    geometry.columns = 1;
    geometry.rows = 3;
    geometry.transform = {0.0, 2.0, 0.0, 0.0, 0.0, -5.0};
    const ResistanceSurface column(geometry, {1.0, 3.0, 1.0}, false, "s");
    EXPECT_EQ(LeastCostDistances(column, inCells({0, 2}), 8)(0, 1), 2.0 * 5.0 + 2.0 * 5.0);
}

TEST(LeastCostDistances, OblongCellsMatchAnAllPairsSearch)
{
    RasterGeometry geometry;
    geometry.columns = 7;
    geometry.rows = 9;
    geometry.transform = {100.0, 3.0, 0.0, 50.0, 0.0, -4.0};
    const ResistanceSurface surface(geometry, randomResistances(63, 8, 0.1), false, "s");
    expectAllPairs(surface, 8, 8);
}

TEST(LeastCostDistances, LongitudeLatitudeSurfacesMatchAnAllPairsSearchInKilometres)
{
    // Half-degree cells from 60 degrees north, where a step east is half as long as a step north.
    RasterGeometry geometry;
    geometry.columns = 8;
    geometry.rows = 9;
    geometry.transform = {20.0, 0.5, 0.0, 64.0, 0.0, -0.5};
    const ResistanceSurface surface(geometry, randomResistances(72, 4, 0.1), true, "s");
    expectAllPairs(surface, 8, 4);
    expectAllPairs(surface, 4, 4);
}

TEST(LeastCostDistances, DoNotDependOnTheNumberOfThreads)
{
    const ResistanceSurface surface = planarSurface(40, 35, randomResistances(1400, 21, 0.05));
    std::vector<CellIndex> cells;
    std::mt19937 generator(3);
    while (cells.size() < 20) {
        const CellIndex cell = std::uniform_int_distribution<CellIndex>(0, 1399)(generator);
        if (surface.passable(cell))
            cells.push_back(cell);
    }
    const PlacedObservations placed = inCells(cells);
    const SquareMatrix one = LeastCostDistances(surface, placed, 8, 1);
    EXPECT_EQ(LeastCostDistances(surface, placed, 8, 2), one);
    EXPECT_EQ(LeastCostDistances(surface, placed, 8, 5), one);
    for (int i = 0; i < one.size(); ++i) {
        for (int j = 0; j < one.size(); ++j)
            EXPECT_EQ(one(i, j), one(j, i));
    }
}

TEST(LeastCostDistances, ObservationsInOneCellAreZeroApart)
{
    const SquareMatrix d = LeastCostDistances(planarSurface(3, 1, {1.0, 3.0, 5.0}), inCells({2, 2, 0}), 8);
    EXPECT_EQ(d(0, 1), 0.0);
    EXPECT_EQ(d(0, 2), 6.0);
    EXPECT_EQ(d(1, 2), 6.0);
    EXPECT_EQ(LeastCostDistances(planarSurface(1, 1, {1.0}), inCells({0, 0}), 8), SquareMatrix(2));
}

TEST(LeastCostDistances, PartsThatNoPathJoinsNameBothObservations)
{
    const ResistanceSurface surface = planarSurface(3, 2, {1.0, kImpassable, 1.0, 1.0, kImpassable, 1.0});
    EXPECT_EQ(dataProblemOf([&] {
                  LeastCostDistances(surface, inCells({0, 3, 5}), 8);
              }),
              "The locations of observation 1 (\"O1\") and observation 3 (\"O3\") lie in parts of the resistance "
              "surface \"test.tif\" that no path of passable cells joins (with 8 neighbours per cell).");
}

// Issue 37, fault 6: on resistances of 1e-308 the width of Dial's buckets overflowed and cells left
// the queue out of order (distances up to 3.5 times too large); two cells of 1.7e308 made a path's
// cost overflow and the distance came out infinite, with no problem told.
TEST(LeastCostDistances, ResistancesAtTheEndsOfTheDoubleRange)
{
    // Tiny and huge resistances give the distances of ordinary ones, scaled.
    const std::vector<double> base = randomResistances(72, 5, 0.1);
    const std::vector<CellIndex> cells =
        joinedCells(allPairs(planarSurface(9, 8, base), 8), planarSurface(9, 8, base), 5, 10);
    const SquareMatrix unscaled = LeastCostDistances(planarSurface(9, 8, base), inCells(cells), 8, 1);
    for (const auto& [factor, cellSize] : std::vector<std::pair<double, double>>{
             {1e-306, 1.0}, {1e-300, 1e-5}, {1e300, 1e-5}, {1e306, 1.0}, {1e300, 1e5}, {1.0, 1e-300}}) {
        std::vector<double> scaled = base;
        for (double& value : scaled)
            value *= factor;
        const SquareMatrix d = LeastCostDistances(planarSurface(9, 8, scaled, cellSize), inCells(cells), 8, 2);
        for (int i = 0; i < d.size(); ++i) {
            for (int j = 0; j < d.size(); ++j)
                EXPECT_NEAR(d(i, j) / factor / cellSize, unscaled(i, j), 1e-12 * unscaled(i, j))
                    << factor << ", cells of " << cellSize << ", " << i << ", " << j;
        }
    }
    // Resistances of 1e-308 everywhere: every distance is a whole number of steps (with 4 neighbours,
    // the steps between the cells), so exact to the rounding of 1e-308 itself.
    const ResistanceSurface tiny = planarSurface(9, 8, std::vector<double>(72, 1e-308), 4.0);
    const SquareMatrix d = LeastCostDistances(tiny, inCells({0, 71, 40, 8, 63}), 4, 2);
    const std::vector<int> column{0, 8, 4, 8, 0};
    const std::vector<int> row{0, 7, 4, 0, 7};
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            const double steps = std::abs(column[i] - column[j]) + std::abs(row[i] - row[j]);
            EXPECT_NEAR(d(i, j), steps * 4e-308, 1e-12 * steps * 4e-308) << i << ", " << j;
        }
    }

    // Costs beyond the doubles: a problem of the data, naming the observations and the range.
    const ResistanceSurface huge = planarSurface(4, 1, {1.0, 1.7e308, 1.7e308, 1.0});
    EXPECT_EQ(dataProblemOf([&] {
                  LeastCostDistances(huge, inCells({0, 3}), 8);
              }),
              "The least-cost distance between observation 1 (\"O1\") and observation 2 (\"O2\") over the resistance "
              "surface \"test.tif\" cannot be represented as a number: it is above 1.8e+308. The resistances of the "
              "cells range from 1 (row 1, column 1) to 1.7e+308 (row 1, column 2).");
    const ResistanceSurface subnormal = planarSurface(3, 1, {1e-310, 1e-310, 1e-310}, 1e-3);
    EXPECT_TRUE(dataProblemOf([&] {
                    LeastCostDistances(subnormal, inCells({0, 2}), 8);
                })
                    .ends_with("cannot be represented as a number: it is too small to keep its digits (below "
                               "2.2e-308, or that much below the dearest steps of the surface). The resistances of "
                               "the cells range from 1e-310 (row 1, column 1) to 1e-310 (row 1, column 1)."));
}

TEST(LeastCostDistances, StopsWhenTheListenerAsks)
{
    testing::RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    const ResistanceSurface surface = planarSurface(30, 30, std::vector<double>(900, 1.0));
    EXPECT_THROW(LeastCostDistances(surface, inCells({0, 450, 899, 30}), 8, 2, listener), RunCancelled);
    EXPECT_EQ(listener.statuses, std::vector<std::string>{"Least-cost paths"});
}

// Cancels once the first search is done.
class CancelAfterFirstSearch : public RunListener {
public:
    void progress(long long done, long long total) override
    {
        reports.emplace_back(done, total);
        m_cancel = m_cancel || done >= 1;
    }
    bool cancelled() const override { return m_cancel; }
    std::vector<std::pair<long long, long long>> reports;

private:
    bool m_cancel = false;
};

TEST(LeastCostDistances, StopsBetweenSearchesWhenTheListenerAsks)
{
    CancelAfterFirstSearch listener;
    const ResistanceSurface surface = planarSurface(30, 30, std::vector<double>(900, 1.0));
    EXPECT_THROW(LeastCostDistances(surface, inCells({0, 450, 899, 30}), 8, 1, listener), RunCancelled);
    EXPECT_EQ(listener.reports, (std::vector<std::pair<long long, long long>>{{0, 3}, {1, 3}}));
}

} // namespace
} // namespace tessaloc
