#pragma once

#include "cli/CommandLine.h"

#include "core/RunFiles.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaloc::cli {

/// The files a run of `command` reads: the coordinate file, the genotype file when it takes one, and
/// the files of its Read and DistanceChoice options (the common ones included), in that order.
std::vector<RunFile> filesRead(const Subcommand& command, const Invocation& invocation);

/// The files a run of `command` writes: its reports in the output folder, then the files of its
/// Written options.
std::vector<RunFile> filesWritten(const Subcommand& command, const Invocation& invocation);

/// Checks what a run of `command` will write before it reads anything: the output folder exists,
/// is a folder and can be written to (when the command writes reports there), and no file it writes
/// replaces a file it reads or another file it writes (requireOutputsApart over filesRead and
/// filesWritten). Throws UsageError naming the folder and why, or the two files.
void checkRunFiles(const Subcommand& command, const Invocation& invocation);

/// Throws UsageError when the file `option` names would be written over one of `inputs` (each a path
/// with the words that name it, "layer 1 \"dem.tif\""): the same place once folders are resolved, or
/// the same file under another name (a hard link). `what` names the file in the message ("the
/// resistance surface").
void requireOutputOverNoInput(std::string_view option, const std::string& file,
                              const std::vector<std::pair<std::filesystem::path, std::string>>& inputs,
                              std::string_view what);

} // namespace tessaloc::cli
