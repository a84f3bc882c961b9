#include "geometry/Delaunay.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

namespace tessaloc {
namespace {

// Two y values closer than this count as equal when the side between them would need an infinite
// bisector slope.
constexpr double kSameY = 1e-51;

double square(double value)
{
    return value * value;
}

std::string pointText(double x, double y)
{
    return "(" + plainText(x) + ", " + plainText(y) + ")";
}

enum class CircleKind : std::uint8_t {
    Defined,
    Horizontal, ///< all three corners at one y: no circle, the test answers "outside"
    Undefined,  ///< the arithmetic failed (corners on a sloped line, or overflow): testing it ends the run
};

struct Circle {
    CircleKind kind = CircleKind::Undefined;
    double xc = 0.0;
    double yc = 0.0;
    double rsqr = 0.0;
};

// The centre is where the perpendicular bisectors of two sides meet, each written by its slope
// through the side's midpoint. A side with one y at both ends has a vertical bisector, so the
// centre's x comes from that side directly. Every intermediate must be finite, as an overflow or a
// division by zero ended the computation.
Circle circumcircleOf(double x1, double y1, double x2, double y2, double x3, double y3)
{
    Circle circle;
    if (std::abs(y1 - y2) < kSameY && std::abs(y2 - y3) < kSameY) {
        circle.kind = CircleKind::Horizontal;
        return circle;
    }
    bool finite = true;
    const auto checked = [&finite](double value) {
        finite = finite && std::isfinite(value);
        return value;
    };
    double xc = 0.0;
    double yc = 0.0;
    if (std::abs(y2 - y1) < kSameY) {
        const double m2 = checked(-(x3 - x2) / (y3 - y2));
        const double mx2 = checked((x2 + x3) / 2);
        const double my2 = checked((y2 + y3) / 2);
        xc = checked((x2 + x1) / 2);
        yc = checked(m2 * (xc - mx2) + my2);
    } else if (std::abs(y3 - y2) < kSameY) {
        const double m1 = checked(-(x2 - x1) / (y2 - y1));
        const double mx1 = checked((x1 + x2) / 2);
        const double my1 = checked((y1 + y2) / 2);
        xc = checked((x3 + x2) / 2);
        yc = checked(m1 * (xc - mx1) + my1);
    } else {
        const double m1 = checked(-(x2 - x1) / (y2 - y1));
        const double m2 = checked(-(x3 - x2) / (y3 - y2));
        const double mx1 = checked((x1 + x2) / 2);
        const double mx2 = checked((x2 + x3) / 2);
        const double my1 = checked((y1 + y2) / 2);
        const double my2 = checked((y2 + y3) / 2);
        xc = checked((m1 * mx1 - m2 * mx2 + my2 - my1) / checked(m1 - m2));
        yc = checked(m1 * (xc - mx1) + my1);
    }
    circle.xc = xc;
    circle.yc = yc;
    circle.rsqr = checked(square(x2 - xc) + square(y2 - yc));
    circle.kind = finite ? CircleKind::Defined : CircleKind::Undefined;
    return circle;
}

double distanceSquared(double xp, double yp, const Circle& circle)
{
    return square(xp - circle.xc) + square(yp - circle.yc);
}

[[noreturn]] void throwUndefinedCircle(double x1, double y1, double x2, double y2, double x3, double y3)
{
    throw AnalysisError("the circumcircle through " + pointText(x1, y1) + ", " + pointText(x2, y2) + " and " +
                        pointText(x3, y3) + " is undefined: the points lie on one line, or the arithmetic overflows");
}

[[noreturn]] void throwDistanceOverflow(double xp, double yp)
{
    throw AnalysisError("the distance of " + pointText(xp, yp) + " from a circumcircle's centre overflows");
}

// Coordinates up to this size keep every distance computation of the grid's triangles finite; larger
// ones are triangulated by testing every triangle, which meets an overflow exactly where it occurs.
constexpr double kLargestGridCoordinate = 1e100;
// A circle whose centre or inflated radius is beyond this is tested for every point instead of being
// placed in the grids.
constexpr double kLargestGridCircle = 1e120;

// Grids of circumcircles, one per level: level 0 cuts the data's bounding box into about one cell
// per point, each further level has cells twice as wide and high, and the last has a single cell.
// A circle is entered at the finest level where its box overlaps at most 2 x 2 cells, into each of
// those cells, so every circle that can hold a point is entered in the point's cell of some level.
class CircleGrids {
public:
    struct Entry {
        std::int32_t slot;
        std::uint32_t version;
    };

    CircleGrids(double xmin, double xmax, double ymin, double ymax, int points)
        : m_x0(xmin)
        , m_y0(ymin)
    {
        const double target = std::max(1, points);
        const double dx = xmax - xmin;
        const double dy = ymax - ymin;
        double columns = 1.0;
        double rows = 1.0;
        if (dx > 0 && dy > 0) {
            columns = std::clamp(std::round(std::sqrt(target * std::min(dx / dy, target))), 1.0, target);
            rows = std::clamp(std::round(target / columns), 1.0, target);
        } else if (dx > 0) {
            columns = target;
        } else if (dy > 0) {
            rows = target;
        }
        Level finest{static_cast<int>(columns), static_cast<int>(rows), dx / columns, dy / rows, {}};
        // A box of no width (all x equal) or one too thin to divide is a single column.
        if (!(finest.cellWidth > 0) || !std::isnormal(finest.cellWidth)) {
            finest.columns = 1;
            finest.cellWidth = 1.0;
        }
        if (!(finest.cellHeight > 0) || !std::isnormal(finest.cellHeight)) {
            finest.rows = 1;
            finest.cellHeight = 1.0;
        }
        m_levels.push_back(std::move(finest));
        while (m_levels.back().columns > 1 || m_levels.back().rows > 1) {
            const Level& below = m_levels.back();
            m_levels.push_back(
                {(below.columns + 1) / 2, (below.rows + 1) / 2, below.cellWidth * 2, below.cellHeight * 2, {}});
        }
        for (Level& level : m_levels)
            level.cells.resize(static_cast<size_t>(level.columns) * static_cast<size_t>(level.rows));
    }

    // Enters the circle, or returns false when it is to be tested for every point instead. The box
    // is widened beyond the radius by more than the rounding of the squared distances can amount
    // to, so a point outside it can never test as inside.
    bool enter(const Circle& circle, Entry entry)
    {
        const double reach =
            std::sqrt(circle.rsqr) * (1 + 1e-6) + 1e-12 * (std::abs(circle.xc) + std::abs(circle.yc)) + 1e-153;
        if (!(reach <= kLargestGridCircle) || std::abs(circle.xc) > kLargestGridCircle ||
            std::abs(circle.yc) > kLargestGridCircle)
            return false;
        // Levels whose cells are much smaller than the circle cannot take it; start just below the
        // first that may. (Where the search starts only changes the level, never the covering.)
        const Level& finest = m_levels.front();
        const double ratio = 2 * reach / std::min(finest.cellWidth, finest.cellHeight);
        const int skip = ratio > 8 ? std::min(std::ilogb(ratio) - 2, static_cast<int>(m_levels.size()) - 1) : 0;
        for (auto level = m_levels.begin() + skip; level != m_levels.end(); ++level) {
            const int column0 = column(*level, circle.xc - reach);
            const int column1 = column(*level, circle.xc + reach);
            const int row0 = row(*level, circle.yc - reach);
            const int row1 = row(*level, circle.yc + reach);
            if ((column1 - column0 > 1 || row1 - row0 > 1) && level + 1 != m_levels.end())
                continue;
            for (int r = row0; r <= row1; ++r) {
                for (int c = column0; c <= column1; ++c)
                    cell(*level, c, r).push_back(entry);
            }
            return true;
        }
        return true;
    }

    // Calls visit(entry) for each live entry in the point's cells; stale entries (of triangles
    // removed since) are dropped on the way.
    template <typename IsStale, typename Visit> void visitCandidates(double x, double y, IsStale isStale, Visit visit)
    {
        for (Level& level : m_levels) {
            std::vector<Entry>& entries = cell(level, column(level, x), row(level, y));
            for (size_t k = 0; k < entries.size();) {
                if (isStale(entries[k])) {
                    entries[k] = entries.back();
                    entries.pop_back();
                    continue;
                }
                visit(entries[k]);
                ++k;
            }
        }
    }

private:
    struct Level {
        int columns;
        int rows;
        double cellWidth;
        double cellHeight;
        std::vector<std::vector<Entry>> cells;
    };

    // Floor of the position in cells, limited to the grid; monotone in the offset, which the
    // covering argument of enter needs.
    static int clampedCell(double offset, double size, int count)
    {
        const double cell = std::floor(offset / size);
        if (!(cell > 0))
            return 0;
        if (cell >= count - 1)
            return count - 1;
        return static_cast<int>(cell);
    }
    int column(const Level& level, double x) const { return clampedCell(x - m_x0, level.cellWidth, level.columns); }
    int row(const Level& level, double y) const { return clampedCell(y - m_y0, level.cellHeight, level.rows); }
    static std::vector<Entry>& cell(Level& level, int c, int r)
    {
        return level.cells[static_cast<size_t>(r) * static_cast<size_t>(level.columns) + static_cast<size_t>(c)];
    }

    double m_x0;
    double m_y0;
    std::vector<Level> m_levels;
};

// The incremental insertion. The triangle table is `m_order` (position -> slot); a slot keeps one
// triangle's corners and circle for as long as the triangle lives, while its position changes each
// time the last triangle is moved into a freed place.
class Triangulator {
public:
    Triangulator(std::vector<double> x, std::vector<double> y, int points, RunListener& listener)
        : m_x(std::move(x))
        , m_y(std::move(y))
        , m_points(points)
        , m_listener(listener)
    {
        const auto largest = [](const std::vector<double>& values) {
            double most = 0.0;
            for (const double v : values)
                most = std::max(most, std::abs(v));
            return most;
        };
        m_testEveryTriangle = std::max(largest(m_x), largest(m_y)) > kLargestGridCoordinate;
        if (!m_testEveryTriangle) {
            const auto [xmin, xmax] = std::minmax_element(m_x.begin(), m_x.begin() + points);
            const auto [ymin, ymax] = std::minmax_element(m_y.begin(), m_y.begin() + points);
            m_grids.emplace_back(*xmin, *xmax, *ymin, *ymax, points);
        }
    }

    std::vector<TriangleRec> run()
    {
        addTriangle(m_points, m_points + 1, m_points + 2);
        for (std::int32_t point = 0; point < m_points; ++point) {
            if (point % 4096 == 0) {
                m_listener.progress(point, m_points);
                m_listener.throwIfCancelled();
            }
            if (m_testEveryTriangle)
                insertTestingEveryTriangle(point);
            else
                insertThroughGrid(point);
        }
        removeEnclosingTriangles();
        m_listener.progress(m_points, m_points);

        std::vector<TriangleRec> table;
        table.reserve(m_order.size());
        for (const std::int32_t id : m_order) {
            const Slot& slot = m_slots[static_cast<size_t>(id)];
            table.push_back({VertexIndex(slot.corner[0]), VertexIndex(slot.corner[1]), VertexIndex(slot.corner[2])});
        }
        return table;
    }

private:
    enum class Placement : std::uint8_t { Grid, TestedAlways, Horizontal, Undefined };

    struct Slot {
        std::int32_t corner[3] = {0, 0, 0};
        std::int32_t position = 0;
        // Changes whenever the slot is freed, which marks the grid entries it leaves behind as stale.
        std::uint32_t version = 0;
        std::int32_t alwaysIndex = -1;
        Placement placement = Placement::Grid;
        Circle circle;
    };

    struct Edge {
        std::int32_t start;
        std::int32_t end;
    };
    static constexpr std::int32_t kCancelled = -1;

    std::int32_t count() const { return static_cast<std::int32_t>(m_order.size()); }

    // The table has room for 2 (n + 100) triangles and the edge buffer for three times as many
    // edges. A sound run never needs more than 2n + 1 triangles; rounding on (nearly) co-circular
    // points can make overlapping triangles pile up, and that run ends here.
    std::int32_t triangleCapacity() const { return 2 * (m_points + 100); }
    [[noreturn]] void throwFull(const char* what) const
    {
        throw AnalysisError(std::string("the triangulation needs more room than its ") + what + " has (" +
                            std::to_string(triangleCapacity()) + " triangles for " + std::to_string(m_points) +
                            " points): the points lie too nearly on common circles");
    }
    Slot& slotAt(std::int32_t position) { return m_slots[static_cast<size_t>(m_order[static_cast<size_t>(position)])]; }

    void addTriangle(std::int32_t a, std::int32_t b, std::int32_t c)
    {
        if (count() >= triangleCapacity())
            throwFull("triangle table");
        std::int32_t id;
        if (m_free.empty()) {
            id = static_cast<std::int32_t>(m_slots.size());
            m_slots.emplace_back();
        } else {
            id = m_free.back();
            m_free.pop_back();
        }
        Slot& slot = m_slots[static_cast<size_t>(id)];
        slot.corner[0] = a;
        slot.corner[1] = b;
        slot.corner[2] = c;
        slot.position = count();
        m_order.push_back(id);
        if (m_testEveryTriangle)
            return;

        slot.circle = circumcircleOf(m_x[a], m_y[a], m_x[b], m_y[b], m_x[c], m_y[c]);
        if (slot.circle.kind == CircleKind::Horizontal) {
            slot.placement = Placement::Horizontal;
            ++m_horizontalCount;
        } else if (slot.circle.kind == CircleKind::Undefined) {
            slot.placement = Placement::Undefined;
            ++m_undefinedCount;
        } else if (m_grids.front().enter(slot.circle, {id, slot.version})) {
            slot.placement = Placement::Grid;
        } else {
            slot.placement = Placement::TestedAlways;
            slot.alwaysIndex = static_cast<std::int32_t>(m_testedAlways.size());
            m_testedAlways.push_back(id);
        }
    }

    void release(std::int32_t id)
    {
        Slot& slot = m_slots[static_cast<size_t>(id)];
        if (!m_testEveryTriangle) {
            switch (slot.placement) {
            case Placement::Grid:
                break;
            case Placement::TestedAlways: {
                const std::int32_t moved = m_testedAlways.back();
                m_testedAlways[static_cast<size_t>(slot.alwaysIndex)] = moved;
                m_slots[static_cast<size_t>(moved)].alwaysIndex = slot.alwaysIndex;
                m_testedAlways.pop_back();
                break;
            }
            case Placement::Horizontal:
                --m_horizontalCount;
                break;
            case Placement::Undefined:
                --m_undefinedCount;
                break;
            }
        }
        ++slot.version;
        m_free.push_back(id);
    }

    // Lets the last triangle take the removed one's place, so the table stays dense. The edges of a
    // triangle that a point removes go to the edge buffer, to be joined to the point.
    void removeAt(std::int32_t position, bool bufferEdges = true)
    {
        const std::int32_t id = m_order[static_cast<size_t>(position)];
        const Slot& slot = m_slots[static_cast<size_t>(id)];
        if (bufferEdges) {
            if (m_edges.size() + 3 > 3 * static_cast<size_t>(triangleCapacity()))
                throwFull("edge buffer");
            m_edges.push_back({slot.corner[0], slot.corner[1]});
            m_edges.push_back({slot.corner[1], slot.corner[2]});
            m_edges.push_back({slot.corner[2], slot.corner[0]});
        }
        release(id);
        const std::int32_t last = count() - 1;
        if (position != last) {
            m_order[static_cast<size_t>(position)] = m_order[static_cast<size_t>(last)];
            slotAt(position).position = position;
        }
        m_order.pop_back();
    }

    // Tests the triangles in table order; a removed triangle's place is taken by the last one, which
    // is tested next.
    template <typename Doomed> void sweep(Doomed doomed, bool bufferEdges)
    {
        std::int32_t position = 0;
        while (position < count()) {
            if (doomed(slotAt(position)))
                removeAt(position, bufferEdges);
            else
                ++position;
        }
    }

    void insertTestingEveryTriangle(std::int32_t point)
    {
        const double xp = m_x[static_cast<size_t>(point)];
        const double yp = m_y[static_cast<size_t>(point)];
        m_edges.clear();
        sweep(
            [&](const Slot& slot) {
                const auto [a, b, c] = slot.corner;
                double xc = 0.0;
                double yc = 0.0;
                double r = 0.0;
                return PointInCircumcircle(xp, yp, m_x[a], m_y[a], m_x[b], m_y[b], m_x[c], m_y[c], xc, yc, r,
                                           m_listener);
            },
            true);
        fillHole(point);
    }

    // The triangles that hold the point are those of the point's grid cell and of the always-tested
    // list that pass the same test; only the order of their removal remains to be reproduced.
    void insertThroughGrid(std::int32_t point)
    {
        const double xp = m_x[static_cast<size_t>(point)];
        const double yp = m_y[static_cast<size_t>(point)];
        // A triangle whose test would end the run: let the full sweep meet it in its place, after the
        // messages of the triangles tested before it.
        if (m_undefinedCount > 0) {
            insertTestingEveryTriangle(point);
            return;
        }
        m_doomedPositions.clear();
        for (const std::int32_t id : m_testedAlways) {
            const Slot& slot = m_slots[static_cast<size_t>(id)];
            const double drsqr = distanceSquared(xp, yp, slot.circle);
            if (!std::isfinite(drsqr)) {
                insertTestingEveryTriangle(point);
                return;
            }
            if (drsqr <= slot.circle.rsqr)
                m_doomedPositions.push_back(slot.position);
        }
        m_grids.front().visitCandidates(
            xp, yp,
            [this](const CircleGrids::Entry& entry) {
                return m_slots[static_cast<size_t>(entry.slot)].version != entry.version;
            },
            [&](const CircleGrids::Entry& entry) {
                const Slot& slot = m_slots[static_cast<size_t>(entry.slot)];
                if (distanceSquared(xp, yp, slot.circle) <= slot.circle.rsqr)
                    m_doomedPositions.push_back(slot.position);
            });
        // A hole too large for the edge buffer: let the full sweep stop where the buffer fills.
        if (m_doomedPositions.size() > static_cast<size_t>(triangleCapacity())) {
            insertTestingEveryTriangle(point);
            return;
        }
        // Each triangle with all corners at one y would have been tested, and answered "outside",
        // with its message.
        for (std::int32_t k = 0; k < m_horizontalCount; ++k)
            m_listener.message(kCoincidentPointsMessage);
        std::sort(m_doomedPositions.begin(), m_doomedPositions.end());

        m_edges.clear();
        removeInSweepOrder();
        fillHole(point);
    }

    // What the sweep does with these doomed positions: take them in ascending order, and whenever the
    // last triangle moved into a freed place is itself doomed, remove it there at once.
    void removeInSweepOrder()
    {
        size_t front = 0;
        size_t back = m_doomedPositions.size();
        while (front < back) {
            const std::int32_t position = m_doomedPositions[front++];
            for (;;) {
                const std::int32_t last = count() - 1;
                const bool lastIsDoomed = back > front && m_doomedPositions[back - 1] == last;
                removeAt(position);
                if (position == last || !lastIsDoomed)
                    break;
                --back;
            }
        }
    }

    // Edges shared by two removed triangles lie inside the hole: they appear once in each direction
    // and cancel, each with the first later edge still uncancelled that runs the other way. Each
    // remaining edge, in buffer order, closes a new triangle with the point.
    void fillHole(std::int32_t point)
    {
        if (m_edges.size() <= kFewEdges)
            cancelPairsByScanning();
        else
            cancelPairsBySorting();
        for (const Edge& edge : m_edges) {
            if (edge.start != kCancelled)
                addTriangle(edge.start, edge.end, point);
        }
    }

    static constexpr size_t kFewEdges = 48;

    void cancelPairsByScanning()
    {
        const size_t edgeCount = m_edges.size();
        for (size_t j = 0; j + 1 < edgeCount; ++j) {
            Edge& first = m_edges[j];
            if (first.start == kCancelled)
                continue;
            for (size_t k = j + 1; k < edgeCount; ++k) {
                Edge& second = m_edges[k];
                if (second.start != kCancelled && first.start == second.end && first.end == second.start) {
                    first = {kCancelled, kCancelled};
                    second = {kCancelled, kCancelled};
                    break;
                }
            }
        }
    }

    // The same pairs for a large hole. When edge j is reached uncancelled, no uncancelled edge before
    // it runs the other way (that one would have taken j, or an earlier partner, when it was
    // reached), so j's partner is the first uncancelled edge among those running the other way.
    void cancelPairsBySorting()
    {
        // Sorted copies of the edges as buffered: cancelling changes the buffer, not this order.
        m_sortedEdges.clear();
        for (size_t k = 0; k < m_edges.size(); ++k)
            m_sortedEdges.emplace_back(m_edges[k].start, m_edges[k].end, static_cast<std::int32_t>(k));
        std::sort(m_sortedEdges.begin(), m_sortedEdges.end());
        for (size_t j = 0; j < m_edges.size(); ++j) {
            Edge& first = m_edges[j];
            if (first.start == kCancelled)
                continue;
            auto candidate = std::lower_bound(m_sortedEdges.begin(), m_sortedEdges.end(),
                                              std::make_tuple(first.end, first.start, std::int32_t{-1}));
            for (; candidate != m_sortedEdges.end(); ++candidate) {
                const auto [start, end, position] = *candidate;
                if (start != first.end || end != first.start)
                    break;
                Edge& second = m_edges[static_cast<size_t>(position)];
                if (second.start != kCancelled) {
                    first = {kCancelled, kCancelled};
                    second = {kCancelled, kCancelled};
                    break;
                }
            }
        }
    }

    void removeEnclosingTriangles()
    {
        sweep(
            [this](const Slot& slot) {
                return slot.corner[0] >= m_points || slot.corner[1] >= m_points || slot.corner[2] >= m_points;
            },
            false);
    }

    std::vector<double> m_x;
    std::vector<double> m_y;
    std::int32_t m_points;
    RunListener& m_listener;
    bool m_testEveryTriangle = false;

    std::vector<Slot> m_slots;
    std::vector<std::int32_t> m_free;
    std::vector<std::int32_t> m_order;
    std::vector<Edge> m_edges;
    std::vector<std::int32_t> m_doomedPositions;
    std::vector<std::tuple<std::int32_t, std::int32_t, std::int32_t>> m_sortedEdges;

    std::vector<CircleGrids> m_grids; // one set of grids, or none when every triangle is tested
    std::vector<std::int32_t> m_testedAlways;
    std::int32_t m_horizontalCount = 0;
    std::int32_t m_undefinedCount = 0;
};

} // namespace

bool PointInCircumcircle(double xp, double yp, double x1, double y1, double x2, double y2, double x3, double y3,
                         double& xc, double& yc, double& r, RunListener& listener)
{
    const Circle circle = circumcircleOf(x1, y1, x2, y2, x3, y3);
    if (circle.kind == CircleKind::Horizontal) {
        listener.message(kCoincidentPointsMessage);
        return false;
    }
    if (circle.kind == CircleKind::Undefined)
        throwUndefinedCircle(x1, y1, x2, y2, x3, y3);
    xc = circle.xc;
    yc = circle.yc;
    r = std::sqrt(circle.rsqr);
    const double drsqr = distanceSquared(xp, yp, circle);
    if (!std::isfinite(drsqr))
        throwDistanceOverflow(xp, yp);
    return drsqr <= circle.rsqr;
}

Triangulation TriangulatePoints(std::span<const TriVertex> points, RunListener& listener)
{
    Triangulation result;
    if (points.empty())
        return result;
    // The table holds up to 2n + 1 triangles and 3 more vertices than points.
    if (points.size() > (size_t{1} << 29))
        throw AnalysisError("too many points to triangulate: " + std::to_string(points.size()));
    const auto n = static_cast<std::int32_t>(points.size());

    std::vector<double> x(points.size() + 3);
    std::vector<double> y(points.size() + 3);
    double xmin = points[0].x;
    double xmax = xmin;
    double ymin = points[0].y;
    double ymax = ymin;
    for (size_t i = 0; i < points.size(); ++i) {
        x[i] = requireFinite(points[i].x, "the x coordinate of point " + std::to_string(i + 1));
        y[i] = requireFinite(points[i].y, "the y coordinate of point " + std::to_string(i + 1));
        if (x[i] < xmin)
            xmin = x[i];
        if (x[i] > xmax)
            xmax = x[i];
        if (y[i] < ymin)
            ymin = y[i];
        if (y[i] > ymax)
            ymax = y[i];
    }

    // The enclosing triangle is wide enough that every point lies well inside it.
    const double dx = xmax - xmin;
    const double dy = ymax - ymin;
    const double dmax = requireFinite(dx > dy ? dx : dy, "the extent of the points");
    const double xmid = requireFinite((xmax + xmin) / 2, "the centre of the points");
    const double ymid = requireFinite((ymax + ymin) / 2, "the centre of the points");
    result.enclosing[0] = {xmid - 2 * dmax, ymid - dmax, 0.0};
    result.enclosing[1] = {xmid, ymid + 2 * dmax, 0.0};
    result.enclosing[2] = {xmid + 2 * dmax, ymid - dmax, 0.0};
    for (size_t k = 0; k < 3; ++k) {
        x[points.size() + k] = requireFinite(result.enclosing[k].x, "a corner of the enclosing triangle");
        y[points.size() + k] = requireFinite(result.enclosing[k].y, "a corner of the enclosing triangle");
    }

    Triangulator triangulator(std::move(x), std::move(y), n, listener);
    result.TriangleTable = triangulator.run();
    return result;
}

} // namespace tessaloc
