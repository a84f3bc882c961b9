#include "analyses/monmonier/BarrierDrawing.h"

namespace tessaloc {

std::vector<Segment> TriangulationLines(const std::vector<BarrierTriangle>& triangles)
{
    std::vector<Segment> lines;
    lines.reserve(3 * triangles.size());
    for (const BarrierTriangle& triangle : triangles) {
        for (size_t corner = 0; corner < 3; ++corner) {
            const size_t next = (corner + 1) % 3;
            lines.push_back(
                {triangle.VertexX[corner], triangle.VertexY[corner], triangle.VertexX[next], triangle.VertexY[next]});
        }
    }
    return lines;
}

std::vector<Segment> BarrierLines(const std::vector<BarrierTriangle>& triangles, const BarrierRecord& barrier)
{
    const auto edgeOf = [&triangles](const BarrierSegment& segment, int slot) -> const TriangleEdge& {
        const size_t k = static_cast<size_t>(slot);
        return triangles.at(static_cast<size_t>(segment.Triangles[k])).Edges.at(static_cast<size_t>(segment.Edges[k]));
    };
    std::vector<Segment> lines;
    for (size_t s = 0; s < barrier.Segments.size(); ++s) {
        const BarrierSegment& segment = barrier.Segments[s];
        // Slot 0 of the first segment names no edge; every later segment starts where it joins.
        for (int j = s == 0 ? 1 : 0; j < segment.lastSlot(); ++j) {
            const TriangleEdge& from = edgeOf(segment, j);
            const TriangleEdge& to = edgeOf(segment, j + 1);
            lines.push_back({from.MidX, from.MidY, to.MidX, to.MidY});
        }
    }
    return lines;
}

int BarrierPaletteIndex(long long barrier)
{
    return barrier >= 1 && barrier < 15 ? static_cast<int>(barrier) : 0;
}

PaletteColor BarrierStartColor(long long barrier)
{
    return kPaletteColors[static_cast<size_t>(BarrierPaletteIndex(barrier))];
}

} // namespace tessaloc
