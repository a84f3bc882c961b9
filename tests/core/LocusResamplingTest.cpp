#include "core/LocusResampling.h"
#include "core/GeneticDistances.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaloc {
namespace {

SampleTable tableOf(const std::vector<std::vector<std::string>>& rows)
{
    SampleTable table;
    table.locusCount = static_cast<int>(rows.front().size());
    table.genotypes.assign(static_cast<size_t>(table.locusCount), {});
    for (const auto& row : rows) {
        table.names.push_back("o" + std::to_string(table.names.size() + 1));
        table.xTexts.push_back(std::to_string(table.names.size()));
        table.yTexts.push_back("0");
        for (int l = 0; l < table.locusCount; ++l)
            table.genotypes[static_cast<size_t>(l)].push_back(row[static_cast<size_t>(l)]);
    }
    return table;
}

TEST(LocusResampling, DrawsIntOfUniformTimesCountInOrder)
{
    // The draws are the generator's values, each Int(U x count), worked out from a copy of it.
    RandomUniform random(12345, 67890);
    RandomUniform copy = random;
    const std::vector<int> drawn = DrawResample(7, random);
    ASSERT_EQ(drawn.size(), 7u);
    for (const int position : drawn)
        EXPECT_EQ(position, static_cast<int>(copy.next() * 7));
    EXPECT_EQ(random.state1(), copy.state1());
    EXPECT_EQ(random.state2(), copy.state2());
}

TEST(LocusResampling, KeepsTheDrawnLociInDrawOrderWithRepeats)
{
    const SampleTable table = tableOf({{"1\\1", "2\\2", "3\\3"}, {"1\\2", "2\\3", "3\\4"}});
    const SampleTable resampled = ResampledTable(table, DataType::Codominant, {2, 0, 2});
    ASSERT_EQ(resampled.locusCount, 3);
    EXPECT_EQ(resampled.genotype(0, 1), "3\\4");
    EXPECT_EQ(resampled.genotype(1, 0), "1\\1");
    EXPECT_EQ(resampled.genotype(2, 0), "3\\3");
    EXPECT_EQ(resampled.names, table.names);
    EXPECT_EQ(resampled.xTexts, table.xTexts);
}

TEST(LocusResampling, DistancesOfTheResampleWeighLociByTheirDraws)
{
    // Data type 2: loci 1 and 2 differ between the two observations, locus 3 does not. Drawing
    // locus 1 twice and locus 3 once gives 2 differing of 3 compared loci, by hand.
    const SampleTable table = tableOf({{"A", "B", "C"}, {"X", "Y", "C"}});
    const PackedDistances distances =
        BuildGeneticDistances(ResampledTable(table, DataType::Genotypes, {0, 2, 0}), DataType::Genotypes);
    EXPECT_DOUBLE_EQ(distances(0, 1), 2.0 / 3.0);
}

TEST(LocusResampling, ResamplesTheSitesOfSequences)
{
    // Sites drawn 0, 3, 3 of "ACGT", "ACGA" and "AC": the second differs at site 3 twice (2 of 3),
    // the third ends before site 3, so it differs from both there (2 of 3) - as the whole sequences
    // compare over the same sites.
    const SampleTable table = tableOf({{"ACGT"}, {"ACGA"}, {"AC"}});
    ASSERT_EQ(ResampledUnitCount(table, DataType::Sequences), 4);
    const PackedDistances distances =
        BuildGeneticDistances(ResampledTable(table, DataType::Sequences, {0, 3, 3}), DataType::Sequences);
    EXPECT_DOUBLE_EQ(distances(0, 1), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(distances(0, 2), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(distances(1, 2), 2.0 / 3.0);
}

TEST(LocusResampling, AResampleOfEverySiteOnceGivesTheSequenceDistances)
{
    // Drawing every site once, in order, is the data itself: short sequences included.
    const SampleTable table = tableOf({{"ACGTAC"}, {"acgaTC"}, {"ACG"}, {"TTTTTTTT"}});
    const PackedDistances whole = BuildGeneticDistances(table, DataType::Sequences);
    const PackedDistances resampled =
        BuildGeneticDistances(ResampledTable(table, DataType::Sequences, {0, 1, 2, 3, 4, 5}), DataType::Sequences);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_DOUBLE_EQ(resampled(i, j), whole(i, j)) << i << "," << j;
}

} // namespace
} // namespace tessaloc
