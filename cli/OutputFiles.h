#pragma once

#include "cli/CommandLine.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaloc::cli {

/// Throws UsageError when the file an option names (`--grid-file`, `--support`) would replace the
/// run's report `reportFileName` in the output folder or one of the input files: written after
/// them, it would leave the run without its report, or the user without the data. `what` names
/// the file in the message ("the grid file").
void requireOutputFileOfItsOwn(const Invocation& invocation, std::string_view option, const std::string& file,
                               std::string_view reportFileName, std::string_view what);

/// Throws UsageError when the file `option` names would be written over one of `inputs` (each a path
/// with the words that name it, "layer 1 \"dem.tif\""): the same place once folders are resolved, or
/// the same file under another name (a hard link). `what` names the file in the message ("the
/// resistance surface").
void requireOutputOverNoInput(std::string_view option, const std::string& file,
                              const std::vector<std::pair<std::filesystem::path, std::string>>& inputs,
                              std::string_view what);

} // namespace tessaloc::cli
