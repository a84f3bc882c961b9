#pragma once

#include "core/PackedDistances.h"
#include "core/ProcessGroup.h"
#include "core/ThreadCount.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace tessaloc {

namespace detail {
// Set on a thread while it works for a loop that is itself spread over the cores.
inline thread_local bool rowsStayOnThisThread = false;
} // namespace detail

/// While it lives, forEachRowInParallel called on this thread runs every row on this thread. Work
/// that is already spread over the cores (the replicates of a bootstrap, each building a distance
/// matrix) holds one in each of its threads, so that the cores are not asked for threads twice over.
class RowsOnThisThread {
public:
    RowsOnThisThread()
        : m_before(detail::rowsStayOnThisThread)
    {
        detail::rowsStayOnThisThread = true;
    }
    ~RowsOnThisThread() { detail::rowsStayOnThisThread = m_before; }
    RowsOnThisThread(const RowsOnThisThread&) = delete;
    RowsOnThisThread& operator=(const RowsOnThisThread&) = delete;

private:
    bool m_before;
};

/// Calls `body(row)` for every row 0..rows-1, spread over defaultThreadCount() threads. Rows go to the
/// threads in turn (0, T, 2T, ... to the first thread), which balances the triangular loops over
/// pairs i < j. `body` must not throw and must write only to its own row's results; small inputs,
/// and every call made under a RowsOnThisThread, run on the calling thread.
template <typename Body> void forEachRowInParallel(int rows, Body body, int minimumRowsPerThread = 64)
{
    const int threadCount = std::clamp(rows / std::max(1, minimumRowsPerThread), 1, defaultThreadCount());
    if (threadCount == 1 || detail::rowsStayOnThisThread) {
        for (int row = 0; row < rows; ++row)
            body(row);
        return;
    }
    std::vector<std::jthread> threads;
    threads.reserve(static_cast<size_t>(threadCount - 1));
    for (int t = 1; t < threadCount; ++t) {
        threads.emplace_back([&body, rows, threadCount, t] {
            for (int row = t; row < rows; row += threadCount)
                body(row);
        });
    }
    for (int row = 0; row < rows; row += threadCount)
        body(row);
}

/// Calls `body(item)` for every item 0..count-1 on up to `threads` threads (0: defaultThreadCount()),
/// each thread taking the next item when it has finished one, for items of uneven cost such as
/// bootstrap replicates. Every thread holds a RowsOnThisThread, so that the loops over rows `body`
/// makes stay on its thread. `body` must not throw and must write only to its own item's results.
template <typename Body> void forEachItemOnThreads(int count, int threads, Body body)
{
    const int threadCount = std::min(threads > 0 ? threads : defaultThreadCount(), count);
    std::atomic<int> next{0};
    auto work = [&] {
        const RowsOnThisThread serialRows;
        for (int item = next++; item < count; item = next++)
            body(item);
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(static_cast<size_t>(std::max(threadCount - 1, 0)));
    for (int t = 1; t < threadCount; ++t)
        helpers.emplace_back(work);
    work();
}

/// The first pair (row, column), rows ascending then columns ascending, that a loop over pairs found
/// failing. Rows run in parallel in any order, so each row keeps its own first failure (only its own
/// thread writes it) and the earliest row wins once all are done.
class FirstFailingPair {
public:
    explicit FirstFailingPair(int rows)
        : m_column(static_cast<size_t>(std::max(rows, 0)), -1)
    {
    }
    /// Call once per row at most, with the row's first failing column.
    void record(int row, int column) { m_column[static_cast<size_t>(row)] = column; }
    std::optional<std::pair<int, int>> first() const
    {
        for (size_t row = 0; row < m_column.size(); ++row) {
            if (m_column[row] >= 0)
                return std::make_pair(static_cast<int>(row), m_column[row]);
        }
        return std::nullopt;
    }
    /// Each row's first failing column, -1 where none failed.
    std::vector<int>& columnsByRow() { return m_column; }

private:
    std::vector<int> m_column;
};

/// Calls `body(i)` for the rows of pairs i = 0..N-2 of `distances` as forEachRowInParallel does, each
/// row writing only its own pairs (and its entry of `failures`, when given). With a group of processes
/// (sharingProcessGroup(), outside work that is already spread over the cores) each process computes
/// a block of rows of about the same number of pairs, and the blocks are then shared, so that every
/// process holds the whole matrix and every failure, as one process alone would.
template <typename Body> void forEachPairRow(PackedDistances& distances, FirstFailingPair* failures, Body body)
{
    const int n = distances.size();
    ProcessGroup* group = detail::rowsStayOnThisThread ? nullptr : sharingProcessGroup();
    if (!group || group->count() == 1 || n < 2) {
        forEachRowInParallel(n - 1, body);
        return;
    }
    const std::vector<int> rowStarts = pairRowBlockStarts(n, group->count());
    const int first = rowStarts[static_cast<size_t>(group->index())];
    const int end = rowStarts[static_cast<size_t>(group->index()) + 1];
    forEachRowInParallel(end - first, [&](int row) { body(first + row); });

    std::vector<size_t> pairStarts, failureStarts;
    for (const int row : rowStarts) {
        pairStarts.push_back(distances.rowStart(row));
        failureStarts.push_back(static_cast<size_t>(row));
    }
    group->shareBlocks(reinterpret_cast<std::byte*>(distances.values().data()), sizeof(double), pairStarts);
    if (failures)
        group->shareBlocks(reinterpret_cast<std::byte*>(failures->columnsByRow().data()), sizeof(int), failureStarts);
}

} // namespace tessaloc
