// The engine against the literal procedures on random data: the same lines in the same order with
// bit-identical heights, and bit-identical grids.

#include "tests/support/LiteralLandscape.h"
#include "tests/support/NumberedNames.h"
#include "tests/support/TriangulationChecks.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "core/NumberText.h"
#include "geometry/GeometryHelpers.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

struct RandomData {
    SampleTable table;
    std::vector<double> x;
    std::vector<double> y;
    SquareMatrix G;
};

// Coordinates on a lattice of `spacing` (many observations share a place, many lines repeat) or
// with three decimals; every coordinate has at most 15 significant digits.
RandomData randomData(int n, unsigned seed, int latticeSize, double spacing)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> lattice(0, latticeSize - 1);
    std::uniform_int_distribution<int> fine(0, 99999);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    RandomData data;
    for (int k = 0; k < n; ++k) {
        const double x = latticeSize > 0 ? lattice(generator) * spacing : fine(generator) / 1000.0;
        const double y = latticeSize > 0 ? lattice(generator) * spacing + 10 : fine(generator) / 1000.0 - 20;
        data.table.names.push_back(testing::numberedName("o", k));
        data.table.xTexts.push_back(plainText(x));
        data.table.yTexts.push_back(plainText(y));
        data.x.push_back(data.table.coordinateX(k));
        data.y.push_back(data.table.coordinateY(k));
    }
    data.G = SquareMatrix(n);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j)
            data.G.setPair(i, j, unit(generator) < 0.05 ? 0.0 : unit(generator));
    }
    return data;
}

std::optional<std::vector<LandscapeEdge>> fastEdges(const RandomData& data, const SquareMatrix& D, bool latLong,
                                                    const LandscapeSettings& settings)
{
    try {
        return ComputeLandscape(data.table, data.G, D, latLong, settings).LandscapeEdges;
    } catch (const AnalysisError&) {
        return std::nullopt;
    }
}

template <typename Literal> std::optional<std::vector<LandscapeEdge>> literalEdges(Literal literal)
{
    try {
        return literal();
    } catch (const AnalysisError&) {
        return std::nullopt;
    }
}

void expectSameEdges(const std::optional<std::vector<LandscapeEdge>>& fast,
                     const std::optional<std::vector<LandscapeEdge>>& literal, const std::string& label)
{
    ASSERT_EQ(fast.has_value(), literal.has_value()) << label;
    if (!fast)
        return;
    ASSERT_EQ(fast->size(), literal->size()) << label;
    for (size_t k = 0; k < fast->size(); ++k)
        ASSERT_EQ((*fast)[k], (*literal)[k]) << label << ", line " << k;
}

struct Case {
    int n;
    unsigned seed;
    int latticeSize;
    double spacing;
};

const Case kCases[] = {{60, 1, 6, 0.5}, {90, 2, 9, 1.25}, {120, 3, 0, 0}, {45, 4, 4, 2}, {150, 5, 0, 0}};

std::string labelOf(const Case& c, const LandscapeSettings& s, bool latLong)
{
    return "n " + std::to_string(c.n) + " seed " + std::to_string(c.seed) + " mode " +
           std::to_string(static_cast<int>(s.heightMode)) + (s.logHeights ? " log" : "") + (latLong ? " latlong" : "");
}

// Compares the network over every case, coordinate kind, height mode and log setting; returns how
// many comparisons had lines (the rest failed alike in both).
int compareNetworks(LandscapeNetwork network, int largestCase)
{
    int compared = 0;
    for (const Case& c : kCases) {
        if (c.n > largestCase)
            continue;
        const RandomData data = randomData(c.n, c.seed, c.latticeSize, c.spacing);
        if (network == LandscapeNetwork::Delaunay) {
            // The triangulation the network is laid over, checked on its own.
            const DistinctLocations locations = GroupDistinctLocations(data.x, data.y);
            const Triangulation triangulation = TriangulateLocations(locations);
            if (triangulation.TriangleCount() > 0)
                testing::expectSoundTriangulation(locations, triangulation);
        }
        for (const bool latLong : {false, true}) {
            const SquareMatrix D = BuildGeographicDistances(data.table, latLong).square();
            SquareMatrix residuals = data.G;
            ResidualizeDistances(residuals, D);
            for (const auto mode :
                 {LandscapeHeightMode::Raw, LandscapeHeightMode::Pseudoslope, LandscapeHeightMode::Residual}) {
                for (const bool logHeights : {false, true}) {
                    const LandscapeSettings settings{network, mode, logHeights};
                    const SquareMatrix& G = mode == LandscapeHeightMode::Residual ? residuals : data.G;
                    const auto literal = literalEdges([&] {
                        return network == LandscapeNetwork::Delaunay
                                   ? reference::literalDelaunayNetwork(data.x, data.y, G, mode, logHeights, latLong)
                                   : reference::literalPairwiseNetwork(data.x, data.y, G, D, mode, logHeights);
                    });
                    expectSameEdges(fastEdges(data, D, latLong, settings), literal, labelOf(c, settings, latLong));
                    compared += literal ? 1 : 0;
                }
            }
        }
    }
    return compared;
}

TEST(LiteralLandscape, DelaunayNetworkMatchesTheLiteralProcedure)
{
    // Only the logarithms of negative residuals fail.
    EXPECT_GE(compareNetworks(LandscapeNetwork::Delaunay, 1000), 40);
}

TEST(LiteralLandscape, PairwiseNetworkMatchesTheLiteralProcedure)
{
    // The literal grouping is quadratic in the number of lines: the smaller cases suffice.
    EXPECT_GE(compareNetworks(LandscapeNetwork::Pairwise, 100), 30);
}

TEST(LiteralLandscape, LatticeDataMergeManyPairwiseLines)
{
    // A check that the cases above exercise the merging: 60 observations on 36 places.
    const RandomData data = randomData(60, 1, 6, 0.5);
    const auto edges = reference::literalPairwiseNetwork(
        data.x, data.y, data.G, BuildGeographicDistances(data.table, false).square(), LandscapeHeightMode::Raw, false);
    EXPECT_LT(edges.size(), 60u * 59u / 2u / 2u);
}

void expectSameGrid(const InterpolationGrid& fast, const InterpolationGrid& literal, const std::string& label)
{
    EXPECT_EQ(fast.XBinCount, literal.XBinCount) << label;
    EXPECT_EQ(fast.YBinCount, literal.YBinCount) << label;
    EXPECT_EQ(fast.GridX, literal.GridX) << label;
    EXPECT_EQ(fast.GridY, literal.GridY) << label;
    EXPECT_EQ(fast.GridInside, literal.GridInside) << label;
    ASSERT_EQ(fast.GridHeight.size(), literal.GridHeight.size()) << label;
    for (size_t k = 0; k < fast.GridHeight.size(); ++k)
        ASSERT_EQ(fast.GridHeight[k], literal.GridHeight[k]) << label << ", node " << k;
}

TEST(LiteralLandscape, GridInterpolationMatchesTheLiteralProcedure)
{
    for (const Case& c : kCases) {
        const RandomData data = randomData(c.n, c.seed, c.latticeSize, c.spacing);
        LandscapeSettings settings{LandscapeNetwork::Pairwise, LandscapeHeightMode::Raw, false};
        const LandscapeResult shape =
            ComputeLandscape(data.table, data.G, BuildGeographicDistances(data.table, false).square(), false, settings);
        for (const auto& [nx, ny, p] : {std::tuple{7, 5, 1.0}, std::tuple{23, 19, 2.5}, std::tuple{1, 1, 0.0},
                                        std::tuple{40, 3, -1.0}, std::tuple{2, 70, 0.3}}) {
            const std::string label = "n " + std::to_string(c.n) + " grid " + std::to_string(nx) + " x " +
                                      std::to_string(ny) + " p " + plainText(p);
            expectSameGrid(InterpolateLandscape(shape, nx, ny, p), reference::literalInterpolation(shape, nx, ny, p),
                           label);
        }
    }
}

TEST(LiteralLandscape, GridNodesOnMidpointsMatchTheLiteralProcedure)
{
    // Lattice midpoints fall on lattice nodes when the extents start 1e-7 below the lattice.
    const RandomData data = randomData(40, 9, 5, 1.0);
    LandscapeSettings settings{LandscapeNetwork::Pairwise, LandscapeHeightMode::Raw, false};
    LandscapeResult shape =
        ComputeLandscape(data.table, data.G, BuildGeographicDistances(data.table, false).square(), false, settings);
    shape.data.DataMinX = -1e-7;
    shape.data.DataMinY = 10 - 1e-7;
    shape.data.DataMaxX = 4 - 1e-7;
    shape.data.DataMaxY = 14 - 1e-7;
    const InterpolationGrid fast = InterpolateLandscape(shape, 8, 8, 1.0);
    expectSameGrid(fast, reference::literalInterpolation(shape, 8, 8, 1.0), "nodes on midpoints");
    int onMidpoints = 0;
    for (size_t node = 0; node < fast.GridX.size(); ++node) {
        for (const LandscapeEdge& edge : shape.LandscapeEdges) {
            if (edge.MidX == fast.GridX[node] && edge.MidY == fast.GridY[node]) {
                ++onMidpoints;
                break;
            }
        }
    }
    EXPECT_GT(onMidpoints, 10);
}

TEST(LiteralLandscape, WeightOneGridsMatchThePowProcedureOnRandomGrids)
{
    // The default weight takes its own path to pow's value: random midpoints and heights over areas
    // from a millimetre to a continent, a few edges to a few hundred, against the literal procedure,
    // which calls pow for every edge.
    struct Area {
        double side;
        int edges;
        unsigned seed;
    };
    for (const Area& area :
         {Area{1e-3, 3, 1}, Area{1.0, 50, 2}, Area{1000.0, 257, 3}, Area{4e6, 600, 4}, Area{0.37, 1000, 5}}) {
        const LandscapeResult shape = reference::randomEdgeShape(area.seed, 12, area.edges, area.side);
        const std::string label = "side " + plainText(area.side) + ", " + std::to_string(area.edges) + " edges";
        expectSameGrid(InterpolateLandscape(shape, 31, 17, 1.0), reference::literalInterpolation(shape, 31, 17, 1.0),
                       label);
    }
}

} // namespace
} // namespace tessaloc
