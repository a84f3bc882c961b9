#pragma once

#include "core/Errors.h"
#include "geometry/Edges.h"
#include "geometry/GeometryHelpers.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tessaloc::landscape_detail {

/// Finds, among the lines listed so far, the one with the same two end points as a candidate, in
/// either direction, compared exactly as SameEdge compares them. The listed lines are distinct under
/// that comparison, so the line found is the only one, which makes a hash lookup give the same answer
/// as scanning the list in order. The index refers to the caller's list by position and must be told
/// of every line appended to it.
template <typename Edge> class LineIndex {
public:
    explicit LineIndex(const std::vector<Edge>& lines)
        : m_lines(lines)
    {
        m_slots.assign(1024, kEmpty);
    }

    /// The position of the listed line SameEdge matches with `candidate`, or -1.
    std::int64_t find(const Edge& candidate) const
    {
        for (std::size_t slot = hash(candidate) & mask();; slot = (slot + 1) & mask()) {
            const std::uint32_t position = m_slots[slot];
            if (position == kEmpty)
                return -1;
            if (SameEdge(candidate, m_lines[position]))
                return position;
        }
    }

    /// Records that the caller's list has received a line at `position` (its last entry).
    void added(std::size_t position)
    {
        if (position >= kEmpty)
            throw AnalysisError("the network has more lines than this program can list");
        if (2 * (m_count + 1) > m_slots.size())
            grow();
        place(position);
        ++m_count;
    }

private:
    // Positions are stored in 32 bits to halve the table; a list that long would not fit in memory.
    static constexpr std::uint32_t kEmpty = 0xffffffffU;

    std::size_t mask() const { return m_slots.size() - 1; }

    // SameEdge-equal lines, in either direction, have equal keys and so equal hashes.
    static std::size_t hash(const Edge& line) { return static_cast<std::size_t>(EdgeHash(EdgeKeyOf(line))); }

    void place(std::size_t position)
    {
        std::size_t slot = hash(m_lines[position]) & mask();
        while (m_slots[slot] != kEmpty)
            slot = (slot + 1) & mask();
        m_slots[slot] = static_cast<std::uint32_t>(position);
    }

    void grow()
    {
        std::vector<std::uint32_t> old(m_slots.size() * 2, kEmpty);
        old.swap(m_slots);
        for (const std::uint32_t position : old) {
            if (position != kEmpty)
                place(position);
        }
    }

    const std::vector<Edge>& m_lines;
    std::vector<std::uint32_t> m_slots;
    std::size_t m_count = 0;
};

} // namespace tessaloc::landscape_detail
