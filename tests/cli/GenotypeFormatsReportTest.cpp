#include "cli/CommandLine.h"

#include "analyses/aggregation/Aggregation.h"
#include "analyses/autocorrelation/Autocorrelation.h"
#include "analyses/landscape/Landscape.h"
#include "analyses/mantel/Mantel.h"
#include "analyses/monmonier/Monmonier.h"
#include "core/Errors.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

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
    std::vector<std::string> arguments = {analysis,           "--seed",       "7,11", coordinates.string(),
                                          genotypes.string(), "--output-dir", output.path().string()};
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

} // namespace
} // namespace tessaloc::cli
