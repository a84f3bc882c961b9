#include "cli/CommandLine.h"
#include "tests/cli/CliRun.h"

#include "formats/RasterFile.h"
#include "resistance/SurfaceBuilder.h"
#include "tests/support/RasterFiles.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tessaloc::cli {
namespace {

namespace fs = std::filesystem;
using tessaloc::testing::fileNamesIn;
using tessaloc::testing::northUp;
using tessaloc::testing::RasterSpec;
using tessaloc::testing::TempFolder;

// A land-cover layer of codes 1 and 2 and an elevation layer on the same 3 x 2 grid.
struct Layers {
    TempFolder folder;
    fs::path landcover;
    fs::path elevation;
    fs::path table;

    Layers()
    {
        RasterSpec codes;
        codes.columns = 3;
        codes.rows = 2;
        codes.transform = northUp(500000.0, 4200000.0, 30.0, 30.0);
        codes.epsg = 32633;
        codes.values = {1, 1, 2, 2, 1, 2};
        landcover = testing::writeGeoTiff(folder, "landcover.tif", codes);
        RasterSpec heights = codes;
        heights.values = {100, 150, 200, 100, 200, 200};
        elevation = testing::writeGeoTiff(folder, "elevation.tif", heights);
        table = folder.write("table.csv", "class,resistance\n1,1\n2,10\n");
    }
};

TEST(SurfaceCommand, WritesTheSurfaceAndItsReport)
{
    Layers layers;
    const fs::path output = layers.folder.path() / "surface.tif";
    const CliRun run = runCli({"surface", "--layer", layers.landcover.string() + ":classes=" + layers.table.string(),
                               "--layer", layers.elevation.string() + ":linear=4", "--output", output.string(),
                               "--output-dir", layers.folder.path().string()});
    ASSERT_EQ(run.exit, kExitSuccess) << run.err;
    const fs::path report = layers.folder.path() / kSurfaceReportFileName;
    EXPECT_EQ(run.out, "Report written to " + report.string() + "\nSurface written to " + output.string() + "\n");
    EXPECT_EQ(run.err, "");
    // Classes 1, 1, 10, 10, 1, 10 plus linear=4 on 100..200 (1, 3, 5, 1, 5, 5) less one.
    const RasterFile surface(output, "surface");
    EXPECT_EQ(surface.readCells(), (std::vector<double>{1, 3, 14, 10, 5, 14}));
    EXPECT_EQ(surface.geometry().coordinateSystemName, "WGS 84 / UTM zone 33N");
    EXPECT_NE(testing::readFile(report).find("Maximum resistance: 14\r\n"), std::string::npos);
    EXPECT_EQ(fileNamesIn(layers.folder.path()),
              (std::vector<std::string>{kSurfaceReportFileName, "elevation.tif", "landcover.tif", "surface.tif",
                                        "table.csv"}));
}

TEST(SurfaceCommand, BadCommandLinesAreUsageErrorsThatWriteNothing)
{
    Layers layers;
    const std::string dem = layers.elevation.string();
    const std::string landcover = layers.landcover.string() + ":classes=" + layers.table.string();
    const std::string output = (layers.folder.path() / "surface.tif").string();
    const std::string dir = layers.folder.path().string();
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::string message; // the first line on standard error
    } cases[] = {
        {"no layer", {"--output", output}, "surface needs at least one --layer FILE:SPEC"},
        {"no output", {"--layer", dem + ":linear=1"}, "surface needs --output FILE.tif"},
        {"a shape of 0",
         {"--layer", dem + ":ricker=0,10", "--output", output},
         "the shape of the layer rule \"ricker=0,10\" must be a number greater than 0, not \"0\""},
        {"a negative maximum",
         {"--layer", dem + ":linear=-2", "--output", output},
         "the maximum of the layer rule \"linear=-2\" must be a number greater than 0, not \"-2\""},
        {"an unknown rule",
         {"--layer", dem + ":gaussian=1,2", "--output", output},
         "the layer rule \"gaussian=1,2\" names no known rule; give classes=TABLE.csv, linear=MAXIMUM, or "
         "FAMILY=SHAPE,MAXIMUM with FAMILY monomolecular or ricker, optionally after reverse-, inverse- or "
         "inverse-reverse-"},
        {"no rule", {"--layer", dem, "--output", output}, "--layer takes FILE:SPEC"},
        {"the output is a layer",
         {"--layer", dem + ":linear=1", "--output", dem},
         "--output \"" + dem + "\" names layer 1; give the resistance surface a name of its own"},
        {"the output is a class table",
         {"--layer", landcover, "--output", layers.table.string()},
         "--output \"" + layers.table.string() +
             "\" names the class table of layer 1; give the resistance surface a name of its own"},
        {"the output is the report",
         {"--layer", dem + ":linear=1", "--output", dir + "/" + kSurfaceReportFileName, "--output-dir", dir},
         "--output \"" + dir + "/" + kSurfaceReportFileName + "\" names the report " + kSurfaceReportFileName},
        {"a file name",
         {"--layer", dem + ":linear=1", "--output", output, "extra.txt"},
         "surface takes no file name but in its options, not \"extra.txt\""},
        {"an option of the analyses",
         {"--layer", dem + ":linear=1", "--output", output, "--latlong"},
         "unknown option \"--latlong\" for surface"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments = {"surface"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.exit, kExitUsageError);
        EXPECT_EQ(run.err.substr(0, 14 + c.message.size()), "tessaloc-cli: " + c.message) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(fileNamesIn(layers.folder.path()),
                  (std::vector<std::string>{"elevation.tif", "landcover.tif", "table.csv"}));
    }
}

TEST(SurfaceCommand, ADataProblemEndsWithStatusOneAndNoFile)
{
    Layers layers;
    const fs::path table = layers.folder.write("short.csv", "class,resistance\n1,1\n");
    const CliRun run =
        runCli({"surface", "--layer", layers.landcover.string() + ":classes=" + table.string(), "--output",
                (layers.folder.path() / "surface.tif").string(), "--output-dir", layers.folder.path().string()});
    EXPECT_EQ(run.exit, kExitDataProblem);
    EXPECT_EQ(run.err, "The layer 1 \"" + layers.landcover.string() + "\" has a code that the class table \"" +
                           table.string() +
                           "\" does not list: 2 (3 cells).\nEvery code of a class layer needs a row "
                           "in its table (a resistance or impassable).\n");
    EXPECT_EQ(fileNamesIn(layers.folder.path()),
              (std::vector<std::string>{"elevation.tif", "landcover.tif", "short.csv", "table.csv"}));
}

TEST(SurfaceCommand, ItsHelpShowsOnlyTheOptionsItTakes)
{
    const CliRun help = runCli({"surface", "--help"});
    EXPECT_EQ(help.exit, kExitSuccess);
    EXPECT_NE(help.out.find("Usage: tessaloc-cli surface [common options] [--layer FILE:SPEC ...] [--output "
                            "FILE.tif]\n"),
              std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find("--output-dir"), std::string::npos);
    EXPECT_EQ(help.out.find("--latlong"), std::string::npos);
}

} // namespace
} // namespace tessaloc::cli
