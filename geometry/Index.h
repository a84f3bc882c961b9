#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>

namespace tessaloc {

/// A 0-based position in one kind of table. Each kind gets its own type, so a vertex of a
/// triangulation cannot be passed where an observation is meant without an explicit conversion.
template <typename Tag> struct Index {
    std::int32_t value = 0;

    constexpr Index() = default;
    constexpr explicit Index(std::int32_t position)
        : value(position)
    {
    }

    /// The position as a subscript of a std::vector.
    constexpr std::size_t at() const { return static_cast<std::size_t>(value); }

    friend constexpr auto operator<=>(Index, Index) = default;
};

/// A point of a triangulation: 0..n-1 the caller's points, n..n+2 the corners of the enclosing
/// triangle while the triangulation runs.
using VertexIndex = Index<struct VertexTag>;
/// An observation of the sample table, in coordinate-file order (observation k of the file is k - 1).
using ObservationIndex = Index<struct ObservationTag>;
/// A distinct sampling location, in order of first appearance.
using LocationIndex = Index<struct LocationTag>;

} // namespace tessaloc
