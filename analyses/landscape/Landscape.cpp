#include "analyses/landscape/Landscape.h"

#include "analyses/landscape/LineIndex.h"
#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/NearMaximum.h"
#include "core/NumberText.h"
#include "geometry/Edges.h"
#include "geometry/GeometryHelpers.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

namespace tessaloc {
namespace {

using landscape_detail::LineIndex;

void requireTriangulable(int locationCount)
{
    if (locationCount < 3)
        throw AnalysisError("the Delaunay network needs at least three distinct sample locations, " +
                            std::to_string(locationCount) + " found");
}

// The parts of the result that depend on the coordinates only, in the order the run computes them.
void describeSampleArea(LandscapeResult& shape, const SampleTable& table, bool useLatLong)
{
    const int n = table.sampleCount();
    shape.SampleX.resize(static_cast<size_t>(n));
    shape.SampleY.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        shape.SampleX[static_cast<size_t>(i)] = table.coordinateX(i);
        shape.SampleY[static_cast<size_t>(i)] = table.coordinateY(i);
    }
    shape.data = ComputeDataExtents(shape.SampleX, shape.SampleY);
    shape.map = WidenByFivePercent(shape.data);
    shape.ranges = ComputeGeographicRanges(shape.data.DataMinX, shape.data.DataMaxX, shape.data.DataMinY,
                                           shape.data.DataMaxY, useLatLong);
}

// The residual heights take `residualDistances` (the chosen geographic distances); the lines of the
// pairwise network are geometric and take their lengths from `lineLengths` (straight lines).
void buildNetwork(LandscapeResult& shape, SquareMatrix G, const SquareMatrix& residualDistances,
                  const SquareMatrix& lineLengths, bool useLatLong, RunListener& listener)
{
    const LandscapeSettings& settings = shape.settings;
    if (settings.heightMode == LandscapeHeightMode::Residual) {
        listener.status("Calculating Residuals");
        ResidualizeDistances(G, residualDistances);
    }
    listener.status("Calculating Surface");
    if (settings.network == LandscapeNetwork::Delaunay) {
        const DistinctLocations locations = GroupDistinctLocations(shape.SampleX, shape.SampleY);
        requireTriangulable(locations.count());
        const Triangulation triangulation = TriangulateLocations(locations, listener);
        shape.LandscapeEdges =
            DelaunayLandscapeEdges(locations, triangulation, G, settings.heightMode, useLatLong, listener);
    } else {
        shape.LandscapeEdges =
            PairwiseLandscapeEdges(shape.SampleX, shape.SampleY, G, lineLengths, settings.heightMode);
    }
    if (settings.logHeights)
        LogTransformHeights(shape.LandscapeEdges, settings.network);
}

} // namespace

std::vector<LandscapeEdge> DelaunayLandscapeEdges(const DistinctLocations& locations,
                                                  const Triangulation& triangulation, const SquareMatrix& G,
                                                  LandscapeHeightMode heightMode, bool useLatLong,
                                                  RunListener& listener)
{
    requireTriangulable(locations.count());
    if (triangulation.TriangleTable.empty())
        throw AnalysisError("the sample locations all lie on one line, so the Delaunay network has no triangle");

    std::vector<LandscapeEdge> edges;
    // The locations at the two ends of every listed line. A vertex of the triangulation is a location,
    // and its coordinates are the values parsed back from the location's texts, whose text forms are
    // those texts again; so the location found by text for an end point is the vertex itself.
    std::vector<std::pair<LocationIndex, LocationIndex>> ends;
    LineIndex<LandscapeEdge> listed(edges);
    for (const TriangleRec& triangle : triangulation.TriangleTable) {
        const std::array<std::pair<VertexIndex, VertexIndex>, 3> sides = {
            std::pair{triangle.CornerA, triangle.CornerB},
            std::pair{triangle.CornerA, triangle.CornerC},
            std::pair{triangle.CornerB, triangle.CornerC},
        };
        for (const auto& [first, second] : sides) {
            const SampleLocation& p1 = locations.locations[first.at()];
            const SampleLocation& p2 = locations.locations[second.at()];
            LandscapeEdge line;
            line.X1 = p1.x;
            line.Y1 = p1.y;
            line.X2 = p2.x;
            line.Y2 = p2.y;
            line.Length = EdgeLength(p1.x, p1.y, p2.x, p2.y, useLatLong);
            line.MidX = Midpoint(line.X1, line.X2);
            line.MidY = Midpoint(line.Y1, line.Y2);
            if (listed.find(line) >= 0)
                continue;
            edges.push_back(line);
            listed.added(edges.size() - 1);
            ends.emplace_back(LocationIndex(first.value), LocationIndex(second.value));
        }
    }

    for (size_t k = 0; k < edges.size(); ++k) {
        const SampleLocation& p1 = locations[ends[k].first];
        const SampleLocation& p2 = locations[ends[k].second];
        if (ends[k].first == ends[k].second)
            listener.message(kProblemReconciliationMessage);
        edges[k].Height = EdgeValue(p1, p2, G, edges[k].Length, heightMode);
    }
    return edges;
}

std::vector<LandscapeEdge> PairwiseLandscapeEdges(std::span<const double> x, std::span<const double> y,
                                                  const SquareMatrix& G, const SquareMatrix& D,
                                                  LandscapeHeightMode heightMode)
{
    const int n = static_cast<int>(x.size());
    std::vector<LandscapeEdge> edges;
    std::vector<long long> counts;
    LineIndex<LandscapeEdge> listed(edges);
    for (int j = 0; j < n - 1; ++j) {
        for (int i = j + 1; i < n; ++i) {
            LandscapeEdge line;
            line.X1 = x[j];
            line.Y1 = y[j];
            line.X2 = x[i];
            line.Y2 = y[i];
            line.Length = D(j, i);
            line.Height = G(j, i);
            line.MidX = requireFinite(Midpoint(x[j], x[i]), "the midpoint of a network line");
            line.MidY = requireFinite(Midpoint(y[j], y[i]), "the midpoint of a network line");
            // Two observations at the same place have no line between them.
            if (line.Length == 0.0)
                continue;
            if (const std::int64_t found = listed.find(line); found >= 0) {
                edges[static_cast<size_t>(found)].Height += line.Height;
                ++counts[static_cast<size_t>(found)];
            } else {
                edges.push_back(line);
                counts.push_back(1);
                listed.added(edges.size() - 1);
            }
        }
    }

    for (size_t k = 0; k < edges.size(); ++k) {
        double height = requireFinite(edges[k].Height / static_cast<double>(counts[k]),
                                      "the mean genetic distance of a network line");
        if (heightMode == LandscapeHeightMode::Pseudoslope)
            height = Pseudoslope(height, edges[k].Length);
        edges[k].Height = height;
    }
    return edges;
}

void LogTransformHeights(std::vector<LandscapeEdge>& edges, LandscapeNetwork network)
{
    double minimumPositive = kNearMaximum14Digits;
    bool zeroSeen = false;
    for (const LandscapeEdge& edge : edges) {
        if (edge.Height > 0.0 && edge.Height <= minimumPositive)
            minimumPositive = edge.Height;
        if (edge.Height == 0.0)
            zeroSeen = true;
    }
    // The Delaunay network shifts only when a zero would otherwise meet the logarithm; the pairwise
    // network shifts always.
    const bool shift = network == LandscapeNetwork::Pairwise || zeroSeen;

    std::vector<double> logarithms(edges.size());
    for (size_t k = 0; k < edges.size(); ++k) {
        const double value =
            shift ? requireFinite(edges[k].Height + minimumPositive, "a shifted height") : edges[k].Height;
        if (!(value > 0.0))
            throw AnalysisError("the logarithm of the height " + plainText(value) +
                                " is undefined: log10 needs heights above 0");
        logarithms[k] = std::log(value) / std::log(10.0);
    }
    for (size_t k = 0; k < edges.size(); ++k)
        edges[k].Height = logarithms[k];
}

LandscapeResult ComputeLandscape(const SampleTable& table, SquareMatrix G, const SquareMatrix& D, bool useLatLong,
                                 const LandscapeSettings& settings, RunListener& listener)
{
    LandscapeResult shape;
    shape.settings = settings;
    describeSampleArea(shape, table, useLatLong);
    buildNetwork(shape, std::move(G), D, D, useLatLong, listener);
    return shape;
}

LandscapeResult RunLandscape(const LandscapeInput& input, RunListener& listener)
{
    // Only the residual heights take the chosen geographic distances; the network's lines stay
    // straight whatever the choice.
    const bool residual = input.settings.heightMode == LandscapeHeightMode::Residual;
    ReadingSteps steps;
    steps.straightLines = !residual;
    AnalysisData data = ReadAnalysisData(input, listener, steps);
    const bool straight = steps.straightLines || input.geoDistances.kind == GeoDistanceKind::Straight;
    const SquareMatrix lineLengths =
        straight ? SquareMatrix() : BuildGeographicDistances(data.table, input.useLatLong).square();

    LandscapeResult shape;
    shape.coordinatePath = input.coordinatePath;
    shape.genotypePath = input.genotypePath;
    shape.dataType = input.dataType;
    if (!straight)
        shape.geoDistances = input.geoDistances;
    shape.settings = input.settings;
    describeSampleArea(shape, data.table, input.useLatLong);
    // The network reads whole matrices.
    const SquareMatrix geographic = takeSquare(std::move(data.geographic));
    buildNetwork(shape, takeSquare(std::move(data.genetic)), geographic, straight ? geographic : lineLengths,
                 input.useLatLong, listener);
    return shape;
}

} // namespace tessaloc
