#include "core/ReportWriter.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <ostream>
#include <streambuf>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

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

namespace fs = std::filesystem;

// The temporary files being written, for removeUnfinishedReportFiles. A writer claims a free slot
// (free -> filling), copies its path in and publishes it (filling -> ready); when done it takes the
// slot back (ready -> free). A signal handler takes a ready slot for good (ready -> removing) before
// it reads the path, so it never reads a path that is being rewritten, and a writer whose slot was
// taken leaves it alone.
enum SlotState : int { kSlotFree, kSlotFilling, kSlotReady, kSlotRemoving };
constexpr int kSlotCount = 16;
constexpr size_t kSlotPathCapacity = 4096;
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

struct UnfinishedFileSlot {
    std::atomic<int> state{kSlotFree};
    char path[kSlotPathCapacity];
};
UnfinishedFileSlot unfinishedFiles[kSlotCount];

int trackUnfinishedFile(const fs::path& path)
{
    const std::string& text = path.native();
    if (text.size() >= kSlotPathCapacity)
        return -1;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        int expected = kSlotFree;
        if (!unfinishedFiles[slot].state.compare_exchange_strong(expected, kSlotFilling))
            continue;
        std::memcpy(unfinishedFiles[slot].path, text.c_str(), text.size() + 1);
        unfinishedFiles[slot].state.store(kSlotReady);
        return slot;
    }
    return -1;
}

void forgetUnfinishedFile(int slot)
{
    if (slot < 0)
        return;
    int expected = kSlotReady;
    unfinishedFiles[slot].state.compare_exchange_strong(expected, kSlotFree);
}

std::string errorText(int error)
{
    return std::strerror(error);
}

std::string reportName(const fs::path& target)
{
    return "the report \"" + escapeControlCharacters(target.string()) + "\"";
}

// A name for a temporary file beside `fileName`. It only has to be unlikely to be taken: creating
// the file with O_EXCL settles every clash, and the caller simply tries another name.
std::string temporaryFileName(std::string_view fileName, int attempt)
{
    std::uint64_t seed = static_cast<std::uint64_t>(::getpid());
    seed = seed * 0x100000001B3ULL ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed = seed * 0x100000001B3ULL ^ std::hash<std::thread::id>()(std::this_thread::get_id());
    seed = seed * 0x100000001B3ULL ^ static_cast<std::uint64_t>(attempt);
    // splitmix64 spreads every input bit over the whole word.
    seed += 0x9E3779B97F4A7C15ULL;
    seed = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9ULL;
    seed = (seed ^ (seed >> 27)) * 0x94D049BB133111EBULL;
    seed ^= seed >> 31;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name(fileName);
    name += '.';
    for (int k = 0; k < 10; ++k) {
        name += kLetters[seed % 36];
        seed /= 36;
    }
    name += ".part";
    return name;
}

// An output stream buffer that hands everything straight to a file descriptor; the report writer
// already passes it blocks of some kilobytes. The first failure is kept for the message.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return writeAll(&byte, 1) ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* data, std::streamsize size) override
    {
        return writeAll(data, static_cast<size_t>(size)) ? size : 0;
    }

private:
    bool writeAll(const char* data, size_t size)
    {
        while (size > 0 && m_error == 0) {
            const ssize_t written = ::write(m_descriptor, data, size);
            if (written < 0) {
                if (errno != EINTR)
                    m_error = errno;
                continue;
            }
            data += written;
            size -= static_cast<size_t>(written);
        }
        return m_error == 0;
    }

    int m_descriptor;
    int m_error = 0;
};

// One report on its way: a temporary file of its own in the target folder, removed again unless it
// was renamed into place.
class TemporaryReportFile {
public:
    TemporaryReportFile(const fs::path& directory, std::string_view fileName)
        : m_directory(directory)
        , m_fileName(fileName)
        , m_target(directory / fs::path(std::string(fileName)))
    {
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            m_path = directory / temporaryFileName(fileName, attempt);
            m_descriptor = createNewFile(m_path);
            if (m_descriptor >= 0)
                break;
            if (errno != EEXIST)
                throw AnalysisError("cannot write " + reportName(m_target) + ": " + errorText(errno));
        }
        if (m_descriptor < 0)
            throw AnalysisError("cannot write " + reportName(m_target) + ": no free name for a temporary file");
        m_slot = trackUnfinishedFile(m_path);
    }

    TemporaryReportFile(const TemporaryReportFile&) = delete;
    TemporaryReportFile& operator=(const TemporaryReportFile&) = delete;

    ~TemporaryReportFile()
    {
        if (!m_renamed)
            ::unlink(m_path.c_str());
        forgetUnfinishedFile(m_slot);
        ::close(m_descriptor);
    }

    const fs::path& target() const { return m_target; }

    /// Writes the whole report and flushes it to the disk.
    void write(const std::function<void(std::ostream&)>& content)
    {
        DescriptorBuffer buffer(m_descriptor);
        std::ostream out(&buffer);
        content(out);
        out.flush();
        if (buffer.error() != 0)
            throw AnalysisError("cannot write " + reportName(m_target) + ": " + errorText(buffer.error()));
        if (!out)
            throw AnalysisError("cannot write " + reportName(m_target));
        if (::fsync(m_descriptor) != 0)
            throw AnalysisError("cannot write " + reportName(m_target) + ": " + errorText(errno));
    }

    void renameIntoPlace()
    {
        if (::rename(m_path.c_str(), m_target.c_str()) != 0)
            throw AnalysisError("cannot write " + reportName(m_target) + ": " + errorText(errno));
        m_renamed = true;
    }

    /// Keeps the file that the report's name leads to now, if any, under a temporary name of its own
    /// (a second link to it, or the file itself moved aside where the file system has no links), so
    /// that undoRename() can put it back. Throws AnalysisError, leaving the name as it was, when a
    /// folder has the name (the report could not go in place) or the file cannot be kept.
    void keepOldVersion()
    {
        struct stat there {};
        if (::lstat(m_target.c_str(), &there) != 0) {
            if (errno == ENOENT)
                return;
            throw AnalysisError("cannot write " + reportName(m_target) + ": " + errorText(errno));
        }
        if (S_ISDIR(there.st_mode))
            throw AnalysisError("cannot write " + reportName(m_target) + ": " + errorText(EISDIR));
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            const fs::path kept = m_directory / temporaryFileName(m_fileName, attempt);
            if (::link(m_target.c_str(), kept.c_str()) == 0) {
                keepAs(kept);
                return;
            }
            if (errno == EEXIST)
                continue;
            if (errno == ENOENT)
                return; // another run took the old file away meanwhile
            const int descriptor = createNewFile(kept);
            if (descriptor < 0) {
                if (errno == EEXIST)
                    continue;
                throw AnalysisError("cannot write " + reportName(m_target) + ": " + errorText(errno));
            }
            ::close(descriptor);
            if (::rename(m_target.c_str(), kept.c_str()) == 0) {
                keepAs(kept);
                return;
            }
            const int error = errno;
            ::unlink(kept.c_str());
            if (error == ENOENT)
                return;
            throw AnalysisError("cannot write " + reportName(m_target) + ": " + errorText(error));
        }
        throw AnalysisError("cannot write " + reportName(m_target) + ": no free name for a temporary file");
    }

    /// Puts the file kept by keepOldVersion() back under the report's name (when this report did
    /// not go in place after all, or was taken away again).
    void putBackOldVersion()
    {
        if (m_kept.empty())
            return;
        if (::rename(m_kept.c_str(), m_target.c_str()) == 0) {
            // Renaming a second link of the same file onto the first does nothing at all.
            ::unlink(m_kept.c_str());
        }
        // Otherwise the old file stays under the temporary name rather than being lost.
        forgetUnfinishedFile(m_keptSlot);
        m_keptSlot = -1;
        m_kept.clear();
    }

    /// Takes this report, already renamed into place, away again: the old file comes back, or the
    /// name is left free when there was none. A report that another run has replaced meanwhile is
    /// left to that run.
    void undoRename()
    {
        if (!inPlace()) {
            dropOldVersion();
            return;
        }
        if (m_kept.empty())
            ::unlink(m_target.c_str());
        else
            putBackOldVersion();
    }

    /// Forgets the file kept by keepOldVersion(): the report has replaced it for good.
    void dropOldVersion()
    {
        if (m_kept.empty())
            return;
        ::unlink(m_kept.c_str());
        forgetUnfinishedFile(m_keptSlot);
        m_keptSlot = -1;
        m_kept.clear();
    }

    /// True when the report's name still leads to this run's file.
    bool inPlace() const
    {
        struct stat ours {};
        struct stat there {};
        return ::fstat(m_descriptor, &ours) == 0 && ::lstat(m_target.c_str(), &there) == 0 &&
               ours.st_dev == there.st_dev && ours.st_ino == there.st_ino;
    }

private:
    static constexpr int kAttempts = 100;

    void keepAs(const fs::path& kept)
    {
        m_kept = kept;
        // A run that ends of a signal takes the kept file away like its temporary files.
        m_keptSlot = trackUnfinishedFile(kept);
    }

    fs::path m_directory;
    std::string m_fileName;
    fs::path m_target;
    fs::path m_path;
    int m_descriptor = -1;
    int m_slot = -1;
    bool m_renamed = false;
    fs::path m_kept;
    int m_keptSlot = -1;
};

// Makes the renames themselves last; a folder that cannot be opened or synced loses nothing but
// that guarantee.
void syncFolder(const fs::path& directory)
{
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

using StreamWriter = std::function<void(std::ostream&)>;

WrittenReportFiles writeThroughTemporaryFiles(const fs::path& directory,
                                              const std::vector<std::pair<std::string_view, StreamWriter>>& parts)
{
    std::vector<std::unique_ptr<TemporaryReportFile>> files;
    files.reserve(parts.size());
    for (const auto& [fileName, write] : parts) {
        files.push_back(std::make_unique<TemporaryReportFile>(directory, fileName));
        files.back()->write(write);
    }

    WrittenReportFiles written;
    for (size_t k = 0; k < files.size(); ++k) {
        try {
            // Until the last file is in place, each file it replaces is kept, to be put back should
            // a later one fail.
            if (k + 1 < files.size())
                files[k]->keepOldVersion();
            files[k]->renameIntoPlace();
        } catch (...) {
            // The set is written whole or not at all: files of this run already in place go again,
            // and the files they replaced come back, so the folder never holds less than it had.
            files[k]->putBackOldVersion();
            for (size_t earlier = 0; earlier < k; ++earlier)
                files[earlier]->undoRename();
            throw;
        }
        written.paths.push_back(files[k]->target());
    }
    for (const auto& file : files)
        file->dropOldVersion();
    syncFolder(directory);
    for (const auto& file : files)
        written.together = written.together && file->inPlace();
    return written;
}

StreamWriter streamReport(const std::function<void(ReportWriter&)>& write)
{
    return [&write](std::ostream& out) {
        ReportWriter writer(out);
        write(writer);
        out.write(writer.str().data(), static_cast<std::streamsize>(writer.str().size()));
    };
}

// The folder a file the user named goes into, which must exist.
fs::path existingFolderOf(const fs::path& path, std::string_view what)
{
    fs::path directory = path.parent_path();
    if (directory.empty())
        directory = ".";
    std::error_code ignored;
    if (!fs::is_directory(directory, ignored))
        throw AnalysisError("cannot write " + std::string(what) + " \"" + path.string() + "\": there is no folder \"" +
                            directory.string() + "\"");
    return directory;
}

} // namespace

int createNewFile(const std::filesystem::path& path)
{
    // O_EXCL refuses any existing name, a symbolic link included; O_NOFOLLOW says so once more.
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

void removeUnfinishedReportFiles() noexcept
{
    for (UnfinishedFileSlot& slot : unfinishedFiles) {
        int expected = kSlotReady;
        if (slot.state.compare_exchange_strong(expected, kSlotRemoving))
            ::unlink(slot.path);
    }
}

std::filesystem::path writeReportFile(const std::filesystem::path& directory, std::string_view fileName,
                                      std::string_view content)
{
    const StreamWriter write = [content](std::ostream& out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    };
    return writeThroughTemporaryFiles(directory, {{fileName, write}}).paths.front();
}

std::filesystem::path writeReportFile(const std::filesystem::path& directory, std::string_view fileName,
                                      const std::function<void(ReportWriter&)>& write)
{
    return writeThroughTemporaryFiles(directory, {{fileName, streamReport(write)}}).paths.front();
}

std::filesystem::path writeFileAt(const std::filesystem::path& path, std::string_view what,
                                  const std::function<void(ReportWriter&)>& write)
{
    return writeReportFile(existingFolderOf(path, what), path.filename().string(), write);
}

std::filesystem::path writeBinaryFileAt(const std::filesystem::path& path, std::string_view what,
                                        const std::function<void(std::ostream&)>& write)
{
    const std::string fileName = path.filename().string();
    return writeThroughTemporaryFiles(existingFolderOf(path, what), {{fileName, write}}).paths.front();
}

WrittenReportFiles writeReportFiles(const std::filesystem::path& directory, const std::vector<ReportFilePart>& parts)
{
    std::vector<std::pair<std::string_view, StreamWriter>> writers;
    writers.reserve(parts.size());
    for (const ReportFilePart& part : parts)
        writers.emplace_back(part.fileName, streamReport(part.write));
    return writeThroughTemporaryFiles(directory, writers);
}

} // namespace tessaloc
