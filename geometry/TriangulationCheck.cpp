#include "geometry/TriangulationCheck.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

namespace tessaloc {
namespace {

using Corners = std::array<std::int32_t, 3>;

// Positive when (a, b, c) turn left, computed in extended precision.
long double turn(const TriVertex& a, const TriVertex& b, const TriVertex& c)
{
    return (static_cast<long double>(b.x) - a.x) * (static_cast<long double>(c.y) - a.y) -
           (static_cast<long double>(b.y) - a.y) * (static_cast<long double>(c.x) - a.x);
}

// The in-circle determinant of d against the clockwise triangle (a, b, c): positive when d lies inside
// by more than the margin, measured against the same determinant with every term made positive.
bool strictlyInside(const TriVertex& a, const TriVertex& b, const TriVertex& c, const TriVertex& d)
{
    const long double adx = static_cast<long double>(a.x) - d.x;
    const long double ady = static_cast<long double>(a.y) - d.y;
    const long double bdx = static_cast<long double>(b.x) - d.x;
    const long double bdy = static_cast<long double>(b.y) - d.y;
    const long double cdx = static_cast<long double>(c.x) - d.x;
    const long double cdy = static_cast<long double>(c.y) - d.y;
    const long double alift = adx * adx + ady * ady;
    const long double blift = bdx * bdx + bdy * bdy;
    const long double clift = cdx * cdx + cdy * cdy;
    const long double determinant =
        alift * (bdx * cdy - cdx * bdy) + blift * (cdx * ady - adx * cdy) + clift * (adx * bdy - bdx * ady);
    const long double permanent = alift * (std::abs(bdx * cdy) + std::abs(cdx * bdy)) +
                                  blift * (std::abs(cdx * ady) + std::abs(adx * cdy)) +
                                  clift * (std::abs(adx * bdy) + std::abs(bdx * ady));
    // Counter-clockwise triangles hold their inside points at a positive determinant.
    return -determinant > 1e-9L * permanent;
}

std::string triangleName(size_t t, const Corners& corners)
{
    return "triangle " + std::to_string(t + 1) + " (" + std::to_string(corners[0]) + ", " + std::to_string(corners[1]) +
           ", " + std::to_string(corners[2]) + ")";
}

} // namespace

TriangulationReport CheckTriangulation(std::span<const TriVertex> points, std::span<const TriangleRec> triangles)
{
    TriangulationReport report;
    auto& problems = report.problems;
    const auto n = static_cast<std::int32_t>(points.size());
    const auto point = [&points](std::int32_t k) -> const TriVertex& { return points[static_cast<size_t>(k)]; };

    std::vector<Corners> corners;
    corners.reserve(triangles.size());
    for (size_t t = 0; t < triangles.size(); ++t) {
        const Corners c{triangles[t].CornerA.value, triangles[t].CornerB.value, triangles[t].CornerC.value};
        const bool inRange = c[0] >= 0 && c[0] < n && c[1] >= 0 && c[1] < n && c[2] >= 0 && c[2] < n;
        if (!inRange || c[0] == c[1] || c[1] == c[2] || c[2] == c[0]) {
            problems.push_back(triangleName(t, c) + " has a corner that is not one of the points, or a repeated one");
            continue;
        }
        if (!(turn(point(c[0]), point(c[1]), point(c[2])) < 0))
            problems.push_back(triangleName(t, c) + " does not turn clockwise");
        corners.push_back(c);
    }
    if (!problems.empty())
        return report;

    // Each directed edge and the triangle that has it.
    std::map<std::pair<std::int32_t, std::int32_t>, size_t> owner;
    for (size_t t = 0; t < corners.size(); ++t) {
        for (int e = 0; e < 3; ++e) {
            const auto edge = std::make_pair(corners[t][e], corners[t][(e + 1) % 3]);
            if (!owner.emplace(edge, t).second)
                problems.push_back("the edge " + std::to_string(edge.first) + " -> " + std::to_string(edge.second) +
                                   " occurs in two triangles: " + std::to_string(owner[edge] + 1) + " and " +
                                   std::to_string(t + 1));
        }
    }

    // Border edges: directed edges whose reverse no triangle has. They must chain into one ring.
    std::map<std::int32_t, std::int32_t> borderNext;
    for (const auto& [edge, t] : owner) {
        if (!owner.contains({edge.second, edge.first}) && !borderNext.emplace(edge.first, edge.second).second)
            problems.push_back("the border passes point " + std::to_string(edge.first) + " twice");
    }
    report.borderPoints = static_cast<int>(borderNext.size());
    if (!borderNext.empty()) {
        std::int32_t at = borderNext.begin()->first;
        size_t steps = 0;
        do {
            const auto next = borderNext.find(at);
            if (next == borderNext.end()) {
                problems.push_back("the border breaks off at point " + std::to_string(at));
                break;
            }
            at = next->second;
            ++steps;
        } while (at != borderNext.begin()->first && steps <= borderNext.size());
        if (steps != borderNext.size())
            problems.push_back("the border is not one ring through all " + std::to_string(borderNext.size()) +
                               " border points");
    }

    std::vector<bool> used(points.size(), false);
    for (const Corners& c : corners) {
        for (const std::int32_t k : c)
            used[static_cast<size_t>(k)] = true;
    }
    for (std::int32_t k = 0; k < n; ++k) {
        if (!used[static_cast<size_t>(k)])
            problems.push_back("point " + std::to_string(k) + " is no triangle's corner");
    }

    const long long expected = 2LL * n - 2 - report.borderPoints;
    if (static_cast<long long>(corners.size()) != expected)
        problems.push_back(std::to_string(corners.size()) + " triangles where " + std::to_string(n) + " points with " +
                           std::to_string(report.borderPoints) + " on the border give " + std::to_string(expected));

    for (size_t t = 0; t < corners.size(); ++t) {
        const Corners& c = corners[t];
        for (std::int32_t k = 0; k < n; ++k) {
            if (k != c[0] && k != c[1] && k != c[2] && strictlyInside(point(c[0]), point(c[1]), point(c[2]), point(k)))
                problems.push_back("point " + std::to_string(k) + " lies inside the circumcircle of " +
                                   triangleName(t, c));
        }
    }
    return report;
}

} // namespace tessaloc
