#include "tests/support/LiteralLandscape.h"

#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/GeographicDistances.h"
#include "core/NearMaximum.h"
#include "core/NumberText.h"
#include "geometry/Delaunay.h"
#include "geometry/Extents.h"
#include "geometry/GeometryHelpers.h"
#include "tests/support/TStringList.h"

#include <cmath>
#include <random>
#include <string>

namespace tessaloc::reference {
namespace {

double parsed(const std::string& text)
{
    return *parseDecimal(text);
}

void literalLog(std::vector<LandscapeEdge>& edges, bool alwaysShift)
{
    double minPos = kNearMaximum14Digits;
    bool zeroSeen = false;
    for (const LandscapeEdge& edge : edges) {
        if (edge.Height > 0 && edge.Height <= minPos)
            minPos = edge.Height;
        if (edge.Height == 0)
            zeroSeen = true;
    }
    for (LandscapeEdge& edge : edges) {
        const double v = (alwaysShift || zeroSeen) ? edge.Height + minPos : edge.Height;
        if (!(v > 0) || !std::isfinite(v))
            throw AnalysisError("log of a value that is not above 0");
        edge.Height = std::log(v) / std::log(10.0);
    }
}

} // namespace

std::vector<LandscapeEdge> literalDelaunayNetwork(std::span<const double> x, std::span<const double> y,
                                                  const SquareMatrix& G, LandscapeHeightMode heightMode,
                                                  bool logHeights, bool useLatLong, RunListener& listener)
{
    const int N = static_cast<int>(x.size());
    // 1. Distinct locations: a location is known when one position holds both texts.
    TStringList xList;
    TStringList yList;
    for (int i = 1; i <= N; ++i) {
        const std::string tx = plainText(x[i - 1]);
        const std::string ty = plainText(y[i - 1]);
        bool known = false;
        for (int p = 1; p <= xList.count(); ++p) {
            if (xList.returnstring(p) == tx && yList.returnstring(p) == ty)
                known = true;
        }
        if (!known) {
            xList.add(tx);
            yList.add(ty);
        }
    }
    const int U = xList.count();

    // 2. Members, by the values parsed back from the texts.
    std::vector<TStringList> members(static_cast<size_t>(U + 1));
    for (int j = 1; j <= N; ++j) {
        for (int p = 1; p <= U; ++p) {
            if (parsed(xList.returnstring(p)) == x[j - 1] && parsed(yList.returnstring(p)) == y[j - 1])
                members[static_cast<size_t>(p)].add(std::to_string(j));
        }
    }

    // 3. The triangulation over all locations.
    std::vector<TriVertex> vertices;
    for (int p = 1; p <= U; ++p)
        vertices.push_back({parsed(xList.returnstring(p)), parsed(yList.returnstring(p)), 0.0});
    Triangulation triangulation;
    if (U > 2)
        triangulation = TriangulatePoints(vertices, listener);

    // 4, 5. Candidate lines.
    std::vector<LandscapeEdge> candidates;
    for (const TriangleRec& t : triangulation.TriangleTable) {
        const VertexIndex corners[3][2] = {{t.CornerA, t.CornerB}, {t.CornerA, t.CornerC}, {t.CornerB, t.CornerC}};
        for (const auto& side : corners) {
            LandscapeEdge line;
            line.X1 = vertices[side[0].at()].x;
            line.Y1 = vertices[side[0].at()].y;
            line.X2 = vertices[side[1].at()].x;
            line.Y2 = vertices[side[1].at()].y;
            candidates.push_back(line);
        }
    }
    for (LandscapeEdge& line : candidates) {
        line.Length =
            useLatLong
                ? GreatCircleDistance(line.X1, line.Y1, line.X2, line.Y2)
                : std::sqrt((line.X1 - line.X2) * (line.X1 - line.X2) + (line.Y1 - line.Y2) * (line.Y1 - line.Y2));
        line.MidX = Midpoint(line.X1, line.X2);
        line.MidY = Midpoint(line.Y1, line.Y2);
        line.Height = 0;
    }
    if (candidates.empty())
        throw AnalysisError("no candidate line");

    // 6. Distinct lines.
    std::vector<LandscapeEdge> edges{candidates[0]};
    for (size_t c = 1; c < candidates.size(); ++c) {
        bool same = false;
        for (const LandscapeEdge& listed : edges) {
            if (SameEdge(candidates[c], listed))
                same = true;
        }
        if (!same)
            edges.push_back(candidates[c]);
    }

    // 7. Heights, the end points' locations found again by their texts.
    for (LandscapeEdge& edge : edges) {
        int p1 = 0;
        int p2 = 0;
        for (int p = U; p >= 1; --p) {
            if (xList.returnstring(p) == plainText(edge.X1) && yList.returnstring(p) == plainText(edge.Y1))
                p1 = p;
            if (xList.returnstring(p) == plainText(edge.X2) && yList.returnstring(p) == plainText(edge.Y2))
                p2 = p;
        }
        if (p1 == p2)
            listener.message("problem reconciliation");
        const TStringList& a = members[static_cast<size_t>(p1)];
        const TStringList& b = members[static_cast<size_t>(p2)];
        double sum = 0;
        for (int m1 = 1; m1 <= a.count(); ++m1) {
            for (int m2 = 1; m2 <= b.count(); ++m2)
                sum += G(std::stoi(a.returnstring(m1)) - 1, std::stoi(b.returnstring(m2)) - 1);
        }
        edge.Height = sum / (a.count() * b.count());
        if (heightMode == LandscapeHeightMode::Pseudoslope)
            edge.Height = edge.Height / edge.Length;
        if (!std::isfinite(edge.Height))
            throw AnalysisError("undefined height");
    }
    if (logHeights)
        literalLog(edges, false);
    return edges;
}

std::vector<LandscapeEdge> literalPairwiseNetwork(std::span<const double> x, std::span<const double> y,
                                                  const SquareMatrix& G, const SquareMatrix& D,
                                                  LandscapeHeightMode heightMode, bool logHeights)
{
    const int N = static_cast<int>(x.size());
    std::vector<LandscapeEdge> candidates;
    for (int j = 1; j <= N - 1; ++j) {
        for (int i = j + 1; i <= N; ++i) {
            LandscapeEdge line;
            line.X1 = x[j - 1];
            line.Y1 = y[j - 1];
            line.X2 = x[i - 1];
            line.Y2 = y[i - 1];
            line.Length = D(j - 1, i - 1);
            line.Height = G(j - 1, i - 1);
            line.MidX = Midpoint(x[j - 1], x[i - 1]);
            line.MidY = Midpoint(y[j - 1], y[i - 1]);
            candidates.push_back(line);
        }
    }
    std::vector<LandscapeEdge> listed;
    std::vector<long long> counts;
    for (const LandscapeEdge& candidate : candidates) {
        if (candidate.Length == 0)
            continue;
        size_t found = listed.size();
        for (size_t k = 0; k < listed.size(); ++k) {
            if (SameEdge(candidate, listed[k])) {
                found = k;
                break;
            }
        }
        if (found < listed.size()) {
            listed[found].Height = listed[found].Height + candidate.Height;
            counts[found] = counts[found] + 1;
        } else {
            listed.push_back(candidate);
            counts.push_back(1);
        }
    }
    for (size_t k = 0; k < listed.size(); ++k) {
        listed[k].Height = listed[k].Height / static_cast<double>(counts[k]);
        if (heightMode == LandscapeHeightMode::Pseudoslope)
            listed[k].Height = listed[k].Height / listed[k].Length;
    }
    if (logHeights)
        literalLog(listed, true);
    return listed;
}

InterpolationGrid literalInterpolation(const LandscapeResult& shape, std::int32_t xBinCount, std::int32_t yBinCount,
                                       double distanceWeight, RunListener& listener)
{
    if (xBinCount < 1 || xBinCount > 500)
        throw DataProblem(std::string(kInvalidXBinsMessage));
    if (yBinCount < 1 || yBinCount > 500)
        throw DataProblem(std::string(kInvalidYBinsMessage));
    const DataExtents& d = shape.data;
    const double dx = (d.DataMaxX - d.DataMinX) / xBinCount;
    const double dy = (d.DataMaxY - d.DataMinY) / yBinCount;
    InterpolationGrid grid;
    grid.XBinCount = xBinCount;
    grid.YBinCount = yBinCount;
    grid.DistanceWeight = distanceWeight;
    const size_t nodes = static_cast<size_t>(xBinCount) * static_cast<size_t>(yBinCount);
    grid.GridX.assign(nodes, 0);
    grid.GridY.assign(nodes, 0);
    grid.GridHeight.assign(nodes, 0);
    grid.GridInside.assign(nodes, 0);

    const Polygon hull = ConvexHull(shape.SampleX, shape.SampleY);
    const int M = hull.size();
    for (int i = 1; i <= xBinCount; ++i) {
        for (int j = 1; j <= yBinCount; ++j) {
            const size_t n = grid.at(i, j);
            grid.GridX[n] = (i - 1) * dx + (d.DataMinX + 1e-7);
            grid.GridY[n] = (j - 1) * dy + (d.DataMinY + 1e-7);
            std::int32_t crossings = 0;
            for (int k = 1; k <= M - 1; ++k) {
                if (SegmentsIntersect(hull.x[k - 1], hull.y[k - 1], hull.x[k], hull.y[k], grid.GridX[n], grid.GridY[n],
                                      d.DataMaxX + 100, grid.GridY[n], listener))
                    crossings = crossings + 1;
            }
            grid.GridInside[n] = !IsEven(crossings);
        }
    }
    for (int i = 1; i <= xBinCount; ++i) {
        for (int j = 1; j <= yBinCount; ++j) {
            const size_t n = grid.at(i, j);
            const double gx = (i - 1) * dx + (d.DataMinX + 1e-7);
            const double gy = (j - 1) * dy + (d.DataMinY + 1e-7);
            double num = grid.GridHeight[n];
            double den = 0;
            double coincidentSum = 0;
            long long coincident = 0;
            for (const LandscapeEdge& edge : shape.LandscapeEdges) {
                const double d2 = (edge.MidX - gx) * (edge.MidX - gx) + (edge.MidY - gy) * (edge.MidY - gy);
                if (d2 != 0) {
                    const double w = std::pow(d2, -distanceWeight / 2);
                    den = den + w;
                    num = num + w * edge.Height;
                } else {
                    coincidentSum = coincidentSum + edge.Height;
                    coincident = coincident + 1;
                }
            }
            if (coincident > 0) {
                grid.GridHeight[n] = coincidentSum / static_cast<double>(coincident);
            } else {
                if (den == 0 || !std::isfinite(den))
                    throw DataProblem(std::string(kInterpolationFailedMessage));
                grid.GridHeight[n] = num / den;
            }
            if (!std::isfinite(grid.GridHeight[n]))
                throw DataProblem(std::string(kInterpolationFailedMessage));
        }
    }
    return grid;
}

LandscapeResult randomEdgeShape(std::uint32_t seed, int samples, int edges, double side)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> place(0.0, side);
    std::uniform_real_distribution<double> height(0.0, 1.0);
    LandscapeResult shape;
    for (int k = 0; k < samples; ++k) {
        shape.SampleX.push_back(place(generator));
        shape.SampleY.push_back(place(generator));
    }
    shape.data = ComputeDataExtents(shape.SampleX, shape.SampleY);
    for (int e = 0; e < edges; ++e) {
        LandscapeEdge edge;
        edge.MidX = place(generator);
        edge.MidY = place(generator);
        edge.Height = height(generator);
        shape.LandscapeEdges.push_back(edge);
    }
    return shape;
}

} // namespace tessaloc::reference
