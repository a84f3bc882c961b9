#include "ui/widgets/PointDensity.h"

#include <algorithm>
#include <cmath>

namespace tessaloc::ui {

DensityCounts countPointsPerPixel(const ChartPoints& points, const QRectF& values, const QSize& pixels)
{
    DensityCounts counted;
    counted.size = pixels;
    if (pixels.isEmpty())
        return counted;
    counted.counts.assign(static_cast<size_t>(pixels.width()) * static_cast<size_t>(pixels.height()), 0);
    const double spanX = values.right() - values.left();
    const double spanY = values.bottom() - values.top();
    if (!(spanX > 0.0) || !(spanY > 0.0))
        return counted;
    const double perX = pixels.width() / spanX;
    const double perY = pixels.height() / spanY;
    const double width = pixels.width();
    const double height = pixels.height();
    const double left = values.left();
    const double top = values.bottom();
    std::uint32_t* counts = counted.counts.data();
    const auto columns = static_cast<size_t>(pixels.width());
    points.forEach([&](qsizetype, const QPointF& p) {
        const double x = (p.x() - left) * perX;
        const double y = (top - p.y()) * perY;
        // Written so that NaN fails both tests; the last value of a range falls on the last pixel.
        if (!(x >= 0.0 && x <= width) || !(y >= 0.0 && y <= height))
            return;
        const auto column = static_cast<size_t>(std::min(x, width - 1.0));
        const auto row = static_cast<size_t>(std::min(y, height - 1.0));
        ++counts[row * columns + column];
    });
    return counted;
}

double densityOpacity(double overlap, double maxOverlap)
{
    if (!(overlap > 0.0))
        return 0.0;
    const double shade = maxOverlap > 1.0 ? 0.3 + 0.7 * std::log(std::max(1.0, overlap)) / std::log(maxOverlap) : 1.0;
    return std::min(1.0, overlap) * std::min(1.0, shade);
}

DensityPicture shadeDensity(const DensityCounts& counts, const QImage& symbol, const QColor& colour)
{
    DensityPicture picture;
    if (counts.size.isEmpty() || symbol.isNull())
        return picture;
    // The symbol's footprint: offsets from its middle pixel and how much of each pixel it covers.
    struct Cover {
        int dx;
        int dy;
        float weight;
    };
    std::vector<Cover> footprint;
    const QImage alpha = symbol.convertToFormat(QImage::Format_ARGB32);
    const int middleX = alpha.width() / 2;
    const int middleY = alpha.height() / 2;
    for (int y = 0; y < alpha.height(); ++y)
        for (int x = 0; x < alpha.width(); ++x)
            if (const int a = qAlpha(alpha.pixel(x, y)); a > 0)
                footprint.push_back({x - middleX, y - middleY, static_cast<float>(a) / 255.0f});

    // Symbols of points at the edges reach beyond the area by up to half a symbol.
    const int marginX = middleX;
    const int marginY = middleY;
    const int width = counts.size.width() + 2 * marginX;
    const int height = counts.size.height() + 2 * marginY;
    std::vector<float> overlap(static_cast<size_t>(width) * static_cast<size_t>(height), 0.0f);
    for (int row = 0; row < counts.size.height(); ++row) {
        const std::uint32_t* line = counts.counts.data() + static_cast<size_t>(row) * counts.size.width();
        for (int column = 0; column < counts.size.width(); ++column) {
            if (line[column] == 0)
                continue;
            const auto n = static_cast<float>(line[column]);
            float* centre = overlap.data() + static_cast<size_t>(row + marginY) * width + (column + marginX);
            for (const Cover& cover : footprint)
                centre[static_cast<ptrdiff_t>(cover.dy) * width + cover.dx] += n * cover.weight;
        }
    }
    const float most = overlap.empty() ? 0.0f : *std::max_element(overlap.begin(), overlap.end());
    picture.maxOverlap = most;
    picture.offset = QPoint(-marginX, -marginY);
    picture.image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.image.fill(Qt::transparent);
    // One premultiplied colour per opacity step, so that each pixel costs a look-up.
    QRgb shades[256];
    for (int a = 0; a < 256; ++a)
        shades[a] = qRgba(colour.red() * a / 255, colour.green() * a / 255, colour.blue() * a / 255, a);
    for (int y = 0; y < height; ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(picture.image.scanLine(y));
        const float* row = overlap.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            if (row[x] > 0.0f)
                pixels[x] =
                    shades[std::clamp(static_cast<int>(std::lround(densityOpacity(row[x], most) * 255.0)), 0, 255)];
    }
    return picture;
}

} // namespace tessaloc::ui
