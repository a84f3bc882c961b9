#pragma once

#include <cstdint>
#include <string>

namespace tessaloc {

/// The computer's physical memory in bytes (0 when the system does not say).
std::uint64_t physicalMemoryBytes();

/// "3.2 GB", "640 MB", "12 kB": bytes in the largest unit that keeps a number of at least 1.
std::string memoryText(std::uint64_t bytes);

/// Throws DataProblem when `bytes` exceed `limit`, or, when `limit` is 0, the physical memory:
/// "The <what> would need about 3.2 GB of memory for <purpose>, more than ...". Called before
/// anything that large is allocated.
void requireMemory(std::uint64_t bytes, std::uint64_t limit, const std::string& what, const std::string& purpose);

} // namespace tessaloc
