#include "analyses/monmonier/BarrierBootstrap.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/LocusResampling.h"
#include "core/ParallelRows.h"
#include "core/Permutations.h"
#include "core/ThreadCount.h"
#include "geometry/GeometryHelpers.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

namespace tessaloc {
namespace {

std::uint64_t pairKey(std::int32_t high, std::int32_t low)
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | static_cast<std::uint32_t>(low);
}

// Replicates a batch holds: enough to keep every thread busy, but no more than about 32 MB of drawn
// positions, however many loci or sites there are.
int batchCapacity(int threads, int units)
{
    const long long byMemory = std::max(1LL, (32LL << 20) / (4LL * std::max(units, 1)));
    const long long wanted = std::max<long long>(16LL * threads, 64);
    return static_cast<int>(std::clamp<long long>(std::min(wanted, byMemory), 1, 4096));
}

// The counts of the replicates, added up in replicate order.
class SupportTally {
public:
    SupportTally(std::int32_t edgeCount)
        : m_any(static_cast<size_t>(edgeCount), 0)
        , m_lastReplicate(static_cast<size_t>(edgeCount), -1)
    {
    }

    void add(long long replicate, const BarrierCrossings& crossings)
    {
        for (size_t b = 0; b < crossings.edges.size(); ++b) {
            for (const std::int32_t edge : crossings.edges[b]) {
                ++m_barriers[pairKey(edge, static_cast<std::int32_t>(b))];
                // An edge that two barriers cross (where one ends at the other) counts once.
                if (m_lastReplicate[static_cast<size_t>(edge)] != replicate) {
                    m_lastReplicate[static_cast<size_t>(edge)] = replicate;
                    ++m_any[static_cast<size_t>(edge)];
                }
            }
        }
        for (const auto& [from, to] : crossings.pieces)
            ++m_pieces[pairKey(from, to)];
    }

    // The rows of every edge crossed by an observed barrier or in a replicate, and the pieces.
    void fill(BarrierSupport& support, const BarrierCrossings& observed, long long barrierCount) const
    {
        const std::int32_t edgeCount = support.edges.count();
        std::vector<std::int32_t> observedBy(static_cast<size_t>(edgeCount), 0);
        for (size_t b = observed.edges.size(); b-- > 0;) {
            for (const std::int32_t edge : observed.edges[b])
                observedBy[static_cast<size_t>(edge)] = static_cast<std::int32_t>(b) + 1;
        }
        support.rowOf.assign(static_cast<size_t>(edgeCount), -1);
        for (std::int32_t edge = 0; edge < edgeCount; ++edge) {
            const size_t e = static_cast<size_t>(edge);
            if (m_any[e] == 0 && observedBy[e] == 0)
                continue;
            support.rowOf[e] = static_cast<std::int32_t>(support.rows.size());
            EdgeSupport row;
            row.edge = edge;
            row.observed = observedBy[e];
            row.any = m_any[e];
            row.barriers.assign(static_cast<size_t>(barrierCount), 0);
            support.rows.push_back(std::move(row));
        }
        for (const auto& [key, count] : m_barriers) {
            const auto edge = static_cast<size_t>(key >> 32);
            const auto barrier = static_cast<size_t>(key & 0xFFFFFFFFu);
            support.rows[static_cast<size_t>(support.rowOf[edge])].barriers[barrier] = count;
        }

        std::vector<std::uint64_t> keys;
        keys.reserve(m_pieces.size());
        for (const auto& entry : m_pieces)
            keys.push_back(entry.first);
        std::sort(keys.begin(), keys.end());
        for (const std::uint64_t key : keys) {
            PieceSupport piece;
            piece.from = static_cast<std::int32_t>(key >> 32);
            piece.to = static_cast<std::int32_t>(key & 0xFFFFFFFFu);
            piece.any = m_pieces.at(key);
            piece.observed = std::binary_search(observed.pieces.begin(), observed.pieces.end(),
                                                std::make_pair(piece.from, piece.to));
            support.pieces.push_back(piece);
        }
    }

private:
    std::vector<std::int32_t> m_any;
    std::vector<long long> m_lastReplicate;
    std::unordered_map<std::uint64_t, std::int32_t> m_barriers; // (edge, barrier index) -> replicates
    std::unordered_map<std::uint64_t, std::int32_t> m_pieces;   // (from, to) -> replicates
};

} // namespace

BarrierCrossings CrossingsOf(const std::vector<BarrierRecord>& barriers, const EdgeNumbers& numbers)
{
    BarrierCrossings crossings;
    crossings.edges.resize(barriers.size());
    for (size_t b = 0; b < barriers.size(); ++b) {
        std::vector<std::int32_t>& edges = crossings.edges[b];
        const std::vector<BarrierSegment>& segments = barriers[b].Segments;
        for (size_t s = 0; s < segments.size(); ++s) {
            const BarrierSegment& segment = segments[s];
            std::int32_t previous = -1;
            for (int k = 0; k <= segment.lastSlot(); ++k) {
                const size_t slot = static_cast<size_t>(k);
                if (segment.Triangles[slot] < 0)
                    continue; // the first segment's slot 0 names no edge
                const std::int32_t edge = numbers.id(segment.Triangles[slot], segment.Edges[slot]);
                edges.push_back(edge);
                // The lines BarrierLines draws: slots 1..U of the first segment, 0..U of the others.
                if (k >= (s == 0 ? 2 : 1) && previous != edge)
                    crossings.pieces.emplace_back(std::min(previous, edge), std::max(previous, edge));
                previous = edge;
            }
        }
        std::sort(edges.begin(), edges.end());
        edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    }
    std::sort(crossings.pieces.begin(), crossings.pieces.end());
    crossings.pieces.erase(std::unique(crossings.pieces.begin(), crossings.pieces.end()), crossings.pieces.end());
    return crossings;
}

std::string singleUnitBootstrapWarning(DataType dataType)
{
    const char* unit = dataType == DataType::Sequences ? "site" : "locus";
    return std::string("Only one ") + unit + " to resample: every bootstrap replicate repeats the data, so the " +
           "support of the barriers is meaningless.";
}

BarrierBootstrap::BarrierBootstrap(const BarrierSearchData& data)
    : m_data(data)
    , m_units(ResampledUnitCount(data.table, data.dataType))
    , m_edges(NumberEdges(data.triangles))
    , m_links(FindNeighbours(data.triangles))
{
}

ReplicateSearch BarrierBootstrap::search(const std::vector<int>& drawn) const
{
    ReplicateSearch replicate;
    SquareMatrix G;
    try {
        G = BuildGeneticDistances(ResampledTable(m_data.table, m_data.dataType, drawn), m_data.dataType).square();
    } catch (const DataProblem&) {
        replicate.outcome = ReplicateSearch::Outcome::NoDistances;
        return replicate;
    }
    if (m_data.kind == MonmonierDistanceKind::Residual)
        ResidualizeDistances(G, m_data.geographic);
    const std::vector<BarrierTriangle> triangles =
        BuildBarrierTriangles(m_data.locations, m_data.triangulation, G, m_data.useLatLong, m_data.kind);
    std::vector<TriangleLinks> links = m_links;
    const std::vector<BarrierRecord> barriers = FindBarriersWhileStartEdgesLast(triangles, links, m_data.barrierCount);
    if (static_cast<long long>(barriers.size()) < m_data.barrierCount) {
        replicate.outcome = ReplicateSearch::Outcome::NoStartEdge;
        return replicate;
    }
    replicate.crossings = CrossingsOf(barriers, m_edges);
    return replicate;
}

BarrierSupport BarrierBootstrap::run(const std::vector<BarrierRecord>& observed, long long replicates, int threads,
                                     RandomUniform& random, RunListener& listener) const
{
    requireBootstrapReplicates(replicates);
    BarrierSupport support;
    support.replicates = replicates;
    support.resampledUnits = m_units;
    support.edges = m_edges;
    const BarrierCrossings observedCrossings = CrossingsOf(observed, m_edges);
    SupportTally tally(m_edges.count());
    if (replicates == 0) {
        tally.fill(support, observedCrossings, m_data.barrierCount);
        return support;
    }
    if (m_units == 1)
        listener.warning(singleUnitBootstrapWarning(m_data.dataType));

    const int threadCount = threads > 0 ? threads : defaultThreadCount();
    const int capacity = batchCapacity(threadCount, m_units);
    std::vector<std::vector<int>> draws(static_cast<size_t>(capacity));
    std::vector<ReplicateSearch> searches(static_cast<size_t>(capacity));
    std::vector<std::exception_ptr> failures(static_cast<size_t>(capacity));

    for (long long first = 1; first <= replicates; first += capacity) {
        listener.throwIfCancelled();
        const int count = static_cast<int>(std::min<long long>(capacity, replicates - first + 1));
        // Without a locus to draw (no genetic data), no replicate has distances.
        for (int slot = 0; slot < count; ++slot)
            draws[static_cast<size_t>(slot)] = m_units >= 1 ? DrawResample(m_units, random) : std::vector<int>();

        // Each replicate is one thread's work; its distances take no threads of their own.
        forEachItemOnThreads(count, threadCount, [&](int slot) {
            const size_t s = static_cast<size_t>(slot);
            failures[s] = nullptr;
            try {
                if (m_units >= 1) {
                    searches[s] = search(draws[s]);
                } else {
                    searches[s] = ReplicateSearch{ReplicateSearch::Outcome::NoDistances, {}};
                }
            } catch (...) {
                failures[s] = std::current_exception();
            }
        });

        for (int slot = 0; slot < count; ++slot) {
            const size_t s = static_cast<size_t>(slot);
            if (failures[s])
                std::rethrow_exception(failures[s]);
            const long long replicate = first + slot;
            switch (searches[s].outcome) {
            case ReplicateSearch::Outcome::NoStartEdge:
                ++support.withoutStartEdge;
                break;
            case ReplicateSearch::Outcome::NoDistances:
                ++support.withoutDistances;
                break;
            case ReplicateSearch::Outcome::Searched:
                tally.add(replicate, searches[s].crossings);
                break;
            }
            if (replicate % 10 == 0)
                listener.status(replicateStatus("Bootstrap: ", static_cast<int>(replicate)));
        }
        listener.progress(first + count - 1, replicates);
    }
    tally.fill(support, observedCrossings, m_data.barrierCount);
    return support;
}

} // namespace tessaloc
