#include "analyses/monmonier/BarrierDrawing.h"

#include "analyses/monmonier/BarrierBootstrap.h"

#include <algorithm>
#include <cmath>

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

namespace {

// Calls visit(segment, j) for every pair of slots j, j + 1 that the barrier's drawing joins.
template <typename Visit> void forEachDrawnSlot(const BarrierRecord& barrier, Visit visit)
{
    for (size_t s = 0; s < barrier.Segments.size(); ++s) {
        const BarrierSegment& segment = barrier.Segments[s];
        // Slot 0 of the first segment names no edge; every later segment starts where it joins.
        for (int j = s == 0 ? 1 : 0; j < segment.lastSlot(); ++j)
            visit(segment, j);
    }
}

const TriangleEdge& edgeOfOccurrence(const std::vector<BarrierTriangle>& triangles, std::int32_t occurrence)
{
    return triangles.at(static_cast<size_t>(occurrence / 3)).Edges.at(static_cast<size_t>(occurrence % 3));
}

} // namespace

std::vector<Segment> BarrierLines(const std::vector<BarrierTriangle>& triangles, const BarrierRecord& barrier)
{
    std::vector<Segment> lines;
    forEachDrawnSlot(barrier, [&](const BarrierSegment& segment, int j) {
        const TriangleEdge& from = edgeOfOccurrence(triangles, 3 * segment.Triangles[static_cast<size_t>(j)] +
                                                                   segment.Edges[static_cast<size_t>(j)]);
        const TriangleEdge& to = edgeOfOccurrence(triangles, 3 * segment.Triangles[static_cast<size_t>(j + 1)] +
                                                                 segment.Edges[static_cast<size_t>(j + 1)]);
        lines.push_back({from.MidX, from.MidY, to.MidX, to.MidY});
    });
    return lines;
}

std::vector<EdgeLine> BarrierHalfLines(const std::vector<BarrierTriangle>& triangles, const BarrierRecord& barrier,
                                       const EdgeNumbers& numbers)
{
    std::vector<EdgeLine> halves;
    forEachDrawnSlot(barrier, [&](const BarrierSegment& segment, int j) {
        const size_t a = static_cast<size_t>(j);
        const size_t b = a + 1;
        const TriangleEdge& from = edgeOfOccurrence(triangles, 3 * segment.Triangles[a] + segment.Edges[a]);
        const TriangleEdge& to = edgeOfOccurrence(triangles, 3 * segment.Triangles[b] + segment.Edges[b]);
        const double middleX = Midpoint(from.MidX, to.MidX);
        const double middleY = Midpoint(from.MidY, to.MidY);
        halves.push_back(
            {{from.MidX, from.MidY, middleX, middleY}, numbers.id(segment.Triangles[a], segment.Edges[a])});
        halves.push_back({{middleX, middleY, to.MidX, to.MidY}, numbers.id(segment.Triangles[b], segment.Edges[b])});
    });
    return halves;
}

std::vector<SupportMark> BarrierSupportMarks(const MonmonierResult& result, int barrier)
{
    const BarrierSupport& support = result.support;
    const BarrierCrossings crossings =
        CrossingsOf({result.BarrierList.at(static_cast<size_t>(barrier - 1))}, support.edges);
    std::vector<SupportMark> marks;
    for (const std::int32_t edge : crossings.edges.front()) {
        const TriangleEdge& at =
            edgeOfOccurrence(result.BarrierTriangles, support.edges.firstOccurrence[static_cast<size_t>(edge)]);
        marks.push_back({edge, at.MidX, at.MidY, at.X2, at.Y2, support.barrierPercent(barrier, edge)});
    }
    return marks;
}

std::vector<SupportedPiece> AlternativeBarrierLines(const MonmonierResult& result)
{
    const BarrierSupport& support = result.support;
    std::vector<SupportedPiece> lines;
    for (const PieceSupport& piece : support.pieces) {
        if (piece.observed)
            continue;
        const auto midpointOf = [&](std::int32_t edge) -> const TriangleEdge& {
            return edgeOfOccurrence(result.BarrierTriangles, support.edges.firstOccurrence[static_cast<size_t>(edge)]);
        };
        const TriangleEdge& from = midpointOf(piece.from);
        const TriangleEdge& to = midpointOf(piece.to);
        lines.push_back({{from.MidX, from.MidY, to.MidX, to.MidY}, support.percent(piece.any)});
    }
    return lines;
}

double SupportLineWidth(double percent, int width)
{
    return 1.0 + (2.0 * width - 1.0) * percent / 100.0;
}

std::string SupportLabel(double percent)
{
    long long whole = std::llround(percent);
    if (percent > 0.0 && percent < 100.0)
        whole = std::clamp(whole, 1LL, 99LL);
    return std::to_string(whole) + "%";
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
