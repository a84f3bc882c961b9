#pragma once

// Reproducible point sets for the triangulation's tests and benchmarks.

#include "geometry/Delaunay.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaloc::reference {

/// `count` points drawn uniformly from [0, width) x [0, height), rounded to `decimals` decimals
/// (as coordinate files hold them) when decimals >= 0. Repeated points are dropped, so fewer may come back.
std::vector<TriVertex> randomPoints(int count, std::uint32_t seed, double width = 1000.0, double height = 1000.0,
                                    int decimals = 3);

/// A columns x rows grid with unit spacing starting at (0, 0), row by row from the bottom.
std::vector<TriVertex> gridPoints(int columns, int rows);

/// `count` points evenly spaced on a circle of the radius around (cx, cy), counter-clockwise from angle 0.
std::vector<TriVertex> circlePoints(int count, double radius, double cx = 0.0, double cy = 0.0);

/// The points in an order shuffled by the seed.
std::vector<TriVertex> shuffled(std::vector<TriVertex> points, std::uint32_t seed);

/// Every coordinate multiplied by `factor`.
std::vector<TriVertex> scaled(std::vector<TriVertex> points, double factor);

} // namespace tessaloc::reference
