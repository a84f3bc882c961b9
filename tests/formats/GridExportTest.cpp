#include "formats/GridExport.h"

#include "analyses/landscape/GridInterpolation.h"

#include "core/Errors.h"
#include "tests/support/TempFiles.h"

#include "tests/analyses/landscape/LandscapeTestData.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {
namespace {

using testing::edgeAt;

// A file read back the way a GIS program reads it, written here independently of the writer:
// header lines "key value", then the rows of values separated by blanks.
struct ReadGrid {
    std::map<std::string, std::string> header;
    std::vector<std::vector<std::string>> rows;
};

double number(std::string_view text)
{
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(result.ec, std::errc()) << text;
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    return value;
}

std::vector<std::string> split(std::string_view text, std::string_view separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end = text.find(separator); end != std::string_view::npos; end = text.find(separator, start)) {
        parts.emplace_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

// Every line must end CR LF; the text after the last one is empty.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines = split(text, "\r\n");
    EXPECT_EQ(lines.back(), "");
    lines.pop_back();
    for (const std::string& line : lines)
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    return lines;
}

ReadGrid readEsriAscii(const std::string& text)
{
    ReadGrid grid;
    for (const std::string& line : linesOf(text)) {
        const std::vector<std::string> fields = split(line, " ");
        const bool isHeader = !fields[0].empty() && ((fields[0][0] >= 'a' && fields[0][0] <= 'z') ||
                                                     (fields[0][0] >= 'A' && fields[0][0] <= 'Z'));
        if (isHeader) {
            EXPECT_EQ(fields.size(), 2u) << line;
            EXPECT_TRUE(grid.rows.empty()) << "header line after the values: " << line;
            grid.header[fields[0]] = fields[1];
        } else {
            grid.rows.push_back(fields);
        }
    }
    return grid;
}

// Extents (-10..10) x (0..10) and samples at the corners of (0..10) x (0..10): the nodes with
// x > 0 lie inside the hull, the others outside.
LandscapeResult halfCoveredShape(double maxX = 10)
{
    LandscapeResult shape;
    shape.data = {-10, maxX, 0, 10};
    shape.SampleX = {0, 10, 10, 0};
    shape.SampleY = {0, 0, 10, 10};
    shape.LandscapeEdges = {edgeAt(3, 3, 1), edgeAt(8, 1, 2.5), edgeAt(-4, 7, 0.125)};
    return shape;
}

TEST(GridExport, TheFormatFollowsTheNamesEnding)
{
    EXPECT_EQ(GridFileFormatFor("grid.csv"), GridFileFormat::Csv);
    EXPECT_EQ(GridFileFormatFor("folder.asc/GRID.CSV"), GridFileFormat::Csv);
    EXPECT_EQ(GridFileFormatFor("grid.asc"), GridFileFormat::EsriAscii);
    EXPECT_EQ(GridFileFormatFor("grid.csv.asc"), GridFileFormat::EsriAscii);
    EXPECT_EQ(GridFileFormatFor("grid"), GridFileFormat::EsriAscii);
    EXPECT_EQ(GridFileFormatFor("folder.csv/grid"), GridFileFormat::EsriAscii);
}

TEST(GridExport, AnEsriGridReadsBackWithItsNodesValuesAndNoData)
{
    const InterpolationGrid grid = InterpolateLandscape(halfCoveredShape(), 4, 2, 1.0);
    const ReadGrid read = readEsriAscii(EsriAsciiGrid(grid));

    // Square bins of 5 units: one cellsize, the cells centred on the nodes.
    ASSERT_EQ(read.header.size(), 6u);
    EXPECT_EQ(read.header.at("ncols"), "4");
    EXPECT_EQ(read.header.at("nrows"), "2");
    EXPECT_EQ(read.header.at("cellsize"), "5");
    EXPECT_EQ(read.header.at("NODATA_value"), "-9999");
    const double x0 = number(read.header.at("xllcenter"));
    const double y0 = number(read.header.at("yllcenter"));
    const double cell = number(read.header.at("cellsize"));
    EXPECT_EQ(x0, -10 + 1e-7);
    EXPECT_EQ(y0, 1e-7);

    // Row 0 is the northern one (j = 2). The node of column c, row r lies at the header's centre plus
    // whole cells, exactly where the interpolation put it.
    ASSERT_EQ(read.rows.size(), 2u);
    int outside = 0;
    for (int r = 0; r < 2; ++r) {
        ASSERT_EQ(read.rows[r].size(), 4u);
        const int j = 2 - r;
        for (int i = 1; i <= 4; ++i) {
            const size_t node = grid.at(i, j);
            EXPECT_EQ(x0 + (i - 1) * cell, grid.GridX[node]);
            EXPECT_EQ(y0 + (j - 1) * cell, grid.GridY[node]);
            const std::string& value = read.rows[r][static_cast<size_t>(i - 1)];
            if (grid.GridInside[node] != 0) {
                EXPECT_EQ(number(value), grid.GridHeight[node]) << i << ", " << j;
            } else {
                EXPECT_EQ(value, "-9999") << i << ", " << j;
                ++outside;
            }
        }
    }
    EXPECT_EQ(outside, 4); // the two western columns
}

TEST(GridExport, CellsThatAreNotSquareGetDxAndDy)
{
    // 22 by 10 units in 4 by 2 bins: dx = 5.5, dy = 5.
    const InterpolationGrid grid = InterpolateLandscape(halfCoveredShape(12), 4, 2, 1.0);
    const ReadGrid read = readEsriAscii(EsriAsciiGrid(grid));
    EXPECT_EQ(read.header.count("cellsize"), 0u);
    EXPECT_EQ(read.header.at("dx"), "5.5");
    EXPECT_EQ(read.header.at("dy"), "5");
    const double x0 = number(read.header.at("xllcenter"));
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(x0 + (i - 1) * number(read.header.at("dx")), grid.GridX[grid.at(i, 1)]);
}

TEST(GridExport, NoDataStepsAsideFromAHeightThatTakesItsValue)
{
    InterpolationGrid grid;
    grid.XBinCount = 2;
    grid.YBinCount = 1;
    grid.dx = 1;
    grid.dy = 1;
    grid.GridX = {0.5, 1.5};
    grid.GridY = {0.5, 0.5};
    grid.GridHeight = {-9999, 3};
    grid.GridInside = {1, 0};
    EXPECT_EQ(GridNoDataValue(grid), -99999);
    const ReadGrid read = readEsriAscii(EsriAsciiGrid(grid));
    EXPECT_EQ(read.header.at("NODATA_value"), "-99999");
    EXPECT_EQ(read.rows, (std::vector<std::vector<std::string>>{{"-9999", "-99999"}}));

    // Outside the hull the height does not count: -9999 stays free.
    grid.GridInside = {0, 1};
    EXPECT_EQ(GridNoDataValue(grid), -9999);
}

TEST(GridExport, ATableHoldsEveryNodeWithItsInsideMark)
{
    const InterpolationGrid grid = InterpolateLandscape(halfCoveredShape(), 3, 2, 2.0);
    const std::vector<std::string> lines = linesOf(GridCsv(grid));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "x,y,height,inside");
    size_t line = 1;
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= 2; ++j, ++line) {
            const std::vector<std::string> cells = split(lines[line], ",");
            ASSERT_EQ(cells.size(), 4u) << lines[line];
            const size_t node = grid.at(i, j);
            EXPECT_EQ(number(cells[0]), grid.GridX[node]);
            EXPECT_EQ(number(cells[1]), grid.GridY[node]);
            EXPECT_EQ(number(cells[2]), grid.GridHeight[node]);
            EXPECT_EQ(cells[3], grid.GridInside[node] != 0 ? "1" : "0");
        }
    }
}

TEST(GridExport, NumbersKeepTheirPointUnderALocaleWithADecimalComma)
{
    const InterpolationGrid grid = InterpolateLandscape(halfCoveredShape(12), 4, 1, 1.0);
    const std::string before = GridCsv(grid) + EsriAsciiGrid(grid);
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
    const std::string after = GridCsv(grid) + EsriAsciiGrid(grid);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(after, before);
    EXPECT_NE(after.find("5.5"), std::string::npos);
}

TEST(GridExport, AGridWithoutExtentCannotBeARasterButCanBeATable)
{
    // All samples on one north-south line: every bin is 0 units wide.
    LandscapeResult shape = halfCoveredShape();
    shape.data = {4, 4, 0, 10};
    const InterpolationGrid grid = InterpolateLandscape(shape, 3, 2, 1.0);
    const testing::TempFolder folder;
    try {
        WriteGridFile(folder.path() / "grid.asc", grid);
        FAIL() << "no DataProblem";
    } catch (const DataProblem& problem) {
        EXPECT_NE(std::string(problem.what()).find("no extent from west to east"), std::string::npos) << problem.what();
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    WriteGridFile(folder.path() / "grid.csv", grid);
    EXPECT_EQ(testing::readFile(folder.path() / "grid.csv"), GridCsv(grid));
}

TEST(GridExport, TheFileHoldsTheFormatItsNameAsksFor)
{
    const InterpolationGrid grid = InterpolateLandscape(halfCoveredShape(), 4, 2, 1.0);
    const testing::TempFolder folder;
    WriteGridFile(folder.path() / "grid.asc", grid);
    WriteGridFile(folder.path() / "grid.CSV", grid);
    EXPECT_EQ(testing::readFile(folder.path() / "grid.asc"), EsriAsciiGrid(grid));
    EXPECT_EQ(testing::readFile(folder.path() / "grid.CSV"), GridCsv(grid));
    EXPECT_THROW(WriteGridFile(folder.path() / "no-such-folder" / "grid.asc", grid), AnalysisError);
}

} // namespace
} // namespace tessaloc
