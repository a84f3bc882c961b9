#include "resistance/MemoryNeed.h"

#include "core/Errors.h"

#include <unistd.h>

#include <array>
#include <charconv>

namespace tessaloc {

std::uint64_t physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::string memoryText(std::uint64_t bytes)
{
    static constexpr std::array<const char*, 5> kUnits{"bytes", "kB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    size_t unit = 0;
    while (value >= 1000.0 && unit + 1 < kUnits.size()) {
        value /= 1000.0;
        ++unit;
    }
    // to_chars, not printf: the window program runs under the user's locale, which may write a comma.
    char text[32];
    const int decimals = unit == 0 || value >= 100.0 ? 0 : 1;
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end) + " " + kUnits[unit];
}

void requireMemory(std::uint64_t bytes, std::uint64_t limit, const std::string& what, const std::string& purpose)
{
    const bool physical = limit == 0;
    if (physical)
        limit = physicalMemoryBytes();
    if (limit == 0 || bytes <= limit)
        return;
    throw DataProblem(
        "The " + what + " would need about " + memoryText(bytes) + " of memory for " + purpose + ", more than " +
        (physical ? "the " + memoryText(limit) + " this computer has" : "the limit of " + memoryText(limit)) + ".");
}

} // namespace tessaloc
