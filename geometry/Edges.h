#pragma once

#include "core/SquareMatrix.h"
#include "geometry/DistinctLocations.h"

#include <array>
#include <bit>
#include <cstdint>
#include <utility>

namespace tessaloc {

/// What the value of an edge between two sample locations is made of. The landscape's heights
/// (`LandscapeHeightMode`) and the barrier search's edge values (`MonmonierDistanceKind`) are
/// this one choice.
enum class EdgeValueKind {
    Raw = 0,         ///< the genetic distances as built
    Pseudoslope = 1, ///< the genetic distance divided by the edge's geographic length
    Residual = 2,    ///< the residuals of the regression of genetic on geographic distance
};

/// The geographic length of the edge from (x1, y1) to (x2, y2): great-circle kilometres when
/// `useLatLong` (X longitude, Y latitude in decimal degrees), otherwise the planar length in the
/// unit of the coordinates. Throws AnalysisError when the planar length overflows.
double EdgeLength(double x1, double y1, double x2, double y2, bool useLatLong);

/// The mean of G over every pair of a member of `first` (outer sum) and a member of `second` (inner
/// sum), added up in that order. G is the N x N genetic (or residual) matrix of the observations
/// the locations group. Not checked: an overflowing sum gives an infinite mean.
double MeanMemberDistance(const SampleLocation& first, const SampleLocation& second, const SquareMatrix& G);

/// `value` divided by the edge's `length`. Throws AnalysisError when the quotient is undefined (a
/// length of 0, overflow).
double Pseudoslope(double value, double length);

/// The value of the edge between two locations: their MeanMemberDistance, divided by `length` for
/// pseudoslopes. Throws AnalysisError when the mean or the pseudoslope is undefined.
double EdgeValue(const SampleLocation& first, const SampleLocation& second, const SquareMatrix& G, double length,
                 EdgeValueKind kind);

/// An undirected edge by its two end points, the lower (x, then y) first, as bit patterns. A
/// negative zero becomes a zero, so two edges have equal keys exactly when SameEdge finds their end
/// points equal, in either direction (coordinates that are not numbers aside).
struct EdgeKey {
    std::array<std::uint64_t, 4> bits{};

    friend bool operator==(const EdgeKey&, const EdgeKey&) = default;
};

/// The key of any record with the end-point fields X1, Y1, X2, Y2.
template <typename Edge> EdgeKey EdgeKeyOf(const Edge& edge)
{
    double x1 = edge.X1 + 0.0, y1 = edge.Y1 + 0.0, x2 = edge.X2 + 0.0, y2 = edge.Y2 + 0.0;
    if (x2 < x1 || (x2 == x1 && y2 < y1)) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    return {{std::bit_cast<std::uint64_t>(x1), std::bit_cast<std::uint64_t>(y1), std::bit_cast<std::uint64_t>(x2),
             std::bit_cast<std::uint64_t>(y2)}};
}

/// The hash of an edge's end points that the line tables of the analyses share: equal keys give
/// equal hashes, so an edge and its reverse land in the same place.
inline std::uint64_t EdgeHash(const EdgeKey& key)
{
    std::uint64_t h = 0x9E3779B97F4A7C15ULL;
    for (const std::uint64_t word : key.bits) {
        h ^= word + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
        h *= 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 31;
    }
    return h;
}

} // namespace tessaloc
