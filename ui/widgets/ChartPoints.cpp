#include "ui/widgets/ChartPoints.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaloc::ui {

namespace {

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

/// Points beyond this many are left out of the index (its members are 32-bit).
constexpr qsizetype kIndexedPoints = std::numeric_limits<std::uint32_t>::max() - 1;

} // namespace

void ChartPoints::forEach(const std::function<void(qsizetype, const QPointF&)>& visit) const
{
    const qsizetype count = size();
    for (qsizetype i = 0; i < count; ++i)
        visit(i, at(i));
}

void PointList::forEach(const std::function<void(qsizetype, const QPointF&)>& visit) const
{
    for (qsizetype i = 0; i < m_points.size(); ++i)
        visit(i, m_points[i]);
}

MatrixPairs::MatrixPairs(std::shared_ptr<const PackedDistances> xs, std::shared_ptr<const PackedDistances> ys)
    : m_xs(std::move(xs))
    , m_ys(std::move(ys))
{
}

qsizetype MatrixPairs::size() const
{
    const auto n = static_cast<qsizetype>(m_xs->size());
    return n * (n - 1) / 2;
}

std::pair<int, int> MatrixPairs::pairOf(qsizetype index) const
{
    // Row i holds the pairs from start(i) = i (2n - i - 1) / 2 on; the root of that quadratic gives
    // the row, put right where rounding left it one off.
    const auto n = static_cast<qsizetype>(m_xs->size());
    const auto start = [n](qsizetype i) { return i * (2 * n - i - 1) / 2; };
    const double b = 2.0 * static_cast<double>(n) - 1.0;
    auto i = static_cast<qsizetype>(std::floor((b - std::sqrt(b * b - 8.0 * static_cast<double>(index))) / 2.0));
    i = std::clamp<qsizetype>(i, 0, std::max<qsizetype>(0, n - 2));
    while (i + 1 < n - 1 && start(i + 1) <= index)
        ++i;
    while (i > 0 && start(i) > index)
        --i;
    return {static_cast<int>(i), static_cast<int>(index - start(i) + i + 1)};
}

QPointF MatrixPairs::at(qsizetype index) const
{
    const auto k = static_cast<size_t>(index);
    return QPointF(m_xs->values()[k], m_ys->values()[k]);
}

void MatrixPairs::forEach(const std::function<void(qsizetype, const QPointF&)>& visit) const
{
    const std::vector<double>& xs = m_xs->values();
    const std::vector<double>& ys = m_ys->values();
    for (size_t k = 0; k < xs.size(); ++k)
        visit(static_cast<qsizetype>(k), QPointF(xs[k], ys[k]));
}

PointSummary PointSummary::of(const ChartPoints& points)
{
    PointSummary summary;
    summary.count = points.size();
    summary.minX = summary.minY = std::numeric_limits<double>::infinity();
    summary.maxX = summary.maxY = -std::numeric_limits<double>::infinity();
    points.forEach([&summary](qsizetype, const QPointF& p) {
        summary.sumX += p.x();
        summary.sumY += p.y();
        if (!finite(p))
            return;
        ++summary.finiteCount;
        summary.minX = std::min(summary.minX, p.x());
        summary.maxX = std::max(summary.maxX, p.x());
        summary.minY = std::min(summary.minY, p.y());
        summary.maxY = std::max(summary.maxY, p.y());
    });
    if (summary.finiteCount == 0)
        summary.minX = summary.maxX = summary.minY = summary.maxY = 0.0;
    return summary;
}

PointIndex::PointIndex(const ChartPoints& points)
{
    const PointSummary summary = PointSummary::of(points);
    // About four points a cell where they spread evenly; far fewer cells than pixels of a plot at
    // the largest sizes, so that a query looks at a few cells.
    const double side = std::ceil(std::sqrt(static_cast<double>(summary.finiteCount) / 4.0));
    const int cells = static_cast<int>(std::clamp(side, 1.0, 1024.0));
    m_minX = summary.minX;
    m_minY = summary.minY;
    m_columns = summary.maxX > summary.minX ? cells : 1;
    m_rows = summary.maxY > summary.minY ? cells : 1;
    m_cellWidth = summary.maxX > summary.minX ? (summary.maxX - summary.minX) / m_columns : 1.0;
    m_cellHeight = summary.maxY > summary.minY ? (summary.maxY - summary.minY) / m_rows : 1.0;

    // Counting sort of the point indices by cell: count, then place.
    const auto cellOf = [this](const QPointF& p) {
        return static_cast<size_t>(row(p.y())) * static_cast<size_t>(m_columns) + static_cast<size_t>(column(p.x()));
    };
    m_cellStarts.assign(static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows) + 1, 0);
    points.forEach([&](qsizetype i, const QPointF& p) {
        if (i < kIndexedPoints && finite(p))
            ++m_cellStarts[cellOf(p) + 1];
    });
    for (size_t c = 1; c < m_cellStarts.size(); ++c)
        m_cellStarts[c] += m_cellStarts[c - 1];
    m_members.resize(m_cellStarts.back());
    std::vector<std::uint32_t> next(m_cellStarts.begin(), m_cellStarts.end() - 1);
    points.forEach([&](qsizetype i, const QPointF& p) {
        if (i < kIndexedPoints && finite(p))
            m_members[next[cellOf(p)]++] = static_cast<std::uint32_t>(i);
    });
}

int PointIndex::column(double x) const
{
    return static_cast<int>(std::clamp(std::floor((x - m_minX) / m_cellWidth), 0.0, m_columns - 1.0));
}

int PointIndex::row(double y) const
{
    return static_cast<int>(std::clamp(std::floor((y - m_minY) / m_cellHeight), 0.0, m_rows - 1.0));
}

qsizetype PointIndex::nearest(const ChartPoints& points, const QPointF& value, const QPointF& scale, double reach) const
{
    if (!(scale.x() > 0.0) || !(scale.y() > 0.0) || !finite(value) || m_members.empty())
        return -1;
    const double reachX = reach / scale.x();
    const double reachY = reach / scale.y();
    // Cells that the square of the reach around `value` touches; none when it lies off the grid.
    const double left = value.x() - reachX;
    const double right = value.x() + reachX;
    const double bottom = value.y() - reachY;
    const double top = value.y() + reachY;
    if (right < m_minX || left > m_minX + m_cellWidth * m_columns || top < m_minY ||
        bottom > m_minY + m_cellHeight * m_rows)
        return -1;
    qsizetype best = -1;
    double bestDistance = reach * reach;
    for (int r = row(bottom); r <= row(top); ++r) {
        for (int c = column(left); c <= column(right); ++c) {
            const size_t cell = static_cast<size_t>(r) * static_cast<size_t>(m_columns) + static_cast<size_t>(c);
            for (std::uint32_t k = m_cellStarts[cell]; k < m_cellStarts[cell + 1]; ++k) {
                const qsizetype index = m_members[k];
                const QPointF p = points.at(index);
                const double dx = (p.x() - value.x()) * scale.x();
                const double dy = (p.y() - value.y()) * scale.y();
                const double distance = dx * dx + dy * dy;
                if (distance < bestDistance || (distance == bestDistance && (best < 0 || index < best))) {
                    bestDistance = distance;
                    best = index;
                }
            }
        }
    }
    return best;
}

} // namespace tessaloc::ui
