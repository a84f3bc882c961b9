// The fast engine against the literal procedure: same limits, counts, statistics and whole report,
// for any number of threads.

#include "tests/support/LiteralAutocorrelation.h"
#include "analyses/autocorrelation/Autocorrelation.h"
#include "formats/OwnFormatReaders.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "tests/support/LiteralDistances.h"

#include "tests/support/RandomMatrices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

using Matrices = reference::DistanceMatrices;

// Runs both; either both fail with an analysis error, or both give the same result.
struct Comparison {
    bool failed = false;
    long long pairsOnALimit = 0; ///< pairs lying exactly on the lower limit of a class above the first
    long long tailTies = 0;      ///< replicates counted in both tails of some class
};

Comparison compareWithLiteral(const Matrices& m, const AutocorrelationSettings& settings, std::int64_t seed1,
                              std::int64_t seed2, const std::string& label)
{
    Comparison comparison;
    RandomUniform literalRandom(seed1, seed2);
    AutocorrelationResult expected;
    try {
        expected = reference::literalSpatialAutocorrelation(m.genetic, m.geographic, settings, literalRandom);
    } catch (const AnalysisError&) {
        comparison.failed = true;
    }
    for (const int threads : {1, 2, 3, 8}) {
        RandomUniform random(seed1, seed2);
        AutocorrelationSettings threaded = settings;
        threaded.permutations.threads = threads;
        if (comparison.failed) {
            EXPECT_THROW(ComputeAutocorrelation(m.genetic, m.geographic, threaded, random, RunListener::none()),
                         AnalysisError)
                << label;
            continue;
        }
        const AutocorrelationResult result =
            ComputeAutocorrelation(m.genetic, m.geographic, threaded, random, RunListener::none());
        const std::string where = label + ", " + std::to_string(threads) + " threads";
        EXPECT_EQ(result.distogram.lowerLimit, expected.distogram.lowerLimit) << where;
        EXPECT_EQ(result.distogram.upperLimit, expected.distogram.upperLimit) << where;
        EXPECT_EQ(result.distogram.ay, expected.distogram.ay) << where;
        EXPECT_EQ(result.distogram.meanGeneticDistance, expected.distogram.meanGeneticDistance) << where;
        EXPECT_EQ(result.pairCounts, expected.pairCounts) << where;
        EXPECT_EQ(result.v, expected.v) << where;
        EXPECT_EQ(result.upperTailCounts, expected.upperTailCounts) << where;
        EXPECT_EQ(result.lowerTailCounts, expected.lowerTailCounts) << where;
        EXPECT_EQ(result.vCount, expected.vCount) << where;
        EXPECT_EQ(AutocorrelationReport(result), AutocorrelationReport(expected)) << where;
        EXPECT_EQ(random.state1(), literalRandom.state1()) << where << ": both draw the same numbers";
        EXPECT_EQ(random.state2(), literalRandom.state2()) << where;
    }
    if (!comparison.failed) {
        const int n = m.geographic.size();
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                for (size_t f = 1; f < expected.distogram.lowerLimit.size(); ++f)
                    comparison.pairsOnALimit += m.geographic(i, j) == expected.distogram.lowerLimit[f];
        for (size_t f = 0; f < expected.pairCounts.size(); ++f)
            comparison.tailTies +=
                expected.upperTailCounts[f] + expected.lowerTailCounts[f] - settings.permutations.count;
    }
    return comparison;
}

TEST(LiteralAutocorrelation, RandomDataInBothModesMatchForAnyThreadCount)
{
    struct Case {
        DataType type;
        int samples;
        std::uint32_t seed;
        int coordinateRange;
        int classes;
        int permutations;
    };
    const std::vector<Case> cases = {
        {DataType::Codominant, 2, 1, 1000, 1, 13},  {DataType::Codominant, 12, 2, 1000, 4, 99},
        {DataType::Genotypes, 9, 3, 4, 3, 200},     {DataType::Genotypes, 30, 4, 6, 5, 101},
        {DataType::Sequences, 23, 5, 1000, 10, 77}, {DataType::Codominant, 64, 6, 8, 6, 43},
        {DataType::Genotypes, 41, 7, 5, 2, 57},     {DataType::Sequences, 15, 8, 3, 2, 33},
        {DataType::Codominant, 40, 9, 1000, 1, 21}, {DataType::Genotypes, 50, 10, 1000, 20, 30},
        {DataType::Codominant, 25, 11, 2, 10, 10},
    };
    long long successes = 0;
    long long failures = 0;
    long long pairsOnALimit = 0;
    long long tailTies = 0;
    for (const Case& c : cases) {
        const Matrices m = reference::randomDistanceMatrices(c.type, c.samples, c.seed, c.coordinateRange);
        for (const ClassMode mode : {ClassMode::EqualDistances, ClassMode::EqualCounts}) {
            AutocorrelationSettings settings;
            settings.classCount = c.classes;
            settings.permutations.count = c.permutations;
            settings.classMode = mode;
            const std::string label = std::to_string(c.samples) + " samples, seed " + std::to_string(c.seed) +
                                      (mode == ClassMode::EqualCounts ? ", equal counts" : ", equal distances");
            const Comparison comparison = compareWithLiteral(m, settings, c.seed, 7 * c.seed, label);
            (comparison.failed ? failures : successes) += 1;
            pairsOnALimit += comparison.pairsOnALimit;
            tailTies += comparison.tailTies;
        }
    }
    EXPECT_GT(successes, 15);
    EXPECT_GT(failures, 0) << "the cases must include a class with no pair";
    EXPECT_GT(pairsOnALimit, 0) << "the cases must include pairs exactly at a class limit";
    EXPECT_GT(tailTies, 0) << "the cases must include ties of Ay* with Ay";
}

TEST(LiteralAutocorrelation, LatitudeLongitudeDistancesMatch)
{
    const Matrices m = reference::randomDistanceMatrices(DataType::Codominant, 33, 21, 90, true);
    for (const ClassMode mode : {ClassMode::EqualDistances, ClassMode::EqualCounts}) {
        AutocorrelationSettings settings;
        settings.classCount = 7;
        settings.permutations.count = 64;
        settings.classMode = mode;
        EXPECT_FALSE(compareWithLiteral(m, settings, 86399, 2147483389, "latitude/longitude").failed);
    }
}

TEST(LiteralAutocorrelation, HundredsOfClassesMatch)
{
    // 300 classes need 16-bit class indices. Distinct distances (a spiral of points) and q = 630 / 300
    // = 2 leave no class empty.
    const int n = 36;
    SquareMatrix geographic(n);
    SquareMatrix genetic(n);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            geographic.setPair(i, j, static_cast<double>((i * 131 + j * 71) % 997) + 0.001 * (i * n + j));
            genetic.setPair(i, j, static_cast<double>((i * 7 + j * 3) % 16) / 16.0);
        }
    }
    AutocorrelationSettings settings;
    settings.classCount = 300;
    settings.permutations.count = 25;
    settings.classMode = ClassMode::EqualCounts;
    EXPECT_FALSE(compareWithLiteral({genetic, geographic}, settings, 5, 6, "300 classes").failed);
}

TEST(LiteralAutocorrelation, MatricesWithManyDistinctValuesMatch)
{
    // More distinct genetic values than 16-bit codes can name: the engine reads the doubles. Random
    // values put Ay amid the replicates; multiples of 2^-20 below 1/8 make every sum exact whatever
    // the order, so that with one class every replicate ties with the observed Ay.
    const int n = 370;
    std::mt19937_64 engine(11);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    SquareMatrix randomGenetic(n);
    SquareMatrix exactGenetic(n);
    SquareMatrix geographic(n);
    long long k = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j, ++k) {
            randomGenetic.setPair(i, j, uniform(engine));
            exactGenetic.setPair(i, j, std::ldexp(static_cast<double>((k * 7919) % 131072), -20));
            geographic.setPair(i, j, 100.0 * uniform(engine));
        }
    }
    struct Case {
        const SquareMatrix& genetic;
        int classes;
        ClassMode mode;
    };
    long long tailTies = 0;
    for (const Case& c :
         {Case{randomGenetic, 6, ClassMode::EqualDistances}, Case{randomGenetic, 6, ClassMode::EqualCounts},
          Case{exactGenetic, 1, ClassMode::EqualCounts}, Case{exactGenetic, 4, ClassMode::EqualCounts}}) {
        AutocorrelationSettings settings;
        settings.classCount = c.classes;
        settings.permutations.count = 30;
        settings.classMode = c.mode;
        const Comparison comparison =
            compareWithLiteral({c.genetic, geographic}, settings, 3, 4, "many distinct values");
        EXPECT_FALSE(comparison.failed);
        tailTies += comparison.tailTies;
    }
    EXPECT_GE(tailTies, 30) << "with one class every replicate ties";
}

TEST(LiteralAutocorrelation, WholeReportOfEveryExampleMatches)
{
    const std::filesystem::path examples = TESSALOC_EXAMPLES_DIR;
    struct Example {
        const char* folder;
        DataType type;
        bool latLong;
        int classes;
        ClassMode mode;
    };
    for (const Example& example :
         {Example{"microsatellites", DataType::Codominant, false, 5, ClassMode::EqualDistances},
          Example{"microsatellites", DataType::Codominant, false, 10, ClassMode::EqualCounts},
          Example{"haplotypes-latlong", DataType::Genotypes, true, 4, ClassMode::EqualCounts},
          Example{"sequences", DataType::Sequences, false, 3, ClassMode::EqualCounts}}) {
        AutocorrelationInput input;
        input.coordinatePath = (examples / example.folder / "coordinates.txt").string();
        input.genotypePath = (examples / example.folder / "genotypes.txt").string();
        input.dataType = example.type;
        input.useLatLong = example.latLong;
        input.settings.classCount = example.classes;
        input.settings.permutations.count = 199;
        input.settings.classMode = example.mode;
        RandomUniform random(4321, 8765);
        const std::string report = AutocorrelationReport(RunAutocorrelation(input, random, RunListener::none()));

        const SampleTable table = ReadSampleTable(input.coordinatePath, input.genotypePath, example.type);
        RandomUniform literalRandom(4321, 8765);
        AutocorrelationResult literal = reference::literalSpatialAutocorrelation(
            BuildGeneticDistances(table, example.type).square(),
            BuildGeographicDistances(table, example.latLong).square(), input.settings, literalRandom);
        literal.coordinatePath = input.coordinatePath;
        literal.genotypePath = input.genotypePath;
        literal.dataType = example.type;
        EXPECT_EQ(report, AutocorrelationReport(literal)) << example.folder;
    }
}

} // namespace
} // namespace tessaloc
