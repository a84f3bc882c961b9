#include "cli/RunProcesses.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tessaloc::cli {
namespace {

thread_local bool finishedEverywhere = false;

} // namespace

std::optional<long long> launchedProcesses()
{
    for (const char* variable : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE"}) {
        const char* value = std::getenv(variable);
        if (!value)
            continue;
        char* end = nullptr;
        const long long count = std::strtoll(value, &end, 10);
        if (end != value && *end == '\0' && count > 1)
            return count;
    }
    return std::nullopt;
}

bool writesResults()
{
    const ProcessGroup* group = sharingProcessGroup();
    return !group || group->index() == 0;
}

void waitForEveryProcess()
{
    ProcessGroup* group = sharingProcessGroup();
    if (!group || group->count() == 1)
        return;
    // Every process hands over one byte: none can come back before all have arrived.
    std::vector<std::byte> arrived(static_cast<size_t>(group->count()), std::byte{1});
    group->shareBlocks(arrived.data(), 1, evenBlockStarts(arrived.size(), group->count()));
    finishedEverywhere = true;
}

bool everyProcessHasFinished()
{
    return finishedEverywhere;
}

RandomUniform generatorOfProcessZero(const RandomUniform& own)
{
    ProcessGroup* group = sharingProcessGroup();
    if (!group || group->count() == 1)
        return own;
    // Process 0's block holds the two states; the others' blocks are empty.
    std::array<std::int64_t, 2> states{own.state1(), own.state2()};
    std::vector<size_t> starts(static_cast<size_t>(group->count()) + 1, 1);
    starts[0] = 0;
    group->shareBlocks(reinterpret_cast<std::byte*>(states.data()), sizeof(states), starts);
    return RandomUniform(states[0], states[1]);
}

} // namespace tessaloc::cli
