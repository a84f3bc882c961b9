#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// Builds report text line by line the way the reports are laid out: items side by side, print
/// zones 14 columns wide (zone starts at columns 1, 15, 29, 43, ...), placement at a column counted
/// from 1, and CR LF at every line end.
class ReportWriter {
public:
    static constexpr int kZoneWidth = 14;

    /// Collects the report in memory (see str()).
    ReportWriter() = default;
    /// Streams each finished line to `sink`, so a report of millions of lines needs no more memory
    /// than one line; str() then holds only the unfinished line.
    explicit ReportWriter(std::ostream& sink)
        : m_sink(&sink)
    {
    }

    /// Appends text right after what the line already holds.
    ReportWriter& text(std::string_view item);
    /// Appends a number in print form followed by one blank (" .5 ", "-3 ").
    ReportWriter& number(double value);
    ReportWriter& number(long long value);
    ReportWriter& number(int value) { return number(static_cast<long long>(value)); }
    /// Moves to the start of the next print zone. A line that has just filled a zone exactly (the
    /// next column is itself a zone start) still moves on to the zone after it.
    ReportWriter& nextZone();
    /// Moves to `column` (counted from 1) by padding with blanks; when the line is already past
    /// it, the rest goes to that column of a new line.
    ReportWriter& column(int column);
    /// Ends the line with CR LF.
    ReportWriter& endLine();
    /// Appends a whole line: `line` then CR LF.
    ReportWriter& line(std::string_view line = {});

    /// The column (from 1) at which the next character of the current line will stand.
    int currentColumn() const { return m_lineLength + 1; }
    const std::string& str() const { return m_text; }

private:
    std::ostream* m_sink = nullptr;
    std::string m_text;
    int m_lineLength = 0;
};

/// Writes a finished report as `directory`/`fileName`, replacing a file of that name. The text goes
/// to a temporary file of its own in that folder (see writeReportFiles) and is renamed into place, so
/// a failed write never leaves half a report and two runs writing the same report each leave a whole
/// one (the last rename wins). Returns the path written; throws AnalysisError when the file cannot
/// be written.
std::filesystem::path writeReportFile(const std::filesystem::path& directory, std::string_view fileName,
                                      std::string_view content);

/// The same for a report written line by line: `write` fills a ReportWriter that streams into the
/// file. An exception from `write` removes the partial file and is passed on.
std::filesystem::path writeReportFile(const std::filesystem::path& directory, std::string_view fileName,
                                      const std::function<void(ReportWriter&)>& write);

/// writeReportFile for a file the user named by its path (relative to the current folder), whose
/// folder must exist. `what` names the file in the message ("the grid file"). Returns `path`'s place;
/// throws AnalysisError when there is no such folder or the file cannot be written.
std::filesystem::path writeFileAt(const std::filesystem::path& path, std::string_view what,
                                  const std::function<void(ReportWriter&)>& write);

/// writeFileAt for a file of bytes rather than lines (a GeoTIFF): `write` streams the whole content
/// into the temporary file, which is renamed into place when it is complete. An exception from
/// `write` removes the partial file and is passed on.
std::filesystem::path writeBinaryFileAt(const std::filesystem::path& path, std::string_view what,
                                        const std::function<void(std::ostream&)>& write);

/// One file of a set of reports that belong together.
struct ReportFilePart {
    std::string fileName;
    std::function<void(ReportWriter&)> write;
};

/// What writeReportFiles wrote.
struct WrittenReportFiles {
    std::vector<std::filesystem::path> paths;
    /// False when, right after this run had renamed all its files into place, one of them had
    /// already been replaced by another run's file of the same name: the folder may then hold files
    /// of two runs side by side.
    bool together = true;
};

/// Writes several report files that belong together into `directory`. Each file is first written
/// in full to a temporary file of its own, created in that folder under a fresh name
/// ("<fileName>.<random>.part") that must not exist yet and is never reached through a symbolic
/// link; its data are flushed to the disk. Only when every file is written are they renamed into
/// place, in order, and then checked. Of several runs writing the same set into one folder at once,
/// the one that renames last into a mixed set always finds it (`together` false), so no run leaves
/// files of two runs without saying so.
///
/// Throws AnalysisError when a file cannot be written or put in place; an exception from a part's
/// `write` is passed on. Either way every temporary file is removed, and a file already renamed into
/// place is taken away again when a later one fails, the file it replaced put back, so a failed call
/// leaves the folder with the files it had. Temporary files are also removed on SIGINT and SIGTERM when the program
/// calls removeUnfinishedReportFiles from its signal handler.
WrittenReportFiles writeReportFiles(const std::filesystem::path& directory, const std::vector<ReportFilePart>& parts);

/// Creates the file `path` for writing only if nothing has that name, not even a symbolic link
/// (dangling or not), which is never followed; its permissions are those of any new file, 0666 less
/// the umask. Returns the open descriptor, or -1 with errno set (EEXIST when the name is taken).
int createNewFile(const std::filesystem::path& path);

/// Removes the temporary file of every report this process is still writing. Safe in a signal
/// handler: it reads lock-free atomics and calls unlink, nothing else. The table of temporary files
/// it reads is the core's only program-wide state, kept because a signal handler can reach nothing
/// else; it tracks up to 16 files being written at once (more are written but not tracked).
void removeUnfinishedReportFiles() noexcept;

} // namespace tessaloc
