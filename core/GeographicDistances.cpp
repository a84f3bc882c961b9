#include "core/GeographicDistances.h"

#include "core/Errors.h"

#include <cmath>
#include <string>

namespace tessaloc {

double GreatCircleDistance(double x1, double y1, double x2, double y2)
{
    if (x1 == x2 && y1 == y2)
        return 0.0;
    x1 = x1 * kProgramPi / 180.0;
    y1 = y1 * kProgramPi / 180.0;
    x2 = x2 * kProgramPi / 180.0;
    y2 = y2 * kProgramPi / 180.0;
    const double t = std::cos(y1) * std::cos(x1) * std::cos(y2) * std::cos(x2)
                     + std::sin(x1) * std::cos(y1) * std::cos(y2) * std::sin(x2) + std::sin(y2) * std::sin(y1);
    // Rounding can carry t just past +-1 for points that are nearly the same or nearly antipodal;
    // the arc cosine below is undefined there, so the ends of the range are taken as they are.
    if (t >= 1.0)
        return 0.0;
    if (t <= -1.0)
        return kEarthRadiusKm * kProgramPi;
    const double angle = std::atan(-t / std::sqrt(-t * t + 1.0)) + 2.0 * std::atan(1.0);
    return kEarthRadiusKm * angle;
}

SquareMatrix BuildGeographicDistances(const SampleTable& table, bool useLatLong)
{
    const int n = table.sampleCount();
    std::vector<double> x(static_cast<size_t>(n));
    std::vector<double> y(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        x[k] = table.coordinateX(k);
        y[k] = table.coordinateY(k);
    }

    SquareMatrix distances(n);
    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            double d;
            if (useLatLong) {
                d = GreatCircleDistance(x[i], y[i], x[j], y[j]);
            } else {
                const double dx = std::abs(x[j] - x[i]);
                const double dy = std::abs(y[j] - y[i]);
                d = std::sqrt(dx * dx + dy * dy);
            }
            if (!std::isfinite(d))
                throw AnalysisError("the geographic distance between observations " + std::to_string(i + 1) + " and "
                                    + std::to_string(j + 1) + " overflows");
            distances.setPair(i, j, d);
        }
    }
    return distances;
}

} // namespace tessaloc
