#include "formats/OwnFormatFiles.h"
#include "core/Errors.h"
#include "core/FieldReader.h"
#include "formats/OwnFormatReaders.h"

#include <gtest/gtest.h>

namespace tessaloc {
namespace {

SampleTable twoObservations(const std::string& field)
{
    SampleTable table;
    table.names = {"a, the first", "b"};
    table.xTexts = {"1.5", "-2"};
    table.yTexts = {"0", "3E2"};
    table.locusCount = 2;
    table.genotypes = {GenotypeColumn{"1\\2", field}, GenotypeColumn{"0\\0", "3\\3"}};
    return table;
}

TEST(OwnFormatFiles, WrittenFilesReadBackAsTheTable)
{
    // A field with a comma or blanks at its ends is quoted; the reader takes it back unchanged.
    for (const std::string field : {"2\\2", "x,y", " lead", ""}) {
        const SampleTable table = twoObservations(field);
        ReportWriter coordinates, genotypes;
        WriteCoordinateFile(coordinates, table);
        WriteGenotypeFile(genotypes, table);
        SampleTable back;
        FieldReader coordinateReader = FieldReader::fromText(coordinates.str(), "coordinate file", "c.txt");
        ReadCoordinateFile(coordinateReader, back);
        FieldReader genotypeReader = FieldReader::fromText(genotypes.str(), "genotype file", "g.txt");
        ReadGenotypeFile(genotypeReader, DataType::Genotypes, back);
        EXPECT_EQ(back.names, table.names);
        EXPECT_EQ(back.xTexts, table.xTexts);
        EXPECT_EQ(back.yTexts, table.yTexts);
        ASSERT_EQ(back.locusCount, 2);
        for (int l = 0; l < 2; ++l) {
            for (int k = 0; k < 2; ++k)
                EXPECT_EQ(back.genotype(l, k), table.genotype(l, k)) << field;
        }
    }
}

TEST(OwnFormatFiles, AQuoteInANameCannotBeWritten)
{
    SampleTable table = twoObservations("1\\1");
    table.names[1] = "b\"";
    ReportWriter out;
    EXPECT_THROW(WriteCoordinateFile(out, table), DataProblem);
}

} // namespace
} // namespace tessaloc
