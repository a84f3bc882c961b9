#include "ui/widgets/SurfacePreview.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace tessaloc::ui {

namespace {

constexpr int kBarWidth = 16;
constexpr int kMargin = 8;

// A short form of a resistance for the ends of the bar: up to six significant digits, "." as the point.
QString shortNumber(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

SurfacePreview::SurfacePreview(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(240, 160);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QRgb SurfacePreview::colourAt(double share)
{
    // Pale yellow through orange to dark red, in equal steps.
    static constexpr std::array<QRgb, 5> stops = {0xffffffcc, 0xfffed976, 0xfffd8d3c, 0xffe31a1c, 0xff800026};
    const double position = std::clamp(share, 0.0, 1.0) * (stops.size() - 1);
    const auto lower = std::min(static_cast<size_t>(position), stops.size() - 2);
    const double along = position - static_cast<double>(lower);
    const auto blend = [along](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * along)); };
    const QRgb from = stops[lower];
    const QRgb to = stops[lower + 1];
    return qRgb(blend(qRed(from), qRed(to)), blend(qGreen(from), qGreen(to)), blend(qBlue(from), qBlue(to)));
}

void SurfacePreview::showSurface(int columns, int rows, const std::vector<double>& cells, double minimum,
                                 double maximum)
{
    if (columns < 1 || rows < 1 || cells.size() != static_cast<size_t>(columns) * static_cast<size_t>(rows)) {
        clear();
        return;
    }
    const double scale = std::min(1.0, static_cast<double>(kLongestSide) / std::max(columns, rows));
    const int width = std::max(1, static_cast<int>(std::lround(columns * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(rows * scale)));
    QImage image(width, height, QImage::Format_RGB32);
    const double range = maximum - minimum;
    for (int y = 0; y < height; ++y) {
        const auto row = std::min(rows - 1, static_cast<int>((y + 0.5) * rows / height));
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const auto column = std::min(columns - 1, static_cast<int>((x + 0.5) * columns / width));
            const double value = cells[static_cast<size_t>(row) * static_cast<size_t>(columns) + column];
            line[x] = std::isnan(value) ? kImpassableColour : colourAt(range > 0 ? (value - minimum) / range : 0.0);
        }
    }
    m_image = std::move(image);
    m_minimumText = shortNumber(minimum);
    m_maximumText = shortNumber(maximum);
    update();
}

void SurfacePreview::clear()
{
    m_image = QImage();
    m_minimumText.clear();
    m_maximumText.clear();
    update();
}

QSize SurfacePreview::sizeHint() const
{
    return {kLongestSide + 2 * kMargin + kBarWidth + 80, kLongestSide * 3 / 4};
}

void SurfacePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (m_image.isNull()) {
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No surface yet: add layers and press \"Preview\"."));
        return;
    }
    const int labelWidth = painter.fontMetrics().horizontalAdvance(QStringLiteral("impassable")) + kMargin;
    const QRect area = rect().adjusted(kMargin, kMargin, -(2 * kMargin + kBarWidth + labelWidth), -kMargin);
    if (area.width() < 1 || area.height() < 1)
        return;
    const QSize shown = m_image.size().scaled(area.size(), Qt::KeepAspectRatio);
    const QRect map(area.topLeft(), shown);
    painter.drawImage(map, m_image);

    // The colour bar: the largest resistance at the top, the smallest at the bottom, and the swatch
    // of impassable cells below it.
    const int lineHeight = painter.fontMetrics().height();
    const QRect bar(map.right() + kMargin, map.top(), kBarWidth, std::max(lineHeight, map.height() - 2 * lineHeight));
    for (int y = 0; y < bar.height(); ++y) {
        const double share = bar.height() > 1 ? 1.0 - static_cast<double>(y) / (bar.height() - 1) : 0.0;
        painter.setPen(QColor(colourAt(share)));
        painter.drawLine(bar.left(), bar.top() + y, bar.right(), bar.top() + y);
    }
    painter.setPen(palette().windowText().color());
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    const int textLeft = bar.right() + kMargin / 2;
    painter.drawText(QPoint(textLeft, bar.top() + painter.fontMetrics().ascent()), m_maximumText);
    painter.drawText(QPoint(textLeft, bar.bottom()), m_minimumText);
    const QRect swatch(bar.left(), bar.bottom() + lineHeight / 2, kBarWidth, lineHeight);
    painter.fillRect(swatch, QColor(kImpassableColour));
    painter.drawText(QPoint(textLeft, swatch.top() + painter.fontMetrics().ascent()), QStringLiteral("impassable"));
}

} // namespace tessaloc::ui
