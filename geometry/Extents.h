#pragma once

#include <span>

namespace tessaloc {

/// The smallest and largest coordinates of the observations.
struct DataExtents {
    double DataMinX = 0.0;
    double DataMaxX = 0.0;
    double DataMinY = 0.0;
    double DataMaxY = 0.0;
};

/// The map area drawn around the observations, in single precision.
struct MapExtents {
    float MapMinX = 0.0f;
    float MapMaxX = 0.0f;
    float MapMinY = 0.0f;
    float MapMaxY = 0.0f;
};

/// Running minima that start at 3.402823E+38 and running maxima that start at
/// -1.79769313486231E+308 (-kNearMaximum15Digits), over all entries; an equal value replaces the running one. With no
/// entries the start values remain; coordinates all above 3.402823E+38 leave that start value as the
/// minimum. Preconditions: x and y have one entry per observation.
DataExtents ComputeDataExtents(std::span<const double> x, std::span<const double> y);

/// The data extents rounded to single precision and widened by 5 %, in this order: the maxima by 5 %
/// of their range, then the minima by 5 % of the range to the widened maxima (5.25 % of the data
/// range). Each difference of two single values is single; 0.05 times it is formed in double and
/// each sum is stored rounded to single. Throws AnalysisError when a value does not fit in single
/// precision (an empty data set leaves -1.79769313486231E+308 as a maximum, which does not).
MapExtents WidenByFivePercent(const DataExtents& data);

/// The scale mark that the maps draw in their lower left corner: a vertical line from (x0, y0) to
/// (x0, y0 + length) and a horizontal line from (x0, y0) to (x0 + length, y0), in map coordinates.
struct ScaleMark {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float length = 0.0f;
};

/// The scale mark of a map: length 0.1 x (MapMaxY - MapMinY) when MapMaxY >= MapMaxX, otherwise
/// 0.1 x (MapMaxX - MapMinX); corner 2.5 % of each range in from MapMinX and MapMinY. Differences are
/// single, products and sums formed in double and stored rounded to single.
ScaleMark MapScaleMark(const MapExtents& map);

} // namespace tessaloc
