#include "core/GeographicRanges.h"

#include "core/GeographicDistances.h"

namespace tessaloc {
namespace {

// The larger of two lengths; an equal second one does not replace the first.
double longer(double first, double second)
{
    return second > first ? second : first;
}

} // namespace

GeographicRanges ComputeGeographicRanges(double minX, double maxX, double minY, double maxY, bool useLatLong)
{
    GeographicRanges ranges;
    if (useLatLong) {
        // Parallels shrink towards the poles, so the rectangle's two east-west sides differ in length.
        ranges.RangeX =
            longer(GreatCircleDistance(minX, minY, maxX, minY), GreatCircleDistance(minX, maxY, maxX, maxY));
        ranges.RangeY =
            longer(GreatCircleDistance(minX, minY, minX, maxY), GreatCircleDistance(maxX, minY, maxX, maxY));
    } else {
        ranges.RangeX = maxX - minX;
        ranges.RangeY = maxY - minY;
    }
    return ranges;
}

} // namespace tessaloc
