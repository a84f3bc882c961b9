#include "core/ThreadCount.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace tessaloc {
namespace {

// 0 while no limit is in force.
std::atomic<int> limit{0};

} // namespace

int defaultThreadCount()
{
    const int threads = limit.load(std::memory_order_relaxed);
    return threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

ThreadCountLimit::ThreadCountLimit(int threads)
    : m_before(limit.exchange(std::max(threads, 0)))
{
}

ThreadCountLimit::~ThreadCountLimit()
{
    limit.store(m_before);
}

} // namespace tessaloc
