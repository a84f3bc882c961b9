#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

#include <compare>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessaloc::ui {

/// A place in a report: a line (from 0) and a column (from 0, in characters of that line).
struct TextPosition {
    qint64 line = 0;
    qint64 column = 0;

    friend auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

/// Where the lines of a report file start, found once by reading the file through. Lines end with
/// LF (a CR before it belongs to the line end); text after the last LF is one more line. Only the
/// start of every kStride-th line is kept, so that the index of a report of 50 million lines takes
/// about 6 MB; a line is found by reading the lines of its stride from their first start.
///
/// Built on any thread (the run's worker indexes its report), then read-only.
class ReportLineIndex {
public:
    static constexpr qint64 kStride = 64;

    /// Reads `path` through; nothing when it cannot be read, or when `stop` (may be empty), asked
    /// every few megabytes, returns true.
    static std::optional<ReportLineIndex> build(const QString& path, const std::function<bool()>& stop = {});
    /// The same for a file already open for reading, read from its start.
    static std::optional<ReportLineIndex> build(QFile& file, const std::function<bool()>& stop = {});

    qint64 lineCount() const { return m_lineCount; }
    /// Bytes indexed: the file's size when it was read.
    qint64 size() const { return m_size; }
    /// When the file was last modified before it was read.
    const QDateTime& modified() const { return m_modified; }
    /// Characters of the longest line, its line end not counted.
    qint64 longestLine() const { return m_longestLine; }
    /// The byte at which line `stride * kStride` starts; `stride` runs to (lineCount - 1) / kStride.
    qint64 strideStart(qint64 stride) const { return m_strideStarts[static_cast<size_t>(stride)]; }
    /// The byte at which the stride after `stride` starts, or the size for the last stride.
    qint64 strideEnd(qint64 stride) const;
    /// The stride holding the byte `offset` (0 <= offset < size).
    qint64 strideOfOffset(qint64 offset) const;

private:
    qint64 m_lineCount = 0;
    qint64 m_size = 0;
    qint64 m_longestLine = 0;
    QDateTime m_modified;
    std::vector<qint64> m_strideStarts;
};

/// The line indexes of a run's reports, made on its worker thread and taken by the results window
/// that loads them, so that a large report is read through only once. Keyed by the report's path;
/// an index is taken only while the file still has the size and time it was indexed at.
class ReportIndexCache {
public:
    void put(const QString& path, std::shared_ptr<const ReportLineIndex> index);
    /// The index of `path` when it still describes the file, else nothing; the entry goes either way.
    std::shared_ptr<const ReportLineIndex> take(const QString& path);
    void clear() { m_indexes.clear(); }
    bool isEmpty() const { return m_indexes.isEmpty(); }

private:
    QHash<QString, std::shared_ptr<const ReportLineIndex>> m_indexes;
};

/// The indexes of every file in `folder` (a run's private folder, which holds its reports). Stops
/// with nothing for the files not yet read when `stop` returns true.
std::vector<std::pair<QString, std::shared_ptr<const ReportLineIndex>>>
indexReportFolder(const QString& folder, const std::function<bool()>& stop = {});

/// A report file read where it lies: the file stays open for as long as this object lives (so a
/// report removed from its folder after loading can still be read on systems that allow it), and
/// lines are read by strides on request, a few strides kept. Latin-1 text, CR LF line ends. Used on
/// the window thread only.
class ReportFile {
public:
    /// Opens `path` and takes `prepared` as its index when it describes the file, else reads the
    /// file through now. Null when the file cannot be opened or read.
    static std::shared_ptr<ReportFile> open(const QString& path,
                                            std::shared_ptr<const ReportLineIndex> prepared = nullptr);

    const QString& path() const { return m_path; }
    qint64 lineCount() const { return m_index->lineCount(); }
    qint64 size() const { return m_index->size(); }
    qint64 longestLine() const { return m_index->longestLine(); }

    /// Line `line` (0 <= line < lineCount) without its line end; empty when it cannot be read.
    QString line(qint64 line);
    /// Characters of line `line` without its line end.
    qint64 lineLength(qint64 line);
    /// The byte at which line `line` starts (size() for line == lineCount()).
    qint64 lineStart(qint64 line);
    /// The position of byte `offset` (0 <= offset <= size).
    TextPosition positionOfOffset(qint64 offset);
    /// The byte of `position`, its column limited to the line's length.
    qint64 offsetOf(const TextPosition& position);
    /// The text from `from` to `to` (from <= to), line ends as LF.
    QString text(const TextPosition& from, const TextPosition& to);
    /// The whole report as the file holds it (CR LF kept).
    QString wholeText();

    /// Calls `sink` with the file's bytes in order, in pieces of about `pieceSize` bytes that each end
    /// at a line end (or at the end of the file). False when the file could not be read or `sink`
    /// returned false.
    bool forEachPiece(const std::function<bool(const QByteArray&)>& sink, qint64 pieceSize = 1 << 20);

    /// The first place at or after `from` (before `from` when searching backwards) where `text`
    /// stands, ignoring case, continuing at the other end of the report when needed; nothing when it
    /// stands nowhere. Text of one line only (no line ends); characters beyond Latin-1 are never found.
    std::optional<TextPosition> find(const QString& text, const TextPosition& from, bool backwards);

private:
    struct Stride {
        qint64 number = -1;
        QByteArray bytes;
        std::vector<int> lineStarts; ///< within `bytes`, one per line of the stride
    };

    ReportFile(const QString& path, std::unique_ptr<QFile> file, std::shared_ptr<const ReportLineIndex> index);
    QByteArray read(qint64 offset, qint64 length);
    const Stride& stride(qint64 number);
    std::optional<qint64> findBytes(const QByteArray& folded, qint64 from, qint64 to, bool backwards);

    QString m_path;
    std::unique_ptr<QFile> m_file;
    std::shared_ptr<const ReportLineIndex> m_index;
    std::vector<Stride> m_strides; ///< the strides read last, most recent first
};

} // namespace tessaloc::ui
