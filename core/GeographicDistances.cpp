#include "core/GeographicDistances.h"

#include "core/Errors.h"

#include <cmath>
#include <string>

namespace tessaloc {

namespace {

// One point's angles in radians and their sines and cosines. The distance below multiplies these in
// the same order as the formula does, so a matrix built from prepared points equals
// GreatCircleDistance bit for bit while each sine and cosine is taken once per point.
struct PreparedPoint {
    double x, y;
    double cosX, sinX, cosY, sinY;

    PreparedPoint(double longitude, double latitude)
        : x(longitude)
        , y(latitude)
    {
        const double xRadians = longitude * kProgramPi / 180.0;
        const double yRadians = latitude * kProgramPi / 180.0;
        cosX = std::cos(xRadians);
        sinX = std::sin(xRadians);
        cosY = std::cos(yRadians);
        sinY = std::sin(yRadians);
    }
};

double greatCircle(const PreparedPoint& p1, const PreparedPoint& p2)
{
    if (p1.x == p2.x && p1.y == p2.y)
        return 0.0;
    const double t = p1.cosY * p1.cosX * p2.cosY * p2.cosX + p1.sinX * p1.cosY * p2.cosY * p2.sinX + p2.sinY * p1.sinY;
    // Rounding can carry t just past +-1 for points that are nearly the same or nearly antipodal;
    // the arc cosine below is undefined there, so the ends of the range are taken as they are.
    if (t >= 1.0)
        return 0.0;
    if (t <= -1.0)
        return kEarthRadiusKm * kProgramPi;
    const double angle = std::atan(-t / std::sqrt(-t * t + 1.0)) + 2.0 * std::atan(1.0);
    return kEarthRadiusKm * angle;
}

} // namespace

double GreatCircleDistance(double x1, double y1, double x2, double y2)
{
    return greatCircle(PreparedPoint(x1, y1), PreparedPoint(x2, y2));
}

void requireOnGlobe(const SampleTable& table, int index, double longitude, double latitude)
{
    const bool longitudeOff = !(longitude >= -180.0 && longitude <= 180.0);
    const bool latitudeOff = !(latitude >= -90.0 && latitude <= 90.0);
    if (!longitudeOff && !latitudeOff)
        return;
    const std::string& text = longitudeOff ? table.xTexts[index] : table.yTexts[index];
    throw DataProblem(std::string("The ") + (longitudeOff ? "longitude (X)" : "latitude (Y)") + " of observation " +
                          std::to_string(index + 1) + " (" + quotedField(table.names[index]) + "), " +
                          quotedField(text) + ", lies outside " + (longitudeOff ? "-180 to 180" : "-90 to 90") +
                          " decimal degrees.",
                      "With latitude/longitude data X is the longitude and Y the latitude, in decimal degrees.");
}

ObservationCoordinates requireCoordinates(const SampleTable& table, bool useLatLong)
{
    const int n = table.sampleCount();
    ObservationCoordinates coordinates;
    coordinates.x.resize(static_cast<size_t>(n));
    coordinates.y.resize(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        coordinates.x[k] = table.coordinateX(k);
        coordinates.y[k] = table.coordinateY(k);
        if (useLatLong)
            requireOnGlobe(table, k, coordinates.x[k], coordinates.y[k]);
    }
    return coordinates;
}

PackedDistances BuildGeographicDistances(const SampleTable& table, bool useLatLong)
{
    const int n = table.sampleCount();
    const ObservationCoordinates coordinates = requireCoordinates(table, useLatLong);
    const std::vector<double>& x = coordinates.x;
    const std::vector<double>& y = coordinates.y;

    std::vector<PreparedPoint> prepared;
    if (useLatLong) {
        prepared.reserve(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k)
            prepared.emplace_back(x[k], y[k]);
    }

    PackedDistances distances(n);
    double* pair = distances.values().data();
    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            double d;
            if (useLatLong) {
                d = greatCircle(prepared[i], prepared[j]);
            } else {
                const double dx = std::abs(x[j] - x[i]);
                const double dy = std::abs(y[j] - y[i]);
                d = std::sqrt(dx * dx + dy * dy);
            }
            if (!std::isfinite(d))
                throw AnalysisError("the geographic distance between observations " + std::to_string(i + 1) + " and " +
                                    std::to_string(j + 1) + " overflows");
            *pair++ = d;
        }
    }
    return distances;
}

} // namespace tessaloc
