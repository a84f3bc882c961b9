#include "core/ThreadCount.h"

#include "core/ParallelRows.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>

namespace tessaloc {
namespace {

// The distinct threads that forEachRowInParallel runs `rows` rows on.
size_t threadsOfRows(int rows)
{
    std::mutex guard;
    std::set<std::thread::id> seen;
    forEachRowInParallel(rows, [&](int) {
        const std::lock_guard lock(guard);
        seen.insert(std::this_thread::get_id());
    });
    return seen.size();
}

TEST(ThreadCountLimit, SetsTheThreadsWhileItLivesAndRestoresThemAfterwards)
{
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    EXPECT_EQ(defaultThreadCount(), cores);
    {
        const ThreadCountLimit three(3);
        EXPECT_EQ(defaultThreadCount(), 3);
        {
            const ThreadCountLimit one(1);
            EXPECT_EQ(defaultThreadCount(), 1);
        }
        EXPECT_EQ(defaultThreadCount(), 3);
        const ThreadCountLimit none(0);
        EXPECT_EQ(defaultThreadCount(), cores) << "0 stands for one per core";
    }
    EXPECT_EQ(defaultThreadCount(), cores);
}

TEST(ThreadCountLimit, RowLoopsSpreadOverExactlyThatManyThreads)
{
    // 64 rows at least per thread: 640 rows are enough for 1, 3 or 5 threads.
    for (const int threads : {1, 3, 5}) {
        const ThreadCountLimit limit(threads);
        EXPECT_EQ(threadsOfRows(640), static_cast<size_t>(threads)) << threads << " threads";
    }
}

} // namespace
} // namespace tessaloc
