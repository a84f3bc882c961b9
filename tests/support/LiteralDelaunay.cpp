#include "tests/support/LiteralDelaunay.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace tessaloc::reference {
namespace {

struct LiteralTriangle {
    double CornerA = 0.0;
    double CornerB = 0.0;
    double CornerC = 0.0;
};

struct LiteralEdge {
    std::int32_t start = 0;
    std::int32_t end = 0;
};

std::int32_t whole(double number)
{
    return static_cast<std::int32_t>(std::lround(number));
}

} // namespace

Triangulation literalTriangulatePoints(std::span<const TriVertex> points, RunListener& listener)
{
    const auto n = static_cast<std::int32_t>(points.size());
    const std::int32_t VertexCapacity = n + 100;
    const std::int32_t TriangleCapacity = 2 * (n + 100);
    std::vector<TriVertex> VertexTable(static_cast<size_t>(VertexCapacity) + 1);
    std::vector<LiteralTriangle> TriangleTable(static_cast<size_t>(TriangleCapacity) + 1);
    std::vector<LiteralEdge> edges(3 * static_cast<size_t>(TriangleCapacity) + 1);
    for (std::int32_t i = 1; i <= n; ++i)
        VertexTable.at(i) = points[static_cast<size_t>(i - 1)];
    const auto x = [&](double number) { return VertexTable.at(static_cast<size_t>(whole(number))).x; };
    const auto y = [&](double number) { return VertexTable.at(static_cast<size_t>(whole(number))).y; };

    double xmin = VertexTable.at(1).x;
    double xmax = xmin;
    double ymin = VertexTable.at(1).y;
    double ymax = ymin;
    for (std::int32_t i = 2; i <= n; ++i) {
        if (VertexTable.at(i).x < xmin)
            xmin = VertexTable.at(i).x;
        if (VertexTable.at(i).x > xmax)
            xmax = VertexTable.at(i).x;
        if (VertexTable.at(i).y < ymin)
            ymin = VertexTable.at(i).y;
        if (VertexTable.at(i).y > ymax)
            ymax = VertexTable.at(i).y;
    }
    const double dx = xmax - xmin;
    const double dy = ymax - ymin;
    const double dmax = dx > dy ? dx : dy;
    const double xmid = (xmax + xmin) / 2;
    const double ymid = (ymax + ymin) / 2;
    VertexTable.at(n + 1) = {xmid - 2 * dmax, ymid - dmax, 0.0};
    VertexTable.at(n + 2) = {xmid, ymid + 2 * dmax, 0.0};
    VertexTable.at(n + 3) = {xmid + 2 * dmax, ymid - dmax, 0.0};
    TriangleTable.at(1) = {static_cast<double>(n + 1), static_cast<double>(n + 2), static_cast<double>(n + 3)};
    std::int32_t count = 1;

    for (std::int32_t i = 1; i <= n; ++i) {
        const double xp = VertexTable.at(i).x;
        const double yp = VertexTable.at(i).y;
        std::int32_t nedge = 0;
        std::int32_t j = 0;
        do {
            j = j + 1;
            const LiteralTriangle t = TriangleTable.at(j);
            double xc = 0.0;
            double yc = 0.0;
            double r = 0.0;
            if (PointInCircumcircle(xp, yp, x(t.CornerA), y(t.CornerA), x(t.CornerB), y(t.CornerB), x(t.CornerC),
                                    y(t.CornerC), xc, yc, r, listener)) {
                edges.at(nedge + 1) = {whole(t.CornerA), whole(t.CornerB)};
                edges.at(nedge + 2) = {whole(t.CornerB), whole(t.CornerC)};
                edges.at(nedge + 3) = {whole(t.CornerC), whole(t.CornerA)};
                nedge = nedge + 3;
                TriangleTable.at(j) = TriangleTable.at(count);
                j = j - 1;
                count = count - 1;
            }
        } while (j < count);

        for (std::int32_t e = 1; e <= nedge - 1; ++e) {
            if (edges.at(e).start != 0 && edges.at(e).end != 0) {
                for (std::int32_t k = e + 1; k <= nedge; ++k) {
                    if (edges.at(k).start != 0 && edges.at(k).end != 0 && edges.at(e).start == edges.at(k).end &&
                        edges.at(e).end == edges.at(k).start) {
                        edges.at(e) = {0, 0};
                        edges.at(k) = {0, 0};
                    }
                }
            }
        }
        for (std::int32_t e = 1; e <= nedge; ++e) {
            if (edges.at(e).start != 0 && edges.at(e).end != 0) {
                count = count + 1;
                TriangleTable.at(count) = {static_cast<double>(edges.at(e).start), static_cast<double>(edges.at(e).end),
                                           static_cast<double>(i)};
            }
        }
    }

    std::int32_t i = 0;
    do {
        i = i + 1;
        const LiteralTriangle t = TriangleTable.at(i);
        if (t.CornerA > n || t.CornerB > n || t.CornerC > n) {
            TriangleTable.at(i) = TriangleTable.at(count);
            i = i - 1;
            count = count - 1;
        }
    } while (i < count);

    Triangulation result;
    for (std::int32_t k = 1; k <= count; ++k) {
        const LiteralTriangle t = TriangleTable.at(k);
        result.TriangleTable.push_back(
            {VertexIndex(whole(t.CornerA) - 1), VertexIndex(whole(t.CornerB) - 1), VertexIndex(whole(t.CornerC) - 1)});
    }
    for (std::int32_t k = 0; k < 3; ++k)
        result.enclosing[static_cast<size_t>(k)] = VertexTable.at(n + 1 + k);
    return result;
}

} // namespace tessaloc::reference
