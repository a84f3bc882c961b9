#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaloc {

/// A file a run reads or writes, as its messages name it.
struct RunFile {
    std::filesystem::path path;
    /// How a message names the file: "the coordinate file", "--support \"edges.csv\"".
    std::string label;
    /// For a file the run writes: what to do instead, ending the message that refuses it ("give
    /// the support table a name of its own"). Unused for files the run reads.
    std::string remedy;
};

/// Thrown by requireOutputsApart: a file the run would write is one it reads, or one it writes
/// already. what() is the whole message; `output` and `other` are the two files.
class FileClash : public std::runtime_error {
public:
    FileClash(RunFile output, RunFile other);
    const RunFile& output() const { return m_output; }
    const RunFile& other() const { return m_other; }

private:
    RunFile m_output;
    RunFile m_other;
};

/// Whether writing `written` (a temporary file renamed into place under its name) would replace
/// the file `other`, however the two paths are spelled: the same name in the same folder (the
/// folders compared by device and inode, so links and relative paths do not hide it), or two names
/// of one existing file (a symbolic or hard link). A path whose folder does not exist is compared
/// by its absolute, lexically normal form. Reads nothing but the files' metadata.
bool replacesFile(const std::filesystem::path& written, const std::filesystem::path& other);

/// The one check every run makes before it reads anything: throws FileClash when one of `outputs`
/// would replace one of `inputs` (the data would be lost, or read half rewritten) or an output
/// before it in `outputs` (one of the two would be lost). Outputs are taken in order, each checked
/// against the earlier outputs first, then against the inputs in order. Front ends and analyses
/// that write files of their own (a table, a grid, a raster) list every file of the run here.
void requireOutputsApart(const std::vector<RunFile>& inputs, const std::vector<RunFile>& outputs);

} // namespace tessaloc
