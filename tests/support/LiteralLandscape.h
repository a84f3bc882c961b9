#pragma once

// The landscape shape procedures done the direct way: string lists for the distinct
// locations and their members, the candidate lines listed in full, every candidate compared with
// every listed line, end points found again by their texts, and a grid whose nodes weigh every edge
// one after the other on one thread. The fast engine is compared against them (tests) and measured
// against them (benchmarks).

#include "analyses/landscape/GridInterpolation.h"
#include "analyses/landscape/Landscape.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessaloc::reference {

/// The Delaunay network of the observations (x, y) with heights from G, log10 included when `logHeights`.
/// Members are found by comparing X and Y with the values parsed back from the location texts, so
/// coordinates must have at most 15 significant digits (the engine's text rule agrees with it there).
std::vector<LandscapeEdge> literalDelaunayNetwork(std::span<const double> x, std::span<const double> y,
                                                  const SquareMatrix& G, LandscapeHeightMode heightMode,
                                                  bool logHeights, bool useLatLong,
                                                  RunListener& listener = RunListener::none());

/// The pairwise network, log10 included when `logHeights`.
std::vector<LandscapeEdge> literalPairwiseNetwork(std::span<const double> x, std::span<const double> y,
                                                  const SquareMatrix& G, const SquareMatrix& D,
                                                  LandscapeHeightMode heightMode, bool logHeights);

/// The grid interpolation of one press of "Start", node by node and edge by edge, with the same
/// checks and messages as the engine.
InterpolationGrid literalInterpolation(const LandscapeResult& shape, std::int32_t xBinCount, std::int32_t yBinCount,
                                       double distanceWeight, RunListener& listener = RunListener::none());

/// A shape for grids alone: `samples` sample locations and `edges` edges with random midpoints over a
/// square of `side` units and heights from 0 to 1, drawn from the seed; extents from the samples.
LandscapeResult randomEdgeShape(std::uint32_t seed, int samples, int edges, double side);

} // namespace tessaloc::reference
