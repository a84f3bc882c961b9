#include "analyses/mantel/Mantel.h"
#include "formats/OwnFormatReaders.h"

#include "core/DistanceRanks.h"
#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/MatrixSums.h"
#include "core/NearMaximum.h"
#include "tests/support/AllArrangements.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/LiteralMantel.h"
#include "tests/support/TempFiles.h"

#include "tests/support/MatrixBuilders.h"

#include "tests/support/RecordingListener.h"

#include "tests/support/RandomMatrices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tessaloc {
namespace {

using testing::RecordingListener;

using testing::fromPairs;
using testing::pairsOf;

using Matrices = reference::DistanceMatrices;

// log10 as the library computes it at run time; the compiler would fold a constant argument with
// exact rounding, which the library's log10 need not match in the last bit.
double runtimeLog10(double x)
{
    volatile double argument = x;
    return std::log10(argument);
}

TEST(Log10DistanceTransform, ShiftsEveryPairByTheSmallestPositiveDistanceWhenOneIsZero)
{
    PackedDistances d = pairsOf(3, {0.0, 0.25, 0.5});
    Log10DistanceTransform(d, 10.0);
    EXPECT_EQ(d(0, 1), runtimeLog10(0.0 + 0.25));
    EXPECT_EQ(d(0, 2), runtimeLog10(0.25 + 0.25));
    EXPECT_EQ(d(1, 2), runtimeLog10(0.5 + 0.25));
    EXPECT_EQ(d(2, 1), d(1, 2));
    EXPECT_EQ(d(1, 1), 0.0);
}

TEST(Log10DistanceTransform, WithoutZeroTakesThePlainLogarithm)
{
    PackedDistances d = pairsOf(3, {1.0, 10.0, 1000.0});
    Log10DistanceTransform(d, kNearMaximum15Digits);
    EXPECT_EQ(d(0, 1), 0.0);
    EXPECT_EQ(d(0, 2), 1.0);
    EXPECT_EQ(d(1, 2), 3.0);
}

TEST(Log10DistanceTransform, StartingValueCapsTheShift)
{
    // No positive distance lies below the starting value 10, so the shift is 10 itself.
    PackedDistances d = pairsOf(3, {0.0, 20.0, 90.0});
    Log10DistanceTransform(d, 10.0);
    EXPECT_EQ(d(0, 1), 1.0);
    EXPECT_EQ(d(0, 2), runtimeLog10(30.0));
    EXPECT_EQ(d(1, 2), 2.0);
}

TEST(MantelTest, ZeroPermutationsGiveProbabilitiesOfOne)
{
    RandomUniform random(1, 1);
    RecordingListener listener;
    MantelSettings settings;
    settings.permutations.count = 0;
    const MantelResult result =
        ComputeMantel(pairsOf(3, {0.1, 0.5, 0.3}), pairsOf(3, {1, 4, 2}), settings, random, listener);
    EXPECT_EQ(result.pGreaterOrEqual, 1.0);
    EXPECT_EQ(result.pLessOrEqual, 1.0);
    EXPECT_TRUE(listener.statuses.empty());
    EXPECT_EQ(random.state1(), 1) << "no number is drawn without replicates";
}

TEST(MantelTest, ObservedStatisticsAreTheMatrixSums)
{
    RandomUniform random(1, 1);
    const SquareMatrix genetic = fromPairs(4, {0.1, 0.5, 0.3, 0.2, 0.9, 0.4});
    const SquareMatrix geographic = fromPairs(4, {1, 4, 2, 3, 5, 8});
    MantelSettings settings;
    settings.permutations.count = 5;
    const MantelResult result =
        ComputeMantel(PackedDistances(genetic), PackedDistances(geographic), settings, random, RunListener::none());
    // The sums over the whole matrices, i < j, against the engine's over the pairs.
    EXPECT_EQ(result.r, MatrixCorrelation(genetic, geographic));
    EXPECT_EQ(result.z, CrossProductSum(genetic, geographic));
    EXPECT_EQ(result.genetic, PackedDistances(genetic))
        << "the result keeps the matrix as it was before the permutations";
    EXPECT_EQ(result.pGreaterOrEqual, static_cast<double>(result.greaterOrEqual + 1) / 6.0);
    EXPECT_EQ(result.pLessOrEqual, static_cast<double>(result.lessOrEqual + 1) / 6.0);
}

TEST(MantelTest, ProgressShowsEveryTenthReplicate)
{
    const Matrices m = reference::randomDistanceMatrices(DataType::Codominant, 12, 3);
    for (const auto& [permutations, expected] : std::vector<std::pair<int, std::vector<std::string>>>{
             {9, {}},
             {10, {"Replicate:  10"}},
             {25, {"Replicate:  10", "Replicate:  20"}},
         }) {
        RandomUniform random(1, 1);
        RecordingListener listener;
        MantelSettings settings;
        settings.permutations.count = permutations;
        ComputeMantel(m.packedGenetic(), m.packedGeographic(), settings, random, listener);
        EXPECT_EQ(listener.statuses, expected) << permutations << " permutations";
    }
}

TEST(MantelTest, UndefinedCorrelationIsAnAnalysisError)
{
    RandomUniform random(1, 1);
    MantelSettings settings;
    EXPECT_THROW(
        ComputeMantel(pairsOf(3, {0.5, 0.5, 0.5}), pairsOf(3, {1, 2, 3}), settings, random, RunListener::none()),
        AnalysisError);
    EXPECT_THROW(ComputeMantel(pairsOf(2, {0.5}), pairsOf(2, {1}), settings, random, RunListener::none()),
                 AnalysisError);
}

TEST(MantelTest, NegativePermutationCountFailsBeforeAnythingIsRead)
{
    RandomUniform random(1, 1);
    MantelInput input;
    input.coordinatePath = "no-such-coordinates.txt";
    input.genotypePath = "no-such-genotypes.txt";
    for (const long long count : {-1LL, -5LL}) {
        input.settings.permutations.count = count;
        try {
            RunMantel(input, random, RunListener::none());
            FAIL() << "a negative count must fail";
        } catch (const AnalysisError& error) {
            EXPECT_NE(std::string(error.what()).find("permutations"), std::string::npos) << error.what();
        }
    }
}

TEST(MantelTest, CancellingStopsTheRun)
{
    const Matrices m = reference::randomDistanceMatrices(DataType::Codominant, 10, 4);
    RandomUniform random(1, 1);
    RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    MantelSettings settings;
    settings.permutations.count = 100000;
    EXPECT_THROW(ComputeMantel(m.packedGenetic(), m.packedGeographic(), settings, random, listener), RunCancelled);
}

TEST(MantelTest, DataProblemsOfTheInputEndTheRunQuietly)
{
    testing::TempFolder folder;
    MantelInput input;
    input.coordinatePath = folder.write("c.txt", "A,0,0\nB,1,0\nC,0,1\n;\n").string();
    input.genotypePath = folder.write("g.txt", "1\nA,1\\1\nB,0\\0\nC,12\n").string();
    RandomUniform random(1, 1);
    EXPECT_THROW(RunMantel(input, random, RunListener::none()), DataProblem);
    input.genotypePath = folder.write("g2.txt", "1\nA,1\\1\nB,0\\0\nC,1\\2\n").string();
    try {
        RunMantel(input, random, RunListener::none());
        FAIL() << "a pair without common loci must stop the run";
    } catch (const DataProblem& problem) {
        EXPECT_EQ(std::string(problem.what()), noCommonLociMessage(1, 2));
    }
}

// The fast runner must count exactly what the literal procedure counts, for any number of threads.
TEST(MantelTest, CountsMatchTheLiteralProcedureForAnyThreadCount)
{
    struct Case {
        DataType type;
        int samples;
        std::uint32_t seed;
        int coordinateRange;
        int permutations;
    };
    const std::vector<Case> cases = {
        {DataType::Codominant, 3, 1, 1000, 50}, {DataType::Codominant, 17, 2, 1000, 99},
        {DataType::Genotypes, 9, 3, 3, 200},    {DataType::Genotypes, 30, 4, 2, 101},
        {DataType::Sequences, 23, 5, 1000, 77}, {DataType::Codominant, 64, 6, 5, 130},
        {DataType::Genotypes, 41, 7, 4, 257},   {DataType::Sequences, 12, 8, 2, 33},
    };
    long long ties = 0;
    for (const Case& c : cases) {
        const Matrices m = reference::randomDistanceMatrices(c.type, c.samples, c.seed, c.coordinateRange);
        const double z = CrossProductSum(m.genetic, m.geographic);
        RandomUniform literalRandom(c.seed, 7 * c.seed);
        const auto expected =
            reference::literalMantelPermutations(m.genetic, m.geographic, z, c.permutations, literalRandom);
        ties += expected.greaterOrEqual + expected.lessOrEqual - c.permutations;
        for (const int threads : {1, 2, 3, 8}) {
            RandomUniform random(c.seed, 7 * c.seed);
            MantelSettings settings;
            settings.permutations.count = c.permutations;
            settings.permutations.threads = threads;
            const MantelResult result =
                ComputeMantel(m.packedGenetic(), m.packedGeographic(), settings, random, RunListener::none());
            EXPECT_EQ(result.greaterOrEqual, expected.greaterOrEqual)
                << c.samples << " samples, " << threads << " threads";
            EXPECT_EQ(result.lessOrEqual, expected.lessOrEqual) << c.samples << " samples, " << threads << " threads";
            EXPECT_EQ(random.state1(), literalRandom.state1()) << "both draw the same numbers";
            EXPECT_EQ(random.state2(), literalRandom.state2());
        }
    }
    EXPECT_GT(ties, 0) << "the cases must include ties between Z' and Z";
}

// A geographic matrix scaled by 1e300 gave r = -.000: the squares of its deviations overflowed.
TEST(MantelTest, AMatrixOfHugeOrTinyValuesKeepsItsCorrelationAndTest)
{
    const Matrices m = reference::randomDistanceMatrices(DataType::Codominant, 30, 9, 1000);
    MantelSettings settings;
    settings.permutations.count = 199;
    const auto run = [&](double factor) {
        PackedDistances geographic = m.packedGeographic();
        for (double& d : geographic.values())
            d *= factor;
        RandomUniform random(3, 5);
        return ComputeMantel(m.packedGenetic(), geographic, settings, random, RunListener::none());
    };
    const MantelResult ordinary = run(1.0);
    // A power of two scales exactly: the same r and counts bit for bit, the matrix kept as given.
    for (const double factor : {std::ldexp(1.0, 1000), std::ldexp(1.0, -1000)}) {
        const MantelResult scaled = run(factor);
        EXPECT_EQ(scaled.r, ordinary.r) << factor;
        EXPECT_EQ(scaled.greaterOrEqual, ordinary.greaterOrEqual) << factor;
        EXPECT_EQ(scaled.lessOrEqual, ordinary.lessOrEqual) << factor;
        EXPECT_EQ(scaled.geographic.values()[1], ordinary.geographic.values()[1] * factor) << factor;
    }
    EXPECT_NEAR(run(1e300).r, ordinary.r, 1e-12);
}

TEST(MantelTest, MatricesWithManyDistinctValuesMatchTheLiteralProcedure)
{
    // More distinct genetic values than 16-bit codes can name: the runner reads the doubles.
    const int n = 400;
    std::mt19937_64 engine(11);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    SquareMatrix genetic(n);
    SquareMatrix geographic(n);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            genetic.setPair(i, j, uniform(engine));
            geographic.setPair(i, j, 100.0 * uniform(engine));
        }
    }
    MantelSettings settings;
    settings.permutations.count = 60;
    RandomUniform random(3, 4);
    const MantelResult result =
        ComputeMantel(PackedDistances(genetic), PackedDistances(geographic), settings, random, RunListener::none());
    RandomUniform literalRandom(3, 4);
    const auto expected = reference::literalMantelPermutations(genetic, geographic, result.z, 60, literalRandom);
    // Unrelated matrices put Z amid the replicates, so both counts are far from 0 and 60.
    EXPECT_GT(expected.greaterOrEqual, 5);
    EXPECT_GT(expected.lessOrEqual, 5);
    EXPECT_EQ(result.greaterOrEqual, expected.greaterOrEqual);
    EXPECT_EQ(result.lessOrEqual, expected.lessOrEqual);
}

TEST(MantelTest, WholeReportOfEveryExampleMatchesTheLiteralProcedure)
{
    const std::filesystem::path examples = TESSALOC_EXAMPLES_DIR;
    struct Example {
        const char* folder;
        DataType type;
        bool latLong;
    };
    for (const Example& example :
         {Example{"microsatellites", DataType::Codominant, false},
          Example{"haplotypes-latlong", DataType::Genotypes, true}, Example{"sequences", DataType::Sequences, false}}) {
        MantelInput input;
        input.coordinatePath = (examples / example.folder / "coordinates.txt").string();
        input.genotypePath = (examples / example.folder / "genotypes.txt").string();
        input.dataType = example.type;
        input.useLatLong = example.latLong;
        input.settings.permutations.count = 199;
        input.settings.logGeographic = example.latLong;
        RandomUniform random(4321, 8765);
        const std::string report = MantelReport(RunMantel(input, random, RunListener::none()));

        // The same run by the literal procedure: the matrices built straight from the table, the
        // genetic matrix rearranged in place replicate after replicate.
        const SampleTable table = ReadSampleTable(input.coordinatePath, input.genotypePath, example.type);
        MantelResult literal;
        literal.coordinatePath = input.coordinatePath;
        literal.genotypePath = input.genotypePath;
        literal.dataType = example.type;
        literal.names = table.names;
        literal.geographic = BuildGeographicDistances(table, example.latLong);
        if (example.latLong)
            Log10DistanceTransform(literal.geographic, kNearMaximum15Digits);
        literal.genetic = BuildGeneticDistances(table, example.type);
        literal.r = MatrixCorrelation(literal.genetic, literal.geographic);
        literal.z = CrossProductSum(literal.genetic, literal.geographic);
        literal.permutations = 199;
        RandomUniform literalRandom(4321, 8765);
        const auto counts = reference::literalMantelPermutations(literal.genetic.square(), literal.geographic.square(),
                                                                 literal.z, 199, literalRandom);
        literal.pGreaterOrEqual = static_cast<double>(counts.greaterOrEqual + 1) / 200.0;
        literal.pLessOrEqual = static_cast<double>(counts.lessOrEqual + 1) / 200.0;
        EXPECT_EQ(report, MantelReport(literal)) << example.folder;
    }
}

TEST(MantelTest, TiesCountInBothTails)
{
    // Genetic distance 1 for the pair (1, 2) only, geographic distances 1, 1 and 2: every arrangement
    // gives Z' = 1 (a tie with Z = 1) or Z' = 2, so every replicate counts as >= and the ties also as <=.
    RandomUniform random(5, 5);
    MantelSettings settings;
    settings.permutations.count = 20;
    const MantelResult result =
        ComputeMantel(pairsOf(3, {1, 0, 0}), pairsOf(3, {1, 1, 2}), settings, random, RunListener::none());
    EXPECT_EQ(result.z, 1.0);
    EXPECT_EQ(result.greaterOrEqual, 20);
    EXPECT_GT(result.lessOrEqual, 0);
    EXPECT_LT(result.lessOrEqual, 20);
    EXPECT_GT(result.pGreaterOrEqual + result.pLessOrEqual, 1.0);
}

MantelSettings withScheme(MantelSettings settings, PermutationScheme chosen)
{
    settings.permutations.scheme = chosen;
    return settings;
}

TEST(MantelTest, CompleteEnumerationGivesTheProbabilitiesOfEveryArrangement)
{
    // For each N, two random data sets: one with distinct locations, one with repeated ones (hence
    // tied Z'). The exact P is the share of all N! arrangements, the observed one included, whose Z'
    // lies at or beyond Z.
    long long ties = 0;
    for (int n = 4; n <= 7; ++n) {
        for (const int coordinateRange : {1000, 2}) {
            const auto seed = static_cast<std::uint32_t>(10 * n + coordinateRange);
            const Matrices m = reference::randomDistanceMatrices(DataType::Codominant, n, seed, coordinateRange);
            const double z = CrossProductSum(m.genetic, m.geographic);
            long long atLeast = 0;
            long long atMost = 0;
            long long arrangements = 0;
            testing::forEachArrangement(n, [&](const std::vector<std::int32_t>& p) {
                const double zStar = CrossProductSum(testing::rearranged(m.genetic, p), m.geographic);
                atLeast += zStar >= z;
                atMost += zStar <= z;
                ++arrangements;
            });
            ties += atLeast + atMost - arrangements - 1;

            RandomUniform random(1, 1);
            MantelSettings settings;
            settings.permutations.count = 3; // ignored
            const MantelResult result =
                ComputeMantel(m.packedGenetic(), m.packedGeographic(),
                              withScheme(settings, PermutationScheme::Complete), random, RunListener::none());
            const std::string label = "N " + std::to_string(n) + ", range " + std::to_string(coordinateRange);
            EXPECT_EQ(result.permutations, arrangements - 1) << label;
            EXPECT_EQ(result.permutationScheme.arrangements, arrangements) << label;
            EXPECT_EQ(result.pGreaterOrEqual, static_cast<double>(atLeast) / static_cast<double>(arrangements))
                << label;
            EXPECT_EQ(result.pLessOrEqual, static_cast<double>(atMost) / static_cast<double>(arrangements)) << label;
        }
    }
    EXPECT_GT(ties, 0) << "the cases must include arrangements other than the observed one that tie with it";
}

TEST(MantelTest, CompleteEnumerationRefusesTenObservationsBeforeComputing)
{
    // Equal genetic distances make r undefined, which would be an error of its own once computed.
    SquareMatrix genetic(10);
    for (int i = 0; i < 10; ++i)
        for (int j = i + 1; j < 10; ++j)
            genetic.setPair(i, j, 0.5);
    const Matrices m = reference::randomDistanceMatrices(DataType::Codominant, 10, 5);
    RandomUniform random(1, 1);
    try {
        ComputeMantel(PackedDistances(genetic), m.packedGeographic(),
                      withScheme(MantelSettings{}, PermutationScheme::Complete), random, RunListener::none());
        FAIL() << "ten observations have 3628800 arrangements";
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("at most 9 observations"), std::string::npos) << error.what();
    }
}

TEST(MantelTest, UniformShufflesCountWhatTheirArrangementsGive)
{
    // The replicates are the runner's uniform shuffles: Z' of each, counted against Z.
    const Matrices m = reference::randomDistanceMatrices(DataType::Genotypes, 11, 9, 4);
    const double z = CrossProductSum(m.genetic, m.geographic);
    RandomUniform reference(8, 9);
    UniformShuffle shuffle(11);
    long long atLeast = 0;
    long long atMost = 0;
    for (int replicate = 0; replicate < 150; ++replicate) {
        shuffle.nextReplicate(reference);
        const double zStar = CrossProductSum(testing::rearranged(m.genetic, shuffle.permutation()), m.geographic);
        atLeast += zStar >= z;
        atMost += zStar <= z;
    }
    for (const int threads : {1, 3}) {
        RandomUniform random(8, 9);
        MantelSettings settings;
        settings.permutations.count = 150;
        settings.permutations.scheme = PermutationScheme::Uniform;
        settings.permutations.threads = threads;
        const MantelResult result =
            ComputeMantel(m.packedGenetic(), m.packedGeographic(), settings, random, RunListener::none());
        EXPECT_EQ(result.greaterOrEqual, atLeast) << threads << " threads";
        EXPECT_EQ(result.lessOrEqual, atMost) << threads << " threads";
        EXPECT_EQ(result.permutations, 150);
        EXPECT_EQ(result.permutationScheme.scheme, PermutationScheme::Uniform);
    }
}

// Spearman's correlation with ties: ranks of (1, 1, 3) are (1.5, 1.5, 3), of (1, 2, 3) themselves;
// deviations (-0.5, -0.5, 1) and (-1, 0, 1) give 1.5 / sqrt(1.5 x 2) = sqrt(3) / 2, which R's
// cor(c(1, 1, 3), c(1, 2, 3), method = "spearman") also gives.
TEST(MantelTest, RankIsSpearmansCorrelationWithTiesAtTheirMeanRank)
{
    MantelSettings settings;
    settings.rank = true;
    settings.permutations.count = 0;
    RandomUniform random(1, 1);
    const MantelResult result =
        ComputeMantel(pairsOf(3, {1, 1, 3}), pairsOf(3, {10, 20, 3000}), settings, random, RunListener::none());
    EXPECT_NEAR(result.r, std::sqrt(3.0) / 2.0, 1e-15);
    EXPECT_TRUE(result.rank);
    EXPECT_EQ(result.genetic, pairsOf(3, {1.5, 1.5, 3}));
    EXPECT_EQ(result.geographic, pairsOf(3, {1, 2, 3}));
}

// The test on ranks is the test on matrices ranked beforehand: the same r, Z and counts.
TEST(MantelTest, RankGivesTheTestOfTheRankedMatrices)
{
    const Matrices m = reference::randomDistanceMatrices(DataType::Codominant, 25, 17, 40);
    MantelSettings settings;
    settings.permutations.count = 99;
    settings.logGeographic = true;
    MantelSettings ranked = settings;
    ranked.rank = true;
    RandomUniform random(3, 4);
    const MantelResult direct =
        ComputeMantel(m.packedGenetic(), m.packedGeographic(), ranked, random, RunListener::none());

    PackedDistances genetic = m.packedGenetic();
    PackedDistances geographic = m.packedGeographic();
    Log10DistanceTransform(geographic, kNearMaximum15Digits);
    RankDistanceTransform(genetic, "g");
    RankDistanceTransform(geographic, "x");
    settings.logGeographic = false;
    RandomUniform again(3, 4);
    const MantelResult beforehand = ComputeMantel(genetic, geographic, settings, again, RunListener::none());
    EXPECT_EQ(direct.r, beforehand.r);
    EXPECT_EQ(direct.z, beforehand.z);
    EXPECT_EQ(direct.greaterOrEqual, beforehand.greaterOrEqual);
    EXPECT_EQ(direct.lessOrEqual, beforehand.lessOrEqual);
}

TEST(MantelTest, RanksOfAllTiedDistancesAreADataProblemNamingThem)
{
    MantelSettings settings;
    settings.rank = true;
    RandomUniform random(1, 1);
    try {
        ComputeMantel(pairsOf(3, {1, 2, 3}), pairsOf(3, {5, 5, 5}), settings, random, RunListener::none());
        FAIL() << "no DataProblem";
    } catch (const DataProblem& problem) {
        EXPECT_NE(std::string(problem.what()).find("the geographic distances"), std::string::npos) << problem.what();
    }
}

} // namespace
} // namespace tessaloc
