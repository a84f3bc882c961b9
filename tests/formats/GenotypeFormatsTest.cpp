#include "formats/GenotypeFormats.h"
#include "core/Errors.h"
#include "tests/formats/GenotypeReaderChecks.h"
#include "tests/support/NumberedNames.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

namespace tessaloc {
namespace {

using testing::RecordingListener;
using testing::TempFolder;

// How every message about a repeated name ends: what to do with such files in either front end.
const std::string kPairByOrder = " If the two files list the same samples in the same order, pair them by order "
                                 "instead: \"by order in the files\" in the main window, --match order in "
                                 "tessaloc-cli.";

TEST(DetectGenotypeFormat, RecognisesEachFormatFromItsContent)
{
    TempFolder folder;
    const struct {
        std::string content;
        GenotypeFormat format;
    } cases[] = {
        {"##fileformat=VCFv4.2\n#CHROM\tPOS\n", GenotypeFormat::Vcf},
        {std::string("\x1F\x8B\x08\x04", 4), GenotypeFormat::Vcf},
        {std::string("BCF\x02\x02", 5), GenotypeFormat::Vcf},
        {"Title line\nloc1, loc2\nPOP\nind1 , 0101 0202\n", GenotypeFormat::Genepop},
        {"Title line\nloc1\nloc2\npop\nind1 , 0101 0202\n", GenotypeFormat::Genepop},
        {"2,3,1,3\nTitle,,,pop1\nSample,Pop,L1,,L2,\na,pop1,1,2,1,1\n", GenotypeFormat::Genalex},
        {"\xEF\xBB\xBF"
         "2,3,2,2,1,,\nTitle,,,p1,p2\nInd,Pop,L1,,L2,\n",
         GenotypeFormat::Genalex},
        // The program's own files, also when names and fields are whole numbers.
        {"2\r\n\"a\",1\\2,3\\3\r\n", GenotypeFormat::Own},
        {"1,2,3\n4,5,6\n7,8,9\n;\n", GenotypeFormat::Own},
        {"2,1,1,2\n3,1,2\n4,1,1\n", GenotypeFormat::Own},
        {"", GenotypeFormat::Own},
    };
    int index = 0;
    for (const auto& c : cases) {
        const auto path = folder.write(testing::numberedName("f", index++), c.content);
        EXPECT_EQ(DetectGenotypeFormat(path), c.format) << c.content;
    }
}

TEST(DetectGenotypeFormat, OwnCoordinateFileWhoseFirstRowLooksLikeCountsIsNotAGenalexTable)
{
    // "101,5,0" reads as 101 loci, 5 samples and no population, and the third row starts with a
    // name; but a GenAlEx table has at least one population.
    TempFolder folder;
    const auto path = folder.write("c.txt", "101,5,0\nx,1,2\nname,3,4\n;\n");
    EXPECT_EQ(DetectGenotypeFormat(path), GenotypeFormat::Own);
    SampleTable table;
    ReadCoordinates(path, table);
    EXPECT_EQ(table.names, (std::vector<std::string>{"101", "x", "name"}));
    EXPECT_EQ(table.yTexts, (std::vector<std::string>{"0", "2", "4"}));
}

TEST(ReadGenotypes, AFileThatCannotBeOpenedKeepsTheReadersOwnMessage)
{
    TempFolder folder;
    SampleTable table;
    table.names = {"a"};
    const auto missing = folder.path() / "missing.vcf";
    try {
        ReadGenotypes(missing, GenotypeFormat::Detect, SampleMatching::ByName, DataType::Codominant, table,
                      RunListener::none());
        ADD_FAILURE() << "no error";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot open the genotype file \"" + missing.string() + "\": No such file or directory");
    }
}

TEST(ReadGenotypes, GenepopFileWithoutAPopLineOrWithOnlyATitleIsADataProblemSayingWhatItLacks)
{
    // Both were read as the program's own format, whose reader found no locus count in "Title".
    TempFolder folder;
    SampleTable table;
    table.names = {"ind1", "ind2"};
    const auto withoutPop = folder.write("a.gen", "Title\nL1, L2\nind1 , 0101 0202\nind2 , 0102 0202\n");
    const auto titleOnly = folder.write("b.gen", "Microsatellites of the Tessin valley\n");
    EXPECT_EQ(testing::dataProblemOf([&] {
                  ReadGenotypes(withoutPop, GenotypeFormat::Detect, SampleMatching::ByName, DataType::Codominant, table,
                                RunListener::none());
              }),
              "The genotype file \"" + withoutPop.string() + "\" has no \"POP\" line after its locus names.");
    EXPECT_EQ(testing::dataProblemOf([&] {
                  ReadGenotypes(titleOnly, GenotypeFormat::Detect, SampleMatching::ByName, DataType::Codominant, table,
                                RunListener::none());
              }),
              "The genotype file \"" + titleOnly.string() +
                  "\" has only a title line (no locus names, no \"POP\" line and no samples).");
    // A file of the program's own whose locus count is not a number keeps its reader's message.
    const auto own = folder.write("c.txt", "two\nind1,1\\1\nind2,1\\2\n");
    EXPECT_THROW(ReadGenotypes(own, GenotypeFormat::Detect, SampleMatching::ByName, DataType::Codominant, table,
                               RunListener::none()),
                 AnalysisError);
}

NamedGenotypes namedGenotypes(const std::vector<std::string>& names, const std::vector<std::string>& fields)
{
    NamedGenotypes genotypes;
    genotypes.file = "genotype file \"g.vcf\"";
    genotypes.names = names;
    GenotypeColumn column;
    for (size_t k = 0; k < names.size(); ++k) {
        genotypes.places.push_back("column " + std::to_string(k + 1));
        column.push_back(fields[k]);
    }
    genotypes.loci.push_back(column);
    return genotypes;
}

SampleTable coordinatesOf(const std::vector<std::string>& names)
{
    SampleTable table;
    table.names = names;
    table.xTexts.assign(names.size(), "0");
    table.yTexts.assign(names.size(), "0");
    return table;
}

std::string matchProblem(const std::vector<std::string>& coordinateNames, const std::vector<std::string>& sampleNames)
{
    SampleTable table = coordinatesOf(coordinateNames);
    try {
        MatchGenotypesByName(namedGenotypes(sampleNames, std::vector<std::string>(sampleNames.size(), "1\\1")), table,
                             RunListener::none());
    } catch (const DataProblem& problem) {
        return problem.what();
    }
    return "no data problem";
}

TEST(MatchGenotypesByName, CoordinateFileDecidesTheObservationsAndTheirOrder)
{
    SampleTable table = coordinatesOf({"c", "a"});
    RecordingListener listener;
    MatchGenotypesByName(namedGenotypes({"a", "b", "c", "d"}, {"1\\1", "1\\2", "2\\2", "1\\2"}), table, listener);
    EXPECT_EQ(table.locusCount, 1);
    ASSERT_EQ(table.genotypes.size(), 1u);
    ASSERT_EQ(table.genotypes[0].size(), 2u);
    EXPECT_EQ(table.genotype(0, 0), "2\\2");
    EXPECT_EQ(table.genotype(0, 1), "1\\1");
    EXPECT_EQ(listener.warnings, std::vector<std::string>{
                                     "2 samples of the genotype file \"g.vcf\" have no coordinates and were left out"});
}

TEST(MatchGenotypesByName, EveryNameFoundGivesNoWarning)
{
    SampleTable table = coordinatesOf({"b", "a"});
    RecordingListener listener;
    MatchGenotypesByName(namedGenotypes({"a", "b"}, {"1\\1", "1\\2"}), table, listener);
    EXPECT_TRUE(listener.warnings.empty());
    EXPECT_EQ(table.genotype(0, 0), "1\\2");
}

TEST(MatchGenotypesByName, ProblemsNameTheSamples)
{
    EXPECT_EQ(matchProblem({"a", "x", "b", "y"}, {"a", "b"}),
              "2 of the 4 observations of the coordinate file have no sample in the genotype file \"g.vcf\": \"x\", "
              "\"y\".");
    EXPECT_EQ(matchProblem({"p1", "p2", "p3", "p4", "p5", "p6", "p7"}, {"a"}),
              "7 of the 7 observations of the coordinate file have no sample in the genotype file \"g.vcf\": "
              "\"p1\", \"p2\", \"p3\", \"p4\", \"p5\", ....");
    EXPECT_EQ(matchProblem({"Pop1_A"}, {"pop1_a"}),
              "1 of the 1 observations of the coordinate file has no sample in the genotype file \"g.vcf\": "
              "\"Pop1_A\". The genotype file has \"pop1_a\" (column 1) for \"Pop1_A\": names must match in case "
              "too.");
    EXPECT_EQ(matchProblem({"a"}, {"a", "b", "a"}),
              "The sample name \"a\" appears twice in the genotype file \"g.vcf\" (column 1 and column 3); each "
              "sample needs a name of its own to be matched by name." +
                  kPairByOrder);
}

TEST(MatchGenotypesByName, CoordinateFileThatNamesASampleTwiceIsADataProblemNamingBothLines)
{
    // Matched by name, the sample would be analysed twice, and the count of samples left out would
    // come out below zero.
    TempFolder folder;
    const auto coordinates = folder.write("c.txt", "a,0,0\nb,1,0\n\nc,0,1\n\"b\",1,1\n;\n");
    SampleTable table;
    ReadCoordinates(coordinates, table);
    RecordingListener listener;
    try {
        MatchGenotypesByName(namedGenotypes({"a", "b", "c"}, {"1\\1", "1\\2", "2\\2"}), table, listener);
        ADD_FAILURE() << "no data problem";
    } catch (const DataProblem& problem) {
        EXPECT_EQ(std::string(problem.what()),
                  "The name \"b\" appears twice in the coordinate file (line 2 and line 5); each observation needs a "
                  "name of its own to be matched with the genotype file \"g.vcf\" by name." +
                      kPairByOrder);
    }
    EXPECT_TRUE(listener.warnings.empty());

    // A table made without a file names the observations by number.
    EXPECT_EQ(matchProblem({"x", "y", "x"}, {"x", "y"}),
              "The name \"x\" appears twice in the coordinate file (observation 1 and observation 3); each "
              "observation needs a name of its own to be matched with the genotype file \"g.vcf\" by name." +
                  kPairByOrder);
}

TEST(RequireMatchingDataType, DiploidCallsNeedAllelesAndHaploidOnesSingleStates)
{
    NamedGenotypes genotypes = namedGenotypes({"a"}, {"1\\2"});
    EXPECT_NO_THROW(RequireMatchingDataType(genotypes, DataType::Codominant));
    EXPECT_NO_THROW(RequireMatchingDataType(genotypes, DataType::Genotypes));
    EXPECT_THROW(RequireMatchingDataType(genotypes, DataType::Sequences), DataProblem);
    genotypes.diploid = false;
    EXPECT_NO_THROW(RequireMatchingDataType(genotypes, DataType::Genotypes));
    EXPECT_THROW(RequireMatchingDataType(genotypes, DataType::Codominant), DataProblem);
    EXPECT_THROW(RequireMatchingDataType(genotypes, DataType::Sequences), DataProblem);
}

TEST(ReadCoordinates, GenepopFileWhoseNamesAreCoordinatesServesAsBothFiles)
{
    TempFolder folder;
    const auto path = folder.write("ibd.gen", "Individuals\nL1, L2\nPOP\n0 0 , 0101 0102\n3.5 0, 0102 0202\nPOP\n"
                                              "0 0 , 0202 0000\n");
    SampleTable table;
    RecordingListener listener;
    ReadCoordinates(path, table, false, listener);
    EXPECT_EQ(table.names, (std::vector<std::string>{"ind1", "ind2", "ind3"}));
    EXPECT_EQ(table.xTexts, (std::vector<std::string>{"0", "3.5", "0"}));
    EXPECT_EQ(table.yTexts, (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(table.places, (std::vector<std::string>{"line 4", "line 5", "line 7"}));
    // Named as the genotype file too, the same file matches itself by name.
    ReadGenotypes(path, GenotypeFormat::Detect, SampleMatching::ByName, DataType::Codominant, table, listener);
    EXPECT_EQ(table.locusCount, 2);
    EXPECT_EQ(table.genotype(1, 1), "2\\2");
    EXPECT_EQ(table.genotype(1, 2), "0\\0");
    EXPECT_TRUE(listener.warnings.empty());
}

TEST(ReadCoordinates, GenepopFileWhoseNamesAreNotAllCoordinatesIsADataProblemNamingTheFirstThatIsNot)
{
    TempFolder folder;
    const auto mixed = folder.write("mixed.gen", "t\nL1\nPOP\n0 0 , 0101\n1 0 , 0101\nPOP\nAarau , 0102\n"
                                                 "Baden , 0102\n");
    const auto named = folder.write("named.gen", "t\nL1\nPOP\nAarau , 0101\nAarau , 0102\n");
    const std::string needed = "; a GENEPOP file serves as the coordinate file only when every sample is named by its "
                               "X and Y (\"12.5 34.1 , 0101 0202 ...\").";
    SampleTable table;
    EXPECT_EQ(testing::dataProblemOf([&] { ReadCoordinates(mixed, table); }),
              "The coordinate file \"" + mixed.string() +
                  "\", line 7: the sample name \"Aarau\" is not two numbers (X and Y), while other names of the file "
                  "are" +
                  needed);
    EXPECT_EQ(testing::dataProblemOf([&] { ReadCoordinates(named, table); }),
              "The coordinate file \"" + named.string() +
                  "\" is a GENEPOP file whose samples are not named by their coordinates" + needed);
    // Read as the genotype file only, the same names are free text.
    EXPECT_EQ(ReadGenepopGenotypes(mixed).names, (std::vector<std::string>{"0 0", "1 0", "Aarau", "Baden"}));
}

TEST(ReadCoordinates, OwnCoordinateFilesThatLookLikeGenepopAreReadAsTheyAre)
{
    // One field per line with a sample named "pop"; every record on one line, which alone looks like
    // a GENEPOP title.
    TempFolder folder;
    const struct {
        std::string content;
        std::vector<std::string> names;
    } cases[] = {
        {"a\n0\n0\npop\n1\n2\n;\n", {"a", "pop"}},
        {"a,0,0,b,1,2,;\n", {"a", "b"}},
        {"Pop\n1\n2\nPOP\n3\n4\n;\n", {"Pop", "POP"}},
    };
    int index = 0;
    for (const auto& c : cases) {
        const auto path = folder.write(testing::numberedName("c", index++), c.content);
        SampleTable table;
        ReadCoordinates(path, table);
        EXPECT_EQ(table.names, c.names) << c.content;
    }
}

TEST(ReadCoordinates, LatitudeAndLongitudeHeadsWarnWhileTheSettingIsOff)
{
    TempFolder folder;
    const auto latLong = folder.write(
        "ll.csv", "1,2,1,2\nt,,,p\nSample,Pop,L1,,,Latitude,Longitude\na,p,1,2,,45.5,7.25\nb,p,2,2,,46,8\n");
    const auto planar =
        folder.write("xy.csv", "1,2,1,2\nt,,,p\nSample,Pop,L1,,,X,Y\na,p,1,2,,45.5,7.25\nb,p,2,2,,46,8\n");
    const struct {
        std::filesystem::path path;
        bool useLatLong;
        size_t warnings;
    } cases[] = {{latLong, false, 1}, {latLong, true, 0}, {planar, false, 0}};
    for (const auto& c : cases) {
        SampleTable table;
        RecordingListener listener;
        ReadCoordinates(c.path, table, c.useLatLong, listener);
        ASSERT_EQ(listener.warnings.size(), c.warnings) << c.path << " " << c.useLatLong;
        // The setting stays the user's: the coordinates are read as they stand either way.
        EXPECT_EQ(table.xTexts,
                  (std::vector<std::string>{c.path == latLong ? "7.25" : "45.5", c.path == latLong ? "8" : "46"}));
    }
    SampleTable table;
    RecordingListener listener;
    ReadCoordinates(latLong, table, false, listener);
    EXPECT_EQ(listener.warnings.front(),
              "the coordinate file \"" + latLong.string() +
                  "\" heads its coordinates Latitude and Longitude, but they are read as planar X and Y; tick "
                  "\"Coordinates are Latitude/Longitude\" (--latlong in tessaloc-cli) for great-circle distances in "
                  "kilometres");
}

TEST(MatchGenotypesByOrder, TheKthObservationTakesTheKthSampleWhateverTheNames)
{
    SampleTable table = coordinatesOf({"c", "a", "c"});
    MatchGenotypesByOrder(namedGenotypes({"a", "a", "b"}, {"1\\1", "1\\2", "2\\2"}), table);
    EXPECT_EQ(table.names, (std::vector<std::string>{"c", "a", "c"}));
    EXPECT_EQ(table.locusCount, 1);
    EXPECT_EQ(table.genotype(0, 0), "1\\1");
    EXPECT_EQ(table.genotype(0, 1), "1\\2");
    EXPECT_EQ(table.genotype(0, 2), "2\\2");
}

TEST(MatchGenotypesByOrder, CountsThatDisagreeAreADataProblemNamingBoth)
{
    for (const auto& [observations, samples] : {std::pair{2, 3}, std::pair{3, 2}}) {
        SampleTable table = coordinatesOf(std::vector<std::string>(static_cast<size_t>(observations), "x"));
        const std::vector<std::string> names(static_cast<size_t>(samples), "s");
        EXPECT_EQ(testing::dataProblemOf([&] {
                      MatchGenotypesByOrder(namedGenotypes(names, std::vector<std::string>(names.size(), "1\\1")),
                                            table);
                  }),
                  "The coordinate file lists " + std::to_string(observations) +
                      " observations and the genotype file \"g.vcf\" " + std::to_string(samples) +
                      " samples; paired by their order in the files, both must list as many.");
    }
}

TEST(ReadGenotypes, GenepopFileWithRepeatedNamesSaysWhereAndPairsByOrderWhenAsked)
{
    TempFolder folder;
    const auto path = folder.write("cats.gen", "Cats\nFca8\nPOP\n1 , 0101\n1 , 0102\nPOP\n2 , 0202\n");
    SampleTable table = coordinatesOf({"1", "2", "3"});
    EXPECT_EQ(testing::dataProblemOf([&] {
                  ReadGenotypes(path, GenotypeFormat::Detect, SampleMatching::ByName, DataType::Codominant, table,
                                RunListener::none());
              }),
              "The sample name \"1\" appears twice in the genotype file \"" + path.string() +
                  "\" (line 4 and line 5); each sample needs a name of its own to be matched by name." + kPairByOrder);
    RecordingListener listener;
    ReadGenotypes(path, GenotypeFormat::Detect, SampleMatching::ByOrder, DataType::Codominant, table, listener);
    EXPECT_EQ(table.names, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(table.genotype(0, 0), "1\\1");
    EXPECT_EQ(table.genotype(0, 1), "1\\2");
    EXPECT_EQ(table.genotype(0, 2), "2\\2");
    EXPECT_TRUE(listener.warnings.empty());
}

TEST(ReadGenotypes, OwnFormatPairsByPositionWhicheverMatchingIsChosen)
{
    TempFolder folder;
    const auto path = folder.write("own.txt", "1\nz,1\\1\ny,1\\2\n");
    for (const SampleMatching matching : {SampleMatching::ByName, SampleMatching::ByOrder}) {
        SampleTable table = coordinatesOf({"a", "b"});
        ReadGenotypes(path, GenotypeFormat::Detect, matching, DataType::Codominant, table, RunListener::none());
        EXPECT_EQ(table.genotype(0, 1), "1\\2");
    }
}

TEST(MatchGenotypesByName, SamplesNumberedFromTheirCoordinatesSayWhyNoNameMatches)
{
    NamedGenotypes genotypes = namedGenotypes({"ind1", "ind2"}, {"1\\1", "1\\2"});
    genotypes.namesNumbered = true;
    SampleTable table = coordinatesOf({"a", "ind2"});
    EXPECT_EQ(testing::dataProblemOf([&] { MatchGenotypesByName(genotypes, table, RunListener::none()); }),
              "1 of the 2 observations of the coordinate file has no sample in the genotype file \"g.vcf\": \"a\". "
              "The samples of the genotype file are named by their coordinates, and so are called \"ind1\", "
              "\"ind2\", ... in file order; name it as the coordinate file too, or pair the two files by order.");
}

} // namespace
} // namespace tessaloc
