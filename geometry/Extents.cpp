#include "geometry/Extents.h"

#include "core/Errors.h"
#include "core/NearMaximum.h"
#include "core/NumberText.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace tessaloc {
namespace {

constexpr double kMinimumStart = 3.402823E+38;
constexpr double kMaximumStart = -kNearMaximum15Digits;

// Storing a value beyond the single range overflowed.
float toSingle(double value, const char* what)
{
    if (!(std::abs(value) <= static_cast<double>(std::numeric_limits<float>::max())))
        throw AnalysisError(std::string(what) + " " + plainText(value) + " does not fit in single precision");
    return static_cast<float>(value);
}

// `moving` (the maximum, or the minimum) moves out by 5 % of the range between maximum and minimum.
float widened(float moving, float maximum, float minimum, double direction, const char* axis)
{
    const float range = maximum - minimum;
    if (!std::isfinite(range))
        throw AnalysisError(std::string("the ") + axis + " range of the map does not fit in single precision");
    const std::string what = std::string("the widened ") + axis + " extent";
    return toSingle(static_cast<double>(moving) + direction * 0.05 * static_cast<double>(range), what.c_str());
}

} // namespace

DataExtents ComputeDataExtents(std::span<const double> x, std::span<const double> y)
{
    if (x.size() != y.size())
        throw std::invalid_argument("ComputeDataExtents needs as many y values as x values");
    DataExtents extents{kMinimumStart, kMaximumStart, kMinimumStart, kMaximumStart};
    for (size_t i = 0; i < x.size(); ++i) {
        if (x[i] >= extents.DataMaxX)
            extents.DataMaxX = x[i];
        if (x[i] <= extents.DataMinX)
            extents.DataMinX = x[i];
        if (y[i] >= extents.DataMaxY)
            extents.DataMaxY = y[i];
        if (y[i] <= extents.DataMinY)
            extents.DataMinY = y[i];
    }
    return extents;
}

ScaleMark MapScaleMark(const MapExtents& map)
{
    const float rangeX = map.MapMaxX - map.MapMinX;
    const float rangeY = map.MapMaxY - map.MapMinY;
    ScaleMark mark;
    mark.length = static_cast<float>(0.1 * (map.MapMaxY >= map.MapMaxX ? rangeY : rangeX));
    mark.x0 = static_cast<float>(map.MapMinX + 0.025 * rangeX);
    mark.y0 = static_cast<float>(map.MapMinY + 0.025 * rangeY);
    return mark;
}

MapExtents WidenByFivePercent(const DataExtents& data)
{
    MapExtents map;
    map.MapMinX = toSingle(data.DataMinX, "the smallest X");
    map.MapMaxX = toSingle(data.DataMaxX, "the largest X");
    map.MapMinY = toSingle(data.DataMinY, "the smallest Y");
    map.MapMaxY = toSingle(data.DataMaxY, "the largest Y");
    map.MapMaxX = widened(map.MapMaxX, map.MapMaxX, map.MapMinX, 1.0, "X");
    map.MapMaxY = widened(map.MapMaxY, map.MapMaxY, map.MapMinY, 1.0, "Y");
    map.MapMinX = widened(map.MapMinX, map.MapMaxX, map.MapMinX, -1.0, "X");
    map.MapMinY = widened(map.MapMinY, map.MapMaxY, map.MapMinY, -1.0, "Y");
    return map;
}

} // namespace tessaloc
