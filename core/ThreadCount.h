#pragma once

namespace tessaloc {

/// The threads a computation spreads over when it is not told otherwise: one per core, or the
/// number a ThreadCountLimit in force sets (the batch program's --threads). At least 1.
int defaultThreadCount();

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
