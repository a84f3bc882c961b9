#include "core/ThreadCount.h"

#include <algorithm>
#include <atomic>
#include <cmath>
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

int workingCopiesAtOnce(double bytesPerCopy, int threads)
{
    const double byMemory = std::clamp(std::floor(kWorkingCopiesMemory / std::max(bytesPerCopy, 1.0)), 1.0, 4096.0);
    const int wanted = threads > 0 ? threads : defaultThreadCount();
    return std::clamp(std::min(wanted, static_cast<int>(byMemory)), 1, 4096);
}

} // namespace tessaloc
