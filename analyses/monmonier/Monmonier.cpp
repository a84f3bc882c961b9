#include "analyses/monmonier/Monmonier.h"

#include "analyses/monmonier/BarrierBootstrap.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/NearMaximum.h"
#include "core/NumberText.h"
#include "geometry/Edges.h"
#include "geometry/GeometryHelpers.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tessaloc {
namespace {

// The start-edge search begins at the negated 14-digit near-maximum: an edge whose value is below
// it is never a start edge.
constexpr double kLowestStart = -kNearMaximum14Digits;

// The walk of one barrier. Crossing an edge into a neighbour continues the walk in place; a tie
// between the two exit edges leaves the higher-numbered one on a stack of pending branches, taken
// up, last first, when the walk ends. That is the order in which a recursive walk, following the
// lower-numbered edge first, would return to them.
class BarrierWalk {
public:
    BarrierWalk(const std::vector<BarrierTriangle>& triangles, std::vector<TriangleLinks>& links,
                BarrierRecord& barrier)
        : m_triangles(triangles)
        , m_links(links)
        , m_barrier(barrier)
    {
    }

    size_t startSegment(std::int32_t kind, std::int32_t triangle, std::int32_t edge)
    {
        BarrierSegment segment;
        segment.Kind = kind;
        segment.Triangles.push_back(triangle);
        segment.Edges.push_back(edge);
        m_barrier.Segments.push_back(std::move(segment));
        return m_barrier.Segments.size() - 1;
    }

    /// Walks on from edge `edge` of `triangle` in segment `segment`, branches included.
    void extend(std::int32_t triangle, std::int32_t edge, size_t segment)
    {
        bool walking = true;
        for (;;) {
            if (walking)
                walking = visit(triangle, edge, segment);
            if (walking)
                continue;
            if (m_pending.empty())
                return;
            const Branch branch = m_pending.back();
            m_pending.pop_back();
            segment = startSegment(3, branch.triangle, branch.entryEdge);
            walking = cross(branch.triangle, branch.exitEdge, segment, triangle, edge);
        }
    }

private:
    struct Branch {
        std::int32_t triangle;
        std::int32_t entryEdge;
        std::int32_t exitEdge;
    };

    void append(size_t segment, std::int32_t triangle, std::int32_t edge)
    {
        m_barrier.Segments[segment].Triangles.push_back(triangle);
        m_barrier.Segments[segment].Edges.push_back(edge);
    }

    double value(std::int32_t triangle, std::int32_t edge) const
    {
        return m_triangles[static_cast<size_t>(triangle)].Edges[static_cast<size_t>(edge)].Value;
    }

    TriangleLinks& links(std::int32_t triangle) { return m_links[static_cast<size_t>(triangle)]; }

    // Enters `triangle` through `edge`. Returns true with (triangle, edge) set to the next edge to
    // enter when the walk goes on into a neighbour, false when it ends here.
    bool visit(std::int32_t& triangle, std::int32_t& edge, size_t segment)
    {
        append(segment, triangle, edge);
        TriangleLinks& here = links(triangle);
        const size_t e = static_cast<size_t>(edge);
        if (here.Used[e])
            return false; // it meets an edge crossed before: this last slot is where
        here.Used[e] = true;
        if (here.Neighbour[e] >= 0)
            links(here.Neighbour[e]).Used[static_cast<size_t>(here.NeighbourEdge[e])] = true;

        const std::int32_t f1 = edge == 0 ? 1 : 0;
        const std::int32_t f2 = edge == 2 ? 1 : 2;
        const double v1 = value(triangle, f1);
        const double v2 = value(triangle, f2);
        std::int32_t exit = f2;
        if (v1 > v2) {
            exit = f1;
        } else if (v1 == v2) {
            exit = f1;
            m_pending.push_back({triangle, edge, f2});
        }
        return cross(triangle, exit, segment, triangle, edge);
    }

    // Crosses edge `exit` of `from` in `segment`: into the neighbour (returns true with the edge to
    // enter in next), or out of the triangulation, which ends the walk (returns false).
    bool cross(std::int32_t from, std::int32_t exit, size_t segment, std::int32_t& nextTriangle, std::int32_t& nextEdge)
    {
        TriangleLinks& here = links(from);
        const size_t f = static_cast<size_t>(exit);
        if (here.Neighbour[f] >= 0) {
            const std::int32_t neighbour = here.Neighbour[f];
            nextEdge = here.NeighbourEdge[f];
            nextTriangle = neighbour;
            return true;
        }
        append(segment, from, exit);
        here.Used[f] = true;
        return false;
    }

    const std::vector<BarrierTriangle>& m_triangles;
    std::vector<TriangleLinks>& m_links;
    BarrierRecord& m_barrier;
    std::vector<Branch> m_pending;
};

void countSubsegments(const std::vector<BarrierTriangle>& triangles, BarrierRecord& barrier)
{
    barrier.SumOfValues = 0.0;
    barrier.SubsegmentCount = 0;
    for (BarrierSegment& segment : barrier.Segments) {
        const int last = segment.lastSlot();
        // The kind 2 segment's slot 1 is the start edge again, seen from the other side.
        const int first = segment.Kind == 2 ? 2 : 1;
        segment.SubsegmentCount = std::max(last - first + 1, 0);
        for (int k = first; k <= last; ++k) {
            const size_t t = static_cast<size_t>(segment.Triangles[static_cast<size_t>(k)]);
            barrier.SumOfValues += triangles[t].Edges[static_cast<size_t>(segment.Edges[static_cast<size_t>(k)])].Value;
        }
        barrier.SubsegmentCount += segment.SubsegmentCount;
    }
    barrier.AverageValue = barrier.SumOfValues / barrier.SubsegmentCount;
}

} // namespace

std::string noStartEdgeMessage(long long barrier)
{
    return "No start edge left for barrier " + plainText(barrier) + ": the triangulation has too few uncrossed edges.";
}

void requireBootstrapReplicates(long long replicates)
{
    if (replicates < 0 || replicates > kMostBootstrapReplicates)
        throw AnalysisError("the number of bootstrap replicates must be from 0 to " +
                            plainText(kMostBootstrapReplicates) + " (" + plainText(replicates) + " given)");
}

std::vector<BarrierTriangle> BuildBarrierTriangles(const DistinctLocations& locations,
                                                   const Triangulation& triangulation, const SquareMatrix& G,
                                                   bool useLatLong, MonmonierDistanceKind kind)
{
    std::vector<BarrierTriangle> triangles;
    triangles.reserve(triangulation.TriangleTable.size());
    for (const TriangleRec& rec : triangulation.TriangleTable) {
        const std::array<VertexIndex, 3> corners{rec.CornerA, rec.CornerB, rec.CornerC};
        std::array<const SampleLocation*, 3> at{};
        BarrierTriangle triangle;
        for (size_t c = 0; c < 3; ++c) {
            if (corners[c].value < 0 || corners[c].value >= locations.count())
                throw std::invalid_argument("a triangle corner is not one of the locations");
            at[c] = &locations.locations[corners[c].at()];
            triangle.VertexX[c] = at[c]->x;
            triangle.VertexY[c] = at[c]->y;
        }
        for (size_t e = 0; e < 3; ++e) {
            const SampleLocation& first = *at[e];
            const SampleLocation& second = *at[(e + 1) % 3];
            TriangleEdge& edge = triangle.Edges[e];
            edge.X1 = first.x;
            edge.Y1 = first.y;
            edge.X2 = second.x;
            edge.Y2 = second.y;
            edge.MidX = Midpoint(edge.X1, edge.X2);
            edge.MidY = Midpoint(edge.Y1, edge.Y2);
            edge.Length = EdgeLength(edge.X1, edge.Y1, edge.X2, edge.Y2, useLatLong);
            edge.Value = EdgeValue(first, second, G, edge.Length, kind);
        }
        triangles.push_back(triangle);
    }
    return triangles;
}

EdgeNumbers NumberEdges(const std::vector<BarrierTriangle>& triangles)
{
    // An open-addressing table of the edges' keys. A triangulation has about half as many edges as
    // occurrences, so the table stays at most a third full; key and id side by side cost one cache
    // miss per probe.
    struct Entry {
        EdgeKey key;
        std::int32_t id = -1;
    };
    const size_t occurrences = 3 * triangles.size();
    size_t capacity = 16;
    while (capacity < occurrences + occurrences / 2)
        capacity *= 2;
    std::vector<Entry> table(capacity);
    EdgeNumbers numbers;
    numbers.idOf.resize(occurrences);
    for (size_t occurrence = 0; occurrence < occurrences; ++occurrence) {
        const EdgeKey key = EdgeKeyOf(triangles[occurrence / 3].Edges[occurrence % 3]);
        size_t slot = static_cast<size_t>(EdgeHash(key)) & (capacity - 1);
        while (table[slot].id >= 0 && !(table[slot].key == key))
            slot = (slot + 1) & (capacity - 1);
        if (table[slot].id < 0) {
            table[slot] = {key, numbers.count()};
            numbers.firstOccurrence.push_back(static_cast<std::int32_t>(occurrence));
        }
        numbers.idOf[occurrence] = table[slot].id;
    }
    return numbers;
}

std::vector<TriangleLinks> FindNeighbours(const std::vector<BarrierTriangle>& triangles)
{
    std::vector<TriangleLinks> links(triangles.size());
    const EdgeNumbers numbers = NumberEdges(triangles);
    const std::vector<std::int32_t>& groupOf = numbers.idOf;
    const std::int32_t groups = numbers.count();

    // The occurrences of each edge, in ascending order (a counting sort keeps that order).
    std::vector<std::int32_t> start(static_cast<size_t>(groups) + 1, 0);
    for (const std::int32_t group : groupOf)
        ++start[static_cast<size_t>(group) + 1];
    for (size_t g = 1; g < start.size(); ++g)
        start[g] += start[g - 1];
    std::vector<std::int32_t> members(groupOf.size());
    std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
    for (size_t occurrence = 0; occurrence < groupOf.size(); ++occurrence)
        members[static_cast<size_t>(fill[static_cast<size_t>(groupOf[occurrence])]++)] =
            static_cast<std::int32_t>(occurrence);

    // Comparing every pair i < j, edge a of i outer, edge b of j inner, the last match an occurrence
    // takes part in is the one that stays. Occurrence x of triangle i last matches the greatest
    // occurrence of the edge when that one lies in a later triangle (as the first of the pair, with
    // the latest j and then the latest b); otherwise the greatest occurrence in an earlier triangle
    // (as the second of the pair). Occurrences in its own triangle are never compared with it.
    for (std::int32_t g = 0; g < groups; ++g) {
        const std::int32_t begin = start[static_cast<size_t>(g)];
        const std::int32_t end = start[static_cast<size_t>(g) + 1];
        if (end - begin < 2)
            continue;
        const std::int32_t greatest = members[static_cast<size_t>(end - 1)];
        for (std::int32_t position = begin; position < end; ++position) {
            const std::int32_t x = members[static_cast<size_t>(position)];
            std::int32_t partner = -1;
            if (greatest / 3 > x / 3) {
                partner = greatest;
            } else {
                for (std::int32_t before = position - 1; before >= begin && partner < 0; --before) {
                    if (members[static_cast<size_t>(before)] / 3 < x / 3)
                        partner = members[static_cast<size_t>(before)];
                }
            }
            if (partner >= 0) {
                TriangleLinks& link = links[static_cast<size_t>(x / 3)];
                link.Neighbour[static_cast<size_t>(x % 3)] = partner / 3;
                link.NeighbourEdge[static_cast<size_t>(x % 3)] = partner % 3;
            }
        }
    }
    return links;
}

std::vector<BarrierRecord> FindBarriers(const std::vector<BarrierTriangle>& triangles,
                                        std::vector<TriangleLinks>& links, long long barrierCount,
                                        RunListener& listener)
{
    std::vector<BarrierRecord> barriers = FindBarriersWhileStartEdgesLast(triangles, links, barrierCount, listener);
    if (static_cast<long long>(barriers.size()) < barrierCount)
        throw OwnMessageAnalysisError(noStartEdgeMessage(static_cast<long long>(barriers.size()) + 1));
    return barriers;
}

std::vector<BarrierRecord> FindBarriersWhileStartEdgesLast(const std::vector<BarrierTriangle>& triangles,
                                                           std::vector<TriangleLinks>& links, long long barrierCount,
                                                           RunListener& listener)
{
    if (barrierCount < 1)
        throw AnalysisError("the number of barriers must be at least 1 (" + plainText(barrierCount) + " given)");
    if (links.size() != triangles.size())
        throw std::invalid_argument("FindBarriers needs the links of every triangle");

    std::vector<BarrierRecord> barriers;
    for (long long b = 1; b <= barrierCount; ++b) {
        listener.throwIfCancelled();

        // Greater or equal: among equal values the last in triangle, then edge order wins.
        double best = kLowestStart;
        std::int32_t ts = -1;
        std::int32_t es = -1;
        for (size_t t = 0; t < triangles.size(); ++t) {
            for (size_t e = 0; e < 3; ++e) {
                if (triangles[t].Edges[e].Value >= best && !links[t].Used[e]) {
                    best = triangles[t].Edges[e].Value;
                    ts = static_cast<std::int32_t>(t);
                    es = static_cast<std::int32_t>(e);
                }
            }
        }
        if (ts < 0)
            break;

        BarrierRecord barrier;
        BarrierWalk walk(triangles, links, barrier);
        walk.extend(ts, es, walk.startSegment(1, -1, -1));

        // The second direction starts on the other side of the start edge, which the first walk has
        // marked crossed; a start edge on the border leaves the segment with its slot 0 only.
        const size_t second = walk.startSegment(2, ts, es);
        const TriangleLinks& start = links[static_cast<size_t>(ts)];
        const std::int32_t tn = start.Neighbour[static_cast<size_t>(es)];
        if (tn >= 0) {
            const std::int32_t en = start.NeighbourEdge[static_cast<size_t>(es)];
            links[static_cast<size_t>(tn)].Used[static_cast<size_t>(en)] = false;
            walk.extend(tn, en, second);
        }

        // Every crossed edge counts as crossed from both sides for the next barriers.
        for (TriangleLinks& link : links) {
            for (size_t e = 0; e < 3; ++e) {
                if (link.Used[e] && link.Neighbour[e] >= 0)
                    links[static_cast<size_t>(link.Neighbour[e])].Used[static_cast<size_t>(link.NeighbourEdge[e])] =
                        true;
            }
        }

        countSubsegments(triangles, barrier);
        barriers.push_back(std::move(barrier));
    }
    return barriers;
}

MonmonierResult RunMonmonier(const MonmonierInput& input, RunListener& listener)
{
    if (input.settings.bootstrapReplicates > 0)
        throw std::invalid_argument("bootstrap replicates draw numbers: RunMonmonier needs the generator");
    RandomUniform unused(RandomUniform::kSmallestSeed, RandomUniform::kSmallestSeed);
    return RunMonmonier(input, unused, listener);
}

MonmonierResult RunMonmonier(const MonmonierInput& input, RandomUniform& random, RunListener& listener)
{
    const MonmonierSettings& settings = input.settings;
    if (settings.barrierCount < 1)
        throw AnalysisError("the number of barriers must be at least 1 (" + plainText(settings.barrierCount) +
                            " given)");
    requireBootstrapReplicates(settings.bootstrapReplicates);
    const bool residual = settings.distanceKind == MonmonierDistanceKind::Residual;
    ReadingSteps steps;
    steps.distancesStatus = "Calculating Distances";
    // Only the residuals take the chosen geographic distances.
    steps.straightLines = !residual;
    AnalysisData data = ReadAnalysisData(input, listener, steps);
    const SampleTable& table = data.table;
    // The barrier search reads whole matrices.
    SquareMatrix geographic = takeSquare(std::move(data.geographic));
    SquareMatrix G = takeSquare(std::move(data.genetic));
    std::vector<double> x(static_cast<size_t>(table.sampleCount()));
    std::vector<double> y(x.size());
    for (int i = 0; i < table.sampleCount(); ++i) {
        x[static_cast<size_t>(i)] = table.coordinateX(i);
        y[static_cast<size_t>(i)] = table.coordinateY(i);
    }
    MonmonierResult result;
    result.data = ComputeDataExtents(x, y);
    result.map = WidenByFivePercent(result.data);

    if (residual) {
        listener.status("Calculating Residuals");
        ResidualizeDistances(G, geographic);
    }
    // The replicates take residuals on the same geographic distances.
    const bool bootstrap = settings.bootstrapReplicates > 0;
    if (!bootstrap || !residual)
        geographic = SquareMatrix();

    listener.status("Triangulating");
    const DistinctLocations locations = GroupDistinctLocations(x, y);
    // Fewer than three locations give no triangle; the search then finds no start edge.
    const Triangulation triangulation =
        locations.count() >= 3 ? TriangulateLocations(locations, listener) : Triangulation{};

    listener.status("Implementing Algorithm");
    result.BarrierTriangles =
        BuildBarrierTriangles(locations, triangulation, G, input.useLatLong, input.settings.distanceKind);
    std::vector<TriangleLinks> links = FindNeighbours(result.BarrierTriangles);
    result.BarrierList = FindBarriers(result.BarrierTriangles, links, input.settings.barrierCount, listener);

    if (bootstrap) {
        const BarrierBootstrap replicates({table, input.dataType, input.useLatLong, settings.distanceKind,
                                           settings.barrierCount, geographic, locations, triangulation,
                                           result.BarrierTriangles});
        result.support = replicates.run(result.BarrierList, settings.bootstrapReplicates, settings.bootstrapThreads,
                                        random, listener);
    }

    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.dataType = input.dataType;
    if (residual)
        result.geoDistances = input.geoDistances;
    result.settings = input.settings;
    result.SampleNames = table.names;
    result.SampleX = std::move(x);
    result.SampleY = std::move(y);
    return result;
}

} // namespace tessaloc
