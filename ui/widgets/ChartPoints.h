#pragma once

#include <QList>
#include <QPointF>
#include <QtGlobal>

#include "core/PackedDistances.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tessaloc::ui {

/// The points of a chart's series 0, read where they are kept: a list of points, or the pairs of two
/// distance matrices, so that a chart of millions of points holds no copy of them.
class ChartPoints {
public:
    virtual ~ChartPoints() = default;
    virtual qsizetype size() const = 0;
    /// Point `index`, 0 <= index < size().
    virtual QPointF at(qsizetype index) const = 0;
    /// Calls `visit(index, point)` for every point in index order. The default calls at(); a source
    /// that steps through its points faster than it finds one overrides it.
    virtual void forEach(const std::function<void(qsizetype, const QPointF&)>& visit) const;
};

/// Points held in a list.
class PointList final : public ChartPoints {
public:
    explicit PointList(QList<QPointF> points)
        : m_points(std::move(points))
    {
    }
    qsizetype size() const override { return m_points.size(); }
    QPointF at(qsizetype index) const override { return m_points[index]; }
    void forEach(const std::function<void(qsizetype, const QPointF&)>& visit) const override;

private:
    QList<QPointF> m_points;
};

/// The pairs i < j of two N x N distance matrices as points, x from one matrix and y from the other,
/// in the order (0, 1), (0, 2), ..., (0, N - 1), (1, 2), ..., which is the order the matrices keep
/// them in: a scatterplot of one distance against another straight from the matrices.
class MatrixPairs final : public ChartPoints {
public:
    /// `xs` and `ys` have the same size; the pointers keep whatever holds them alive.
    MatrixPairs(std::shared_ptr<const PackedDistances> xs, std::shared_ptr<const PackedDistances> ys);
    qsizetype size() const override;
    QPointF at(qsizetype index) const override;
    void forEach(const std::function<void(qsizetype, const QPointF&)>& visit) const override;
    /// The two observations (i < j, from 0) of point `index`.
    std::pair<int, int> pairOf(qsizetype index) const;

private:
    std::shared_ptr<const PackedDistances> m_xs;
    std::shared_ptr<const PackedDistances> m_ys;
};

/// What a chart needs to know of all its points at once, found in one pass: how many there are,
/// the bounds of the finite ones (for the axes) and the sums of all (for the regression line).
struct PointSummary {
    qsizetype count = 0;
    qsizetype finiteCount = 0;
    double minX = 0.0;
    double maxX = 0.0;
    double minY = 0.0;
    double maxY = 0.0;
    double sumX = 0.0;
    double sumY = 0.0;

    static PointSummary of(const ChartPoints& points);
};

/// A uniform grid over the bounding box of a chart's finite points holding, cell by cell, the
/// indices of the points in it; built once, then asked for the point nearest to the mouse. Memory:
/// 4 bytes a point and 4 a cell (at most 1024 x 1024 cells).
class PointIndex {
public:
    explicit PointIndex(const ChartPoints& points);

    /// The point of `points` (the same points the index was built from) nearest to `value`, with
    /// distances measured as drawn: `scale` holds the pixels per unit of x and of y. Only points at
    /// most `reach` pixels away count; of equally near points the lowest index wins. -1 when no
    /// point is that near.
    qsizetype nearest(const ChartPoints& points, const QPointF& value, const QPointF& scale, double reach) const;

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }

private:
    int column(double x) const;
    int row(double y) const;

    double m_minX = 0.0;
    double m_minY = 0.0;
    double m_cellWidth = 1.0;
    double m_cellHeight = 1.0;
    int m_columns = 1;
    int m_rows = 1;
    std::vector<std::uint32_t> m_cellStarts; ///< one more than cells: members of cell c are [start c, start c + 1)
    std::vector<std::uint32_t> m_members;
};

} // namespace tessaloc::ui
