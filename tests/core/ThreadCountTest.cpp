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

TEST(WorkingCopiesAtOnce, AreBoundedByMemoryWhateverTheThreads)
{
    // The bootstraps kept one working copy per thread with no bound: Monmonier support at 2000
    // observations took 718 MB on 8 threads, 1.36 GB on 16. The expected counts are the quarter
    // gigabyte divided by the bytes of a copy, rounded down, worked out by hand.
    constexpr double kMegabyte = 1024.0 * 1024.0;
    const struct {
        double bytesPerCopy;
        int threads;
        int copies;
    } cases[] = {
        {16 * kMegabyte, 8, 8},   // 128 MB fit: one per thread
        {16 * kMegabyte, 16, 16}, // exactly 256 MB
        {16 * kMegabyte, 64, 16}, // no more than fit
        {48 * kMegabyte, 16, 5},  // 240 MB of 256
        {300 * kMegabyte, 64, 1}, // a copy beyond the whole budget still runs, alone
        {0.0, 10000, 4096},       // at most 4096
        {1.0, 3, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(workingCopiesAtOnce(c.bytesPerCopy, c.threads), c.copies) << c.bytesPerCopy << " x " << c.threads;
        EXPECT_LE(workingCopiesAtOnce(c.bytesPerCopy, c.threads) * c.bytesPerCopy,
                  std::max(kWorkingCopiesMemory, c.bytesPerCopy));
    }
    const ThreadCountLimit two(2);
    EXPECT_EQ(workingCopiesAtOnce(kMegabyte, 0), 2) << "0 threads: defaultThreadCount()";
}

} // namespace
} // namespace tessaloc
