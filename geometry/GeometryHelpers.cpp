#include "geometry/GeometryHelpers.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "geometry/DistinctLocations.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tessaloc {
namespace {

double square(double value)
{
    return value * value;
}

double distanceBetween(double xa, double ya, double xb, double yb)
{
    return std::sqrt(square(xa - xb) + square(ya - yb));
}

// Visits the pairs i < k row by row, the order in which every sum of the regression runs.
template <typename Visit> void forEachPair(int size, Visit visit)
{
    for (int i = 0; i + 1 < size; ++i) {
        for (int k = i + 1; k < size; ++k)
            visit(i, k);
    }
}

struct HullPoint {
    double x;
    double y;
    friend bool operator==(const HullPoint&, const HullPoint&) = default;
};

} // namespace

void ResidualizeDistances(SquareMatrix& G, const SquareMatrix& D)
{
    if (G.size() != D.size())
        throw std::invalid_argument("ResidualizeDistances needs matrices of one size");
    const int size = G.size();
    const double pairs = static_cast<double>(size) * (size - 1) / 2;

    double sumD = 0.0;
    double sumG = 0.0;
    forEachPair(size, [&](int i, int k) {
        sumD += D(i, k);
        sumG += G(i, k);
    });
    const double meanD = requireFinite(sumD / pairs, "the mean geographic distance");
    const double meanG = requireFinite(sumG / pairs, "the mean genetic distance");

    double sxy = 0.0;
    double sxx = 0.0;
    forEachPair(size, [&](int i, int k) {
        const double centredD = D(i, k) - meanD;
        const double centredG = G(i, k) - meanG;
        sxy += centredD * centredG;
        sxx += centredD * centredD;
    });
    const double slope = requireFinite(sxy / sxx, "the slope of genetic on geographic distance");
    const double intercept = requireFinite(meanG - slope * meanD, "the intercept of genetic on geographic distance");

    SquareMatrix residuals(size);
    forEachPair(size, [&](int i, int k) {
        residuals.setPair(i, k, requireFinite(G(i, k) - (slope * D(i, k) + intercept), "a residual genetic distance"));
    });
    G = std::move(residuals);
}

double VertexAngle(double x1, double y1, double x2, double y2, double x3, double y3)
{
    const double c = distanceBetween(x1, y1, x3, y3);
    const double b = distanceBetween(x2, y2, x3, y3);
    const double a = distanceBetween(x1, y1, x2, y2);
    if (b == 0 || c == 0)
        return 180;
    const double numerator = c * c + b * b - a * a;
    const double denominator = 2 * c * b;
    double cosine = numerator / denominator;
    if (!(std::abs(std::abs(numerator) - std::abs(denominator)) > 1e-11))
        return cosine >= 0 ? 0 : 180;
    // Rounding can push a nearly straight angle's cosine just beyond 1 in size; the arc cosine's
    // limit there is what the formula gives on the bound.
    cosine = std::clamp(cosine, -1.0, 1.0);
    const double quarterTurn = 2 * std::atan(1.0);
    const double sine = std::sqrt(1 - cosine * cosine);
    const double arctangent = sine > 0 ? std::atan(-cosine / sine) : (cosine > 0 ? -quarterTurn : quarterTurn);
    return (arctangent + quarterTurn) * 180 / kProgramPi;
}

Polygon ConvexHull(std::span<const double> X, std::span<const double> Y)
{
    const DistinctLocations grouped = GroupDistinctLocations(X, Y);
    std::vector<HullPoint> locations;
    locations.reserve(grouped.locations.size());
    for (const SampleLocation& location : grouped.locations)
        locations.push_back({location.x, location.y});

    Polygon hull;
    const auto append = [&hull](const HullPoint& point) {
        hull.x.push_back(point.x);
        hull.y.push_back(point.y);
    };
    // However few the locations, the hull is walked and closed like any other: three locations
    // give their triangle with its closing side, two a line there and back, one a single corner
    // repeated, each of area PolygonArea as it should be.
    if (locations.empty())
        return hull;

    size_t start = 0;
    for (size_t j = 1; j < locations.size(); ++j) {
        if (locations[j].x < locations[start].x ||
            (locations[j].x == locations[start].x && locations[j].y > locations[start].y))
            start = j;
    }
    const HullPoint first = locations[start];
    // The reference point above (or, for a negative y, below) the start gives the first step its
    // direction. At y = 0 the doubled y would put it on the start itself, where every angle is 180
    // and the first location in the list would be taken whether or not it lies on the hull.
    HullPoint previous{first.x, first.y == 0 ? 1.0 : 2 * first.y};
    HullPoint current = first;
    append(first);
    for (size_t step = 0; step <= locations.size(); ++step) {
        double best = 0.0;
        const HullPoint* chosen = nullptr;
        for (const HullPoint& candidate : locations) {
            if (candidate == previous || candidate == current)
                continue;
            const double angle = VertexAngle(previous.x, previous.y, candidate.x, candidate.y, current.x, current.y);
            if (angle > best) {
                best = angle;
                chosen = &candidate;
            }
        }
        // No turn left to take: the remaining locations lie on the line just walked.
        if (chosen == nullptr)
            break;
        append(*chosen);
        if (*chosen == first)
            return hull;
        previous = current;
        current = *chosen;
    }
    append(first);
    return hull;
}

double PolygonArea(std::span<const double> X, std::span<const double> Y)
{
    if (X.size() != Y.size())
        throw std::invalid_argument("PolygonArea needs as many y values as x values");
    double sum = 0.0;
    for (size_t a = 0; a + 1 < X.size(); ++a)
        sum += X[a] * Y[a + 1] - X[a + 1] * Y[a];
    return std::abs(sum) / 2;
}

bool SegmentsIntersect(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                       RunListener& listener)
{
    // A vertical segment gets the slope of a run of 1e-7, so its intercept form stays usable.
    const double verticalRun = 1e-7;
    const bool vertical1 = !(x1 != x2);
    const bool vertical2 = !(x3 != x4);
    const double m1 = (y1 - y2) / (vertical1 ? verticalRun : x1 - x2);
    const double m2 = (y3 - y4) / (vertical2 ? verticalRun : x3 - x4);

    if (!vertical1 && !vertical2) {
        if (m1 == m2)
            return false;
        const double b1 = y1 - m1 * x1;
        const double b2 = y3 - m2 * x3;
        const double xi = (b2 - b1) / (m1 - m2);
        return MinOf(x1, x2) <= xi && xi <= MaxOf(x1, x2) && MinOf(x3, x4) <= xi && xi <= MaxOf(x3, x4);
    }
    if (vertical1 && vertical2) {
        listener.message(kOverlappingLinesMessage);
        return false;
    }
    if (vertical1) {
        if ((x3 < x1 && x4 < x1) || (x3 > x1 && x4 > x1))
            return false;
        const double b2 = y3 - m2 * x3;
        const double yi = m2 * x1 + b2;
        return MinOf(y1, y2) < yi && yi < MaxOf(y1, y2);
    }
    if ((x1 < x3 && x2 < x3) || (x1 > x3 && x2 > x3))
        return false;
    const double b1 = y1 - m1 * x1;
    const double yi = m1 * x3 + b1;
    return MinOf(y3, y4) < yi && yi < MaxOf(y3, y4);
}

} // namespace tessaloc
