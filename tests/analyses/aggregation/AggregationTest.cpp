#include "analyses/aggregation/Aggregation.h"
#include "formats/OwnFormatReaders.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "tests/support/AllArrangements.h"
#include "tests/support/LiteralAggregation.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/NumberedNames.h"
#include "tests/support/TempFiles.h"

#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numeric>

namespace tessaloc {
namespace {

// One observation of a hand-made table: its coordinates as the file gives them and one field per locus.
struct Observation {
    std::string x;
    std::string y;
    std::vector<std::string> fields;
};

SampleTable tableOf(const std::vector<Observation>& observations)
{
    SampleTable table;
    table.locusCount = static_cast<int>(observations.front().fields.size());
    table.genotypes.assign(static_cast<size_t>(table.locusCount), {});
    for (size_t k = 0; k < observations.size(); ++k) {
        table.names.push_back(testing::numberedName("o", k + 1));
        table.xTexts.push_back(observations[k].x);
        table.yTexts.push_back(observations[k].y);
        for (int l = 0; l < table.locusCount; ++l)
            table.genotypes[static_cast<size_t>(l)].push_back(observations[k].fields[static_cast<size_t>(l)]);
    }
    return table;
}

AggregationResult run(const SampleTable& table, DataType type = DataType::Genotypes, long long permutations = 20,
                      bool latLong = false, PermutationScheme scheme = PermutationScheme::Exchanges)
{
    RandomUniform random(1, 1);
    AggregationSettings settings;
    settings.permutations.count = permutations;
    settings.permutations.scheme = scheme;
    return ComputeAggregation(table, type, latLong, settings, random, RunListener::none());
}

// Two pairs one unit apart and a lone fifth observation, in a 3 x 3 rectangle.
SampleTable twoPairs()
{
    return tableOf({{"0", "0", {"a"}}, {"1", "0", {"a"}}, {"0", "2", {"b"}}, {"1", "2", {"b"}}, {"3", "3", {"c"}}});
}

using testing::RecordingListener;

TEST(IsMissingCode, FollowsTheDataType)
{
    EXPECT_TRUE(IsMissingCode(DataType::Codominant, "0\\0"));
    EXPECT_FALSE(IsMissingCode(DataType::Codominant, "0"));
    EXPECT_FALSE(IsMissingCode(DataType::Codominant, "0\\1"));
    EXPECT_TRUE(IsMissingCode(DataType::Genotypes, "0"));
    EXPECT_TRUE(IsMissingCode(DataType::Genotypes, "0\\0"));
    EXPECT_FALSE(IsMissingCode(DataType::Genotypes, "00"));
    EXPECT_FALSE(IsMissingCode(DataType::Sequences, "0"));
    EXPECT_FALSE(IsMissingCode(DataType::Sequences, "0\\0"));
}

TEST(AllelicAggregation, ObservedStatisticsOfASmallCase)
{
    const AggregationResult result = run(twoPairs());
    // By hand: dx = dy = 3, A = 9; nearest neighbours 1, 1, 1, 1 and sqrt(5) (from (3,3) to (1,2)).
    EXPECT_EQ(result.dx, 3.0);
    EXPECT_EQ(result.dy, 3.0);
    EXPECT_FALSE(result.oneDimensional);
    EXPECT_EQ(result.area, 9.0);
    EXPECT_DOUBLE_EQ(result.meanNearestNeighbour, (4.0 + std::sqrt(5.0)) / 5.0);
    // Expected 1 / (2 sqrt(5 / 9)) = 3 / (2 sqrt 5), so R = (8 sqrt 5 + 10) / 15.
    EXPECT_DOUBLE_EQ(result.expectedNearestNeighbour, 3.0 / (2.0 * std::sqrt(5.0)));
    EXPECT_DOUBLE_EQ(result.r, (8.0 * std::sqrt(5.0) + 10.0) / 15.0);

    ASSERT_EQ(result.loci.size(), 1u);
    const std::vector<CategoryResult>& categories = result.loci[0].categories;
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0].text, " a ");
    EXPECT_EQ(categories[0].label, " a ");
    EXPECT_EQ(categories[1].text, " b ");
    EXPECT_EQ(categories[2].text, " c ");
    // Each pair's bearers are 1 apart; expected 1 / (2 sqrt(2 / 9)) = 3 / (2 sqrt 2), Rj = 2 sqrt 2 / 3.
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(categories[static_cast<size_t>(c)].bearerCount, 2);
        EXPECT_EQ(categories[static_cast<size_t>(c)].meanNearestDistance, 1.0);
        EXPECT_DOUBLE_EQ(categories[static_cast<size_t>(c)].rj, 2.0 * std::sqrt(2.0) / 3.0);
    }
    EXPECT_EQ(categories[2].bearerCount, 1);
    EXPECT_FALSE(categories[2].computed()) << "a single bearer gets no values";
    EXPECT_EQ(categories[2].upperCount + categories[2].lowerCount, 0);
    EXPECT_EQ(result.includedCategories, 2);
    EXPECT_DOUBLE_EQ(result.rave, 2.0 * std::sqrt(2.0) / 3.0);
}

TEST(AllelicAggregation, ProbabilitiesLeaveTheObservedArrangementOut)
{
    const AggregationResult result = run(twoPairs(), DataType::Genotypes, 37);
    for (const CategoryResult& category : result.loci[0].categories) {
        EXPECT_EQ(category.pUpper, static_cast<double>(category.upperCount) / 37.0);
        EXPECT_EQ(category.pLower, static_cast<double>(category.lowerCount) / 37.0);
    }
    EXPECT_EQ(result.pRave, static_cast<double>(result.raveCount) / 37.0);
    // The pairs are as close as bearers can be, so random arrangements give Rj at least as large.
    EXPECT_EQ(result.loci[0].categories[0].upperCount, 37);
}

TEST(AllelicAggregation, InvariantLocusIsComputedButLeftOutOfRave)
{
    SampleTable table = twoPairs();
    table.locusCount = 2;
    table.genotypes.push_back({"x", "x", "x", "x", "x"});
    const AggregationResult result = run(table);
    ASSERT_EQ(result.loci.size(), 2u);
    EXPECT_TRUE(result.loci[1].invariant());
    const CategoryResult& only = result.loci[1].categories[0];
    EXPECT_EQ(only.bearerCount, 5);
    // All five bear it, so its nearest bearers are the nearest neighbours and Rj equals R.
    EXPECT_DOUBLE_EQ(only.meanNearestDistance, (4.0 + std::sqrt(5.0)) / 5.0);
    EXPECT_DOUBLE_EQ(only.rj, result.r);
    EXPECT_EQ(result.includedCategories, 2) << "only the two pairs of the first locus";
    EXPECT_DOUBLE_EQ(result.rave, 2.0 * std::sqrt(2.0) / 3.0);
}

TEST(AllelicAggregation, BothOrdersOfAnAllelePairAreTwoCategories)
{
    const SampleTable table =
        tableOf({{"0", "0", {"1\\2"}}, {"1", "0", {"2\\1"}}, {"0", "1", {"1\\2"}}, {"1", "1", {"2\\1"}}});
    const AggregationResult result = run(table, DataType::Codominant);
    const std::vector<CategoryResult>& categories = result.loci[0].categories;
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].text, " 1\\2 ");
    EXPECT_EQ(categories[1].text, " 2\\1 ");
    EXPECT_EQ(categories[0].bearerCount, 2);
    EXPECT_EQ(categories[1].bearerCount, 2);
}

TEST(AllelicAggregation, LetterCaseMakesDifferentCategories)
{
    const SampleTable table = tableOf({{"0", "0", {"Aa"}}, {"1", "0", {"aa"}}, {"0", "1", {"Aa"}}, {"1", "1", {"aa"}}});
    const AggregationResult result = run(table);
    ASSERT_EQ(result.loci[0].categories.size(), 2u);
    EXPECT_EQ(result.loci[0].categories[0].text, " Aa ");
    EXPECT_EQ(result.loci[0].categories[1].text, " aa ");
}

TEST(AllelicAggregation, ObservationsOnOneHorizontalLineUseTheOneDimensionalExpectation)
{
    const SampleTable table = tableOf({{"0", "5", {"a"}}, {"1", "5", {"a"}}, {"3", "5", {"b"}}, {"6", "5", {"b"}}});
    const AggregationResult result = run(table);
    // dy = 0 becomes 1, so A = dx = 6; expected A / (2N) = 0.75; nearest 1, 1, 2, 3: mean 7/4, R = 7/3.
    EXPECT_TRUE(result.oneDimensional);
    EXPECT_EQ(result.dy, 1.0);
    EXPECT_EQ(result.area, 6.0);
    EXPECT_EQ(result.expectedNearestNeighbour, 0.75);
    EXPECT_DOUBLE_EQ(result.r, 7.0 / 3.0);
}

TEST(AllelicAggregation, AHeightOfExactlyOneKeepsTheAreaExpectation)
{
    const SampleTable table = tableOf({{"0", "0", {"a"}}, {"1", "1", {"a"}}, {"3", "0", {"b"}}, {"6", "1", {"b"}}});
    const AggregationResult result = run(table);
    // dy is 1 without having been 0: expected 1 / (2 sqrt(4 / 6)); nearest sqrt 2, sqrt 2, sqrt 5, sqrt 10.
    EXPECT_FALSE(result.oneDimensional);
    EXPECT_EQ(result.area, 6.0);
    EXPECT_DOUBLE_EQ(result.expectedNearestNeighbour, 1.0 / (2.0 * std::sqrt(4.0 / 6.0)));
    EXPECT_DOUBLE_EQ(result.meanNearestNeighbour, (2.0 * std::sqrt(2.0) + std::sqrt(5.0) + std::sqrt(10.0)) / 4.0);
}

TEST(AllelicAggregation, EmpiricalAreaReplacesTheRectangle)
{
    RandomUniform random(1, 1);
    AggregationSettings settings;
    settings.permutations.count = 5;
    settings.areaMode = AreaMode::Empirical;
    settings.empiricalArea = 36.0;
    const AggregationResult result =
        ComputeAggregation(twoPairs(), DataType::Genotypes, false, settings, random, RunListener::none());
    EXPECT_EQ(result.area, 36.0);
    // Expected 1 / (2 sqrt(5 / 36)) = 3 / sqrt 5; Rj of a pair: 1 / (1 / (2 sqrt(2 / 36))) = sqrt 2 / 3.
    EXPECT_DOUBLE_EQ(result.r, (4.0 + std::sqrt(5.0)) / 5.0 / (3.0 / std::sqrt(5.0)));
    EXPECT_DOUBLE_EQ(result.loci[0].categories[0].rj, std::sqrt(2.0) / 3.0);
}

TEST(AllelicAggregation, OnePermutationGivesProbabilitiesOfZeroOrOne)
{
    const SampleTable table = reference::randomSampleTable(DataType::Codominant, {40, 3, 3, 0.1, 30, 4, 21});
    const AggregationResult result = run(table, DataType::Codominant, 1);
    int computed = 0;
    for (const LocusResult& locus : result.loci) {
        for (const CategoryResult& category : locus.categories) {
            if (!category.computed())
                continue;
            ++computed;
            EXPECT_TRUE(category.pUpper == 0.0 || category.pUpper == 1.0);
            EXPECT_TRUE(category.pLower == 0.0 || category.pLower == 1.0);
            EXPECT_EQ(std::max(category.pUpper, category.pLower), 1.0) << "one of the two tails holds";
        }
    }
    EXPECT_GT(computed, 5);
    EXPECT_TRUE(result.pRave == 0.0 || result.pRave == 1.0);
}

TEST(AllelicAggregation, MissingCodesBearNoCategory)
{
    // Codominant: "0\0" is missing, "0\1" is not.
    const AggregationResult codominant = run(tableOf({{"0", "0", {"0\\0"}},
                                                      {"1", "0", {"1\\1"}},
                                                      {"0", "1", {"0\\1"}},
                                                      {"1", "1", {"1\\1"}},
                                                      {"2", "2", {"0\\0"}}}),
                                             DataType::Codominant);
    const std::vector<CategoryResult>& c1 = codominant.loci[0].categories;
    ASSERT_EQ(c1.size(), 2u);
    EXPECT_EQ(c1[0].text, " 1\\1 ");
    EXPECT_EQ(c1[0].bearerCount, 2);
    EXPECT_EQ(c1[1].text, " 0\\1 ");
    // The two 1\1 bearers are 1 apart: the missing observation at distance 1 from (1,0) is no bearer.
    EXPECT_EQ(c1[0].meanNearestDistance, 1.0);

    // Genotypes: "0" and "0\0" are both missing. The missing (0,0) stands between the two g bearers.
    const AggregationResult genotypes = run(
        tableOf({{"0", "0", {"0"}}, {"1", "0", {"g"}}, {"-1", "0", {"g"}}, {"0", "1", {"0\\0"}}, {"5", "5", {"h"}}}),
        DataType::Genotypes);
    const std::vector<CategoryResult>& c2 = genotypes.loci[0].categories;
    ASSERT_EQ(c2.size(), 2u);
    EXPECT_EQ(c2[0].text, " g ");
    EXPECT_EQ(c2[0].meanNearestDistance, 2.0) << "the nearest other g is 2 away";
    EXPECT_EQ(c2[1].text, " h ");

    // Sequences have no missing code: "0" is a sequence like any other.
    const AggregationResult sequences = run(
        tableOf({{"0", "0", {"0"}}, {"1", "0", {"0"}}, {"0", "1", {"AC"}}, {"1", "1", {"AC"}}}), DataType::Sequences);
    ASSERT_EQ(sequences.loci[0].categories.size(), 2u);
    EXPECT_EQ(sequences.loci[0].categories[0].text, " 0 ");
}

TEST(AllelicAggregation, LocusWhoseOnlyNonMissingTextsAgreeIsInvariant)
{
    SampleTable table = twoPairs();
    table.locusCount = 2;
    table.genotypes.push_back({"0", "x", "0\\0", "x", "x"});
    const AggregationResult result = run(table);
    ASSERT_EQ(result.loci[1].categories.size(), 1u);
    EXPECT_TRUE(result.loci[1].invariant());
    EXPECT_EQ(result.loci[1].categories[0].bearerCount, 3);
    EXPECT_EQ(result.includedCategories, 2);
}

TEST(AllelicAggregation, LatitudeLongitudeWorksInKilometres)
{
    const SampleTable table =
        tableOf({{"10", "0", {"a"}}, {"11", "0", {"a"}}, {"10", "2", {"b"}}, {"11", "2", {"b"}}, {"13", "4", {"c"}}});
    const AggregationResult result = run(table, DataType::Genotypes, 10, true);
    // The rectangle's sides: the equator side is the longer east-west one.
    EXPECT_EQ(result.dx, GreatCircleDistance(10, 0, 13, 0));
    EXPECT_NEAR(result.dx, 3.0 * 6371.0 * 3.14159265358979 / 180.0, 1e-6) << "three degrees along the equator";
    EXPECT_EQ(result.dy, std::max(GreatCircleDistance(10, 0, 10, 4), GreatCircleDistance(13, 0, 13, 4)));
    EXPECT_EQ(result.area, result.dx * result.dy);
    // Nearest neighbours in great-circle kilometres: the pair on the equator is 1 degree of longitude
    // apart, the pair at latitude 2 a little less; (13,4) is nearest to (11,2).
    const double equator = GreatCircleDistance(10, 0, 11, 0);
    const double north = GreatCircleDistance(10, 2, 11, 2);
    const double lone = GreatCircleDistance(11, 2, 13, 4);
    EXPECT_LT(north, equator);
    EXPECT_DOUBLE_EQ(result.meanNearestNeighbour, (equator + equator + north + north + lone) / 5.0);
    EXPECT_DOUBLE_EQ(result.loci[0].categories[0].meanNearestDistance, equator);
    EXPECT_DOUBLE_EQ(result.loci[0].categories[1].meanNearestDistance, north);
    EXPECT_DOUBLE_EQ(result.loci[0].categories[0].rj, equator * 2.0 * std::sqrt(2.0 / result.area));
}

TEST(AllelicAggregation, LatitudeLongitudeOnOneParallelIsOneDimensional)
{
    const SampleTable table = tableOf({{"0", "45", {"a"}}, {"1", "45", {"a"}}, {"3", "45", {"b"}}, {"4", "45", {"b"}}});
    const AggregationResult result = run(table, DataType::Genotypes, 10, true);
    EXPECT_TRUE(result.oneDimensional);
    EXPECT_EQ(result.dy, 1.0);
    EXPECT_EQ(result.area, GreatCircleDistance(0, 45, 4, 45));
}

TEST(AllelicAggregation, SequenceCodesAndNames)
{
    SampleTable table = tableOf(
        {{"0", "0", {"ACGT"}}, {"1", "0", {"ACGA"}}, {"0", "1", {"ACGT"}}, {"1", "1", {"ACGA"}}, {"2", "2", {"TTTT"}}});
    const AggregationResult result = run(table, DataType::Sequences);
    ASSERT_EQ(result.sequences.size(), 3u);
    EXPECT_EQ(result.sequences[0].code, " 1");
    EXPECT_EQ(result.sequences[0].sequence, " ACGT ");
    EXPECT_EQ(result.sequences[0].names, (std::vector<std::string>{"o1", "o3"}));
    EXPECT_EQ(result.sequences[1].code, " 2");
    EXPECT_EQ(result.sequences[1].names, (std::vector<std::string>{"o2", "o4"}));
    EXPECT_EQ(result.sequences[2].code, " 3");
    EXPECT_EQ(result.sequences[2].names, (std::vector<std::string>{"o5"}));
    EXPECT_EQ(result.loci[0].categories[1].label, " 2");

    // A second locus is labelled with the first locus's codes.
    table.locusCount = 2;
    table.genotypes.push_back({"TTTT", "ACGT", "TTTT", "ACGT", "ACGT"});
    const AggregationResult two = run(table, DataType::Sequences);
    EXPECT_EQ(two.loci[1].categories[0].label, " 3");
    EXPECT_EQ(two.loci[1].categories[1].label, " 1");
}

TEST(AllelicAggregation, SequenceMissingFromTheFirstLocusHasNoCode)
{
    SampleTable table =
        tableOf({{"0", "0", {"ACGT"}}, {"1", "0", {"ACGA"}}, {"0", "1", {"ACGT"}}, {"1", "1", {"ACGA"}}});
    table.locusCount = 2;
    table.genotypes.push_back({"ACGT", "GGGG", "ACGT", "GGGG"});
    EXPECT_THROW(run(table, DataType::Sequences), AnalysisError);
}

TEST(AllelicAggregation, FailuresAreAnalysisErrors)
{
    // Fewer than two observations.
    EXPECT_THROW(run(tableOf({{"0", "0", {"a"}}})), AnalysisError);
    // All on one vertical line: the rectangle has no width.
    EXPECT_THROW(run(tableOf({{"0", "0", {"a"}}, {"0", "1", {"a"}}, {"0", "2", {"b"}}, {"0", "3", {"b"}}})),
                 AnalysisError);
    // No included category: one locus invariant, the other with single bearers only.
    EXPECT_THROW(run(tableOf({{"0", "0", {"a", "p"}}, {"1", "0", {"a", "q"}}, {"0", "1", {"a", "r"}}})), AnalysisError);
    // Zero permutations make the probabilities undefined.
    EXPECT_THROW(run(twoPairs(), DataType::Genotypes, 0), AnalysisError);
    EXPECT_THROW(run(twoPairs(), DataType::Genotypes, -1), AnalysisError);

    for (const double area : {0.0, -9.0}) {
        RandomUniform random(1, 1);
        AggregationSettings settings;
        settings.areaMode = AreaMode::Empirical;
        settings.empiricalArea = area;
        EXPECT_THROW(ComputeAggregation(twoPairs(), DataType::Genotypes, false, settings, random, RunListener::none()),
                     AnalysisError)
            << "area " << area;
    }
}

TEST(AllelicAggregation, NegativePermutationCountFailsBeforeAnythingIsRead)
{
    RandomUniform random(1, 1);
    AggregationInput input;
    input.coordinatePath = "no-such-coordinates.txt";
    input.genotypePath = "no-such-genotypes.txt";
    input.settings.permutations.count = -3;
    try {
        RunAggregation(input, random, RunListener::none());
        FAIL() << "a negative count must fail";
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("permutations"), std::string::npos) << error.what();
    }
    EXPECT_EQ(random.state1(), 1) << "nothing is drawn";
}

TEST(AllelicAggregation, MissingSeparatorEndsTheRunQuietly)
{
    testing::TempFolder folder;
    AggregationInput input;
    input.coordinatePath = folder.write("c.txt", "A,0,0\nB,1,0\nC,0,1\n;\n").string();
    input.genotypePath = folder.write("g.txt", "1\nA,1\\1\nB,0\\0\nC,12\n").string();
    RandomUniform random(1, 1);
    EXPECT_THROW(RunAggregation(input, random, RunListener::none()), DataProblem);
}

TEST(AllelicAggregation, ProgressShowsEveryTenthReplicate)
{
    for (const auto& [permutations, expected] : std::vector<std::pair<int, std::vector<std::string>>>{
             {9, {}},
             {10, {"Replicate: 10"}},
             {25, {"Replicate: 10", "Replicate: 20"}},
         }) {
        RandomUniform random(1, 1);
        RecordingListener listener;
        AggregationSettings settings;
        settings.permutations.count = permutations;
        ComputeAggregation(twoPairs(), DataType::Genotypes, false, settings, random, listener);
        EXPECT_EQ(listener.statuses, expected) << permutations << " permutations";
    }
}

TEST(AllelicAggregation, CancellingStopsTheRun)
{
    RandomUniform random(1, 1);
    RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    AggregationSettings settings;
    settings.permutations.count = 100000;
    EXPECT_THROW(ComputeAggregation(twoPairs(), DataType::Genotypes, false, settings, random, listener), RunCancelled);
}

// Whole reports of the engine and of the literal procedure, on random data of every data type, for
// several thread counts.
TEST(AllelicAggregation, ReportsMatchTheLiteralProcedureForAnyThreadCount)
{
    struct Case {
        DataType type;
        int samples;
        int loci;
        int alleles;
        double missing;
        int coordinateRange; // small ranges give shared locations and many equal distances
        bool latLong;
        AreaMode area;
        int permutations;
        std::uint32_t seed;
    };
    const std::vector<Case> cases = {
        {DataType::Codominant, 30, 4, 3, 0.1, 1000, false, AreaMode::EstimatedRectangular, 60, 1},
        {DataType::Codominant, 47, 3, 4, 0.0, 4, false, AreaMode::EstimatedRectangular, 45, 2},
        {DataType::Genotypes, 25, 5, 3, 0.2, 1000, false, AreaMode::Empirical, 50, 3},
        {DataType::Genotypes, 38, 2, 2, 0.1, 3, false, AreaMode::EstimatedRectangular, 33, 4},
        {DataType::Sequences, 28, 1, 2, 0.0, 1000, false, AreaMode::EstimatedRectangular, 40, 5},
        {DataType::Codominant, 33, 3, 3, 0.05, 90, true, AreaMode::EstimatedRectangular, 41, 6},
        {DataType::Genotypes, 20, 3, 2, 0.1, 50, true, AreaMode::Empirical, 30, 7},
        {DataType::Sequences, 16, 1, 2, 0.0, 2, false, AreaMode::Empirical, 25, 8},
        {DataType::Codominant, 160, 5, 8, 0.02, 1000, false, AreaMode::EstimatedRectangular, 15, 9},
        {DataType::Genotypes, 120, 4, 6, 0.05, 20, true, AreaMode::EstimatedRectangular, 12, 10},
    };
    int strictlyBetween = 0;
    for (const Case& c : cases) {
        reference::RandomTableRecipe recipe;
        recipe.samples = c.samples;
        recipe.loci = c.loci;
        recipe.allelesPerLocus = c.alleles;
        recipe.missingRate = c.missing;
        recipe.sequenceLength = 3;
        recipe.sequenceAlphabet = 2;
        recipe.seed = c.seed;
        SampleTable table = reference::randomSampleTable(c.type, recipe);
        for (int k = 0; k < c.samples; ++k) {
            table.xTexts[static_cast<size_t>(k)] =
                std::to_string(std::stoi(table.xTexts[static_cast<size_t>(k)]) % c.coordinateRange);
            table.yTexts[static_cast<size_t>(k)] =
                std::to_string(std::stoi(table.yTexts[static_cast<size_t>(k)]) % c.coordinateRange);
        }
        AggregationSettings settings;
        settings.permutations.count = c.permutations;
        settings.areaMode = c.area;
        settings.empiricalArea = 1234.5;

        RandomUniform literalRandom(c.seed, 3 * c.seed);
        const AggregationResult literal =
            reference::literalAllelicAggregation(table, c.type, c.latLong, settings, literalRandom);
        for (const LocusResult& locus : literal.loci) {
            for (const CategoryResult& category : locus.categories)
                strictlyBetween += category.computed() && category.pUpper > 0.0 && category.pUpper < 1.0;
        }
        const std::string expected = AggregationReport(literal);

        for (const int threads : {1, 2, 3, 8}) {
            RandomUniform random(c.seed, 3 * c.seed);
            settings.permutations.threads = threads;
            const AggregationResult result =
                ComputeAggregation(table, c.type, c.latLong, settings, random, RunListener::none());
            EXPECT_EQ(AggregationReport(result), expected) << "case " << c.seed << ", " << threads << " threads";
            EXPECT_EQ(result.r, literal.r) << "case " << c.seed;
            EXPECT_EQ(result.rave, literal.rave) << "case " << c.seed;
            EXPECT_EQ(result.raveCount, literal.raveCount) << "case " << c.seed;
            for (size_t l = 0; l < literal.loci.size(); ++l) {
                for (size_t k = 0; k < literal.loci[l].categories.size(); ++k) {
                    const CategoryResult& want = literal.loci[l].categories[k];
                    const CategoryResult& got = result.loci[l].categories[k];
                    EXPECT_EQ(got.meanNearestDistance, want.meanNearestDistance) << "case " << c.seed;
                    EXPECT_EQ(got.rj, want.rj) << "case " << c.seed;
                    EXPECT_EQ(got.upperCount, want.upperCount) << "case " << c.seed << ", locus " << l + 1;
                    EXPECT_EQ(got.lowerCount, want.lowerCount) << "case " << c.seed << ", locus " << l + 1;
                }
            }
            EXPECT_EQ(random.state1(), literalRandom.state1()) << "both draw the same numbers";
            EXPECT_EQ(random.state2(), literalRandom.state2());
        }
    }
    EXPECT_GT(strictlyBetween, 10) << "the cases must give probabilities other than 0 and 1";
}

TEST(AllelicAggregation, ReportsOfTheExamplesMatchTheLiteralProcedure)
{
    const std::filesystem::path examples = TESSALOC_EXAMPLES_DIR;
    struct Example {
        const char* folder;
        DataType type;
        bool latLong;
    };
    for (const Example& example : {Example{"microsatellites", DataType::Codominant, false},
                                   Example{"haplotypes-latlong", DataType::Genotypes, true}}) {
        AggregationInput input;
        input.coordinatePath = (examples / example.folder / "coordinates.txt").string();
        input.genotypePath = (examples / example.folder / "genotypes.txt").string();
        input.dataType = example.type;
        input.useLatLong = example.latLong;
        input.settings.permutations.count = 99;
        RandomUniform random(4321, 8765);
        const std::string report = AggregationReport(RunAggregation(input, random, RunListener::none()));

        const SampleTable table = ReadSampleTable(input.coordinatePath, input.genotypePath, example.type);
        RandomUniform literalRandom(4321, 8765);
        AggregationResult literal =
            reference::literalAllelicAggregation(table, example.type, example.latLong, input.settings, literalRandom);
        literal.coordinatePath = input.coordinatePath;
        literal.genotypePath = input.genotypePath;
        EXPECT_EQ(report, AggregationReport(literal)) << example.folder;
    }
}

// Rj of every category with two or more bearers (locus by locus, categories in order of first
// appearance) and Rave over those of loci with two or more categories, with observation i's data at
// location p(i). Each category's nearest-bearer distances are added in observation order.
struct Aggregation {
    std::vector<double> rj;
    double rave = 0.0;
};
Aggregation aggregationOf(const SampleTable& table, const SquareMatrix& distances, double area,
                          const std::vector<std::int32_t>& p)
{
    Aggregation out;
    double raveSum = 0.0;
    int included = 0;
    for (int locus = 0; locus < table.locusCount; ++locus) {
        std::vector<std::string> categories;
        for (int i = 0; i < table.sampleCount(); ++i)
            if (std::find(categories.begin(), categories.end(), table.genotype(locus, i)) == categories.end())
                categories.push_back(table.genotype(locus, i));
        for (const std::string& category : categories) {
            std::vector<int> bearers;
            for (int i = 0; i < table.sampleCount(); ++i)
                if (table.genotype(locus, i) == category)
                    bearers.push_back(i);
            if (bearers.size() < 2)
                continue;
            double sum = 0.0;
            for (const int i : bearers) {
                double nearest = std::numeric_limits<double>::infinity();
                for (const int j : bearers)
                    if (j != i)
                        nearest = std::min(nearest, distances(p[static_cast<size_t>(i)], p[static_cast<size_t>(j)]));
                sum += nearest;
            }
            const auto count = static_cast<double>(bearers.size());
            const double rj = sum / count / (1.0 / (2.0 * std::sqrt(count / area)));
            out.rj.push_back(rj);
            if (categories.size() >= 2) {
                raveSum += rj;
                ++included;
            }
        }
    }
    out.rave = raveSum / included;
    return out;
}

TEST(AllelicAggregation, CompleteEnumerationGivesTheProbabilitiesOfEveryArrangement)
{
    // The exact P values: shares of all N! relabellings, the observed one included, at or beyond the
    // observed Rj of each category (both tails) and at or below the observed Rave.
    for (int n = 4; n <= 7; ++n) {
        for (const int coordinateRange : {1000, 3}) {
            reference::RandomTableRecipe recipe;
            recipe.samples = n;
            recipe.loci = 2;
            recipe.allelesPerLocus = 2;
            recipe.missingRate = 0.0;
            recipe.seed = static_cast<std::uint32_t>(200 + 10 * n + coordinateRange);
            SampleTable table = reference::randomSampleTable(DataType::Genotypes, recipe);
            for (int k = 0; k < n; ++k) {
                table.xTexts[static_cast<size_t>(k)] =
                    std::to_string(std::stoi(table.xTexts[static_cast<size_t>(k)]) % coordinateRange);
                table.yTexts[static_cast<size_t>(k)] =
                    std::to_string(std::stoi(table.yTexts[static_cast<size_t>(k)]) % coordinateRange);
            }
            RandomUniform random(1, 1);
            AggregationSettings settings;
            settings.permutations.count = 0; // an error of its own, but complete enumeration ignores the count
            settings.permutations.scheme = PermutationScheme::Complete;
            const AggregationResult result =
                ComputeAggregation(table, DataType::Genotypes, false, settings, random, RunListener::none());

            const SquareMatrix distances = BuildGeographicDistances(table, false).square();
            std::vector<std::int32_t> identity(static_cast<size_t>(n));
            std::iota(identity.begin(), identity.end(), 0);
            const Aggregation observed = aggregationOf(table, distances, result.area, identity);
            std::vector<long long> upper(observed.rj.size(), 0);
            std::vector<long long> lower(observed.rj.size(), 0);
            long long raveCount = 0;
            long long arrangements = 0;
            testing::forEachArrangement(n, [&](const std::vector<std::int32_t>& p) {
                const Aggregation replicate = aggregationOf(table, distances, result.area, p);
                for (size_t c = 0; c < observed.rj.size(); ++c) {
                    upper[c] += replicate.rj[c] >= observed.rj[c];
                    lower[c] += replicate.rj[c] <= observed.rj[c];
                }
                raveCount += replicate.rave <= observed.rave;
                ++arrangements;
            });

            const std::string label = "N " + std::to_string(n) + ", range " + std::to_string(coordinateRange);
            EXPECT_EQ(result.permutations, arrangements) << label;
            EXPECT_EQ(result.permutationScheme.arrangements, arrangements) << label;
            EXPECT_EQ(result.rave, observed.rave) << label;
            const auto all = static_cast<double>(arrangements);
            size_t c = 0;
            for (const LocusResult& locus : result.loci) {
                for (const CategoryResult& category : locus.categories) {
                    if (!category.computed())
                        continue;
                    ASSERT_LT(c, observed.rj.size()) << label;
                    EXPECT_EQ(category.rj, observed.rj[c]) << label;
                    EXPECT_EQ(category.pUpper, static_cast<double>(upper[c]) / all) << label << ", " << category.text;
                    EXPECT_EQ(category.pLower, static_cast<double>(lower[c]) / all) << label << ", " << category.text;
                    ++c;
                }
            }
            EXPECT_EQ(c, observed.rj.size()) << label;
            EXPECT_EQ(result.pRave, static_cast<double>(raveCount) / all) << label;
        }
    }
}

TEST(AllelicAggregation, CompleteEnumerationRefusesTenObservationsBeforeComputing)
{
    // Every locus invariant: Rave would be undefined, an error of its own once computed.
    std::vector<Observation> observations;
    for (int k = 0; k < 10; ++k)
        observations.push_back({std::to_string(k), std::to_string(k * k % 7), {"a"}});
    try {
        run(tableOf(observations), DataType::Genotypes, 20, false, PermutationScheme::Complete);
        FAIL() << "ten observations have 3628800 arrangements";
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("at most 9 observations"), std::string::npos) << error.what();
    }
}

} // namespace
} // namespace tessaloc
