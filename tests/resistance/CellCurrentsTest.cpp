#include "resistance/CellCurrents.h"

#include "core/ThreadCount.h"
#include "resistance/SurfaceGraph.h"
#include "tests/resistance/SurfaceTestSupport.h"
#include "tests/support/DataProblems.h"
#include "tests/support/LiteralCurrentMap.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::inCells;
using testing::kImpassable;
using testing::planarSurface;
using testing::randomResistances;

// The sum over pairs k < l of |x_k - x_l| as written.
double doubleLoop(const std::vector<double>& values)
{
    double sum = 0.0;
    for (size_t k = 0; k < values.size(); ++k) {
        for (size_t l = k + 1; l < values.size(); ++l)
            sum += std::abs(values[k] - values[l]);
    }
    return sum;
}

// `count` cells drawn among those joined to a passable cell drawn first.
std::vector<CellIndex> joinedCells(const ResistanceSurface& surface, int neighbours, int count, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::vector<CellIndex> passable;
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        if (surface.passable(cell))
            passable.push_back(cell);
    }
    const CellIndex first = passable[std::uniform_int_distribution<size_t>(0, passable.size() - 1)(generator)];
    const std::vector<std::uint8_t> joined = RequireJoined(surface, inCells({first}), neighbours);
    std::vector<CellIndex> candidates;
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        if (joined[static_cast<size_t>(cell)] && cell != first)
            candidates.push_back(cell);
    }
    std::shuffle(candidates.begin(), candidates.end(), generator);
    candidates.resize(std::min<size_t>(candidates.size(), static_cast<size_t>(count - 1)));
    candidates.insert(candidates.begin(), first);
    return candidates;
}

// Cell by cell to `relative` of the expected value, NaN where it is NaN. A cell that carries no
// current in exact arithmetic (a dead end behind a single cell) carries the rounding of the
// potentials in either computation, about 1e-15 of the map's largest value: such small values are
// compared to `relative` of the largest.
void expectSameMap(const std::vector<double>& actual, const std::vector<double>& expected, double relative)
{
    ASSERT_EQ(actual.size(), expected.size());
    double largest = 0.0;
    for (const double value : expected) {
        if (!std::isnan(value))
            largest = std::max(largest, std::abs(value));
    }
    for (size_t cell = 0; cell < expected.size(); ++cell) {
        if (std::isnan(expected[cell])) {
            EXPECT_TRUE(std::isnan(actual[cell])) << "cell " << cell;
            continue;
        }
        EXPECT_NEAR(actual[cell], expected[cell], relative * std::max(std::abs(expected[cell]), 1e-3 * largest))
            << "cell " << cell;
    }
}

TEST(SumOfPairwiseDifferences, EqualsTheDoubleLoopOverPairs)
{
    std::mt19937 generator(7);
    std::normal_distribution<double> normal(0.0, 3.0);
    struct Case {
        const char* what;
        std::vector<double> values;
    };
    std::vector<Case> cases{{"none", {}},
                            {"one", {2.5}},
                            {"two", {-1.0, 3.0}},
                            {"ties", {1.0, 1.0, 1.0, 4.0, 4.0}},
                            {"all equal", {0.3, 0.3, 0.3}},
                            {"descending", {5.0, 4.0, 2.0, -1.0, -7.0}}};
    for (const int size : {17, 100, 501}) {
        Case random{"random", {}};
        for (int k = 0; k < size; ++k)
            random.values.push_back(normal(generator));
        cases.push_back(random);
    }
    for (const Case& c : cases) {
        std::vector<double> values = c.values;
        const double expected = doubleLoop(c.values);
        EXPECT_NEAR(sumOfPairwiseDifferences(values), expected, 1e-12 * expected) << c.what;
        EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << c.what;
    }
}

// The map against the literal pair-by-pair computation (a band Cholesky solve per pair, every
// cell's current summed over the pairs), written without the program's circuit code.
TEST(CumulativeCurrentMap, EqualsTheLiteralPairByPairMap)
{
    struct Case {
        int columns;
        int rows;
        std::uint32_t seed;
        double impassableShare;
        int neighbours;
        int locations;
    };
    const Case cases[] = {
        {5, 4, 1, 0.0, 4, 2},    {7, 6, 2, 0.2, 4, 5},  {7, 6, 2, 0.2, 8, 5},    {9, 8, 3, 0.25, 8, 9},
        {12, 5, 4, 0.15, 4, 12}, {6, 11, 5, 0.3, 8, 7}, {10, 10, 6, 0.1, 8, 20}, {10, 10, 6, 0.1, 4, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.columns << " x " << c.rows << ", seed " << c.seed << ", " << c.neighbours
                                          << " neighbours, " << c.locations << " locations");
        const std::vector<double> resistances = randomResistances(c.columns * c.rows, c.seed, c.impassableShare);
        const ResistanceSurface surface = planarSurface(c.columns, c.rows, resistances);
        const std::vector<CellIndex> cells = joinedCells(surface, c.neighbours, c.locations, c.seed);
        const CellCurrents map = CumulativeCurrentMap(surface, inCells(cells), c.neighbours, true);
        const testing::LiteralCurrents literal =
            testing::literalCurrentMaps(c.columns, c.rows, resistances, c.neighbours, cells);
        expectSameMap(map.cumulative, literal.cumulative, 1e-9);
        expectSameMap(map.maximum, literal.maximum, 1e-9);
        EXPECT_EQ(map.locations, cells);
        EXPECT_EQ(map.merged, 0);
    }
}

TEST(CumulativeCurrentMap, IsTheSameInEveryOrderOfTheLocations)
{
    const std::vector<double> resistances = randomResistances(8 * 7, 11, 0.2);
    const ResistanceSurface surface = planarSurface(8, 7, resistances);
    std::vector<CellIndex> cells = joinedCells(surface, 8, 8, 11);
    const CellCurrents first = CumulativeCurrentMap(surface, inCells(cells), 8, true);
    std::mt19937 generator(12);
    for (int order = 0; order < 4; ++order) {
        std::shuffle(cells.begin(), cells.end(), generator);
        const CellCurrents other = CumulativeCurrentMap(surface, inCells(cells), 8, true);
        // Another first location grounds the circuit elsewhere: the same sums, rounded otherwise.
        expectSameMap(other.cumulative, first.cumulative, 1e-12);
        expectSameMap(other.maximum, first.maximum, 1e-12);
    }
}

// On a strip one cell wide every ampere passes through every cell between its two terminals, and
// each terminal carries its ampere: a cell carries one ampere for every pair whose terminals lie on
// both sides of it or at it.
TEST(CumulativeCurrentMap, AStripOneCellWideCarriesOneAmperePerPairBetweenItsTerminals)
{
    const std::vector<CellIndex> terminals{2, 5, 6, 10};
    for (const bool vertical : {false, true}) {
        for (const int neighbours : {4, 8}) {
            const ResistanceSurface strip = vertical ? planarSurface(1, 13, std::vector<double>(13, 3.0))
                                                     : planarSurface(13, 1, std::vector<double>(13, 3.0));
            const CellCurrents map = CumulativeCurrentMap(strip, inCells(terminals), neighbours, true);
            for (CellIndex cell = 0; cell < 13; ++cell) {
                double pairs = 0.0;
                for (size_t a = 0; a < terminals.size(); ++a) {
                    for (size_t b = a + 1; b < terminals.size(); ++b) {
                        if (std::min(terminals[a], terminals[b]) <= cell &&
                            cell <= std::max(terminals[a], terminals[b]))
                            pairs += 1.0;
                    }
                }
                EXPECT_NEAR(map.cumulative[static_cast<size_t>(cell)], pairs, 1e-12)
                    << "cell " << cell << (vertical ? " (vertical)" : "");
                EXPECT_NEAR(map.maximum[static_cast<size_t>(cell)], pairs > 0.0 ? 1.0 : 0.0, 1e-12) << "cell " << cell;
            }
        }
    }
}

TEST(CumulativeCurrentMap, ObservationsInOneCellAreOneLocation)
{
    const ResistanceSurface strip = planarSurface(5, 1, std::vector<double>(5, 1.0));
    const CellCurrents map = CumulativeCurrentMap(strip, inCells({0, 4, 0, 0, 4}), 8, false);
    EXPECT_EQ(map.locations, (std::vector<CellIndex>{0, 4}));
    EXPECT_EQ(map.merged, 3);
    // One pair: one ampere through every cell of the strip.
    for (const double current : map.cumulative)
        EXPECT_NEAR(current, 1.0, 1e-12);
    EXPECT_TRUE(map.maximum.empty());
}

TEST(CumulativeCurrentMap, ImpassableCellsAreNotANumberAndCellsNoPathJoinsCarryNothing)
{
    // Cell 2 is impassable and cuts off cell 3, which is passable.
    const ResistanceSurface strip = planarSurface(4, 1, {1.0, 1.0, kImpassable, 1.0});
    const CellCurrents map = CumulativeCurrentMap(strip, inCells({0, 1}), 4, true);
    EXPECT_DOUBLE_EQ(map.cumulative[0], 1.0);
    EXPECT_DOUBLE_EQ(map.cumulative[1], 1.0);
    EXPECT_TRUE(std::isnan(map.cumulative[2]));
    EXPECT_EQ(map.cumulative[3], 0.0);
    EXPECT_TRUE(std::isnan(map.maximum[2]));
    EXPECT_EQ(map.maximum[3], 0.0);
}

TEST(CumulativeCurrentMap, GivesTheSameNumbersOnAnyCountOfThreads)
{
    const std::vector<double> resistances = randomResistances(40 * 30, 21, 0.1);
    const ResistanceSurface surface = planarSurface(40, 30, resistances);
    const std::vector<CellIndex> cells = joinedCells(surface, 8, 12, 21);
    CellCurrents one;
    {
        const ThreadCountLimit limit(1);
        one = CumulativeCurrentMap(surface, inCells(cells), 8, true);
    }
    const ThreadCountLimit limit(3);
    const CellCurrents three = CumulativeCurrentMap(surface, inCells(cells), 8, true);
    for (size_t cell = 0; cell < one.cumulative.size(); ++cell) {
        if (!std::isnan(one.cumulative[cell])) {
            EXPECT_EQ(three.cumulative[cell], one.cumulative[cell]) << "cell " << cell;
            EXPECT_EQ(three.maximum[cell], one.maximum[cell]) << "cell " << cell;
        }
    }
}

TEST(CumulativeCurrentMap, FewerThanTwoDistinctLocationsAreADataProblem)
{
    const ResistanceSurface strip = planarSurface(3, 1, {1.0, 1.0, 1.0});
    EXPECT_EQ(dataProblemOf([&] {
                  CumulativeCurrentMap(strip, inCells({1, 1, 1}), 8, false);
              }),
              "The current map needs sample locations in at least two cells of the resistance surface "
              "\"test.tif\"; the 3 observations lie in one.");
}

TEST(CumulativeCurrentMap, PartsThatNoPathJoinsNameBothObservations)
{
    const ResistanceSurface strip = planarSurface(4, 1, {1.0, 1.0, kImpassable, 1.0});
    EXPECT_EQ(dataProblemOf([&] {
                  CumulativeCurrentMap(strip, inCells({1, 0, 3}), 8, false);
              }),
              "The locations of observation 1 (\"O1\") and observation 3 (\"O3\") lie in parts of the resistance "
              "surface \"test.tif\" that no path of passable cells joins (with 8 neighbours per cell).");
}

// A wall a million times the rest maps; one of 1e12 (where the unchecked circuit loses the weak
// currents) and resistances near the ends of the doubles are refused, never mapped wrongly.
TEST(CumulativeCurrentMap, ExtremeResistancesAreRefusedNotMappedWrongly)
{
    const struct {
        double wall;
        double rest;
        const char* refusal; // empty: mapped
    } cases[] = {
        {1e6, 1.0, ""},
        {1e12, 1.0, "cannot be computed accurately"},
        {1e-200, 1e-200, "cannot be computed: the resistances"},
        {1e200, 1e200, "cannot be computed: the resistances"},
    };
    for (const auto& c : cases) {
        std::vector<double> cells(25, c.rest);
        for (int row = 0; row < 5; ++row)
            cells[static_cast<size_t>(row * 5 + 2)] = c.wall;
        const ResistanceSurface surface = planarSurface(5, 5, cells);
        const std::string message = dataProblemOf([&] { CumulativeCurrentMap(surface, inCells({0, 24}), 8, false); });
        if (std::string(c.refusal).empty())
            EXPECT_EQ(message, "no data problem") << c.wall;
        else
            EXPECT_NE(message.find(c.refusal), std::string::npos) << c.wall << ": " << message;
    }
}

TEST(CumulativeCurrentMap, RefusesAMapThatNeedsMoreMemoryThanItMayUse)
{
    const ResistanceSurface surface = planarSurface(30, 30, std::vector<double>(900, 1.0));
    const std::string message = dataProblemOf([&] {
        CumulativeCurrentMap(surface, inCells({0, 899, 450}), 8, false, RunListener::none(), 1000);
    });
    EXPECT_TRUE(
        message.starts_with("The resistance surface \"test.tif\" (30 x 30 cells, 3 locations) would need about "))
        << message;
    EXPECT_TRUE(message.ends_with("of memory for the current map, more than the limit of 1.0 kB.")) << message;
}

TEST(CumulativeCurrentMap, StopsWhenTheListenerAsks)
{
    testing::RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    EXPECT_THROW(CumulativeCurrentMap(planarSurface(3, 1, {1.0, 1.0, 1.0}), inCells({0, 2}), 8, false, listener),
                 RunCancelled);
}

} // namespace
} // namespace tessaloc
