#include "resistance/LeastCostDistances.h"

#include "core/Errors.h"
#include "core/ThreadCount.h"
#include "resistance/SurfaceGraph.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

namespace tessaloc {
namespace {

// A cell waiting in a queue with its distance when it was pushed. Entries are not updated in place:
// a cell whose distance falls is pushed again, and its older entries are skipped when they come out.
struct QueueEntry {
    double distance;
    std::int64_t cell;
};

// Dial's buckets: a circle of buckets each as wide as half the cheapest step. A step from a cell in
// bucket k lands at least two buckets further on, so no cell of the lowest bucket can lower another
// one's distance: they are all final and come out in any order, with the distances Dijkstra's
// search gives (the margin of half a step covers the rounding of the sums). Suits surfaces whose
// steps cost within a factor of some thousands of each other.
class BucketQueue {
public:
    BucketQueue(double cheapestStep, double dearestStep)
        : m_perBucket(2.0 / cheapestStep)
        , m_buckets(std::bit_ceil(static_cast<size_t>(std::ceil(dearestStep * m_perBucket)) + 2))
        , m_mask(m_buckets.size() - 1)
    {
    }
    /// The number of buckets a surface with these steps needs (before rounding up to a power of two).
    static double bucketsFor(double cheapestStep, double dearestStep) { return dearestStep * 2.0 / cheapestStep + 2; }

    bool empty() const { return m_size == 0; }
    void clear()
    {
        for (auto& bucket : m_buckets)
            bucket.clear();
        m_lowest = 0;
        m_size = 0;
    }
    void push(double distance, std::int64_t cell)
    {
        m_buckets[static_cast<std::uint64_t>(distance * m_perBucket) & m_mask].push_back({distance, cell});
        ++m_size;
    }
    QueueEntry pop()
    {
        while (m_buckets[m_lowest].empty())
            m_lowest = (m_lowest + 1) & m_mask;
        const QueueEntry entry = m_buckets[m_lowest].back();
        m_buckets[m_lowest].pop_back();
        --m_size;
        return entry;
    }

private:
    double m_perBucket;
    std::vector<std::vector<QueueEntry>> m_buckets; // a power of two of them, for the mask
    size_t m_mask;
    size_t m_lowest = 0;
    size_t m_size = 0;
};

// For steps of any spread: a monotone priority queue whose entries sit in buckets by the highest
// bit in which their key differs from the last key taken (keys never fall below it). Distances are
// non-negative doubles, whose bit patterns order the same way.
class RadixHeap {
public:
    bool empty() const { return m_size == 0; }
    void clear()
    {
        for (auto& bucket : m_buckets)
            bucket.clear();
        m_last = 0;
        m_size = 0;
    }
    void push(double distance, std::int64_t cell)
    {
        const auto key = std::bit_cast<std::uint64_t>(distance);
        m_buckets[bucketOf(key)].push_back({key, cell});
        ++m_size;
    }
    QueueEntry pop()
    {
        if (m_buckets[0].empty()) {
            size_t i = 1;
            while (m_buckets[i].empty())
                ++i;
            auto& bucket = m_buckets[i];
            m_last = std::min_element(bucket.begin(), bucket.end(), [](const Entry& a, const Entry& b) {
                         return a.key < b.key;
                     })->key;
            for (const Entry& entry : bucket)
                m_buckets[bucketOf(entry.key)].push_back(entry);
            bucket.clear();
        }
        const Entry entry = m_buckets[0].back();
        m_buckets[0].pop_back();
        --m_size;
        return {std::bit_cast<double>(entry.key), entry.cell};
    }

private:
    struct Entry {
        std::uint64_t key;
        std::int64_t cell;
    };
    size_t bucketOf(std::uint64_t key) const
    {
        return key == m_last ? 0 : 64 - static_cast<size_t>(std::countl_zero(key ^ m_last));
    }

    std::array<std::vector<Entry>, 65> m_buckets;
    std::uint64_t m_last = 0;
    size_t m_size = 0;
};

// Dial's buckets up to this many, the radix heap beyond.
constexpr double kMostBuckets = 1 << 16;

// The surface with a frame of closed cells around it, so that no step needs a bounds check. A cell
// no path may enter (the frame, impassable cells, parts no observation is in) has an infinite
// resistance: every step into it costs infinity and is never taken.
//
// Resistances and step lengths are kept scaled by powers of two (exactly, so the distances are those
// of the unscaled surface to the last bit) such that the dearest step costs about 1: then no step's
// cost and no path's cost over fewer than 2^1000 cells overflows, whatever the size of the numbers
// of the surface, and the queues see costs of a fixed range.
struct FramedSurface {
    std::int64_t width = 0;
    std::vector<double> resistance;
    std::vector<std::int64_t> offsets;
    /// Half the length of each step, per framed row (a step costs (r1 + r2) x half length), one
    /// row of steps after the other; only the first row when all rows are alike (planar).
    std::vector<double> halfLength;
    bool sameInEveryRow = true;
    /// Bounds of the cost of a step (scaled): the smallest and largest resistance and half length.
    double cheapestStep = 0.0;
    double dearestStep = 0.0;
    /// A scaled cost is the cost times 2^-scale.
    int scale = 0;

    std::int64_t framed(CellIndex cell, int columns) const { return (cell / columns + 1) * width + cell % columns + 1; }
};

// The power of two that brings `value` (finite, above 0) into [0.5, 1).
int exponentOf(double value)
{
    return std::ilogb(value) + 1;
}

FramedSurface frameSurface(const ResistanceSurface& surface, const std::vector<std::uint8_t>& joined, int neighbours,
                           const ResistanceRange& range)
{
    FramedSurface framed;
    const int columns = surface.columns();
    const int rows = surface.rows();
    framed.width = columns + 2;
    const auto size = static_cast<size_t>(framed.width) * static_cast<size_t>(rows + 2);
    framed.resistance.assign(size, std::numeric_limits<double>::infinity());
    const int resistanceScale = exponentOf(range.highest);
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        if (joined[static_cast<size_t>(cell)])
            framed.resistance[static_cast<size_t>(framed.framed(cell, columns))] =
                std::ldexp(surface.resistance(cell), -resistanceScale);
    }
    const std::vector<CellStep> steps = cellSteps(neighbours);
    for (const CellStep& step : steps)
        framed.offsets.push_back(step.rows * framed.width + step.columns);
    const StepLengths lengths = surface.stepLengths();
    framed.sameInEveryRow = !surface.geographic();
    const int tableRows = framed.sameInEveryRow ? 1 : rows + 2;
    // Steps that would leave the surface end in the frame; their length of 1 keeps their cost
    // infinite (not 0 x infinity).
    framed.halfLength.assign(steps.size() * static_cast<size_t>(tableRows), 0.5);
    double shortest = std::numeric_limits<double>::infinity();
    double longest = 0.0;
    std::vector<std::uint8_t> onSurface(framed.halfLength.size(), 0);
    for (int row = 0; row < (framed.sameInEveryRow ? 1 : rows); ++row) {
        const size_t framedRow = framed.sameInEveryRow ? 0 : static_cast<size_t>(row + 1);
        for (size_t s = 0; s < steps.size(); ++s) {
            const CellStep& step = steps[s];
            // The upper of the two rows of a step up or down; planar rows are all alike.
            const int between = framed.sameInEveryRow ? 0 : step.rows < 0 ? row - 1 : row;
            double length = 0.0;
            if (step.rows == 0)
                length = lengths.across[static_cast<size_t>(row)];
            else if (between >= 0 && between + 1 < rows)
                length = (step.diagonal ? lengths.diagonal : lengths.down)[static_cast<size_t>(between)];
            else
                continue;
            framed.halfLength[framedRow * steps.size() + s] = length / 2.0;
            onSurface[framedRow * steps.size() + s] = 1;
            shortest = std::min(shortest, length);
            longest = std::max(longest, length);
        }
    }
    const int lengthScale = longest > 0.0 && std::isfinite(longest) ? exponentOf(longest) : 0;
    for (size_t k = 0; k < framed.halfLength.size(); ++k) {
        if (onSurface[k])
            framed.halfLength[k] = std::ldexp(framed.halfLength[k], -lengthScale);
    }
    framed.scale = resistanceScale + lengthScale;
    framed.cheapestStep = std::ldexp(range.lowest, -resistanceScale) * std::ldexp(shortest, -lengthScale);
    framed.dearestStep = std::ldexp(range.highest, -resistanceScale) * std::ldexp(longest, -lengthScale);
    return framed;
}

// One thread's search: the distance of every framed cell, the targets, and the queue.
class Search {
public:
    explicit Search(const FramedSurface& surface)
        : m_surface(surface)
        , m_distance(surface.resistance.size())
        , m_target(surface.resistance.size(), 0)
    {
        // Dial's buckets need a bucket width that the sums of costs resolve; the radix heap is exact
        // for any costs.
        const double buckets = BucketQueue::bucketsFor(surface.cheapestStep, surface.dearestStep);
        if (surface.cheapestStep >= std::numeric_limits<double>::min() && buckets <= kMostBuckets)
            m_buckets.emplace(surface.cheapestStep, surface.dearestStep);
    }

    // Settles cells from `source` outwards until every target is settled; false when `stop` said so
    // first. Afterwards distance(target) is the cost of the cheapest path to it.
    template <typename Stop> bool run(std::int64_t source, const std::vector<std::int64_t>& targets, Stop&& stop)
    {
        std::fill(m_distance.begin(), m_distance.end(), std::numeric_limits<double>::infinity());
        size_t remaining = 0;
        for (const std::int64_t target : targets) {
            remaining += m_target[static_cast<size_t>(target)] == 0 ? 1 : 0;
            m_target[static_cast<size_t>(target)] = 1;
        }
        const bool finished =
            m_buckets ? settleWith(*m_buckets, source, remaining, stop) : settleWith(m_radix, source, remaining, stop);
        for (const std::int64_t target : targets)
            m_target[static_cast<size_t>(target)] = 0;
        return finished;
    }

    double distance(std::int64_t cell) const { return m_distance[static_cast<size_t>(cell)]; }

private:
    // The loop below is compiled for each queue, number of steps and kind of row, so that the
    // steps unroll and a planar surface needs no row number.
    template <typename Queue, typename Stop>
    bool settleWith(Queue& queue, std::int64_t source, size_t remaining, Stop& stop)
    {
        const bool four = m_surface.offsets.size() == 4;
        if (m_surface.sameInEveryRow)
            return four ? settle<4, true>(queue, source, remaining, stop)
                        : settle<8, true>(queue, source, remaining, stop);
        return four ? settle<4, false>(queue, source, remaining, stop)
                    : settle<8, false>(queue, source, remaining, stop);
    }

    template <size_t stepCount, bool sameInEveryRow, typename Queue, typename Stop>
    bool settle(Queue& queue, std::int64_t source, size_t remaining, Stop& stop)
    {
        std::array<std::int64_t, stepCount> offsets;
        std::copy_n(m_surface.offsets.begin(), stepCount, offsets.begin());
        const double* resistance = m_surface.resistance.data();
        double* distances = m_distance.data();
        queue.clear();
        distances[source] = 0.0;
        queue.push(0.0, source);
        std::uint32_t settled = 0;
        while (remaining > 0 && !queue.empty()) {
            const QueueEntry entry = queue.pop();
            const std::int64_t cell = entry.cell;
            const double distance = distances[cell];
            if (entry.distance != distance)
                continue;
            remaining -= m_target[static_cast<size_t>(cell)];
            if ((++settled & 0xFFFF) == 0 && stop())
                return false;
            const double ownResistance = resistance[cell];
            const double* half = m_surface.halfLength.data();
            if constexpr (!sameInEveryRow)
                half += static_cast<size_t>(cell / m_surface.width) * stepCount;
            // A settled neighbour is never improved: its distance is at most this cell's. A closed
            // one costs infinity.
            for (size_t s = 0; s < stepCount; ++s) {
                const std::int64_t next = cell + offsets[s];
                const double candidate = distance + (ownResistance + resistance[next]) * half[s];
                if (candidate < distances[next]) {
                    distances[next] = candidate;
                    queue.push(candidate, next);
                }
            }
        }
        return true;
    }

    const FramedSurface& m_surface;
    std::vector<double> m_distance;
    std::vector<std::uint8_t> m_target;
    std::optional<BucketQueue> m_buckets;
    RadixHeap m_radix;
};

// Turns the scaled distances between distinct cells (p < q) back into costs; calls `unrepresentable`
// for the first pair whose cost is too large or too small for a double (infinite, or below the
// smallest normal number, where a double keeps fewer digits: between different cells every step costs
// more than 0).
template <typename Unrepresentable>
void unscale(std::vector<double>& between, int cells, int scale, Unrepresentable&& unrepresentable)
{
    for (int p = 0; p < cells; ++p) {
        for (int q = p + 1; q < cells; ++q) {
            double& d = between[static_cast<size_t>(p) * cells + q];
            const double cost = std::ldexp(d, scale);
            if (!std::isfinite(cost))
                unrepresentable(p, q, true);
            if (!(d >= std::numeric_limits<double>::min() && cost >= std::numeric_limits<double>::min()))
                unrepresentable(p, q, false);
            d = cost;
        }
    }
}

[[noreturn]] void throwUnrepresentable(const ResistanceSurface& surface, const PlacedObservations& observations,
                                       const DistinctCells& distinct, const ResistanceRange& range, int p, int q,
                                       bool tooLarge)
{
    auto observationOf = [&](int cell) {
        for (size_t k = 0; k < distinct.ofObservation.size(); ++k) {
            if (distinct.ofObservation[k] == cell)
                return observations.names[k];
        }
        return std::string("a location");
    };
    throw DataProblem("The least-cost distance between " + observationOf(p) + " and " + observationOf(q) +
                          " over the " + surface.description() + " cannot be represented as a number: it is " +
                          (tooLarge ? "above 1.8e+308"
                                    : "too small to keep its digits (below 2.2e-308, or that much below the "
                                      "dearest steps of the surface)") +
                          ". The resistances of the cells range " + range.text(surface.columns()) + ".",
                      "Rescale the resistances (multiply or divide them all by the same number): the distances "
                      "scale with them.");
}

} // namespace

int leastCostThreads(int threads, int sources)
{
    const int available = threads > 0 ? threads : defaultThreadCount();
    return std::clamp(sources, 1, available);
}

std::uint64_t leastCostMemoryNeed(int columns, int rows, int threads)
{
    const auto framed = static_cast<std::uint64_t>(columns + 2) * static_cast<std::uint64_t>(rows + 2);
    // Shared: the framed resistances and the cells joined to the observations. Per thread: a
    // distance and a target mark per cell (the queue holds about the cells of a front).
    return framed * (sizeof(double) + 1) + static_cast<std::uint64_t>(threads) * framed * (sizeof(double) + 1);
}

SquareMatrix LeastCostDistances(const ResistanceSurface& surface, const PlacedObservations& observations,
                                int neighbours, int threads, RunListener& listener)
{
    listener.status("Least-cost paths");
    listener.throwIfCancelled();
    const std::vector<std::uint8_t> joined = RequireJoined(surface, observations, neighbours);
    const DistinctCells distinct = distinctCells(observations);
    const int cells = static_cast<int>(distinct.cells.size());
    const int sources = cells - 1; // the last cell has no cell after it
    std::vector<double> between(static_cast<size_t>(cells) * static_cast<size_t>(cells), 0.0);
    if (sources > 0) {
        const ResistanceRange range = resistanceRange(surface, joined);
        const FramedSurface framed = frameSurface(surface, joined, neighbours, range);
        std::vector<std::int64_t> framedCells;
        for (const CellIndex cell : distinct.cells)
            framedCells.push_back(framed.framed(cell, surface.columns()));

        const int threadCount = leastCostThreads(threads, sources);
        std::vector<Search> searches;
        searches.reserve(static_cast<size_t>(threadCount));
        for (int t = 0; t < threadCount; ++t)
            searches.emplace_back(framed);

        std::atomic<int> next{0};
        std::atomic<int> done{0};
        std::atomic<bool> stop{false};
        std::atomic<int> running{threadCount - 1};
        std::exception_ptr failure;
        std::mutex failureMutex;
        // Sources are handed out one at a time; whichever thread runs one, its row is the same.
        auto work = [&](Search& search, auto&& shouldStop) {
            try {
                for (int p = next++; p < sources && !stop; p = next++) {
                    const std::vector<std::int64_t> targets(framedCells.begin() + p + 1, framedCells.end());
                    if (!search.run(framedCells[p], targets, shouldStop))
                        return;
                    for (int q = p + 1; q < cells; ++q)
                        between[static_cast<size_t>(p) * cells + q] = search.distance(framedCells[q]);
                    ++done;
                    if (shouldStop())
                        return;
                }
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                stop = true;
            }
        };
        // Only this thread talks to the listener; the others watch `stop`.
        auto askListener = [&] {
            if (!stop && listener.cancelled())
                stop = true;
            return stop.load();
        };
        {
            std::vector<std::jthread> workers;
            for (int t = 1; t < threadCount; ++t) {
                workers.emplace_back([&, t] {
                    work(searches[static_cast<size_t>(t)], [&] { return stop.load(); });
                    --running;
                });
            }
            listener.progress(0, sources);
            work(searches.front(), [&] {
                listener.progress(done, sources);
                return askListener();
            });
            while (running > 0) {
                listener.progress(done, sources);
                askListener();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        if (failure)
            std::rethrow_exception(failure);
        if (stop)
            throw RunCancelled();
        listener.progress(sources, sources);
        unscale(between, cells, framed.scale, [&](int p, int q, bool tooLarge) {
            throwUnrepresentable(surface, observations, distinct, range, p, q, tooLarge);
        });
    }
    return observationMatrix(distinct, [&](int p, int q) { return between[static_cast<size_t>(p) * cells + q]; });
}

} // namespace tessaloc
