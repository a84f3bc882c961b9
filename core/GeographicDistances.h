#pragma once

#include "core/PackedDistances.h"
#include "core/SampleTable.h"

#include <vector>

namespace tessaloc {

/// The program's value of pi, used wherever angles are converted.
inline constexpr double kProgramPi = 3.14159265358979;
/// The Earth's radius in kilometres.
inline constexpr double kEarthRadiusKm = 6371.0;

/// The coordinates of the observations as numbers, in table order.
struct ObservationCoordinates {
    std::vector<double> x;
    std::vector<double> y;
};

/// X and Y of every observation as numbers. Throws AnalysisError naming the first observation whose
/// coordinate is not a number, and with `useLatLong` DataProblem for the first that lies off the
/// globe (see requireOnGlobe): the checks every analysis makes of the coordinates.
ObservationCoordinates requireCoordinates(const SampleTable& table, bool useLatLong);

/// Pairwise geographic distances: great-circle kilometres when `useLatLong` (X longitude, Y latitude
/// in decimal degrees), otherwise planar distances in the unit of the coordinates. Symmetric with a
/// zero diagonal. Throws AnalysisError when a coordinate is not a number or a distance overflows, and
/// with `useLatLong` DataProblem for the first observation whose longitude lies outside -180..180 or
/// latitude outside -90..90 (see requireOnGlobe).
PackedDistances BuildGeographicDistances(const SampleTable& table, bool useLatLong);

/// Throws DataProblem naming observation `index` (0-based) when `longitude` lies outside -180..180
/// or `latitude` outside -90..90 decimal degrees: such a point is on no map, and a file whose
/// columns are swapped or whose coordinates are planar would otherwise give distances that look
/// plausible.
void requireOnGlobe(const SampleTable& table, int index, double longitude, double latitude);

/// Great-circle distance in kilometres between (longitude x1, latitude y1) and (x2, y2), all in
/// decimal degrees. Identical points give exactly 0. The cosine of the central angle is clamped to
/// [-1, 1], so very close distinct points give 0 and antipodal points 6371 x 3.14159265358979.
double GreatCircleDistance(double x1, double y1, double x2, double y2);

} // namespace tessaloc
