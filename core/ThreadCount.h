#pragma once

namespace tessaloc {

/// The threads a computation spreads over when it is not told otherwise: one per core, or the
/// number a ThreadCountLimit in force sets (the batch program's --threads). At least 1.
int defaultThreadCount();

/// The memory that the working copies of work done side by side on threads (a bootstrap resample's
/// distance matrices, say) may take together: a quarter of a gigabyte, whatever the number of threads.
inline constexpr double kWorkingCopiesMemory = 256.0 * 1024 * 1024;

/// The one rule for how many working copies of `bytesPerCopy` bytes each a computation keeps at once,
/// one per thread: `threads` (0: defaultThreadCount()), but no more than kWorkingCopiesMemory holds,
/// at least 1 (a single copy runs however large it is) and at most 4096. Results must not depend on
/// it; only run times and memory do.
int workingCopiesAtOnce(double bytesPerCopy, int threads);

/// While it lives, defaultThreadCount() is `threads` (0: one per core) for every thread of the
/// process; afterwards it is what it was before. Results never depend on it, only run times do.
class ThreadCountLimit {
public:
    explicit ThreadCountLimit(int threads);
    ~ThreadCountLimit();
    ThreadCountLimit(const ThreadCountLimit&) = delete;
    ThreadCountLimit& operator=(const ThreadCountLimit&) = delete;

private:
    int m_before;
};

} // namespace tessaloc
