#include "analyses/monmonier/BarrierBootstrap.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/LocusResampling.h"
#include "core/ParallelRows.h"
#include "core/Permutations.h"
#include "core/ProcessGroup.h"
#include "core/ThreadCount.h"
#include "geometry/GeometryHelpers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
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

// The searches of a block of replicates as whole numbers, one replicate after another, so that a
// group of processes can share them: the outcome; for a searched replicate then the number of
// barriers, each barrier's number of edges and its edges, the number of pieces and their two edges.
class PackedSearches {
public:
    void add(const ReplicateSearch& search)
    {
        m_values.push_back(static_cast<std::int32_t>(search.outcome));
        if (search.outcome != ReplicateSearch::Outcome::Searched)
            return;
        const BarrierCrossings& crossings = search.crossings;
        m_values.push_back(static_cast<std::int32_t>(crossings.edges.size()));
        for (const std::vector<std::int32_t>& edges : crossings.edges) {
            m_values.push_back(static_cast<std::int32_t>(edges.size()));
            m_values.insert(m_values.end(), edges.begin(), edges.end());
        }
        m_values.push_back(static_cast<std::int32_t>(crossings.pieces.size()));
        for (const auto& [from, to] : crossings.pieces) {
            m_values.push_back(from);
            m_values.push_back(to);
        }
    }

    /// Every process's block after the others', in the order of the processes: afterwards this
    /// holds the searches of all replicates.
    void share(ProcessGroup& group)
    {
        const int processes = group.count();
        std::vector<std::uint64_t> sizes(static_cast<size_t>(processes), 0);
        sizes[static_cast<size_t>(group.index())] = m_values.size();
        group.shareBlocks(reinterpret_cast<std::byte*>(sizes.data()), sizeof(std::uint64_t),
                          evenBlockStarts(static_cast<size_t>(processes), processes));
        std::vector<size_t> starts(1, 0);
        for (const std::uint64_t size : sizes)
            starts.push_back(starts.back() + static_cast<size_t>(size));
        std::vector<std::int32_t> all(starts.back());
        std::copy(m_values.begin(), m_values.end(),
                  all.begin() + static_cast<std::ptrdiff_t>(starts[static_cast<size_t>(group.index())]));
        group.shareBlocks(reinterpret_cast<std::byte*>(all.data()), sizeof(std::int32_t), starts);
        m_values = std::move(all);
        m_read = 0;
    }

    /// The next search, in the order they were added.
    ReplicateSearch next()
    {
        ReplicateSearch search;
        search.outcome = static_cast<ReplicateSearch::Outcome>(take());
        if (search.outcome != ReplicateSearch::Outcome::Searched)
            return search;
        search.crossings.edges.resize(static_cast<size_t>(take()));
        for (std::vector<std::int32_t>& edges : search.crossings.edges) {
            edges.resize(static_cast<size_t>(take()));
            for (std::int32_t& edge : edges)
                edge = take();
        }
        search.crossings.pieces.resize(static_cast<size_t>(take()));
        for (auto& [from, to] : search.crossings.pieces) {
            from = take();
            to = take();
        }
        return search;
    }

private:
    std::int32_t take() { return m_values.at(m_read++); }

    std::vector<std::int32_t> m_values;
    size_t m_read = 0;
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

double BarrierBootstrap::searchBytes(int observations)
{
    const double n = static_cast<double>(observations);
    return (n * (n - 1.0) / 2.0 + n * n) * sizeof(double);
}

int BarrierBootstrap::searchesAtOnce(int observations, int threads)
{
    return workingCopiesAtOnce(searchBytes(observations), threads);
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

    auto count = [&](long long replicate, const ReplicateSearch& search) {
        switch (search.outcome) {
        case ReplicateSearch::Outcome::NoStartEdge:
            ++support.withoutStartEdge;
            break;
        case ReplicateSearch::Outcome::NoDistances:
            ++support.withoutDistances;
            break;
        case ReplicateSearch::Outcome::Searched:
            tally.add(replicate, search.crossings);
            break;
        }
    };
    // Without a locus to draw (no genetic data), no replicate has distances and none draws.
    auto draw = [&] { return m_units >= 1 ? DrawResample(m_units, random) : std::vector<int>(); };

    // With several processes each searches a contiguous block of replicates. Every process makes
    // every draw, in order, so that each block gets the loci a single process would draw for it and
    // every generator ends where a single process's would; the searches are then shared and counted
    // in replicate order.
    ProcessGroup* group = sharingProcessGroup();
    const bool shared = group && group->count() > 1;
    const OwnBlock block = ownBlock(static_cast<size_t>(replicates), group);
    const auto blockFirst = static_cast<long long>(block.first) + 1;
    const auto blockLast = static_cast<long long>(block.end);
    PackedSearches packed;
    for (long long replicate = 1; replicate < blockFirst; ++replicate)
        draw();

    const int threadCount = searchesAtOnce(m_data.table.sampleCount(), threads);
    const int capacity = batchCapacity(threadCount, m_units);
    std::vector<std::vector<int>> draws(static_cast<size_t>(capacity));
    std::vector<ReplicateSearch> searches(static_cast<size_t>(capacity));
    std::vector<std::exception_ptr> failures(static_cast<size_t>(capacity));

    for (long long first = blockFirst; first <= blockLast; first += capacity) {
        listener.throwIfCancelled();
        const int slots = static_cast<int>(std::min<long long>(capacity, blockLast - first + 1));
        for (int slot = 0; slot < slots; ++slot)
            draws[static_cast<size_t>(slot)] = draw();

        // Each replicate is one thread's work; its distances take no threads of their own.
        forEachItemOnThreads(slots, threadCount, [&](int slot) {
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

        for (int slot = 0; slot < slots; ++slot) {
            const size_t s = static_cast<size_t>(slot);
            if (failures[s])
                std::rethrow_exception(failures[s]);
            const long long replicate = first + slot;
            if (shared)
                packed.add(searches[s]);
            else
                count(replicate, searches[s]);
            if (replicate % 10 == 0)
                listener.status(replicateStatus("Bootstrap: ", static_cast<int>(replicate)));
        }
        listener.progress(first + slots - 1, replicates);
    }

    if (shared) {
        for (long long replicate = blockLast + 1; replicate <= replicates; ++replicate)
            draw();
        packed.share(*group);
        for (long long replicate = 1; replicate <= replicates; ++replicate)
            count(replicate, packed.next());
    }
    tally.fill(support, observedCrossings, m_data.barrierCount);
    return support;
}

} // namespace tessaloc
