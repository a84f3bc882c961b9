#include "analyses/landscape/GridInterpolation.h"

#include "analyses/landscape/InverseSquareRoot.h"

#include "core/Errors.h"
#include "core/ParallelRows.h"
#include "geometry/GeometryHelpers.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tessaloc {
namespace {

// The nodes sit 1e-7 beyond the bins' lower-left corners, which makes a node on a midpoint or a
// hull corner rare.
constexpr double kNudge = 1e-7;
// Nodes handed to a thread at a time; between rounds of such groups the run reports progress and
// checks for cancellation.
constexpr int kNodesPerGroup = 64;
constexpr int kGroupsPerRound = 64;

// The edges' midpoints and heights side by side: three streams the node loop reads in order.
struct EdgeColumns {
    std::vector<double> midX;
    std::vector<double> midY;
    std::vector<double> height;
};

EdgeColumns edgeColumns(const std::vector<LandscapeEdge>& edges)
{
    EdgeColumns columns;
    columns.midX.reserve(edges.size());
    columns.midY.reserve(edges.size());
    columns.height.reserve(edges.size());
    for (const LandscapeEdge& edge : edges) {
        columns.midX.push_back(edge.MidX);
        columns.midY.push_back(edge.MidY);
        columns.height.push_back(edge.Height);
    }
    return columns;
}

// The inverse-distance-weighted height of the node at (x, y), or false when it is undefined. The
// sums run over the edges in order, as a plain loop would add them. At the default weight p = 1 the
// weights come from inverseDistanceSums, equal to pow's bit for bit at a fraction of its cost; any
// other p takes the library's pow, one call per edge, which no vector form reproduces to the last
// bit. The rest of the speed comes from spreading the nodes over the cores. Nothing is allocated
// here, so the threads that run it cannot fail.
bool nodeHeight(const EdgeColumns& edges, double x, double y, double distanceWeight, double exponent, double& height)
{
    const size_t count = edges.midX.size();
    InverseDistanceSums sums;
    if (distanceWeight == 1.0) {
        sums = inverseDistanceSums(edges.midX.data(), edges.midY.data(), edges.height.data(), count, x, y);
    } else {
        for (size_t e = 0; e < count; ++e) {
            const double dx = edges.midX[e] - x;
            const double dy = edges.midY[e] - y;
            const double squared = dx * dx + dy * dy;
            // A midpoint at distance 0 has an unbounded weight: it counts apart.
            if (squared == 0.0) {
                sums.coincidentSum += edges.height[e];
                ++sums.coincident;
                continue;
            }
            const double weight = std::pow(squared, exponent);
            sums.denominator += weight;
            sums.numerator += weight * edges.height[e];
        }
    }
    // A node on one or more midpoints takes the mean of their heights.
    if (sums.coincident > 0) {
        height = sums.coincidentSum / static_cast<double>(sums.coincident);
        return std::isfinite(height);
    }
    height = sums.numerator / sums.denominator;
    return sums.denominator > 0.0 && std::isfinite(sums.denominator) && std::isfinite(height);
}

} // namespace

InterpolationGrid InterpolateLandscape(const LandscapeResult& shape, std::int32_t xBinCount, std::int32_t yBinCount,
                                       double distanceWeight, RunListener& listener)
{
    listener.status("Interpolating");
    if (xBinCount < 1 || xBinCount > kMaxBinCount)
        throw DataProblem(std::string(kInvalidXBinsMessage));
    if (yBinCount < 1 || yBinCount > kMaxBinCount)
        throw DataProblem(std::string(kInvalidYBinsMessage));

    const DataExtents& data = shape.data;
    const double dx = (data.DataMaxX - data.DataMinX) / xBinCount;
    const double dy = (data.DataMaxY - data.DataMinY) / yBinCount;
    std::vector<double> nodeX(static_cast<size_t>(xBinCount));
    std::vector<double> nodeY(static_cast<size_t>(yBinCount));
    for (int i = 1; i <= xBinCount; ++i)
        nodeX[static_cast<size_t>(i - 1)] = (i - 1) * dx + (data.DataMinX + kNudge);
    for (int j = 1; j <= yBinCount; ++j)
        nodeY[static_cast<size_t>(j - 1)] = (j - 1) * dy + (data.DataMinY + kNudge);

    InterpolationGrid grid;
    grid.XBinCount = xBinCount;
    grid.YBinCount = yBinCount;
    grid.DistanceWeight = distanceWeight;
    grid.dx = dx;
    grid.dy = dy;
    const size_t nodes = static_cast<size_t>(xBinCount) * static_cast<size_t>(yBinCount);
    grid.GridX.resize(nodes);
    grid.GridY.resize(nodes);
    grid.GridHeight.resize(nodes);
    grid.GridInside.resize(nodes);

    // A node is inside the hull when a horizontal ray from it crosses an odd number of hull sides.
    // This runs on the calling thread: SegmentsIntersect may have a message for the listener.
    const Polygon hull = ConvexHull(shape.SampleX, shape.SampleY);
    const double rayEnd = data.DataMaxX + 100;
    for (int i = 1; i <= xBinCount; ++i) {
        for (int j = 1; j <= yBinCount; ++j) {
            const size_t node = grid.at(i, j);
            const double x = nodeX[static_cast<size_t>(i - 1)];
            const double y = nodeY[static_cast<size_t>(j - 1)];
            grid.GridX[node] = x;
            grid.GridY[node] = y;
            std::int32_t crossings = 0;
            for (int k = 0; k + 1 < hull.size(); ++k) {
                if (SegmentsIntersect(hull.x[k], hull.y[k], hull.x[k + 1], hull.y[k + 1], x, y, rayEnd, y, listener))
                    ++crossings;
            }
            grid.GridInside[node] = IsEven(crossings) ? 0 : 1;
        }
    }

    // Every node weighs every edge: the nodes are spread over the cores in groups; each node's sums
    // are its own, so the heights do not depend on the number of threads.
    const EdgeColumns edges = edgeColumns(shape.LandscapeEdges);
    const double exponent = -distanceWeight / 2;
    std::vector<std::uint8_t> defined(nodes, 0);
    const long long groups = (static_cast<long long>(nodes) + kNodesPerGroup - 1) / kNodesPerGroup;
    for (long long first = 0; first < groups; first += kGroupsPerRound) {
        listener.throwIfCancelled();
        listener.progress(first * kNodesPerGroup, static_cast<long long>(nodes));
        const int round = static_cast<int>(std::min<long long>(kGroupsPerRound, groups - first));
        forEachRowInParallel(
            round,
            [&](int offset) {
                const size_t begin = static_cast<size_t>(first + offset) * kNodesPerGroup;
                const size_t end = std::min(nodes, begin + kNodesPerGroup);
                for (size_t node = begin; node < end; ++node) {
                    double height = 0.0;
                    defined[node] =
                        nodeHeight(edges, grid.GridX[node], grid.GridY[node], distanceWeight, exponent, height) ? 1 : 0;
                    grid.GridHeight[node] = height;
                }
            },
            1);
    }
    listener.progress(static_cast<long long>(nodes), static_cast<long long>(nodes));
    if (std::find(defined.begin(), defined.end(), 0) != defined.end())
        throw DataProblem(std::string(kInterpolationFailedMessage));
    return grid;
}

SurfaceLayout LandscapeSurfaceLayout(const LandscapeResult& shape, const InterpolationGrid& grid)
{
    const double rangeX = shape.ranges.RangeX;
    const double rangeY = shape.ranges.RangeY;
    SurfaceLayout layout;
    layout.swapped = !(rangeX >= rangeY);
    const double longer = layout.swapped ? rangeY : rangeX;
    const double shorter = layout.swapped ? rangeX : rangeY;
    layout.depthPercent = longer > 0.0 ? static_cast<int>(std::floor(shorter / longer * 100)) : 100;
    layout.across = layout.swapped ? grid.YBinCount : grid.XBinCount;
    layout.deep = layout.swapped ? grid.XBinCount : grid.YBinCount;
    layout.bottomTitle = layout.swapped ? "Y (Western edge)" : "X (Southern edge)";
    layout.depthTitle = layout.swapped ? "X (Southern edge)" : "Y (Eastern edge)";
    layout.points.reserve(grid.GridHeight.size());
    for (int outer = 1; outer <= layout.across; ++outer) {
        for (int inner = 1; inner <= layout.deep; ++inner) {
            const int i = layout.swapped ? inner : outer;
            const int j = layout.swapped ? outer : inner;
            const size_t node = grid.at(i, j);
            layout.points.push_back({outer, grid.GridHeight[node], inner, grid.GridInside[node] != 0});
        }
    }
    return layout;
}

} // namespace tessaloc
