#pragma once

#include "cli/CommandLine.h"

#include <string>
#include <string_view>

namespace tessaloc::cli {

/// Throws UsageError when the file an option names (`--grid-file`, `--support`) would replace the
/// run's report `reportFileName` in the output folder or one of the input files (the coordinate
/// and genotype files, the resistance surface or distance matrix file): written after
/// them, it would leave the run without its report, or the user without the data. `what` names
/// the file in the message ("the grid file").
void requireOutputFileOfItsOwn(const Invocation& invocation, std::string_view option, const std::string& file,
                               std::string_view reportFileName, std::string_view what);

/// True when two output files the user named end up at one place.
bool sameOutputFile(const std::string& first, const std::string& second);

} // namespace tessaloc::cli
