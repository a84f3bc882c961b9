#pragma once

#include "ui/widgets/ChartPoints.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QSize>

#include <cstdint>
#include <vector>

namespace tessaloc::ui {

/// How many points fall on each pixel of a plot area: `counts` row by row from the top, `size`
/// wide and high.
struct DensityCounts {
    QSize size;
    std::vector<std::uint32_t> counts;
};

/// Counts the points falling on each pixel of a plot area of `pixels` that shows x from
/// `values.left()` to `values.right()` (left to right) and y from `values.top()` to
/// `values.bottom()` (bottom to top; `values` is a rectangle of values, not of the screen). Points
/// outside those ranges, and points that are not finite, are not counted.
DensityCounts countPointsPerPixel(const ChartPoints& points, const QRectF& values, const QSize& pixels);

/// The picture of counted points drawn as symbols, shaded by how many overlap.
struct DensityPicture {
    QImage image;
    /// Where the image's top left corner lies relative to the plot area's (the symbols of points at
    /// the area's edges reach beyond it).
    QPoint offset;
    /// The largest number of symbols covering one pixel, 0 for no points.
    double maxOverlap = 0.0;
};

/// Draws each counted point as `symbol` (an odd-sized picture whose opacity, 0 to 1 a pixel, is how
/// much of the pixel the symbol covers, centred on its middle pixel) and colours every pixel by how
/// many symbols cover it: `colour` at densityOpacity of that overlap, so that a lone point shows
/// light and the densest places in full colour. The work grows with the pixels covered, not with
/// the number of points.
DensityPicture shadeDensity(const DensityCounts& counts, const QImage& symbol, const QColor& colour);

/// The opacity of a pixel covered by `overlap` symbols when the most covered pixel has `maxOverlap`:
/// the part of the pixel covered (at most 1) times a shade from 0.3 (one symbol) to 1 (the most),
/// rising with the logarithm of the overlap.
double densityOpacity(double overlap, double maxOverlap);

} // namespace tessaloc::ui
