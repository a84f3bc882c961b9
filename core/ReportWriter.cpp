#include "core/ReportWriter.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <system_error>

namespace tessaloc {

ReportWriter& ReportWriter::text(std::string_view item)
{
    m_text.append(item);
    m_lineLength += static_cast<int>(item.size());
    return *this;
}

ReportWriter& ReportWriter::number(double value)
{
    return text(printForm(value)).text(" ");
}

ReportWriter& ReportWriter::number(long long value)
{
    return text(printForm(value)).text(" ");
}

ReportWriter& ReportWriter::nextZone()
{
    const int next = (m_lineLength / kZoneWidth + 1) * kZoneWidth;
    m_text.append(static_cast<size_t>(next - m_lineLength), ' ');
    m_lineLength = next;
    return *this;
}

ReportWriter& ReportWriter::column(int column)
{
    const int target = column < 1 ? 0 : column - 1;
    if (m_lineLength > target)
        endLine();
    m_text.append(static_cast<size_t>(target - m_lineLength), ' ');
    m_lineLength = target;
    return *this;
}

ReportWriter& ReportWriter::endLine()
{
    m_text.append("\r\n");
    m_lineLength = 0;
    // Lines are handed on in blocks of a few kilobytes rather than one by one.
    if (m_sink && m_text.size() >= 1 << 16) {
        m_sink->write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
        m_text.clear();
    }
    return *this;
}

ReportWriter& ReportWriter::line(std::string_view line)
{
    return text(line).endLine();
}

namespace {

std::filesystem::path writeThroughTemporaryFile(const std::filesystem::path& directory, std::string_view fileName,
                                                const std::function<void(std::ostream&)>& write)
{
    namespace fs = std::filesystem;
    const fs::path target = directory / fs::path(std::string(fileName));
    fs::path temporary = target;
    temporary += ".part";
    auto removeTemporary = [&] {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    };

    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
        throw AnalysisError("cannot write the report \"" + target.string() + "\": " + std::strerror(errno));
    try {
        write(out);
    } catch (...) {
        out.close();
        removeTemporary();
        throw;
    }
    out.close();
    if (!out) {
        removeTemporary();
        throw AnalysisError("cannot write the report \"" + target.string() + "\" (disk full?)");
    }

    std::error_code renameError;
    fs::rename(temporary, target, renameError);
    if (renameError) {
        removeTemporary();
        throw AnalysisError("cannot write the report \"" + target.string() + "\": " + renameError.message());
    }
    return target;
}

} // namespace

std::filesystem::path writeReportFile(const std::filesystem::path& directory, std::string_view fileName,
                                      std::string_view content)
{
    return writeThroughTemporaryFile(directory, fileName, [&](std::ostream& out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    });
}

std::filesystem::path writeReportFile(const std::filesystem::path& directory, std::string_view fileName,
                                      const std::function<void(ReportWriter&)>& write)
{
    return writeThroughTemporaryFile(directory, fileName, [&](std::ostream& out) {
        ReportWriter writer(out);
        write(writer);
        out.write(writer.str().data(), static_cast<std::streamsize>(writer.str().size()));
    });
}
} // namespace tessaloc
