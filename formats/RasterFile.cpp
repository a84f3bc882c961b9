#include "formats/RasterFile.h"

#include "core/Errors.h"
#include "core/ThreadCount.h"

#include "formats/Gdal.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_alg.h>
#include <gdalwarper.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

namespace tessaloc {
namespace {

// The band's no-data value as the band stores it: a float band holds the value rounded to float, so
// the comparison is made in float there.
class NoData {
public:
    explicit NoData(GDALRasterBandH band)
    {
        int has = 0;
        m_value = GDALGetRasterNoDataValue(band, &has);
        m_has = has != 0 && !std::isnan(m_value);
        m_float = GDALGetRasterDataType(band) == GDT_Float32;
    }
    bool matches(double value) const
    {
        if (!m_has)
            return false;
        return m_float ? static_cast<float>(value) == static_cast<float>(m_value) : value == m_value;
    }

private:
    double m_value = 0.0;
    bool m_has = false;
    bool m_float = false;
};

// At most this many cells are read from GDAL at a time (8 MB of doubles): a row longer than that is
// read in pieces.
constexpr std::int64_t kCellsPerRead = 1 << 20;
// Memory for the cells is first taken for at most this many cells per byte of the file (and at least
// one read's worth); beyond that it grows as the cells arrive. A raster that holds fewer bytes than
// it claims cells then costs memory only for what it holds.
constexpr std::int64_t kCellsPerFileByte = 16;

std::string lineText(std::int64_t line)
{
    return "line " + std::to_string(line);
}

// The check of an ESRI ASCII grid's text against its header, before GDAL reads it: GDAL takes the
// header's ncols and nrows at their word and reads the values in sequence whatever the lines, so a
// row with a value too many shifts every later cell, values beyond nrows rows are dropped, and a
// file much shorter than its header claims is found out only once memory for every claimed cell is
// taken. Reads the file in pieces, in memory of a piece.
//
// The rules: header lines are those whose first word begins with a letter (as GDAL takes them); the
// values follow. Each row of the grid starts on a new line and ends at the end of a line, and may be
// wrapped over several lines; a file with all its values on one line (which the format allows) is
// taken as it is. Every value is a number (NaN and infinities included, which are read as no data).
class EsriGridCheck {
public:
    EsriGridCheck(const std::string& description, std::uintmax_t fileSize)
        : m_description(description)
        , m_fileSize(fileSize)
    {
    }

    void feed(std::string_view text)
    {
        for (const char c : text)
            take(c);
    }

    /// After finish(): the header's ncols and nrows, which the text holds, when it gave both.
    std::optional<std::pair<std::int64_t, std::int64_t>> confirmed() const
    {
        if (!m_header.columns || !m_header.rows)
            return std::nullopt;
        return std::pair{*m_header.columns, *m_header.rows};
    }

    void finish()
    {
        endWord();
        endLine();
        if (!m_header.columns || !m_header.rows)
            return; // GDAL tells what is missing from the header
        const std::int64_t columns = *m_header.columns;
        const std::int64_t rows = *m_header.rows;
        if (m_linesWithValues == 1 && m_values == columns * rows)
            return; // all on one line
        if (m_inRow != 0 && m_row < rows)
            fail("row " + std::to_string(m_row + 1) + " of its grid (from " + lineText(m_rowLine) + ") holds " +
                     std::to_string(m_inRow) + " values where its header gives " + std::to_string(columns) +
                     " columns (ncols)",
                 "Every row of an ESRI ASCII grid holds ncols values.");
        if (m_row < rows)
            fail("ends after " + std::to_string(m_row) + " rows of values, where its header gives " +
                     std::to_string(rows) + " rows (nrows) of " + std::to_string(columns) + " columns: the file, of " +
                     std::to_string(m_fileSize) + " bytes, is too short for the grid its header claims",
                 "The file is probably cut short, or its header is wrong.");
        if (m_row > rows || m_inRow != 0) {
            const std::int64_t extra = m_row - rows + (m_inRow != 0 ? 1 : 0);
            fail("has " + std::to_string(extra) + (extra == 1 ? " row" : " rows") + " of values beyond the " +
                     std::to_string(rows) + " rows (nrows) of its header, from " + lineText(m_extraLine) + " on",
                 "Either the header's nrows or the rows of values are wrong.");
        }
    }

private:
    struct Header {
        std::optional<std::int64_t> columns;
        std::optional<std::int64_t> rows;
    };

    [[noreturn]] void fail(const std::string& what, const std::string& detail) const
    {
        throw DataProblem("The " + m_description + " " + what + ".", detail);
    }

    void take(char c)
    {
        const bool lineEnd = c == '\n' || (c == '\r');
        if (c == '\n' && m_lastWasCarriageReturn) {
            m_lastWasCarriageReturn = false;
            return; // the second half of \r\n
        }
        m_lastWasCarriageReturn = c == '\r';
        if (lineEnd || c == ' ' || c == '\t' || c == '\f' || c == '\v') {
            endWord();
            if (lineEnd)
                endLine();
            return;
        }
        if (m_word.size() < kLongestWord)
            m_word.push_back(c);
        else
            m_wordTooLong = true;
    }

    void endWord()
    {
        if (m_word.empty())
            return;
        const std::string_view word = m_word;
        if (m_wordsInLine == 0 && m_inHeader && std::isalpha(static_cast<unsigned char>(word.front())) != 0)
            m_headerLine = true;
        else if (m_wordsInLine == 0 && !m_headerLine)
            m_inHeader = false;
        if (m_headerLine)
            headerWord(word);
        else
            value(word);
        ++m_wordsInLine;
        m_word.clear();
        m_wordTooLong = false;
    }

    void headerWord(std::string_view word)
    {
        if (m_wordsInLine == 0) {
            m_key.assign(word);
            std::transform(m_key.begin(), m_key.end(), m_key.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            return;
        }
        if (m_wordsInLine != 1 || (m_key != "ncols" && m_key != "nrows"))
            return;
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
        if (error != std::errc() || end != word.data() + word.size() || number < 1 ||
            number > std::numeric_limits<int>::max())
            return; // GDAL says what is wrong with it
        (m_key == "ncols" ? m_header.columns : m_header.rows) = number;
    }

    void value(std::string_view word)
    {
        ++m_values;
        ++m_valuesInLine;
        if (m_wordTooLong || !isNumber(word))
            fail("holds " + quotedField(word) + " in " + lineText(m_line) + ", which is no number",
                 "The values of an ESRI ASCII grid are numbers separated by spaces.");
    }

    static bool isNumber(std::string_view word)
    {
        if (word.size() > 1 && word.front() == '+')
            word.remove_prefix(1);
        double number = 0.0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
        return (error == std::errc() || error == std::errc::result_out_of_range) && end == word.data() + word.size();
    }

    void endLine()
    {
        if (m_valuesInLine > 0)
            rowValues(m_valuesInLine);
        m_valuesInLine = 0;
        m_wordsInLine = 0;
        m_headerLine = false;
        ++m_line;
    }

    void rowValues(std::int64_t count)
    {
        ++m_linesWithValues;
        if (!m_header.columns || !m_header.rows)
            return;
        const std::int64_t columns = *m_header.columns;
        if (m_linesWithValues == 2 && m_firstLineValues > columns) {
            // The first line held more than a row, and it is not the only line.
            m_row = 0;
            m_inRow = m_firstLineValues;
            m_line = m_rowLine;
            failLongRow(columns);
        }
        if (m_inRow == 0)
            m_rowLine = m_line;
        if (m_row >= *m_header.rows && m_extraLine == 0)
            m_extraLine = m_line;
        if (m_linesWithValues == 1)
            m_firstLineValues = count;
        m_inRow += count;
        if (m_inRow == columns) {
            ++m_row;
            m_inRow = 0;
        } else if (m_inRow > columns && m_linesWithValues > 1) {
            if (m_row >= *m_header.rows)
                return; // told as rows beyond the header's at the end
            failLongRow(columns);
        } else if (m_inRow > columns) {
            // The first line of values holds more than a row: the one-line layout, checked at the end
            // and when a second line comes; the rows it holds are counted from it.
            m_row += m_inRow / columns;
            m_inRow %= columns;
            if (m_row > *m_header.rows || (m_row == *m_header.rows && m_inRow > 0))
                m_extraLine = m_line;
        }
    }

    [[noreturn]] void failLongRow(std::int64_t columns) const
    {
        fail("row " + std::to_string(m_row + 1) + " of its grid" +
                 (m_rowLine == m_line
                      ? " (" + lineText(m_line) + ")"
                      : " (lines " + std::to_string(m_rowLine) + " to " + std::to_string(m_line) + ")") +
                 " holds " + std::to_string(m_inRow) + " values where its header gives " + std::to_string(columns) +
                 " columns (ncols)",
             "Every row of an ESRI ASCII grid holds ncols values and ends at the end of a line.");
    }

    static constexpr size_t kLongestWord = 400;

    std::string m_description;
    std::uintmax_t m_fileSize;
    Header m_header;
    std::string m_word;
    bool m_wordTooLong = false;
    std::string m_key;
    bool m_inHeader = true;
    bool m_headerLine = false;
    bool m_lastWasCarriageReturn = false;
    std::int64_t m_line = 1;
    std::int64_t m_wordsInLine = 0;
    std::int64_t m_valuesInLine = 0;
    std::int64_t m_linesWithValues = 0;
    std::int64_t m_firstLineValues = 0;
    std::int64_t m_values = 0;
    std::int64_t m_row = 0;       // complete rows so far
    std::int64_t m_inRow = 0;     // values of the row under way
    std::int64_t m_rowLine = 0;   // where the row under way began
    std::int64_t m_extraLine = 0; // the first line of values beyond the header's rows
};

// The keywords an ESRI ASCII grid begins with, as GDAL's driver recognises the format.
bool looksLikeEsriAsciiGrid(std::string_view start)
{
    static constexpr std::array<std::string_view, 9> kKeywords{
        "ncols", "nrows", "xllcorner", "yllcorner", "xllcenter", "yllcenter", "dx", "dy", "cellsize"};
    return std::any_of(kKeywords.begin(), kKeywords.end(), [start](std::string_view keyword) {
        return start.size() >= keyword.size() &&
               std::equal(keyword.begin(), keyword.end(), start.begin(),
                          [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    });
}

// Checks the text of `path` when it is an ESRI ASCII grid (see EsriGridCheck) and returns the columns
// and rows its text confirms; nothing for other files.
std::optional<std::pair<std::int64_t, std::int64_t>> checkEsriAsciiGrid(const std::filesystem::path& path,
                                                                        const std::string& description)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt; // GDAL says why
    std::vector<char> piece(1 << 20);
    file.read(piece.data(), 16);
    if (!looksLikeEsriAsciiGrid(std::string_view(piece.data(), static_cast<size_t>(file.gcount()))))
        return std::nullopt;
    std::error_code ignored;
    const std::uintmax_t size = std::filesystem::file_size(path, ignored);
    EsriGridCheck check(description, size == static_cast<std::uintmax_t>(-1) ? 0 : size);
    check.feed(std::string_view(piece.data(), static_cast<size_t>(file.gcount())));
    while (file) {
        file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        check.feed(std::string_view(piece.data(), static_cast<size_t>(file.gcount())));
    }
    check.finish();
    return check.confirmed();
}

struct DestroySpatialReference {
    using pointer = OGRSpatialReferenceH;
    void operator()(OGRSpatialReferenceH system) const { OSRDestroySpatialReference(system); }
};
using SpatialReference = std::unique_ptr<void, DestroySpatialReference>;

SpatialReference spatialReferenceOf(const std::string& wkt)
{
    if (wkt.empty())
        return nullptr;
    SpatialReference system(OSRNewSpatialReference(nullptr));
    if (OSRSetFromUserInput(system.get(), wkt.c_str()) != OGRERR_NONE)
        return nullptr;
    OSRSetAxisMappingStrategy(system.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return system;
}

// GDAL's general image-to-image transformer, destroyed when it goes.
struct DestroyTransformer {
    void operator()(void* transformer) const { GDALDestroyGenImgProjTransformer(transformer); }
};
using Transformer = std::unique_ptr<void, DestroyTransformer>;

// A dataset in memory with the georeferencing of `grid` and no band, so that GDAL can transform
// between it and a raster file. With `pixels` it gets one Float64 band that writes into them.
GdalDataset memoryDataset(const RasterGeometry& grid, const std::string& wkt, double* pixels)
{
    GDALDriverH driver = GDALGetDriverByName("MEM");
    if (driver == nullptr)
        return nullptr;
    GdalDataset dataset(GDALCreate(driver, "", grid.columns, grid.rows, 0, GDT_Float64, nullptr));
    if (!dataset)
        return nullptr;
    std::array<double, 6> transform = grid.transform;
    GDALSetGeoTransform(dataset.get(), transform.data());
    if (const SpatialReference system = spatialReferenceOf(wkt))
        GDALSetSpatialRef(dataset.get(), system.get());
    if (pixels != nullptr) {
        char pointer[64] = {};
        CPLPrintPointer(pointer, pixels, sizeof pointer);
        const std::string option = "DATAPOINTER=" + std::string(pointer);
        const char* const options[] = {option.c_str(), nullptr};
        if (GDALAddBand(dataset.get(), GDT_Float64, const_cast<char**>(options)) != CE_None)
            return nullptr;
        GDALSetRasterNoDataValue(GDALGetRasterBand(dataset.get(), 1), std::numeric_limits<double>::quiet_NaN());
    }
    return dataset;
}

// The coordinate system the grid's dataset gets: its own, or the raster's when the grid has none
// (so that nothing is reprojected); none when the raster has none, for the same reason.
std::string targetSystem(const RasterGeometry& raster, const RasterGeometry& grid)
{
    if (raster.coordinateSystemWkt.empty())
        return {};
    return grid.coordinateSystemWkt.empty() ? raster.coordinateSystemWkt : grid.coordinateSystemWkt;
}

int CPL_STDCALL askListener(double, const char*, void* listener)
{
    return static_cast<RunListener*>(listener)->cancelled() ? FALSE : TRUE;
}

} // namespace

bool sameGrid(const RasterGeometry& a, const RasterGeometry& b)
{
    if (a.columns != b.columns || a.rows != b.rows || a.transform != b.transform)
        return false;
    if (a.coordinateSystemWkt.empty() || b.coordinateSystemWkt.empty())
        return a.coordinateSystemWkt.empty() && b.coordinateSystemWkt.empty();
    if (a.coordinateSystemWkt == b.coordinateSystemWkt)
        return true;
    const SpatialReference first = spatialReferenceOf(a.coordinateSystemWkt);
    const SpatialReference second = spatialReferenceOf(b.coordinateSystemWkt);
    return first && second && OSRIsSame(first.get(), second.get()) != 0;
}

struct RasterFile::Dataset {
    GdalDataset handle;
};

RasterFile::RasterFile(const std::filesystem::path& path, std::string role)
    : m_dataset(std::make_unique<Dataset>())
    , m_description(role + " \"" + escapeControlCharacters(path.string()) + "\"")
{
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored))
        throw DataProblem("The " + m_description + " does not exist.");
    // Before GDAL, which would believe the header of a text grid (see EsriGridCheck).
    const auto checkedText = checkEsriAsciiGrid(path, m_description);
    m_fileSize = std::filesystem::is_regular_file(path, ignored) ? std::filesystem::file_size(path, ignored) : 0;
    if (m_fileSize == static_cast<std::uintmax_t>(-1))
        m_fileSize = 0;
    registerGdalDrivers();
    const GdalErrors errors;
    m_dataset->handle.reset(
        GDALOpenEx(path.string().c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!m_dataset->handle)
        throw DataProblem("The " + m_description + " cannot be read as a raster (GeoTIFF, ESRI ASCII grid, ...).",
                          errors.reason("GDAL recognises no raster format in it"));
    // Text grids (ESRI ASCII, GRASS ASCII) come as single precision unless asked for doubles.
    GDALDriverH driver = GDALGetDatasetDriver(m_dataset->handle.get());
    const char* options = driver ? GDALGetMetadataItem(driver, GDAL_DMD_OPENOPTIONLIST, nullptr) : nullptr;
    const auto offers = [options](std::string_view option) {
        return options != nullptr && std::string_view(options).find(option) != std::string_view::npos;
    };
    if (offers("name='DATATYPE'") || offers("name=\"DATATYPE\"")) {
        const char* const doubles[] = {"DATATYPE=Float64", nullptr};
        m_dataset->handle.reset(
            GDALOpenEx(path.string().c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, doubles, nullptr));
        if (!m_dataset->handle)
            throw DataProblem("The " + m_description + " cannot be read as a raster (GeoTIFF, ESRI ASCII grid, ...).",
                              errors.reason("GDAL recognises no raster format in it"));
    }
    GDALDatasetH dataset = m_dataset->handle.get();
    if (GDALGetRasterCount(dataset) < 1)
        throw DataProblem("The " + m_description + " has no raster band.");

    m_geometry.columns = GDALGetRasterXSize(dataset);
    m_geometry.rows = GDALGetRasterYSize(dataset);
    if (m_geometry.columns < 1 || m_geometry.rows < 1)
        throw DataProblem("The " + m_description + " has no cells.");
    m_cellCountConfirmed =
        checkedText && checkedText->first == m_geometry.columns && checkedText->second == m_geometry.rows;
    if (GDALGetGeoTransform(dataset, m_geometry.transform.data()) != CE_None)
        throw DataProblem("The " + m_description +
                          " has no georeferencing (no origin and cell size), so no sample location can be placed "
                          "on it.");
    const auto& t = m_geometry.transform;
    if (!std::all_of(t.begin(), t.end(), [](double v) { return std::isfinite(v); }) || t[1] * t[5] - t[2] * t[4] == 0)
        throw DataProblem("The " + m_description + " has a georeferencing that places no cell (a cell size of 0).");

    if (OGRSpatialReferenceH system = GDALGetSpatialRef(dataset)) {
        m_geometry.coordinates = OSRIsGeographic(system) ? RasterCoordinates::Geographic : RasterCoordinates::Planar;
        if (const char* name = OSRGetName(system))
            m_geometry.coordinateSystemName = escapeControlCharacters(name);
        char* wkt = nullptr;
        const char* const format[] = {"FORMAT=WKT2_2018", nullptr};
        if (OSRExportToWktEx(system, &wkt, format) == OGRERR_NONE && wkt != nullptr)
            m_geometry.coordinateSystemWkt = wkt;
        CPLFree(wkt);
    }
}

RasterFile::~RasterFile() = default;

std::vector<double> RasterFile::readCells(RunListener& listener) const
{
    GDALRasterBandH band = GDALGetRasterBand(m_dataset->handle.get(), 1);
    const NoData noData(band);
    const std::int64_t columns = m_geometry.columns;
    const std::int64_t total = m_geometry.cellCount();
    // Memory follows the cells read: at first only what the file's size can plausibly hold (a
    // compressed raster more), then more as they arrive (see kCellsPerFileByte).
    std::vector<double> cells;
    const auto plausible = static_cast<std::int64_t>(
        std::min<std::uintmax_t>(m_fileSize, static_cast<std::uintmax_t>(total)) * kCellsPerFileByte);
    cells.reserve(static_cast<size_t>(std::min(total, std::max(plausible, kCellsPerRead))));
    // Whole rows at a time, or a row in pieces from the left when it is longer than a read (so that
    // the cells still come row by row).
    const std::int64_t rowsPerRead = std::max<std::int64_t>(1, kCellsPerRead / columns);
    const std::int64_t piece = std::min(columns, kCellsPerRead);
    for (std::int64_t first = 0; first < m_geometry.rows; first += rowsPerRead) {
        const auto rows = static_cast<int>(std::min<std::int64_t>(rowsPerRead, m_geometry.rows - first));
        for (std::int64_t left = 0; left < columns; left += piece) {
            listener.throwIfCancelled();
            const auto width = static_cast<int>(std::min(piece, columns - left));
            const size_t count = static_cast<size_t>(rows) * static_cast<size_t>(width);
            if (cells.capacity() - cells.size() < count)
                cells.reserve(static_cast<size_t>(std::min<std::int64_t>(
                    total, std::max<std::int64_t>(static_cast<std::int64_t>(cells.size() * 2),
                                                  static_cast<std::int64_t>(cells.size() + count)))));
            const size_t start = cells.size();
            cells.resize(start + count);
            double* strip = cells.data() + start;
            const GdalErrors errors;
            if (GDALRasterIO(band, GF_Read, static_cast<int>(left), static_cast<int>(first), width, rows, strip, width,
                             rows, GDT_Float64, 0, 0) != CE_None)
                throw DataProblem("The " + m_description + " cannot be read from row " + std::to_string(first + 1) +
                                      " on.",
                                  errors.reason("GDAL gives no reason"));
            for (size_t k = 0; k < count; ++k) {
                if (!std::isfinite(strip[k]) || noData.matches(strip[k]))
                    strip[k] = std::nan("");
            }
        }
    }
    return cells;
}

bool RasterFile::overlaps(const RasterGeometry& grid) const
{
    registerGdalDrivers();
    const GdalErrors errors;
    const GdalDataset target = memoryDataset(grid, targetSystem(m_geometry, grid), nullptr);
    if (!target)
        return false;
    const Transformer transformer(GDALCreateGenImgProjTransformer2(m_dataset->handle.get(), target.get(), nullptr));
    if (!transformer)
        return false;
    // Points along the raster's edges and across it, carried into the grid's cells: their extent
    // meets the grid when the raster does (a curved edge bends less than a 32nd of it between two).
    constexpr int kSteps = 32;
    std::vector<double> x;
    std::vector<double> y;
    for (int i = 0; i <= kSteps; ++i) {
        for (int j = 0; j <= kSteps; ++j) {
            x.push_back(m_geometry.columns * static_cast<double>(i) / kSteps);
            y.push_back(m_geometry.rows * static_cast<double>(j) / kSteps);
        }
    }
    std::vector<double> z(x.size(), 0.0);
    std::vector<int> success(x.size(), 0);
    GDALGenImgProjTransform(transformer.get(), FALSE, static_cast<int>(x.size()), x.data(), y.data(), z.data(),
                            success.data());
    double left = std::numeric_limits<double>::infinity();
    double right = -left;
    double top = left;
    double bottom = -left;
    for (size_t k = 0; k < x.size(); ++k) {
        if (!success[k] || !std::isfinite(x[k]) || !std::isfinite(y[k]))
            continue;
        left = std::min(left, x[k]);
        right = std::max(right, x[k]);
        top = std::min(top, y[k]);
        bottom = std::max(bottom, y[k]);
    }
    return left < grid.columns && right > 0 && top < grid.rows && bottom > 0;
}

std::vector<double> RasterFile::readCellsOnto(const RasterGeometry& grid, RasterResampling resampling,
                                              RunListener& listener) const
{
    if (sameGrid(m_geometry, grid))
        return readCells(listener);
    listener.throwIfCancelled();
    registerGdalDrivers();
    const GdalErrors errors;
    const auto fail = [&](const std::string& what) {
        throw DataProblem("The " + m_description + " cannot be warped onto the grid of the first layer: " + what + ".",
                          errors.reason("GDAL gives no reason"));
    };
    std::vector<double> cells(static_cast<size_t>(grid.cellCount()), std::numeric_limits<double>::quiet_NaN());
    const GdalDataset target = memoryDataset(grid, targetSystem(m_geometry, grid), cells.data());
    if (!target)
        fail("GDAL cannot make the grid in memory");
    const Transformer transformer(GDALCreateGenImgProjTransformer2(m_dataset->handle.get(), target.get(), nullptr));
    if (!transformer)
        fail("GDAL cannot transform between the two coordinate systems");
    // As gdalwarp does, the exact transformation is interpolated linearly along each row of cells
    // where that stays within an eighth of a cell of it.
    void* approximate = GDALCreateApproxTransformer(GDALGenImgProjTransform, transformer.get(), 0.125);
    if (approximate == nullptr)
        fail("GDAL cannot transform between the two coordinate systems");

    GDALWarpOptions* options = GDALCreateWarpOptions();
    options->hSrcDS = m_dataset->handle.get();
    options->hDstDS = target.get();
    options->nBandCount = 1;
    options->panSrcBands = static_cast<int*>(CPLMalloc(sizeof(int)));
    options->panSrcBands[0] = 1;
    options->panDstBands = static_cast<int*>(CPLMalloc(sizeof(int)));
    options->panDstBands[0] = 1;
    options->eWorkingDataType = GDT_Float64;
    options->eResampleAlg = resampling == RasterResampling::Bilinear ? GRA_Bilinear : GRA_NearestNeighbour;
    // The band's no-data value, or NaN, which the warper then skips like one.
    GDALRasterBandH band = GDALGetRasterBand(m_dataset->handle.get(), 1);
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    options->padfSrcNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
    options->padfSrcNoDataReal[0] = hasNoData ? noData : std::numeric_limits<double>::quiet_NaN();
    options->padfDstNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
    options->padfDstNoDataReal[0] = std::numeric_limits<double>::quiet_NaN();
    options->papszWarpOptions = CSLSetNameValue(options->papszWarpOptions, "INIT_DEST", "NO_DATA");
    options->papszWarpOptions =
        CSLSetNameValue(options->papszWarpOptions, "NUM_THREADS", std::to_string(defaultThreadCount()).c_str());
    options->pfnTransformer = GDALApproxTransform;
    options->pTransformerArg = approximate;
    options->pfnProgress = askListener;
    options->pProgressArg = &listener;
    options->dfWarpMemoryLimit = 256.0 * 1024 * 1024;

    GDALWarpOperationH operation = GDALCreateWarpOperation(options);
    const CPLErr warped = operation ? GDALChunkAndWarpImage(operation, 0, 0, grid.columns, grid.rows) : CE_Failure;
    if (operation)
        GDALDestroyWarpOperation(operation);
    GDALDestroyWarpOptions(options);
    GDALDestroyApproxTransformer(approximate);
    listener.throwIfCancelled();
    if (warped != CE_None)
        fail("GDAL's warper failed");
    GDALFlushCache(target.get());
    for (double& value : cells) {
        if (!std::isfinite(value))
            value = std::numeric_limits<double>::quiet_NaN();
    }
    return cells;
}

} // namespace tessaloc
