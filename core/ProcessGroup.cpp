#include "core/ProcessGroup.h"

#include "core/PackedDistances.h"

#include <algorithm>

namespace tessaloc {
namespace {

thread_local ProcessGroup* currentGroup = nullptr;

} // namespace

ProcessGroup* sharingProcessGroup()
{
    return currentGroup;
}

SharedWork::SharedWork(ProcessGroup& group)
    : m_before(currentGroup)
{
    currentGroup = &group;
}

SharedWork::~SharedWork()
{
    currentGroup = m_before;
}

WorkAlone::WorkAlone()
    : m_before(currentGroup)
{
    currentGroup = nullptr;
}

WorkAlone::~WorkAlone()
{
    currentGroup = m_before;
}

std::vector<std::size_t> evenBlockStarts(std::size_t total, int parts)
{
    const std::size_t count = static_cast<std::size_t>(std::max(parts, 1));
    std::vector<std::size_t> starts(count + 1, 0);
    for (std::size_t p = 0; p < count; ++p)
        starts[p + 1] = starts[p] + total / count + (p < total % count ? 1 : 0);
    return starts;
}

OwnBlock ownBlock(std::size_t total, const ProcessGroup* group)
{
    OwnBlock block;
    block.starts = evenBlockStarts(total, group ? group->count() : 1);
    const std::size_t index = group ? static_cast<std::size_t>(group->index()) : 0;
    block.first = block.starts[index];
    block.end = block.starts[index + 1];
    return block;
}

std::vector<int> pairRowBlockStarts(int n, int parts)
{
    const int count = std::max(parts, 1);
    const int rows = std::max(n - 1, 0);
    std::vector<int> starts(static_cast<std::size_t>(count) + 1, rows);
    starts[0] = 0;
    const std::size_t pairs = PackedDistances::pairCount(n);
    // Block p starts at the first row whose pairs before it reach p / count of all pairs.
    int row = 0;
    std::size_t before = 0;
    for (int p = 1; p < count; ++p) {
        const std::size_t wanted =
            pairs / static_cast<std::size_t>(count) * static_cast<std::size_t>(p) +
            pairs % static_cast<std::size_t>(count) * static_cast<std::size_t>(p) / static_cast<std::size_t>(count);
        while (row < rows && before < wanted) {
            before += static_cast<std::size_t>(n - 1 - row);
            ++row;
        }
        starts[static_cast<std::size_t>(p)] = row;
    }
    return starts;
}

} // namespace tessaloc
