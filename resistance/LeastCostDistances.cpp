#include "resistance/LeastCostDistances.h"

#include "core/Errors.h"
#include "resistance/SurfaceGraph.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

namespace tessaloc {
namespace {

constexpr std::uint8_t kOpen = 0;
constexpr std::uint8_t kSettled = 1; // also every cell no path may enter
constexpr std::uint8_t kTarget = 2;

// A monotone priority queue for Dijkstra's search: keys never fall below the last one taken, so
// entries sit in buckets by the highest bit in which they differ from it. Keys are non-negative
// doubles compared through their bit patterns, which order the same way. Entries are not updated
// in place: a cell whose distance falls is pushed again and its older entries are skipped.
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
    void push(double key, std::int64_t cell)
    {
        const auto bits = std::bit_cast<std::uint64_t>(key);
        m_buckets[bucketOf(bits)].push_back({bits, cell});
        ++m_size;
    }
    std::int64_t pop()
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
        const std::int64_t cell = m_buckets[0].back().cell;
        m_buckets[0].pop_back();
        --m_size;
        return cell;
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

// The surface with a frame of closed cells around it, so that no step needs a bounds check.
struct FramedSurface {
    std::int64_t width = 0;
    std::vector<double> resistance;
    /// kSettled where no path may enter (the frame, impassable cells, parts no observation is in).
    std::vector<std::uint8_t> closed;
    std::vector<std::int64_t> offsets;
    /// Half the step length per step and framed row: a step costs (r1 + r2) x half length.
    std::vector<std::vector<double>> halfLength;

    std::int64_t framed(CellIndex cell, int columns) const { return (cell / columns + 1) * width + cell % columns + 1; }
};

FramedSurface frameSurface(const ResistanceSurface& surface, const std::vector<std::uint8_t>& joined, int neighbours)
{
    FramedSurface framed;
    const int columns = surface.columns();
    const int rows = surface.rows();
    framed.width = columns + 2;
    const auto size = static_cast<size_t>(framed.width) * static_cast<size_t>(rows + 2);
    framed.resistance.assign(size, 0.0);
    framed.closed.assign(size, kSettled);
    for (CellIndex cell = 0; cell < surface.cellCount(); ++cell) {
        const auto at = static_cast<size_t>(framed.framed(cell, columns));
        if (joined[static_cast<size_t>(cell)]) {
            framed.resistance[at] = surface.resistance(cell);
            framed.closed[at] = kOpen;
        }
    }
    const StepLengths lengths = surface.stepLengths();
    for (const CellStep& step : cellSteps(neighbours)) {
        framed.offsets.push_back(step.rows * framed.width + step.columns);
        std::vector<double> half(static_cast<size_t>(rows + 2), 0.0);
        for (int row = 0; row < rows; ++row) {
            const int between = step.rows < 0 ? row - 1 : row; // the upper row of a step down or up
            double length = 0.0;
            if (step.rows == 0)
                length = lengths.across[row];
            else if (between >= 0 && between + 1 < rows)
                length = step.diagonal ? lengths.diagonal[between] : lengths.down[between];
            half[static_cast<size_t>(row + 1)] = length / 2.0;
        }
        framed.halfLength.push_back(std::move(half));
    }
    return framed;
}

// One thread's search: distances and states of every framed cell, and the queue.
class Search {
public:
    explicit Search(const FramedSurface& surface)
        : m_surface(surface)
        , m_distance(surface.closed.size())
        , m_state(surface.closed.size())
    {
    }

    // Settles cells from `source` outwards until every target is settled; false when `stop` said so
    // first. Afterwards distance(target) is the cost of the cheapest path to it.
    template <typename Stop> bool run(std::int64_t source, const std::vector<std::int64_t>& targets, Stop&& stop)
    {
        std::fill(m_distance.begin(), m_distance.end(), std::numeric_limits<double>::infinity());
        std::copy(m_surface.closed.begin(), m_surface.closed.end(), m_state.begin());
        size_t remaining = 0;
        for (const std::int64_t target : targets) {
            if (m_state[static_cast<size_t>(target)] == kOpen)
                ++remaining;
            m_state[static_cast<size_t>(target)] = kTarget;
        }
        m_heap.clear();
        m_distance[static_cast<size_t>(source)] = 0.0;
        m_heap.push(0.0, source);
        const std::vector<std::int64_t>& offsets = m_surface.offsets;
        const double* resistance = m_surface.resistance.data();
        std::uint32_t settled = 0;
        while (remaining > 0 && !m_heap.empty()) {
            const std::int64_t cell = m_heap.pop();
            std::uint8_t& state = m_state[static_cast<size_t>(cell)];
            if (state == kSettled)
                continue;
            if (state == kTarget)
                --remaining;
            state = kSettled;
            if ((++settled & 0xFFFF) == 0 && stop())
                return false;
            const double distance = m_distance[static_cast<size_t>(cell)];
            const double ownResistance = resistance[cell];
            const auto row = static_cast<size_t>(cell / m_surface.width);
            for (size_t s = 0; s < offsets.size(); ++s) {
                const std::int64_t next = cell + offsets[s];
                if (m_state[static_cast<size_t>(next)] == kSettled)
                    continue;
                const double candidate = distance + (ownResistance + resistance[next]) * m_surface.halfLength[s][row];
                if (candidate < m_distance[static_cast<size_t>(next)]) {
                    m_distance[static_cast<size_t>(next)] = candidate;
                    m_heap.push(candidate, next);
                }
            }
        }
        return true;
    }

    double distance(std::int64_t cell) const { return m_distance[static_cast<size_t>(cell)]; }

private:
    const FramedSurface& m_surface;
    std::vector<double> m_distance;
    std::vector<std::uint8_t> m_state;
    RadixHeap m_heap;
};

} // namespace

int leastCostThreads(int threads, int sources)
{
    const int available = threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::clamp(sources, 1, available);
}

std::uint64_t leastCostMemoryNeed(int columns, int rows, int threads)
{
    const auto framed = static_cast<std::uint64_t>(columns + 2) * static_cast<std::uint64_t>(rows + 2);
    // Shared: the framed resistances and closed cells, and the cells joined to the observations.
    // Per thread: a distance and a state per cell (the queue holds about the cells of a front).
    return framed * (sizeof(double) + 2) + static_cast<std::uint64_t>(threads) * framed * (sizeof(double) + 1);
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
        const FramedSurface framed = frameSurface(surface, joined, neighbours);
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
    }
    return observationMatrix(distinct, [&](int p, int q) { return between[static_cast<size_t>(p) * cells + q]; });
}

} // namespace tessaloc
