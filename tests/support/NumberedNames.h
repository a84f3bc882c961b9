#pragma once

#include <string>
#include <string_view>

namespace tessaloc::testing {

/// `prefix` followed by `number` ("o" and 3 give "o3"), for the names of generated observations and
/// files. Appended piece by piece: GCC 12 at -O2 and above takes `"o" + std::to_string(n)` for an
/// overlapping copy and warns (-Wrestrict), though the copy is sound.
inline std::string numberedName(std::string_view prefix, long long number)
{
    std::string name(prefix);
    name += std::to_string(number);
    return name;
}

} // namespace tessaloc::testing
