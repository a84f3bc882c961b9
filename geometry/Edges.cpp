#include "geometry/Edges.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "core/NumberText.h"

#include <cmath>

namespace tessaloc {

double EdgeLength(double x1, double y1, double x2, double y2, bool useLatLong)
{
    if (useLatLong)
        return GreatCircleDistance(x1, y1, x2, y2);
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    return requireFinite(std::sqrt(dx * dx + dy * dy), "the length of an edge");
}

double MeanMemberDistance(const SampleLocation& first, const SampleLocation& second, const SquareMatrix& G)
{
    double sum = 0.0;
    for (const ObservationIndex p : first.members) {
        const double* row = G.row(p.value);
        for (const ObservationIndex q : second.members)
            sum += row[q.at()];
    }
    return sum / (static_cast<double>(first.members.size()) * static_cast<double>(second.members.size()));
}

double Pseudoslope(double value, double length)
{
    const double slope = value / length;
    // The message names the length, so it is put together only when it is needed.
    if (!std::isfinite(slope))
        requireFinite(slope, "the pseudoslope of an edge of length " + plainText(length));
    return slope;
}

double EdgeValue(const SampleLocation& first, const SampleLocation& second, const SquareMatrix& G, double length,
                 EdgeValueKind kind)
{
    const double mean = requireFinite(MeanMemberDistance(first, second, G), "the mean genetic distance of an edge");
    return kind == EdgeValueKind::Pseudoslope ? Pseudoslope(mean, length) : mean;
}

} // namespace tessaloc
