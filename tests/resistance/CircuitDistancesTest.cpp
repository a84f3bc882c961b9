#include "resistance/CircuitDistances.h"

#include "core/NumberText.h"
#include "resistance/SurfaceGraph.h"
#include "tests/resistance/SurfaceTestSupport.h"
#include "tests/support/DataProblems.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::inCells;
using testing::kImpassable;
using testing::planarSurface;
using testing::randomResistances;

// The circuit of a surface as the tests build it themselves: the passable cells joined to `start`
// and the conductance of each resistor between two of them.
struct ReferenceCircuit {
    std::vector<CellIndex> cells;
    std::vector<int> node; // per cell, -1 when not in the circuit
    SquareMatrix laplacian;
};

ReferenceCircuit referenceCircuit(const ResistanceSurface& surface, CellIndex start, int neighbours)
{
    ReferenceCircuit circuit;
    const int columns = surface.columns();
    const int rows = surface.rows();
    circuit.node.assign(static_cast<size_t>(surface.cellCount()), -1);
    std::vector<CellIndex> pending{start};
    circuit.node[start] = 0;
    circuit.cells.push_back(start);
    auto neighbourCells = [&](CellIndex cell) {
        std::vector<std::pair<CellIndex, bool>> result;
        const int r = static_cast<int>(cell / columns);
        const int c = static_cast<int>(cell % columns);
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const bool diagonal = dr != 0 && dc != 0;
                if ((dr == 0 && dc == 0) || (diagonal && neighbours == 4))
                    continue;
                if (r + dr < 0 || r + dr >= rows || c + dc < 0 || c + dc >= columns)
                    continue;
                const CellIndex other = static_cast<CellIndex>(r + dr) * columns + c + dc;
                if (surface.passable(other))
                    result.emplace_back(other, diagonal);
            }
        }
        return result;
    };
    while (!pending.empty()) {
        const CellIndex cell = pending.back();
        pending.pop_back();
        for (const auto& [other, diagonal] : neighbourCells(cell)) {
            if (circuit.node[other] < 0) {
                circuit.node[other] = static_cast<int>(circuit.cells.size());
                circuit.cells.push_back(other);
                pending.push_back(other);
            }
        }
    }
    const int n = static_cast<int>(circuit.cells.size());
    circuit.laplacian = SquareMatrix(n);
    for (int a = 0; a < n; ++a) {
        for (const auto& [other, diagonal] : neighbourCells(circuit.cells[a])) {
            const int b = circuit.node[other];
            const double resistor = (surface.resistance(circuit.cells[a]) + surface.resistance(other)) / 2.0 *
                                    (diagonal ? std::numbers::sqrt2 : 1.0);
            circuit.laplacian(a, b) -= 1.0 / resistor;
            circuit.laplacian(a, a) += 1.0 / resistor;
        }
    }
    return circuit;
}

// Effective resistances from the pseudo-inverse of the Laplacian: for a connected circuit of n
// nodes L+ = (L + J/n)^-1 - J/n (J all ones), and R(a, b) = (e_a - e_b)' L+ (e_a - e_b), in which the
// J terms cancel. The inverse by Gauss-Jordan elimination with partial pivoting.
SquareMatrix denseResistances(const ReferenceCircuit& circuit)
{
    const int n = circuit.laplacian.size();
    SquareMatrix a = circuit.laplacian;
    SquareMatrix inverse(n);
    for (int i = 0; i < n; ++i) {
        inverse(i, i) = 1.0;
        for (int j = 0; j < n; ++j)
            a(i, j) += 1.0 / n;
    }
    for (int column = 0; column < n; ++column) {
        int pivot = column;
        for (int row = column + 1; row < n; ++row) {
            if (std::abs(a(row, column)) > std::abs(a(pivot, column)))
                pivot = row;
        }
        for (int j = 0; j < n; ++j) {
            std::swap(a(pivot, j), a(column, j));
            std::swap(inverse(pivot, j), inverse(column, j));
        }
        const double divisor = a(column, column);
        for (int j = 0; j < n; ++j) {
            a(column, j) /= divisor;
            inverse(column, j) /= divisor;
        }
        for (int row = 0; row < n; ++row) {
            if (row == column)
                continue;
            const double factor = a(row, column);
            for (int j = 0; j < n; ++j) {
                a(row, j) -= factor * a(column, j);
                inverse(row, j) -= factor * inverse(column, j);
            }
        }
    }
    SquareMatrix resistance(n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j)
            resistance(i, j) = inverse(i, i) + inverse(j, j) - inverse(i, j) - inverse(j, i);
    }
    return resistance;
}

// R(a, b) by conjugate gradients on the Laplacian grounded at b: L_b x = e_a, R = x_a.
double conjugateGradientResistance(const ReferenceCircuit& circuit, int a, int b)
{
    const int n = circuit.laplacian.size();
    std::vector<std::vector<std::pair<int, double>>> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (circuit.laplacian(i, j) != 0.0 && i != b && j != b)
                rows[i].emplace_back(j, circuit.laplacian(i, j));
        }
    }
    auto multiply = [&](const std::vector<double>& x) {
        std::vector<double> y(static_cast<size_t>(n), 0.0);
        for (int i = 0; i < n; ++i) {
            for (const auto& [j, v] : rows[i])
                y[i] += v * x[j];
        }
        return y;
    };
    std::vector<double> x(static_cast<size_t>(n), 0.0);
    std::vector<double> residual(static_cast<size_t>(n), 0.0);
    residual[a] = 1.0;
    std::vector<double> direction = residual;
    double norm = 1.0;
    for (int iteration = 0; iteration < 20 * n && norm > 1e-30; ++iteration) {
        const std::vector<double> product = multiply(direction);
        double curvature = 0.0;
        for (int i = 0; i < n; ++i)
            curvature += direction[i] * product[i];
        const double step = norm / curvature;
        double next = 0.0;
        for (int i = 0; i < n; ++i) {
            x[i] += step * direction[i];
            residual[i] -= step * product[i];
            next += residual[i] * residual[i];
        }
        for (int i = 0; i < n; ++i)
            direction[i] = residual[i] + next / norm * direction[i];
        norm = next;
    }
    return x[a];
}

// R(a, b) from the literal Laplacian in long double, grounded at b: L_b x = e_a by Gaussian
// elimination with partial pivoting, R = x_a. Independent of the engine (no CHOLMOD, no scaling, no
// choice of ground but b); accurate where b lies in the strongly joined part of a circuit.
long double groundedResistance(const ResistanceSurface& surface, int neighbours, CellIndex a, CellIndex b)
{
    const ReferenceCircuit circuit = referenceCircuit(surface, b, neighbours);
    const int all = static_cast<int>(circuit.cells.size());
    const int n = all - 1; // node 0 is b, the ground
    std::vector<std::vector<long double>> m(static_cast<size_t>(n),
                                            std::vector<long double>(static_cast<size_t>(n) + 1));
    const int columns = surface.columns();
    for (int i = 1; i < all; ++i) {
        const CellIndex cell = circuit.cells[i];
        const int r = static_cast<int>(cell / columns);
        const int c = static_cast<int>(cell % columns);
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const bool diagonal = dr != 0 && dc != 0;
                if ((dr == 0 && dc == 0) || (diagonal && neighbours == 4) || r + dr < 0 || r + dr >= surface.rows() ||
                    c + dc < 0 || c + dc >= columns)
                    continue;
                const CellIndex other = static_cast<CellIndex>(r + dr) * columns + c + dc;
                if (!surface.passable(other))
                    continue;
                const long double resistor =
                    (static_cast<long double>(surface.resistance(cell)) + surface.resistance(other)) / 2.0L *
                    (diagonal ? std::sqrt(2.0L) : 1.0L);
                const int j = circuit.node[other];
                m[i - 1][i - 1] += 1.0L / resistor;
                if (j > 0)
                    m[i - 1][j - 1] -= 1.0L / resistor;
            }
        }
    }
    const int target = circuit.node[a] - 1;
    m[target][n] = 1.0L;
    for (int column = 0; column < n; ++column) {
        int pivot = column;
        for (int row = column + 1; row < n; ++row) {
            if (std::abs(m[row][column]) > std::abs(m[pivot][column]))
                pivot = row;
        }
        std::swap(m[pivot], m[column]);
        for (int row = column + 1; row < n; ++row) {
            const long double factor = m[row][column] / m[column][column];
            for (int j = column; j <= n; ++j)
                m[row][j] -= factor * m[column][j];
        }
    }
    std::vector<long double> x(static_cast<size_t>(n));
    for (int row = n - 1; row >= 0; --row) {
        long double sum = m[row][n];
        for (int j = row + 1; j < n; ++j)
            sum -= m[row][j] * x[j];
        x[row] = sum / m[row][row];
    }
    return x[target];
}

void expectNear(double actual, double expected, const std::string& what)
{
    EXPECT_NEAR(actual, expected, 1e-10 * std::max(1.0, std::abs(expected))) << what;
}

TEST(CircuitDistances, CellsInSeriesAdd)
{
    // A 1 x 3 strip of resistances 1, 3, 5: resistors (1+3)/2 = 2 and (3+5)/2 = 4 in series.
    const ResistanceSurface strip = planarSurface(3, 1, {1.0, 3.0, 5.0}, 10.0);
    for (const int neighbours : {4, 8}) {
        const SquareMatrix r = CircuitDistances(strip, inCells({0, 1, 2}), neighbours);
        EXPECT_NEAR(r(0, 1), 2.0, 1e-12);
        EXPECT_NEAR(r(1, 2), 4.0, 1e-12);
        EXPECT_NEAR(r(0, 2), 6.0, 1e-12);
        EXPECT_EQ(r(2, 0), r(0, 2));
        EXPECT_EQ(r(1, 1), 0.0);
    }
}

TEST(CircuitDistances, CellsInParallelCombine)
{
    // A ring of 8 cells of resistance 1 around an impassable centre, 4 neighbours: from the middle of
    // the left side to the middle of the right, two paths of 4 unit resistors each: 4 || 4 = 2.
    std::vector<double> ring(9, 1.0);
    ring[4] = kImpassable;
    const SquareMatrix r = CircuitDistances(planarSurface(3, 3, ring), inCells({3, 5}), 4);
    EXPECT_NEAR(r(0, 1), 2.0, 1e-12);

    // A 2 x 2 block of resistance 2, 4 neighbours: the side between two cells (2) in parallel with
    // the way round the other three sides (6): 1 / (1/2 + 1/6) = 1.5.
    const SquareMatrix block = CircuitDistances(planarSurface(2, 2, std::vector<double>(4, 2.0)), inCells({0, 1}), 4);
    EXPECT_NEAR(block(0, 1), 1.5, 1e-12);
}

TEST(CircuitDistances, ADiagonalResistorIsTheMeanTimesTheRootOfTwo)
{
    // Only the corner joins the two passable cells of a 2 x 2 surface.
    const ResistanceSurface surface = planarSurface(2, 2, {2.0, kImpassable, kImpassable, 4.0});
    EXPECT_NEAR(CircuitDistances(surface, inCells({0, 3}), 8)(0, 1), 3.0 * std::numbers::sqrt2, 1e-12);
    EXPECT_EQ(dataProblemOf([&] {
                  CircuitDistances(surface, inCells({0, 3}), 4);
              }),
              "The locations of observation 1 (\"O1\") and observation 2 (\"O2\") lie in parts of the resistance "
              "surface \"test.tif\" that no path of passable cells joins (with 4 neighbours per cell).");
}

TEST(CircuitDistances, AGroundCellThatSplitsTheCircuit)
{
    // The first observation's cell is the ground; here it cuts the strip in two.
    const SquareMatrix r = CircuitDistances(planarSurface(5, 1, std::vector<double>(5, 1.0)), inCells({2, 0, 4}), 8);
    EXPECT_NEAR(r(0, 1), 2.0, 1e-12);
    EXPECT_NEAR(r(0, 2), 2.0, 1e-12);
    EXPECT_NEAR(r(1, 2), 4.0, 1e-12);
}

TEST(CircuitDistances, ObservationsInOneCellAreZeroApart)
{
    const ResistanceSurface surface = planarSurface(3, 1, {1.0, 3.0, 5.0});
    const SquareMatrix r = CircuitDistances(surface, inCells({2, 0, 2, 0}), 8);
    EXPECT_EQ(r(0, 2), 0.0);
    EXPECT_EQ(r(1, 3), 0.0);
    EXPECT_NEAR(r(0, 1), 6.0, 1e-12);
    EXPECT_NEAR(r(3, 2), 6.0, 1e-12);
    // All in one cell, even a cell with no passable neighbour: nothing to solve.
    const SquareMatrix alone = CircuitDistances(planarSurface(3, 1, {1.0, kImpassable, 5.0}), inCells({2, 2}), 8);
    EXPECT_EQ(alone, SquareMatrix(2));
}

TEST(CircuitDistances, AUniformGridMatchesTheDensePseudoInverse)
{
    const ResistanceSurface surface = planarSurface(5, 4, std::vector<double>(20, 1.0));
    const std::vector<CellIndex> cells{0, 19, 7, 12, 4, 15};
    for (const int neighbours : {4, 8}) {
        const SquareMatrix r = CircuitDistances(surface, inCells(cells), neighbours);
        const ReferenceCircuit circuit = referenceCircuit(surface, cells.front(), neighbours);
        const auto expected = denseResistances(circuit);
        for (size_t i = 0; i < cells.size(); ++i) {
            for (size_t j = 0; j < cells.size(); ++j)
                expectNear(r(static_cast<int>(i), static_cast<int>(j)),
                           expected(circuit.node[cells[i]], circuit.node[cells[j]]),
                           "neighbours " + std::to_string(neighbours) + ", cells " + std::to_string(cells[i]) +
                               " and " + std::to_string(cells[j]));
        }
    }
}

TEST(CircuitDistances, RandomSurfacesMatchTheDensePseudoInverse)
{
    for (const std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        const int columns = 20;
        const int rows = 15;
        const ResistanceSurface surface = planarSurface(columns, rows, randomResistances(columns * rows, seed, 0.15));
        for (const int neighbours : {4, 8}) {
            // Observations on passable cells joined to the first one, some in one cell.
            std::vector<CellIndex> cells;
            std::mt19937 generator(seed);
            CellIndex first = 0;
            while (!surface.passable(first))
                ++first;
            const ReferenceCircuit circuit = referenceCircuit(surface, first, neighbours);
            cells.push_back(first);
            while (cells.size() < 14) {
                const CellIndex cell = std::uniform_int_distribution<CellIndex>(0, columns * rows - 1)(generator);
                if (circuit.node[cell] >= 0)
                    cells.push_back(cell);
            }
            cells.push_back(cells[5]);
            const SquareMatrix r = CircuitDistances(surface, inCells(cells), neighbours);
            const auto expected = denseResistances(circuit);
            for (size_t i = 0; i < cells.size(); ++i) {
                for (size_t j = 0; j < cells.size(); ++j)
                    expectNear(r(static_cast<int>(i), static_cast<int>(j)),
                               expected(circuit.node[cells[i]], circuit.node[cells[j]]),
                               "seed " + std::to_string(seed) + ", neighbours " + std::to_string(neighbours));
            }
        }
    }
}

TEST(CircuitDistances, ALargerSurfaceMatchesConjugateGradients)
{
    // Deep enough for an elimination tree of many levels, where the solves of several observations
    // meet in the same supernodes.
    const int columns = 60;
    const int rows = 50;
    const ResistanceSurface surface = planarSurface(columns, rows, randomResistances(columns * rows, 11, 0.1));
    std::mt19937 generator(5);
    CellIndex first = 0;
    while (!surface.passable(first))
        ++first;
    const ReferenceCircuit circuit = referenceCircuit(surface, first, 8);
    std::vector<CellIndex> cells{first};
    while (cells.size() < 16) {
        const CellIndex cell = std::uniform_int_distribution<CellIndex>(0, columns * rows - 1)(generator);
        if (circuit.node[cell] >= 0)
            cells.push_back(cell);
    }
    const SquareMatrix r = CircuitDistances(surface, inCells(cells), 8);
    for (size_t i = 0; i + 1 < cells.size(); i += 3) {
        const size_t j = cells.size() - 1 - i / 3;
        const double expected = conjugateGradientResistance(circuit, static_cast<size_t>(circuit.node[cells[i]]),
                                                            static_cast<size_t>(circuit.node[cells[j]]));
        EXPECT_NEAR(r(static_cast<int>(i), static_cast<int>(j)), expected, 1e-12 * expected) << i << ", " << j;
    }
}

TEST(CircuitDistances, TheGridDissectionGivesTheResistancesOfTheMinimumDegreeOrdering)
{
    // The two orderings factor the same matrix; only rounding may differ. Surfaces with impassable
    // cells (so that the dissection's blocks and cuts have holes), and strips one cell wide.
    struct Case {
        int columns;
        int rows;
        double impassableShare;
        std::uint32_t seed;
    };
    for (const Case& shape : std::vector<Case>{
             {45, 38, 0.2, 21}, {33, 61, 0.1, 22}, {1, 240, 0.0, 23}, {240, 1, 0.0, 24}, {70, 3, 0.05, 25}}) {
        const ResistanceSurface surface =
            planarSurface(shape.columns, shape.rows,
                          randomResistances(shape.columns * shape.rows, shape.seed, shape.impassableShare));
        CellIndex first = 0;
        while (!surface.passable(first))
            ++first;
        for (const int neighbours : {4, 8}) {
            const std::vector<std::uint8_t> joined = RequireJoined(surface, inCells({first}), neighbours);
            std::mt19937 generator(shape.seed);
            std::vector<CellIndex> cells{first};
            while (cells.size() < 12) {
                const CellIndex cell = std::uniform_int_distribution<CellIndex>(0, surface.cellCount() - 1)(generator);
                if (joined[static_cast<size_t>(cell)])
                    cells.push_back(cell);
            }
            const PlacedObservations placed = inCells(cells);
            const SquareMatrix dissection =
                CircuitDistances(surface, placed, neighbours, RunListener::none(), 0, CircuitOrdering::GridDissection);
            const SquareMatrix minimumDegree =
                CircuitDistances(surface, placed, neighbours, RunListener::none(), 0, CircuitOrdering::MinimumDegree);
            for (int i = 0; i < placed.size(); ++i) {
                for (int j = 0; j < placed.size(); ++j)
                    EXPECT_NEAR(dissection(i, j), minimumDegree(i, j), 1e-12 * minimumDegree(i, j))
                        << shape.columns << " x " << shape.rows << ", neighbours " << neighbours << ", " << i << ", "
                        << j;
            }
        }
    }
}

TEST(CircuitDistances, PartsThatNoPathJoinsNameBothObservations)
{
    const ResistanceSurface strip = planarSurface(4, 1, {1.0, 1.0, kImpassable, 1.0});
    EXPECT_EQ(dataProblemOf([&] {
                  CircuitDistances(strip, inCells({1, 0, 3}), 8);
              }),
              "The locations of observation 1 (\"O1\") and observation 3 (\"O3\") lie in parts of the resistance "
              "surface \"test.tif\" that no path of passable cells joins (with 8 neighbours per cell).");
}

TEST(CircuitDistances, RefusesARunThatNeedsMoreMemoryThanItMayUse)
{
    const ResistanceSurface surface = planarSurface(30, 30, std::vector<double>(900, 1.0));
    const std::string message = dataProblemOf([&] {
        CircuitDistances(surface, inCells({0, 899}), 8, RunListener::none(), 1000);
    });
    EXPECT_TRUE(message.starts_with("The resistance surface \"test.tif\" (30 x 30 cells) would need about "))
        << message;
    EXPECT_TRUE(message.ends_with("of memory for circuit resistance, more than the limit of 1.0 kB.")) << message;
}

// Issue 37, fault 2: where resistances span many orders of magnitude the currents through the weak
// resistors vanished in the sums of the strong ones, and the distances came out wrong with no sign
// (1.7e-285 for 0.1847; 88 % and 9.7 % too low). Now they are exact to the check's tolerance, or
// refused with the range of the resistances.
TEST(CircuitDistances, LargeResistanceContrastsAreAccurateOrRefused)
{
    // One corner of 1, the rest 1e-300: the rest is one node, to which the corner is joined by two
    // resistors of 1/2 and one of sqrt(2)/2.
    std::vector<double> corner(9, 1e-300);
    corner[0] = 1.0;
    const ResistanceSurface cornerSurface = planarSurface(3, 3, corner);
    const double exact = 1.0 / (4.0 + std::numbers::sqrt2);
    EXPECT_NEAR(static_cast<double>(groundedResistance(cornerSurface, 8, 0, 8)), exact, 1e-12);
    for (const std::vector<CellIndex>& cells :
         {std::vector<CellIndex>{0, 8}, std::vector<CellIndex>{8, 0}, std::vector<CellIndex>{0, 4, 8}}) {
        const SquareMatrix r = CircuitDistances(cornerSurface, inCells(cells), 8);
        const int last = static_cast<int>(cells.size()) - 1;
        EXPECT_NEAR(r(cells.front() == 0 ? 0 : last, cells.front() == 0 ? last : 0), exact, 1e-9 * exact);
    }

    // A 6 x 6 surface of 1 with a wall of `wall` down its fourth column.
    auto walled = [](double wall) {
        std::vector<double> cells(36, 1.0);
        for (int row = 0; row < 6; ++row)
            cells[static_cast<size_t>(row * 6 + 3)] = wall;
        return planarSurface(6, 6, cells);
    };
    for (const double wall : {1e16, 1e14, 1e12}) {
        const std::string message = dataProblemOf([&] { CircuitDistances(walled(wall), inCells({6, 11}), 8); });
        EXPECT_TRUE(message.starts_with("The circuit over the resistance surface \"test.tif\" cannot be solved "
                                        "accurately: the resistances of the cells it joins range from 1 (row 1, "
                                        "column 1) to " +
                                        shortestText(wall) + " (row 1, column 4), a ratio of " + shortestText(wall) +
                                        ", and across such a spread double precision loses"))
            << message;
        EXPECT_TRUE(message.ends_with(", where at most 1e-06 is accepted).")) << message;
    }
    for (const double wall : {1e8, 1e4, 10.0}) {
        const ResistanceSurface surface = walled(wall);
        for (const int neighbours : {4, 8}) {
            const SquareMatrix r = CircuitDistances(surface, inCells({6, 11, 30, 35}), neighbours);
            const std::vector<CellIndex> cells{6, 11, 30, 35};
            for (int i = 0; i < 4; ++i) {
                for (int j = i + 1; j < 4; ++j) {
                    const auto expected =
                        static_cast<double>(groundedResistance(surface, neighbours, cells[i], cells[j]));
                    EXPECT_NEAR(r(i, j), expected, 1e-6 * expected) << "wall " << wall << ", " << i << ", " << j;
                }
            }
        }
    }
}

// Issue 37, fault 6: "conductance ... overflows" was an analysis error (status 2, the general
// message) on a surface of tiny resistances; such a surface has exact distances.
TEST(CircuitDistances, ResistancesAtTheEndsOfTheDoubleRange)
{
    const std::vector<double> base = randomResistances(48, 7);
    const std::vector<CellIndex> cells{0, 47, 13, 30};
    const SquareMatrix unscaled = CircuitDistances(planarSurface(8, 6, base), inCells(cells), 8);
    for (const double factor : {1e-306, 1e-300, 1e300, 1e306}) {
        std::vector<double> scaled = base;
        for (double& value : scaled)
            value *= factor;
        const SquareMatrix r = CircuitDistances(planarSurface(8, 6, scaled), inCells(cells), 8);
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j)
                EXPECT_NEAR(r(i, j) / factor, unscaled(i, j), 1e-12 * unscaled(i, j)) << factor;
        }
    }
    // Distances below the smallest double of full precision (resistances of 1e-308 and more).
    std::vector<double> tiny = base;
    for (double& value : tiny)
        value *= 1e-308;
    EXPECT_TRUE(dataProblemOf([&] { CircuitDistances(planarSurface(8, 6, tiny), inCells(cells), 8); })
                    .ends_with("cannot be represented as a number: it is below 2.2e-308. The resistances of the cells "
                               "range from 1.1431932324580734e-308 (row 1, column 5) to 9.876008303071588e-308 (row 3, "
                               "column 8)."));
    // Distances above the largest double.
    const ResistanceSurface huge = planarSurface(3, 1, {1.7e308, 1.7e308, 1.7e308});
    EXPECT_EQ(dataProblemOf([&] {
                  CircuitDistances(huge, inCells({0, 2}), 8);
              }),
              "The circuit resistance between observation 1 (\"O1\") and observation 2 (\"O2\") over the resistance "
              "surface \"test.tif\" cannot be represented as a number: it is above 1.8e+308. The resistances of the "
              "cells range from 1.7e+308 (row 1, column 1) to 1.7e+308 (row 1, column 1).");
    // Resistances too far apart for their conductances.
    const ResistanceSurface apart = planarSurface(3, 1, {1e-200, 1.0, 1e200});
    EXPECT_EQ(
        dataProblemOf([&] {
            CircuitDistances(apart, inCells({0, 2}), 8);
        }),
        "The circuit over the resistance surface \"test.tif\" cannot be solved: the resistances of the cells it "
        "joins range from 1e-200 (row 1, column 1) to 1e+200 (row 1, column 3), a ratio of about 1e+400, beyond the "
        "1e+300 that its conductances can hold.");
}

TEST(CircuitDistances, StopsWhenTheListenerAsks)
{
    testing::RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    EXPECT_THROW(CircuitDistances(planarSurface(3, 1, {1.0, 1.0, 1.0}), inCells({0, 2}), 8, listener), RunCancelled);
}

} // namespace
} // namespace tessaloc
