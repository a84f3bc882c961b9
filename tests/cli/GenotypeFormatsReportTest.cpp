#include "cli/CommandLine.h"

#include "analyses/aggregation/Aggregation.h"
#include "analyses/autocorrelation/Autocorrelation.h"
#include "analyses/landscape/Landscape.h"
#include "analyses/mantel/Mantel.h"
#include "analyses/monmonier/Monmonier.h"
#include "core/Errors.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace tessaloc::cli {
namespace {

namespace fs = std::filesystem;
using tessaloc::testing::readFile;
using tessaloc::testing::TempFolder;

// Five samples and three loci written in each format; the coordinate file lists four of them, in
// an order of its own.
const std::string kCoordinates = "s3,0,1\ns1,0,0\ns4,1,1\ns2,1,0\n;\n";
const std::string kOwn = "3\ns3,2\\2,1\\1,2\\2\ns1,1\\1,1\\3,1\\1\ns4,0\\0,3\\3,1\\2\ns2,1\\2,2\\3,1\\1\n";
const std::string kVcf = "##fileformat=VCFv4.2\n##contig=<ID=1>\n"
                         "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                         "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ts1\ts2\ts3\ts4\ts5\n"
                         "1\t100\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\t1|1\t./.\t0/1\n"
                         "1\t200\t.\tC\tT,G\t.\t.\t.\tGT\t0/2\t1/2\t0|0\t2/2\t.\n"
                         "1\t300\t.\tC\tT\t.\t.\t.\tGT\t0/0\t0/0\t1/1\t0/1\t1/.\n";
const std::string kGenepop = "Title\nL1, L2\nL3\nPOP\ns1 , 0101 0103 0101\ns2, 0102 0203 0101\n"
                             "s3 , 0202 0101 0202\nPop\ns4 , 0000 0303 0102\ns5, 0000 0000 0200\n";
const std::string kGenalex = "3,5,2,3,2\nTitle,,,p1,p2\nSample,Pop,L1,,L2,,L3,,,X,Y\n"
                             "s1,p1,1,1,1,3,1,1,,0,0\ns2,p1,1,2,2,3,1,1,,1,0\ns3,p1,2,2,1,1,2,2,,0,1\n"
                             "s4,p2,0,0,3,3,1,2,,1,1\ns5,p2,0,0,0,0,2,0,,5,5\n";

// The report of `analysis` on the files, with the names of the two files written as COORDS and
// GENOTYPES; also the warnings on standard error. `options` follow the files.
std::string reportOf(const std::string& analysis, const fs::path& coordinates, const fs::path& genotypes,
                     const std::string& reportName, std::string* warnings = nullptr,
                     const std::vector<std::string>& options = {"--permutations", "99"})
{
    TempFolder output;
    std::ostringstream out, err;
    std::vector<std::string> arguments = {
        analysis, "--seed", "7,11", coordinates.string(), genotypes.string(), "--output-dir", output.path().string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const int status = runCommandLine(arguments, out, err);
    EXPECT_EQ(status, 0) << err.str();
    if (warnings)
        *warnings = err.str();
    // A report that was not written would compare equal to another that was not.
    EXPECT_TRUE(fs::is_regular_file(output.path() / reportName)) << analysis << " wrote no " << reportName;
    std::string report = readFile(output.path() / reportName);
    for (const auto& [path, name] : {std::pair{genotypes, "GENOTYPES"}, std::pair{coordinates, "COORDS"}}) {
        for (size_t at; (at = report.find(path.string())) != std::string::npos;)
            report.replace(at, path.string().size(), name);
    }
    return report;
}

TEST(GenotypeFormats, TheSameDataInEveryFormatGivesTheSameReport)
{
    TempFolder folder;
    const fs::path coordinates = folder.write("coords.txt", kCoordinates);
    const fs::path own = folder.write("own.txt", kOwn);
    for (const auto& [analysis, report] :
         {std::pair{"mantel", kMantelReportFileName}, std::pair{"aggregation", kAggregationReportFileName}}) {
        const std::string expected = reportOf(analysis, coordinates, own, report);
        for (const auto& [name, content] :
             {std::pair{"a.vcf", kVcf}, std::pair{"a.gen", kGenepop}, std::pair{"a.csv", kGenalex}}) {
            std::string warnings;
            EXPECT_EQ(reportOf(analysis, coordinates, folder.write(name, content), report, &warnings), expected)
                << analysis << " " << name;
            EXPECT_NE(warnings.find("1 sample of the genotype file"), std::string::npos) << warnings;
        }
    }
}

TEST(GenotypeFormats, AGenalexTableWithCoordinatesServesAsBothFiles)
{
    TempFolder folder;
    // s5 has only one usable locus, which no other sample shares: it is left out of the table here.
    std::string genalex = kGenalex.substr(0, kGenalex.find("s5,"));
    genalex.replace(0, genalex.find('\n'), "3,4,2,3,1");
    const fs::path both = folder.write("both.csv", genalex);
    const fs::path coordinates = folder.write("coords.txt", "s1,0,0\ns2,1,0\ns3,0,1\ns4,1,1\n;\n");
    const fs::path own = folder.write("own.txt", "3\ns1,1\\1,1\\3,1\\1\ns2,1\\2,2\\3,1\\1\ns3,2\\2,1\\1,2\\2\n"
                                                 "s4,0\\0,3\\3,1\\2\n");
    std::string expected = reportOf("mantel", coordinates, own, "IBDResults.txt");
    EXPECT_EQ(reportOf("mantel", both, both, "IBDResults.txt"), [&] {
        std::string report = expected;
        report.replace(report.find("COORDS"), 6, "GENOTYPES");
        return report;
    }());
}

TEST(GenotypeFormats, ConvertedFilesGiveTheSameReportAsTheOriginals)
{
    TempFolder folder;
    const fs::path coordinates = folder.write("coords.txt", kCoordinates);
    for (const auto& [name, content] : {std::pair{"a.vcf", kVcf}, std::pair{"a.gen", kGenepop},
                                        std::pair{"a.csv", kGenalex}, std::pair{"own.txt", kOwn}}) {
        const fs::path original = folder.write(name, content);
        const fs::path converted = folder.path() / (std::string(name) + "-converted");
        fs::create_directory(converted);
        std::ostringstream out, err;
        ASSERT_EQ(
            runCommandLine({"convert", coordinates.string(), original.string(), "--output-dir", converted.string()},
                           out, err),
            0)
            << err.str();
        // Only the observations of the coordinate file are written, in its order.
        EXPECT_EQ(readFile(converted / "coordinates.txt"),
                  "\"s3\",0,1\r\n\"s1\",0,0\r\n\"s4\",1,1\r\n\"s2\",1,0\r\n;\r\n");
        EXPECT_EQ(reportOf("mantel", converted / "coordinates.txt", converted / "genotypes.txt", "IBDResults.txt"),
                  reportOf("mantel", coordinates, original, "IBDResults.txt"))
            << name;
    }
}

TEST(GenotypeFormats, ConvertRefusesCoordinatesThatAreNotNumbersAsTheAnalysesDo)
{
    // Written into coordinates.txt, such a coordinate would make every analysis of the pair fail.
    TempFolder folder;
    const fs::path vcf = folder.write("a.vcf", kVcf);
    const struct {
        std::string y;
        std::string reason;
    } cases[] = {
        {"abc", "the Y coordinate of observation 2 (\"s1\") is not a number: \"abc\""},
        {"", "the Y coordinate of observation 2 (\"s1\") is not a number: \"\""},
        {"1e999", "the Y coordinate of observation 2 (\"s1\") is not a number: \"1e999\""},
    };
    for (const auto& c : cases) {
        const fs::path coordinates = folder.write("coords.txt", "s3,0,1\ns1,0," + c.y + "\ns4,1,1\n;\n");
        const fs::path output = folder.path() / "out";
        fs::create_directory(output);
        std::ostringstream out, err;
        EXPECT_EQ(
            runCommandLine({"convert", coordinates.string(), vcf.string(), "--output-dir", output.string()}, out, err),
            kExitAnalysisError)
            << c.y;
        const std::string expected = std::string(kGeneralErrorMessage) + "\n" + c.reason + "\n";
        EXPECT_TRUE(err.str().ends_with(expected)) << err.str();
        EXPECT_TRUE(fs::is_empty(output)) << c.y;
    }
    // With --latlong a point off the globe is the data problem it is in every analysis.
    const fs::path offGlobe = folder.write("globe.txt", "s3,0,1\ns1,200,0\n;\n");
    std::ostringstream out, err;
    EXPECT_EQ(runCommandLine({"convert", "--latlong", offGlobe.string(), vcf.string(), "--output-dir",
                              (folder.path() / "out").string()},
                             out, err),
              kExitDataProblem);
    EXPECT_NE(err.str().find("The longitude (X) of observation 2 (\"s1\"), \"200\", lies outside -180 to 180"),
              std::string::npos)
        << err.str();
}

TEST(GenotypeFormats, BinaryFileGivenAsVcfIsADataProblemNotAFileThatCannotBeOpened)
{
    TempFolder folder;
    const fs::path coordinates = folder.write("coords.txt", kCoordinates);
    std::string bytes;
    for (int k = 0; k < 4096; ++k)
        bytes += static_cast<char>((k * 7919 + 13) % 256);
    const fs::path binary = folder.write("data.bin", bytes);
    std::ostringstream out, err;
    EXPECT_EQ(runCommandLine({"distances", "--genotype-format", "vcf", coordinates.string(), binary.string(),
                              "--output-dir", folder.path().string()},
                             out, err),
              kExitDataProblem);
    EXPECT_EQ(err.str(), "The genotype file \"" + binary.string() + "\" is not a VCF or BCF file.\n");
}

TEST(GenotypeFormats, ForcedFormatOverridesDetection)
{
    TempFolder folder;
    const fs::path coordinates = folder.write("coords.txt", kCoordinates);
    const fs::path vcf = folder.write("a.vcf", kVcf);
    std::ostringstream out, err;
    EXPECT_EQ(runCommandLine({"distances", "--genotype-format", "own", coordinates.string(), vcf.string(),
                              "--output-dir", folder.path().string()},
                             out, err),
              kExitAnalysisError);
    EXPECT_EQ(runCommandLine({"distances", "--genotype-format", "plink", coordinates.string(), vcf.string()}, out, err),
              kExitUsageError);
    EXPECT_NE(err.str().find("--genotype-format takes own, vcf, genepop or genalex, not \"plink\""), std::string::npos);
}

// Nine cats of three colonies at four loci, as many GENEPOP files hold them: the colony's name on
// every line of it, in the coordinate file too. Allele 0 is missing.
struct Cat {
    const char* colony;
    const char* x;
    const char* y;
    int alleles[4][2];
};
const Cat kCats[] = {
    {"1", "0", "0", {{12, 14}, {20, 20}, {5, 7}, {31, 33}}},
    {"1", "1", "0", {{12, 12}, {20, 22}, {5, 5}, {0, 33}}},
    {"1", "0", "1.5", {{14, 14}, {22, 22}, {7, 7}, {31, 31}}},
    {"2", "10", "0", {{12, 16}, {20, 24}, {0, 0}, {33, 35}}},
    {"2", "11", "1", {{16, 16}, {24, 24}, {9, 7}, {35, 35}}},
    {"2", "10", "2.5", {{14, 16}, {22, 24}, {9, 9}, {33, 33}}},
    {"3", "5", "8", {{12, 12}, {20, 20}, {5, 9}, {31, 35}}},
    {"3", "6", "9", {{0, 12}, {20, 26}, {5, 5}, {31, 31}}},
    {"3", "4.5", "9.5", {{12, 18}, {26, 26}, {11, 5}, {37, 31}}},
};

// The cats as a GENEPOP file: alleles of `digits` digits each, `offset` added to every allele
// but 0; each record named by `name`. A new POP line starts each colony.
std::string catsGenepop(int digits, int offset, const std::function<std::string(const Cat&)>& name)
{
    std::string text = "Cats of three colonies\r\nFca8, Fca23\r\nFca43\r\nFca45\r\n";
    std::string colony;
    for (const Cat& cat : kCats) {
        if (cat.colony != colony)
            text += "POP\r\n";
        colony = cat.colony;
        text += name(cat) + " ,";
        for (const auto& pair : cat.alleles) {
            text += ' ';
            for (const int allele : pair) {
                const std::string number = std::to_string(allele == 0 ? 0 : allele + offset);
                text += std::string(static_cast<size_t>(digits) - number.size(), '0') + number;
            }
        }
        text += "\r\n";
    }
    return text;
}

// The same cats in the program's own genotype format ("0\0" for a genotype with an allele missing).
std::string catsOwn(int offset)
{
    std::string text = "4\r\n";
    for (const Cat& cat : kCats) {
        text += std::string("\"") + cat.colony + "\"";
        for (const auto& pair : cat.alleles) {
            text += pair[0] == 0 || pair[1] == 0
                        ? std::string(",0\\0")
                        : "," + std::to_string(pair[0] + offset) + "\\" + std::to_string(pair[1] + offset);
        }
        text += "\r\n";
    }
    return text;
}

std::string catsCoordinates(const std::function<std::string(const Cat&)>& name)
{
    std::string text;
    for (const Cat& cat : kCats)
        text += "\"" + name(cat) + "\"," + cat.x + "," + cat.y + "\r\n";
    return text + ";\r\n";
}

std::string colonyOf(const Cat& cat)
{
    return cat.colony;
}

// Each analysis that writes a report, with the options that keep it small.
struct ReportingRun {
    std::string analysis;
    std::string report;
    std::vector<std::string> options;
};
const ReportingRun kReportingRuns[] = {
    {"mantel", kMantelReportFileName, {"--permutations", "99"}},
    {"autocorrelation", kAutocorrelationReportFileName, {"--permutations", "99", "--classes", "3", "--equal-counts"}},
    {"aggregation", kAggregationReportFileName, {"--permutations", "99"}},
    {"landscape", kLandscapeReportFileName, {}},
    {"monmonier", kMonmonierReportFileName, {}},
};

TEST(GenotypeFormats, GenepopWithOneNamePerColonyPairedByOrderGivesTheReportsOfTheOwnFormat)
{
    // Two- and three-digit alleles; the coordinate file repeats the colonies' names as well.
    TempFolder folder;
    const fs::path coordinates = folder.write("coords.txt", catsCoordinates(colonyOf));
    for (const auto& [digits, offset] : {std::pair{2, 0}, std::pair{3, 100}}) {
        const fs::path genepop =
            folder.write("cats" + std::to_string(digits) + ".gen", catsGenepop(digits, offset, colonyOf));
        const fs::path own = folder.write("own" + std::to_string(digits) + ".txt", catsOwn(offset));
        for (const ReportingRun& run : kReportingRuns) {
            std::vector<std::string> byOrder = run.options;
            byOrder.insert(byOrder.end(), {"--match", "order"});
            std::string warnings;
            EXPECT_EQ(reportOf(run.analysis, coordinates, genepop, run.report, &warnings, byOrder),
                      reportOf(run.analysis, coordinates, own, run.report, nullptr, run.options))
                << run.analysis << " " << digits;
            EXPECT_EQ(warnings, "") << run.analysis;
        }
    }
}

TEST(GenotypeFormats, GenepopWithRepeatedNamesMatchedByNameSaysToPairByOrder)
{
    TempFolder folder;
    const fs::path coordinates =
        folder.write("coords.txt", catsCoordinates([](const Cat& cat) { return std::string("c") + cat.x + cat.y; }));
    const fs::path genepop = folder.write("cats.gen", catsGenepop(2, 0, colonyOf));
    const CliRun run =
        runCli({"mantel", coordinates.string(), genepop.string(), "--output-dir", folder.path().string()});
    EXPECT_EQ(run.exit, kExitDataProblem);
    EXPECT_EQ(run.err, "The sample name \"1\" appears twice in the genotype file \"" + genepop.string() +
                           "\" (line 6 and line 7); each sample needs a name of its own to be matched by name. If the "
                           "two files list the same samples in the same order, pair them by order instead: \"by order "
                           "in the files\" in the main window, --match order in tessaloc-cli.\n");
    EXPECT_FALSE(fs::exists(folder.path() / kMantelReportFileName));
}

TEST(GenotypeFormats, PairedByOrderTheFilesMustListAsManySamples)
{
    TempFolder folder;
    std::string fewer = catsCoordinates(colonyOf);
    fewer.erase(0, fewer.find('\n') + 1);
    const fs::path coordinates = folder.write("coords.txt", fewer);
    const fs::path genepop = folder.write("cats.gen", catsGenepop(2, 0, colonyOf));
    for (const std::string analysis : {"mantel", "distances", "convert"}) {
        const CliRun run = runCli({analysis, "--match", "order", coordinates.string(), genepop.string(), "--output-dir",
                                   folder.path().string()});
        EXPECT_EQ(run.exit, kExitDataProblem) << analysis;
        EXPECT_EQ(run.err, "The coordinate file lists 8 observations and the genotype file \"" + genepop.string() +
                               "\" 9 samples; paired by their order in the files, both must list as many.\n")
            << analysis;
    }
}

TEST(GenotypeFormats, GenepopNamedByCoordinatesServesAsBothFiles)
{
    TempFolder folder;
    const auto coordinatesAsName = [](const Cat& cat) { return std::string(cat.x) + " " + cat.y; };
    const fs::path both = folder.write("ibd.gen", catsGenepop(3, 100, coordinatesAsName));
    int number = 0;
    const fs::path coordinates =
        folder.write("coords.txt", catsCoordinates([&](const Cat&) { return "ind" + std::to_string(++number); }));
    const fs::path own = folder.write("own.txt", catsOwn(100));
    for (const ReportingRun& run : kReportingRuns) {
        std::string expected = reportOf(run.analysis, coordinates, own, run.report, nullptr, run.options);
        // Both files have the one name, which is written where the genotype file's was.
        for (size_t at; (at = expected.find("COORDS")) != std::string::npos;)
            expected.replace(at, 6, "GENOTYPES");
        EXPECT_EQ(reportOf(run.analysis, both, both, run.report, nullptr, run.options), expected) << run.analysis;
        std::vector<std::string> byOrder = run.options;
        byOrder.insert(byOrder.end(), {"--match", "order"});
        EXPECT_EQ(reportOf(run.analysis, both, both, run.report, nullptr, byOrder), expected) << run.analysis;
    }
    // The plot of sample locations reads the coordinates alone.
    const CliRun plot = runCli({"sampleplot", both.string()});
    EXPECT_EQ(plot.exit, kExitSuccess) << plot.err;
    EXPECT_EQ(plot.out, runCli({"sampleplot", coordinates.string()}).out);
}

TEST(GenotypeFormats, GenepopWhoseNamesAreNotAllCoordinatesCannotBeTheCoordinateFile)
{
    TempFolder folder;
    const fs::path mixed = folder.write("mixed.gen", catsGenepop(2, 0, [](const Cat& cat) {
                                            return cat.colony == std::string("3") ? std::string("Colony 3")
                                                                                  : std::string(cat.x) + " " + cat.y;
                                        }));
    const CliRun run = runCli({"mantel", mixed.string(), mixed.string(), "--output-dir", folder.path().string()});
    EXPECT_EQ(run.exit, kExitDataProblem);
    EXPECT_EQ(run.err, "The coordinate file \"" + mixed.string() +
                           "\", line 14: the sample name \"Colony 3\" is not two numbers (X and Y), while other names "
                           "of the file are; a GENEPOP file serves as the coordinate file only when every sample is "
                           "named by its X and Y (\"12.5 34.1 , 0101 0202 ...\").\n");
}

TEST(GenotypeFormats, HaploidGenalexTableGivesTheReportsOfTheOwnFormat)
{
    // One column per locus, each headed; the same states in the own format as data type 2.
    TempFolder folder;
    const fs::path coordinates = folder.write("coords.txt", "a,0,0\nb,1,0.3\nc,0.2,1.1\nd,1.4,1.9\ne,3,2.6\n;\n");
    const fs::path genalex =
        folder.write("haploid.csv", "3,5,2,3,2\nHaplotypes,,,north,south\nSample,Pop,cytb,COI,D-loop\n"
                                    "a,north,1,1,2\nb,north,1,2,2\nc,north,2,0,1\n"
                                    "d,south,3,2,1\ne,south,3,2,0\n");
    const fs::path own = folder.write("own.txt", "3\na,1,1,2\nb,1,2,2\nc,2,0,1\nd,3,2,1\ne,3,2,0\n");
    for (const ReportingRun& run : kReportingRuns) {
        std::vector<std::string> options = run.options;
        options.insert(options.end(), {"--type", "2"});
        EXPECT_EQ(reportOf(run.analysis, coordinates, genalex, run.report, nullptr, options),
                  reportOf(run.analysis, coordinates, own, run.report, nullptr, options))
            << run.analysis;
    }
    // Haploid codes are single states: data type 1 is refused.
    const CliRun run =
        runCli({"mantel", coordinates.string(), genalex.string(), "--output-dir", folder.path().string()});
    EXPECT_EQ(run.exit, kExitDataProblem);
    EXPECT_NE(run.err.find("holds haploid genotypes (one allele per locus), which are read as data type 2"),
              std::string::npos)
        << run.err;
}

TEST(GenotypeFormats, GenalexCoordinatesHeadedLatitudeAndLongitudeWarnWithoutLatlong)
{
    TempFolder folder;
    const fs::path table = folder.write("ll.csv", "1,3,1,3\nt,,,p\nSample,Pop,L1,,,Latitude,Longitude\n"
                                                  "a,p,1,2,,45.5,7.25\nb,p,2,2,,46,8\nc,p,1,1,,46.5,7\n");
    const std::string warning = "tessaloc-cli: warning: the coordinate file \"" + table.string() +
                                "\" heads its coordinates Latitude and Longitude, but they are read as planar X and "
                                "Y; tick \"Coordinates are Latitude/Longitude\" (--latlong in tessaloc-cli) for "
                                "great-circle distances in kilometres\n";
    for (const std::string analysis : {"distances", "sampleplot"}) {
        std::vector<std::string> arguments = {analysis, table.string()};
        if (analysis == "distances")
            arguments.insert(arguments.end(), {table.string(), "--output-dir", folder.path().string()});
        CliRun run = runCli(arguments);
        EXPECT_EQ(run.exit, kExitSuccess) << run.err;
        EXPECT_EQ(run.err, warning) << analysis;
        arguments.push_back("--latlong");
        run = runCli(arguments);
        EXPECT_EQ(run.exit, kExitSuccess) << run.err;
        EXPECT_EQ(run.err, "") << analysis;
    }
}

TEST(GenotypeFormats, ConvertPairsByOrderWhenAsked)
{
    TempFolder folder;
    const fs::path coordinates = folder.write("coords.txt", catsCoordinates(colonyOf));
    const fs::path genepop = folder.write("cats.gen", catsGenepop(2, 0, colonyOf));
    const fs::path converted = folder.path() / "converted";
    fs::create_directory(converted);
    const CliRun run = runCli(
        {"convert", "--match", "order", coordinates.string(), genepop.string(), "--output-dir", converted.string()});
    ASSERT_EQ(run.exit, kExitSuccess) << run.err;
    EXPECT_EQ(readFile(converted / "genotypes.txt"), catsOwn(0));
    EXPECT_EQ(reportOf("mantel", converted / "coordinates.txt", converted / "genotypes.txt", kMantelReportFileName),
              reportOf("mantel", coordinates, folder.write("own.txt", catsOwn(0)), kMantelReportFileName));
}

} // namespace
} // namespace tessaloc::cli
