#include "tests/support/LiteralMonmonier.h"

#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/NearMaximum.h"
#include "core/NumberText.h"
#include "geometry/GeometryHelpers.h"

#include <cmath>
#include <string>

namespace tessaloc::reference {
namespace {

// The 1-based records of the search, fields as the data model lists them.
struct Edge {
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, MidX = 0, MidY = 0, Value = 0, Length = 0;
};
struct Triangle {
    double VertexX[4] = {};
    double VertexY[4] = {};
    Edge Edges[4];
};
struct Links {
    int Neighbour[4] = {0, -1, -1, -1};
    int NeighbourEdge[4] = {};
    bool Used[4] = {};
};
struct Segment {
    std::vector<int> Triangles{0};
    std::vector<int> Edges{0};
    int SubsegmentCount = 0;
    int Kind = 0;
};
struct Barrier {
    double AverageValue = 0;
    double SumOfValues = 0;
    std::vector<Segment> Segments{Segment()}; // entry 0 unused
    int SubsegmentCount = 0;
};

struct Search {
    std::vector<Triangle> BarrierTriangles;
    std::vector<Links> TriangleLinks;
    std::vector<Barrier> BarrierList;
    int T = 0;

    void append(int s, int b, int t, int e)
    {
        BarrierList[b].Segments[s].Triangles.push_back(t);
        BarrierList[b].Segments[s].Edges.push_back(e);
    }

    void ExtendBarrier(int t, int e, int s, int b)
    {
        append(s, b, t, e);
        if (TriangleLinks[t].Used[e])
            return;
        TriangleLinks[t].Used[e] = true;
        if (TriangleLinks[t].Neighbour[e] > 0)
            TriangleLinks[TriangleLinks[t].Neighbour[e]].Used[TriangleLinks[t].NeighbourEdge[e]] = true;
        int f1 = 0, f2 = 0;
        for (int f = 1; f <= 3; ++f) {
            if (f == e)
                continue;
            if (f1 == 0)
                f1 = f;
            else
                f2 = f;
        }
        const double v1 = BarrierTriangles[t].Edges[f1].Value;
        const double v2 = BarrierTriangles[t].Edges[f2].Value;
        if (v1 > v2) {
            Cross(t, f1, s, b);
        } else if (v1 == v2) {
            Cross(t, f1, s, b);
            Segment branch;
            branch.Kind = 3;
            branch.Triangles[0] = t;
            branch.Edges[0] = e;
            BarrierList[b].Segments.push_back(branch);
            Cross(t, f2, static_cast<int>(BarrierList[b].Segments.size()) - 1, b);
        } else {
            Cross(t, f2, s, b);
        }
    }

    void Cross(int t, int f, int s, int b)
    {
        if (TriangleLinks[t].Neighbour[f] > 0) {
            ExtendBarrier(TriangleLinks[t].Neighbour[f], TriangleLinks[t].NeighbourEdge[f], s, b);
        } else {
            append(s, b, t, f);
            TriangleLinks[t].Used[f] = true;
        }
    }
};

void literalNeighbourSearch(const std::vector<Triangle>& triangles, std::vector<Links>& links, int T)
{
    for (int i = 1; i <= T; ++i)
        for (int j = i + 1; j <= T; ++j)
            for (int a = 1; a <= 3; ++a)
                for (int b = 1; b <= 3; ++b)
                    if (SameEdge(triangles[i].Edges[a], triangles[j].Edges[b])) {
                        links[i].Neighbour[a] = j;
                        links[j].Neighbour[b] = i;
                        links[i].NeighbourEdge[a] = b;
                        links[j].NeighbourEdge[b] = a;
                    }
}

TriangleLinks zeroBasedLinks(const Links& link)
{
    TriangleLinks out;
    for (int e = 1; e <= 3; ++e) {
        out.Neighbour[e - 1] = link.Neighbour[e] > 0 ? link.Neighbour[e] - 1 : -1;
        out.NeighbourEdge[e - 1] = link.Neighbour[e] > 0 ? link.NeighbourEdge[e] - 1 : -1;
        out.Used[e - 1] = link.Used[e];
    }
    return out;
}

} // namespace

std::vector<TriangleLinks> literalNeighbours(const std::vector<BarrierTriangle>& triangles)
{
    const int T = static_cast<int>(triangles.size());
    std::vector<Triangle> table(static_cast<size_t>(T) + 1);
    for (int t = 1; t <= T; ++t)
        for (int e = 1; e <= 3; ++e) {
            const TriangleEdge& edge = triangles[static_cast<size_t>(t - 1)].Edges[static_cast<size_t>(e - 1)];
            table[t].Edges[e] = {edge.X1, edge.Y1, edge.X2, edge.Y2, edge.MidX, edge.MidY, edge.Value, edge.Length};
        }
    std::vector<Links> links(static_cast<size_t>(T) + 1);
    literalNeighbourSearch(table, links, T);
    std::vector<TriangleLinks> out;
    for (int t = 1; t <= T; ++t)
        out.push_back(zeroBasedLinks(links[t]));
    return out;
}

LiteralBarriers literalMonmonier(const std::vector<double>& x, const std::vector<double>& y, const SquareMatrix& G,
                                 const std::vector<TriangleRec>& triangles, bool useLatLong, MonmonierDistanceKind kind,
                                 long long barrierCount)
{
    const int N = static_cast<int>(x.size());
    // The locations, by the texts of X and Y, 1-based.
    std::vector<std::string> xTexts{""}, yTexts{""};
    std::vector<double> LocX{0}, LocY{0};
    for (int i = 1; i <= N; ++i) {
        const std::string tx = plainText(x[i - 1]);
        const std::string ty = plainText(y[i - 1]);
        bool known = false;
        for (size_t p = 1; p < xTexts.size(); ++p)
            if (xTexts[p] == tx && yTexts[p] == ty)
                known = true;
        if (!known) {
            xTexts.push_back(tx);
            yTexts.push_back(ty);
            LocX.push_back(*parseDecimal(tx));
            LocY.push_back(*parseDecimal(ty));
        }
    }
    const int M = static_cast<int>(LocX.size()) - 1;
    // Their members by numeric equality, observation numbers 1-based.
    std::vector<int> count(static_cast<size_t>(M) + 1, 0);
    std::vector<std::vector<int>> members(static_cast<size_t>(M) + 1);
    for (int j = 1; j <= M; ++j)
        for (int i = 1; i <= N; ++i)
            if (x[i - 1] == LocX[j] && y[i - 1] == LocY[j]) {
                ++count[j];
                members[j].push_back(i);
            }

    // The triangles with their edges, lengths and values.
    Search search;
    search.T = static_cast<int>(triangles.size());
    const int T = search.T;
    search.BarrierTriangles.resize(static_cast<size_t>(T) + 1);
    for (int t = 1; t <= T; ++t) {
        const TriangleRec& rec = triangles[static_cast<size_t>(t - 1)];
        Triangle& tri = search.BarrierTriangles[t];
        const int corners[4] = {0, rec.CornerA.value + 1, rec.CornerB.value + 1, rec.CornerC.value + 1};
        for (int c = 1; c <= 3; ++c) {
            tri.VertexX[c] = LocX[corners[c]];
            tri.VertexY[c] = LocY[corners[c]];
        }
        int location[4] = {};
        for (int c = 1; c <= 3; ++c)
            for (int j = 1; j <= M; ++j)
                if (LocX[j] == tri.VertexX[c] && LocY[j] == tri.VertexY[c])
                    location[c] = j;
        for (int e = 1; e <= 3; ++e) {
            const int a = e;
            const int b = e == 3 ? 1 : e + 1;
            Edge& edge = tri.Edges[e];
            edge.X1 = tri.VertexX[a];
            edge.Y1 = tri.VertexY[a];
            edge.X2 = tri.VertexX[b];
            edge.Y2 = tri.VertexY[b];
            edge.MidX = Midpoint(edge.X1, edge.X2);
            edge.MidY = Midpoint(edge.Y1, edge.Y2);
            if (useLatLong)
                edge.Length = GreatCircleDistance(edge.X1, edge.Y1, edge.X2, edge.Y2);
            else
                edge.Length =
                    std::sqrt((edge.X1 - edge.X2) * (edge.X1 - edge.X2) + (edge.Y1 - edge.Y2) * (edge.Y1 - edge.Y2));
            double sum = 0;
            for (const int p : members[location[a]])
                for (const int q : members[location[b]])
                    sum = sum + G(p - 1, q - 1);
            edge.Value = sum / (count[location[a]] * count[location[b]]);
            if (kind == MonmonierDistanceKind::Pseudoslope)
                edge.Value = edge.Value / edge.Length;
        }
    }

    // The neighbours.
    search.TriangleLinks.resize(static_cast<size_t>(T) + 1);
    literalNeighbourSearch(search.BarrierTriangles, search.TriangleLinks, T);

    // The barriers, one after the other.
    search.BarrierList.resize(static_cast<size_t>(barrierCount) + 1);
    for (int b = 1; b <= barrierCount; ++b) {
        double best = -kNearMaximum14Digits;
        int ts = 0, es = 0;
        for (int t = 1; t <= T; ++t)
            for (int e = 1; e <= 3; ++e)
                if (search.BarrierTriangles[t].Edges[e].Value >= best && !search.TriangleLinks[t].Used[e]) {
                    best = search.BarrierTriangles[t].Edges[e].Value;
                    ts = t;
                    es = e;
                }
        if (ts == 0)
            throw AnalysisError(noStartEdgeMessage(b));
        Segment first;
        first.Kind = 1;
        search.BarrierList[b].Segments.push_back(first);
        search.ExtendBarrier(ts, es, 1, b);
        Segment second;
        second.Kind = 2;
        second.Triangles[0] = ts;
        second.Edges[0] = es;
        search.BarrierList[b].Segments.push_back(second);
        const int s = static_cast<int>(search.BarrierList[b].Segments.size()) - 1;
        const int tn = search.TriangleLinks[ts].Neighbour[es];
        const int en = search.TriangleLinks[ts].NeighbourEdge[es];
        if (tn != -1) {
            search.TriangleLinks[tn].Used[en] = false;
            search.ExtendBarrier(tn, en, s, b);
        }
        for (int t = 1; t <= T; ++t)
            for (int e = 1; e <= 3; ++e)
                if (search.TriangleLinks[t].Used[e] && search.TriangleLinks[t].Neighbour[e] > 0)
                    search.TriangleLinks[search.TriangleLinks[t].Neighbour[e]]
                        .Used[search.TriangleLinks[t].NeighbourEdge[e]] = true;

        Barrier& barrier = search.BarrierList[b];
        for (size_t k = 1; k < barrier.Segments.size(); ++k) {
            Segment& segment = barrier.Segments[k];
            const int U = static_cast<int>(segment.Triangles.size()) - 1;
            int from = 1;
            if (segment.Kind == 1) {
                segment.SubsegmentCount = U;
            } else if (segment.Kind == 2) {
                segment.SubsegmentCount = U - 1 < 0 ? 0 : U - 1;
                from = 2;
            } else {
                segment.SubsegmentCount = U < 0 ? 0 : U;
            }
            for (int slot = from; slot <= U; ++slot)
                barrier.SumOfValues = barrier.SumOfValues +
                                      search.BarrierTriangles[segment.Triangles[slot]].Edges[segment.Edges[slot]].Value;
            barrier.SubsegmentCount = barrier.SubsegmentCount + segment.SubsegmentCount;
        }
        barrier.AverageValue = barrier.SumOfValues / barrier.SubsegmentCount;
    }

    LiteralBarriers out;
    for (int t = 1; t <= T; ++t) {
        const Triangle& tri = search.BarrierTriangles[t];
        BarrierTriangle converted;
        for (int c = 1; c <= 3; ++c) {
            converted.VertexX[c - 1] = tri.VertexX[c];
            converted.VertexY[c - 1] = tri.VertexY[c];
            const Edge& edge = tri.Edges[c];
            converted.Edges[c - 1] = {edge.X1,   edge.Y1,   edge.X2,    edge.Y2,
                                      edge.MidX, edge.MidY, edge.Value, edge.Length};
        }
        out.triangles.push_back(converted);
        out.links.push_back(zeroBasedLinks(search.TriangleLinks[t]));
    }
    for (int b = 1; b <= barrierCount; ++b) {
        const Barrier& barrier = search.BarrierList[b];
        BarrierRecord record;
        record.AverageValue = barrier.AverageValue;
        record.SumOfValues = barrier.SumOfValues;
        record.SubsegmentCount = barrier.SubsegmentCount;
        for (size_t k = 1; k < barrier.Segments.size(); ++k) {
            const Segment& segment = barrier.Segments[k];
            BarrierSegment converted;
            converted.Kind = segment.Kind;
            converted.SubsegmentCount = segment.SubsegmentCount;
            for (size_t slot = 0; slot < segment.Triangles.size(); ++slot) {
                converted.Triangles.push_back(segment.Triangles[slot] - 1);
                converted.Edges.push_back(segment.Edges[slot] - 1);
            }
            record.Segments.push_back(converted);
        }
        out.barriers.push_back(record);
    }
    return out;
}

namespace {

// The table made of the loci (or, for sequences, the sites) at `drawn`, built field by field.
SampleTable resampledLiterally(const SampleTable& table, DataType dataType, const std::vector<int>& drawn)
{
    SampleTable out = table;
    if (dataType != DataType::Sequences) {
        out.locusCount = static_cast<int>(drawn.size());
        out.genotypes.assign(drawn.size(), GenotypeColumn());
        for (size_t q = 0; q < drawn.size(); ++q)
            for (int i = 0; i < table.sampleCount(); ++i)
                out.genotypes[q].push_back(table.genotype(drawn[q], i));
        return out;
    }
    GenotypeColumn sequences;
    for (int i = 0; i < table.sampleCount(); ++i) {
        const std::string& own = table.genotype(0, i);
        std::string sites;
        for (const int p : drawn)
            sites += static_cast<size_t>(p) < own.size() ? own[static_cast<size_t>(p)] : '\0';
        sequences.push_back(sites);
    }
    out.genotypes[0] = sequences;
    return out;
}

size_t literalEdgeIndex(LiteralSupport& support, const TriangleEdge& edge, long long barrierCount)
{
    for (size_t k = 0; k < support.edges.size(); ++k) {
        if (SameEdge(support.edges[k], edge))
            return k;
    }
    support.edges.push_back(edge);
    support.barrierCounts.emplace_back(static_cast<size_t>(barrierCount), 0);
    support.anyCounts.push_back(0);
    return support.edges.size() - 1;
}

} // namespace

LiteralSupport literalBarrierSupport(const SampleTable& table, DataType dataType, bool useLatLong,
                                     MonmonierDistanceKind kind, long long barrierCount, long long replicates,
                                     RandomUniform& random)
{
    std::vector<double> x, y;
    for (int i = 0; i < table.sampleCount(); ++i) {
        x.push_back(table.coordinateX(i));
        y.push_back(table.coordinateY(i));
    }
    const SquareMatrix geographic = BuildGeographicDistances(table, useLatLong).square();
    const std::vector<TriangleRec> triangles = TriangulateLocations(GroupDistinctLocations(x, y)).TriangleTable;
    const int units =
        dataType == DataType::Sequences ? static_cast<int>(table.genotype(0, 0).size()) : table.locusCount;

    LiteralSupport support;
    for (long long r = 1; r <= replicates; ++r) {
        std::vector<int> drawn;
        for (int u = 0; u < units; ++u)
            drawn.push_back(static_cast<int>(random.next() * units));
        SquareMatrix G;
        try {
            G = BuildGeneticDistances(resampledLiterally(table, dataType, drawn), dataType).square();
        } catch (const DataProblem&) {
            ++support.withoutDistances;
            continue;
        }
        if (kind == MonmonierDistanceKind::Residual)
            ResidualizeDistances(G, geographic);
        LiteralBarriers search;
        try {
            search = literalMonmonier(x, y, G, triangles, useLatLong, kind, barrierCount);
        } catch (const AnalysisError&) {
            ++support.withoutStartEdge;
            continue;
        }

        std::vector<bool> anyHere(support.edges.size(), false);
        std::vector<std::pair<size_t, size_t>> piecesHere;
        for (long long b = 0; b < barrierCount; ++b) {
            std::vector<bool> here(support.edges.size(), false);
            const BarrierRecord& barrier = search.barriers[static_cast<size_t>(b)];
            for (size_t s = 0; s < barrier.Segments.size(); ++s) {
                const BarrierSegment& segment = barrier.Segments[s];
                size_t previous = 0;
                for (size_t slot = 0; slot < segment.Triangles.size(); ++slot) {
                    if (segment.Triangles[slot] < 0)
                        continue;
                    const TriangleEdge& edge = search.triangles[static_cast<size_t>(segment.Triangles[slot])]
                                                   .Edges[static_cast<size_t>(segment.Edges[slot])];
                    const size_t k = literalEdgeIndex(support, edge, barrierCount);
                    here.resize(support.edges.size(), false);
                    anyHere.resize(support.edges.size(), false);
                    if (!here[k])
                        ++support.barrierCounts[k][static_cast<size_t>(b)];
                    here[k] = true;
                    if (!anyHere[k])
                        ++support.anyCounts[k];
                    anyHere[k] = true;
                    // The map joins slots 1..U of the first segment and 0..U of every later one.
                    const bool joined = s == 0 ? slot >= 2 : slot >= 1;
                    if (joined && previous != k) {
                        bool seen = false;
                        for (const auto& [p, q] : piecesHere)
                            seen = seen || (p == previous && q == k) || (p == k && q == previous);
                        if (!seen)
                            piecesHere.emplace_back(previous, k);
                    }
                    previous = k;
                }
            }
        }
        for (const auto& [p, q] : piecesHere) {
            size_t found = support.pieces.size();
            for (size_t j = 0; j < support.pieces.size(); ++j) {
                const auto& [a, c] = support.pieces[j];
                if ((a == p && c == q) || (a == q && c == p))
                    found = j;
            }
            if (found == support.pieces.size()) {
                support.pieces.emplace_back(p, q);
                support.pieceCounts.push_back(0);
            }
            ++support.pieceCounts[found];
        }
    }
    return support;
}

} // namespace tessaloc::reference
