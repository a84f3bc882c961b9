#include "ui/widgets/ReportFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

namespace tessaloc::ui {

namespace {

constexpr qint64 kReadChunk = 4 << 20;
/// Strides kept in memory by a ReportFile: a page of the view and the lines around it.
constexpr size_t kKeptStrides = 8;

/// Latin-1 letters in lower case, every other byte as it is.
const std::array<char, 256>& caseFolding()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> folded{};
        for (int c = 0; c < 256; ++c) {
            const char16_t lower = QChar(static_cast<char16_t>(c)).toLower().unicode();
            folded[static_cast<size_t>(c)] = static_cast<char>(lower < 256 ? lower : c);
        }
        return folded;
    }();
    return table;
}

void foldCase(QByteArray& bytes)
{
    const std::array<char, 256>& table = caseFolding();
    for (char& c : bytes)
        c = table[static_cast<unsigned char>(c)];
}

QString cacheKey(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

std::optional<ReportLineIndex> ReportLineIndex::build(const QString& path, const std::function<bool()>& stop)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return build(file, stop);
}

std::optional<ReportLineIndex> ReportLineIndex::build(QFile& file, const std::function<bool()>& stop)
{
    ReportLineIndex index;
    index.m_modified = QFileInfo(file.fileName()).lastModified();
    if (!file.seek(0))
        return std::nullopt;
    QByteArray chunk(static_cast<qsizetype>(kReadChunk), Qt::Uninitialized);
    qint64 chunkStart = 0;
    qint64 lineStart = 0;
    char before = 0; // the byte before the current one, across chunks
    for (;;) {
        if (stop && stop())
            return std::nullopt;
        const qint64 got = file.read(chunk.data(), kReadChunk);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        const char* data = chunk.constData();
        qint64 at = 0;
        while (at < got) {
            const void* found = std::memchr(data + at, '\n', static_cast<size_t>(got - at));
            if (!found)
                break;
            const qint64 end = static_cast<const char*>(found) - data;
            const char last = end > 0 ? data[end - 1] : before;
            const qint64 length = chunkStart + end - lineStart - (last == '\r' ? 1 : 0);
            if (index.m_lineCount % kStride == 0)
                index.m_strideStarts.push_back(lineStart);
            ++index.m_lineCount;
            index.m_longestLine = std::max(index.m_longestLine, length);
            lineStart = chunkStart + end + 1;
            at = end + 1;
        }
        before = data[got - 1];
        chunkStart += got;
    }
    index.m_size = chunkStart;
    if (lineStart < index.m_size) {
        // Text after the last line end is a line of its own.
        if (index.m_lineCount % kStride == 0)
            index.m_strideStarts.push_back(lineStart);
        ++index.m_lineCount;
        index.m_longestLine = std::max(index.m_longestLine, index.m_size - lineStart - (before == '\r' ? 1 : 0));
    }
    return index;
}

qint64 ReportLineIndex::strideEnd(qint64 stride) const
{
    const auto next = static_cast<size_t>(stride) + 1;
    return next < m_strideStarts.size() ? m_strideStarts[next] : m_size;
}

qint64 ReportLineIndex::strideOfOffset(qint64 offset) const
{
    const auto after = std::upper_bound(m_strideStarts.begin(), m_strideStarts.end(), offset);
    return std::max<qint64>(0, (after - m_strideStarts.begin()) - 1);
}

void ReportIndexCache::put(const QString& path, std::shared_ptr<const ReportLineIndex> index)
{
    m_indexes.insert(cacheKey(path), std::move(index));
}

std::shared_ptr<const ReportLineIndex> ReportIndexCache::take(const QString& path)
{
    std::shared_ptr<const ReportLineIndex> index = m_indexes.take(cacheKey(path));
    const QFileInfo now(path);
    if (!index || now.size() != index->size() || now.lastModified() != index->modified())
        return nullptr;
    return index;
}

std::vector<std::pair<QString, std::shared_ptr<const ReportLineIndex>>>
indexReportFolder(const QString& folder, const std::function<bool()>& stop)
{
    std::vector<std::pair<QString, std::shared_ptr<const ReportLineIndex>>> indexes;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
        std::optional<ReportLineIndex> index = ReportLineIndex::build(file.absoluteFilePath(), stop);
        if (stop && stop())
            break;
        if (index)
            indexes.emplace_back(file.absoluteFilePath(), std::make_shared<const ReportLineIndex>(std::move(*index)));
    }
    return indexes;
}

std::shared_ptr<ReportFile> ReportFile::open(const QString& path, std::shared_ptr<const ReportLineIndex> prepared)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return nullptr;
    const QFileInfo info(path);
    if (!prepared || prepared->size() != file->size() || prepared->modified() != info.lastModified()) {
        std::optional<ReportLineIndex> index = ReportLineIndex::build(*file);
        if (!index)
            return nullptr;
        prepared = std::make_shared<const ReportLineIndex>(std::move(*index));
    }
    return std::shared_ptr<ReportFile>(new ReportFile(path, std::move(file), std::move(prepared)));
}

ReportFile::ReportFile(const QString& path, std::unique_ptr<QFile> file, std::shared_ptr<const ReportLineIndex> index)
    : m_path(path)
    , m_file(std::move(file))
    , m_index(std::move(index))
{
}

QByteArray ReportFile::read(qint64 offset, qint64 length)
{
    if (length <= 0 || !m_file->seek(offset))
        return {};
    return m_file->read(length);
}

const ReportFile::Stride& ReportFile::stride(qint64 number)
{
    const auto kept = std::find_if(m_strides.begin(), m_strides.end(),
                                   [number](const Stride& stride) { return stride.number == number; });
    if (kept != m_strides.end()) {
        std::rotate(m_strides.begin(), kept, kept + 1);
        return m_strides.front();
    }
    Stride fresh;
    fresh.number = number;
    const qint64 start = m_index->strideStart(number);
    fresh.bytes = read(start, m_index->strideEnd(number) - start);
    qsizetype at = 0;
    while (at < fresh.bytes.size() && fresh.lineStarts.size() < static_cast<size_t>(ReportLineIndex::kStride)) {
        fresh.lineStarts.push_back(static_cast<int>(at));
        const qsizetype end = fresh.bytes.indexOf('\n', at);
        if (end < 0)
            break;
        at = end + 1;
    }
    if (m_strides.size() >= kKeptStrides)
        m_strides.pop_back();
    m_strides.insert(m_strides.begin(), std::move(fresh));
    return m_strides.front();
}

QString ReportFile::line(qint64 line)
{
    if (line < 0 || line >= lineCount())
        return {};
    const Stride& lines = stride(line / ReportLineIndex::kStride);
    const auto within = static_cast<size_t>(line % ReportLineIndex::kStride);
    if (within >= lines.lineStarts.size())
        return {};
    const qsizetype start = lines.lineStarts[within];
    qsizetype end = within + 1 < lines.lineStarts.size() ? lines.lineStarts[within + 1] : lines.bytes.size();
    if (end > start && lines.bytes[end - 1] == '\n')
        --end;
    if (end > start && lines.bytes[end - 1] == '\r')
        --end;
    return QString::fromLatin1(lines.bytes.constData() + start, end - start);
}

qint64 ReportFile::lineLength(qint64 line)
{
    return this->line(line).size();
}

qint64 ReportFile::lineStart(qint64 line)
{
    if (line >= lineCount())
        return size();
    if (line <= 0)
        return 0;
    const qint64 number = line / ReportLineIndex::kStride;
    const Stride& lines = stride(number);
    const auto within = static_cast<size_t>(line % ReportLineIndex::kStride);
    const qint64 start = m_index->strideStart(number);
    return within < lines.lineStarts.size() ? start + lines.lineStarts[within] : m_index->strideEnd(number);
}

TextPosition ReportFile::positionOfOffset(qint64 offset)
{
    if (lineCount() == 0)
        return {};
    if (offset >= size()) {
        const qint64 last = lineCount() - 1;
        return {last, lineLength(last)};
    }
    const qint64 number = m_index->strideOfOffset(std::max<qint64>(0, offset));
    const Stride& lines = stride(number);
    const qint64 within = offset - m_index->strideStart(number);
    const auto after = std::upper_bound(lines.lineStarts.begin(), lines.lineStarts.end(), within);
    const qint64 index = std::max<qint64>(0, (after - lines.lineStarts.begin()) - 1);
    const qint64 line = number * ReportLineIndex::kStride + index;
    const qint64 column = within - lines.lineStarts[static_cast<size_t>(index)];
    return {line, std::min(column, lineLength(line))};
}

qint64 ReportFile::offsetOf(const TextPosition& position)
{
    if (position.line >= lineCount())
        return size();
    if (position.line < 0)
        return 0;
    return lineStart(position.line) + std::clamp<qint64>(position.column, 0, lineLength(position.line));
}

QString ReportFile::text(const TextPosition& from, const TextPosition& to)
{
    const qint64 start = offsetOf(from);
    QString text = QString::fromLatin1(read(start, offsetOf(to) - start));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString ReportFile::wholeText()
{
    return QString::fromLatin1(read(0, size()));
}

bool ReportFile::forEachPiece(const std::function<bool(const QByteArray&)>& sink, qint64 pieceSize)
{
    qint64 start = 0;
    while (start < size()) {
        const qint64 reach = std::min(size() - 1, start + std::max<qint64>(1, pieceSize) - 1);
        const qint64 end = m_index->strideEnd(m_index->strideOfOffset(reach));
        const QByteArray piece = read(start, end - start);
        if (piece.size() != end - start || !sink(piece))
            return false;
        start = end;
    }
    return true;
}

std::optional<qint64> ReportFile::findBytes(const QByteArray& folded, qint64 from, qint64 to, bool backwards)
{
    const qint64 length = folded.size();
    const qint64 chunk = std::max(kReadChunk, 4 * length);
    if (!backwards) {
        for (qint64 at = from; to - at >= length;) {
            const qint64 end = std::min(to, at + chunk);
            QByteArray bytes = read(at, end - at);
            foldCase(bytes);
            const qsizetype found = bytes.indexOf(folded);
            if (found >= 0)
                return at + found;
            if (end == to || bytes.size() != end - at)
                break;
            at = end - (length - 1);
        }
    } else {
        for (qint64 end = to; end - from >= length;) {
            const qint64 start = std::max(from, end - chunk);
            QByteArray bytes = read(start, end - start);
            foldCase(bytes);
            const qsizetype found = bytes.lastIndexOf(folded);
            if (found >= 0)
                return start + found;
            if (start == from || bytes.size() != end - start)
                break;
            end = start + (length - 1);
        }
    }
    return std::nullopt;
}

std::optional<TextPosition> ReportFile::find(const QString& text, const TextPosition& from, bool backwards)
{
    if (text.isEmpty() || text.contains(QLatin1Char('\n')))
        return std::nullopt;
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return std::nullopt;
    QByteArray folded = text.toLatin1();
    foldCase(folded);
    const qint64 length = folded.size();
    const qint64 start = offsetOf(from);
    std::optional<qint64> found;
    if (!backwards) {
        found = findBytes(folded, start, size(), false);
        if (!found)
            found = findBytes(folded, 0, std::min(size(), start + length - 1), false);
    } else {
        // A match that starts before `from`, else the last one of the report.
        found = findBytes(folded, 0, std::min(size(), start + length - 1), true);
        if (!found)
            found = findBytes(folded, start, size(), true);
    }
    if (!found)
        return std::nullopt;
    return positionOfOffset(*found);
}

} // namespace tessaloc::ui
