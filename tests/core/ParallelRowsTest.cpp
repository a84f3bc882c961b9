#include "core/ParallelRows.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace tessaloc {
namespace {

// The threads that ran the rows of a loop.
std::set<std::thread::id> threadsOf(int rows)
{
    std::mutex lock;
    std::set<std::thread::id> threads;
    std::vector<int> done(static_cast<size_t>(rows), 0);
    forEachRowInParallel(
        rows,
        [&](int row) {
            done[static_cast<size_t>(row)] += 1;
            const std::lock_guard<std::mutex> guard(lock);
            threads.insert(std::this_thread::get_id());
        },
        1);
    for (const int count : done)
        EXPECT_EQ(count, 1);
    return threads;
}

TEST(ForEachRowInParallel, UnderRowsOnThisThreadEveryRowRunsOnTheCallingThread)
{
    {
        const RowsOnThisThread serial;
        EXPECT_EQ(threadsOf(64), (std::set<std::thread::id>{std::this_thread::get_id()}));
        {
            const RowsOnThisThread nested;
        }
        // Leaving a nested scope keeps the outer one.
        EXPECT_EQ(threadsOf(64), (std::set<std::thread::id>{std::this_thread::get_id()}));
    }
    if (std::thread::hardware_concurrency() < 2)
        GTEST_SKIP() << "one core: every loop runs on the calling thread anyway";
    EXPECT_GT(threadsOf(64).size(), 1u);
}

} // namespace
} // namespace tessaloc
