#pragma once

namespace tessaloc {

/// The east-west and north-south extents of the sample area.
struct GeographicRanges {
    double RangeX = 0.0; ///< east-west extent
    double RangeY = 0.0; ///< north-south extent
};

/// The extents of the rectangle from (minX, minY) to (maxX, maxY), the smallest and largest
/// coordinates of the observations.
///
/// With `useLatLong` (X longitude, Y latitude, decimal degrees) the ranges are great-circle
/// kilometres: RangeX is the longer of the rectangle's southern and northern sides,
/// GreatCircleDistance(minX, minY, maxX, minY) and GreatCircleDistance(minX, maxY, maxX, maxY), and
/// RangeY the longer of its western and eastern sides, GreatCircleDistance(minX, minY, minX, maxY)
/// and GreatCircleDistance(maxX, minY, maxX, maxY); on a tie the first is taken. A side whose two
/// ends coincide is exactly 0. Otherwise RangeX = maxX - minX and RangeY = maxY - minY, in the unit
/// of the coordinates.
GeographicRanges ComputeGeographicRanges(double minX, double maxX, double minY, double maxY, bool useLatLong);

} // namespace tessaloc
