#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

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
/// to a temporary file first and is renamed into place, so a failed write never leaves half a report.
/// Returns the path written; throws AnalysisError when the file cannot be written.
std::filesystem::path writeReportFile(const std::filesystem::path& directory, std::string_view fileName,
                                      std::string_view content);

/// The same for a report written line by line: `write` fills a ReportWriter that streams into the
/// file. An exception from `write` removes the partial file and is passed on.
std::filesystem::path writeReportFile(const std::filesystem::path& directory, std::string_view fileName,
                                      const std::function<void(ReportWriter&)>& write);

} // namespace tessaloc
