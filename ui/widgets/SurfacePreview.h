#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <vector>

namespace tessaloc::ui {

/// A resistance surface drawn as a map, low resistances pale and high ones dark red, impassable cells
/// dark grey, with a colour bar from the smallest to the largest resistance beside it. A large
/// surface is shown at most kLongestSide pixels along its longer side, each pixel the cell under its
/// centre.
class SurfacePreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLongestSide = 400;

    explicit SurfacePreview(QWidget* parent = nullptr);

    /// Shows `cells` (columns x rows, row by row from the top, NaN impassable) on a scale from
    /// `minimum` to `maximum`.
    void showSurface(int columns, int rows, const std::vector<double>& cells, double minimum, double maximum);
    /// Shows nothing again.
    void clear();

    bool hasSurface() const { return !m_image.isNull(); }
    /// The picture of the cells, without the colour bar.
    const QImage& image() const { return m_image; }
    /// The texts at the ends of the colour bar.
    const QString& minimumText() const { return m_minimumText; }
    const QString& maximumText() const { return m_maximumText; }

    /// The colour of a resistance at `share` (0 to 1) of the way from the smallest to the largest.
    static QRgb colourAt(double share);
    static constexpr QRgb kImpassableColour = 0xff404040;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    QString m_minimumText;
    QString m_maximumText;
};

} // namespace tessaloc::ui
