// What the distogram adds to the report: the two-sided and corrected P of each class, the null
// envelope, the Mantel correlogram and the bootstrap intervals, each against a literal computation.

#include "analyses/autocorrelation/Autocorrelation.h"
#include "tests/support/AllArrangements.h"
#include "tests/support/LiteralAutocorrelation.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/RandomMatrices.h"
#include "tests/support/ThreadsAsProcesses.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

// vegan's tolerance when it counts replicates at least as extreme (sqrt of the double epsilon): r*
// and r that differ by less are one value computed in two orders.
const double kTieTolerance = std::sqrt(std::numeric_limits<double>::epsilon());

// Genetic distances from a few multiples of 1/16, so that every sum is exact whatever its order,
// and planar points spread over a square.
reference::DistanceMatrices dyadicMatrices(int n, std::uint32_t seed)
{
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> level(0, 6);
    std::uniform_real_distribution<double> coordinate(0.0, 100.0);
    std::vector<double> x;
    std::vector<double> y;
    for (int i = 0; i < n; ++i) {
        x.push_back(coordinate(engine));
        y.push_back(coordinate(engine));
    }
    SquareMatrix genetic(n);
    SquareMatrix geographic(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            genetic.setPair(i, j, level(engine) / 16.0);
            geographic.setPair(i, j, std::hypot(x[i] - x[j], y[i] - y[j]));
        }
    return {genetic, geographic};
}

// The Mantel P of class f from literal replicate correlations, counted as vegan's mantel.correlog
// counts them: in the direction of r's sign, the observed arrangement added.
double literalMantelP(const reference::LiteralReplicates& replicates, size_t f, long long* ties)
{
    const double r = replicates.observedMantelR[f];
    long long count = 0;
    for (const std::vector<double>& rStar : replicates.mantelR) {
        count += r > 0 ? rStar[f] >= r - kTieTolerance : rStar[f] <= r + kTieTolerance;
        *ties += std::abs(rStar[f] - r) <= kTieTolerance;
    }
    const double n = static_cast<double>(replicates.mantelR.size());
    return (static_cast<double>(count) + 1.0) / (n + 1.0);
}

TEST(AutocorrelationSignificance, EnvelopeTestsAndCorrelogramFollowTheLiteralReplicates)
{
    long long ties = 0;
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        for (const int classes : {3, 6}) {
            const reference::DistanceMatrices m = dyadicMatrices(14, seed);
            AutocorrelationSettings settings;
            settings.classCount = classes;
            settings.permutations.count = 199;
            RandomUniform random(seed, 99);
            const AutocorrelationResult result =
                ComputeAutocorrelation(m.genetic, m.geographic, settings, random, RunListener::none());
            RandomUniform literalRandom(seed, 99);
            reference::LiteralReplicates replicates;
            const AutocorrelationResult literal =
                reference::literalSpatialAutocorrelation(m.genetic, m.geographic, settings, literalRandom, &replicates);
            const std::string label = "seed " + std::to_string(seed) + ", " + std::to_string(classes) + " classes";
            ASSERT_EQ(replicates.ay.size(), 199u) << label;

            std::vector<double> vStar = replicates.v;
            EXPECT_EQ(result.vEnvelope.low, reference::literalQuantile(vStar, 0.025)) << label;
            EXPECT_EQ(result.vEnvelope.high, reference::literalQuantile(vStar, 0.975)) << label;
            for (size_t f = 0; f < static_cast<size_t>(classes); ++f) {
                std::vector<double> ayStar;
                for (const std::vector<double>& row : replicates.ay)
                    ayStar.push_back(row[f]);
                EXPECT_EQ(result.envelope[f].low, reference::literalQuantile(ayStar, 0.025)) << label << " class " << f;
                EXPECT_EQ(result.envelope[f].high, reference::literalQuantile(ayStar, 0.975)) << label;

                const double upper = literal.upperTailP[f];
                const double lower = literal.lowerTailP[f];
                EXPECT_EQ(result.twoSidedP[f], std::min(1.0, 2 * std::min(upper, lower))) << label;
                EXPECT_GE(result.holmP[f], result.twoSidedP[f]) << label;

                const double r = replicates.observedMantelR[f];
                EXPECT_NEAR(result.correlogram.r[f], r, 1e-12 * std::abs(r)) << label << " class " << f;
                EXPECT_EQ(result.correlogram.p[f], literalMantelP(replicates, f, &ties)) << label << " class " << f;
            }
            EXPECT_EQ(result.holmP.front(), result.twoSidedP.front()) << "the first class is corrected over itself";
            EXPECT_EQ(result.correlogram.holmP.front(), result.correlogram.p.front());
        }
    }
    EXPECT_GT(ties, 0) << "the cases must include replicates that tie with the observed r";
}

TEST(AutocorrelationSignificance, CompleteEnumerationCountsTheObservedArrangementOnce)
{
    // Every arrangement of 6 observations once: the identity is one of the 720 replicates, so the
    // Mantel P is count / 720, with the count taken over the arrangements by their own route.
    const int n = 6;
    const reference::DistanceMatrices m = dyadicMatrices(n, 17);
    AutocorrelationSettings settings;
    settings.classCount = 3;
    settings.permutations.scheme = PermutationScheme::Complete;
    RandomUniform random(1, 1);
    const AutocorrelationResult result =
        ComputeAutocorrelation(m.genetic, m.geographic, settings, random, RunListener::none());
    ASSERT_EQ(result.permutations, 720);
    for (int f = 0; f < 3; ++f) {
        const double r = result.correlogram.r[static_cast<size_t>(f)];
        long long count = 0;
        testing::forEachArrangement(n, [&](const std::vector<std::int32_t>& p) {
            double sum = 0.0;
            for (int i = 0; i < n; ++i)
                for (int j = i + 1; j < n; ++j)
                    if (result.distogram.lowerLimit[f] <= m.geographic(i, j) &&
                        m.geographic(i, j) < result.distogram.upperLimit[f])
                        sum += m.genetic(p[i], p[j]);
            const double ayStar = sum / static_cast<double>(result.pairCounts[static_cast<size_t>(f)]);
            // r* >= r exactly when Ay* <= Ay; sums of sixteenths are exact.
            const double ay = result.distogram.ay[static_cast<size_t>(f)];
            count += r > 0 ? ayStar <= ay : ayStar >= ay;
        });
        EXPECT_EQ(result.correlogram.p[static_cast<size_t>(f)], static_cast<double>(count) / 720.0) << f;
    }
}

TEST(AutocorrelationSignificance, UndefinedCorrelationsGiveNaN)
{
    // One class holds every pair: its membership does not vary. Equal genetic distances: they do not.
    const reference::DistanceMatrices m = dyadicMatrices(8, 4);
    AutocorrelationSettings settings;
    settings.classCount = 1;
    settings.permutations.count = 9;
    RandomUniform random(2, 3);
    const AutocorrelationResult one =
        ComputeAutocorrelation(m.genetic, m.geographic, settings, random, RunListener::none());
    EXPECT_TRUE(std::isnan(one.correlogram.r[0]));
    EXPECT_TRUE(std::isnan(one.correlogram.p[0]));
    EXPECT_TRUE(std::isnan(one.correlogram.holmP[0]));

    SquareMatrix flat(8);
    for (int i = 0; i < 8; ++i)
        for (int j = i + 1; j < 8; ++j)
            flat.setPair(i, j, 0.25);
    settings.classCount = 3;
    const AutocorrelationResult equal =
        ComputeAutocorrelation(flat, m.geographic, settings, random, RunListener::none());
    for (int f = 0; f < 3; ++f)
        EXPECT_TRUE(std::isnan(equal.correlogram.r[static_cast<size_t>(f)])) << f;
}

TEST(AutocorrelationSignificance, WithoutABootstrapEveryClassSaysSo)
{
    const reference::DistanceMatrices m = dyadicMatrices(10, 5);
    AutocorrelationSettings settings;
    settings.classCount = 4;
    settings.permutations.count = 19;
    RandomUniform random(2, 3);
    const AutocorrelationResult result =
        ComputeAutocorrelation(m.genetic, m.geographic, settings, random, RunListener::none());
    EXPECT_EQ(result.intervalGaps, std::vector<IntervalGap>(4, IntervalGap::BootstrapOff));
    for (const Band& band : result.confidence)
        EXPECT_FALSE(band.defined());
}

// A table of `samples` observations with the given loci, planar coordinates on a line.
SampleTable tableOf(const std::vector<std::vector<std::string>>& rows)
{
    SampleTable table;
    table.locusCount = static_cast<int>(rows.front().size());
    table.genotypes.assign(static_cast<size_t>(table.locusCount), {});
    for (const auto& row : rows) {
        const size_t k = table.names.size();
        table.names.push_back("o" + std::to_string(k + 1));
        table.xTexts.push_back(std::to_string(k * k % 17));
        table.yTexts.push_back(std::to_string(k * 3 % 5));
        for (int l = 0; l < table.locusCount; ++l)
            table.genotypes[static_cast<size_t>(l)].push_back(row[static_cast<size_t>(l)]);
    }
    return table;
}

// The engine's bootstrap after its permutation test against the literal bootstrap from the same
// point of the generator, on `threads` threads in each of `processes` processes (threads standing in
// for them): every process must end with the single process's intervals and generator.
void expectLiteralBootstrap(const SampleTable& table, DataType type, int classes, long long resamples,
                            const std::string& label, int threads = 1, int processes = 1)
{
    AutocorrelationSettings settings;
    settings.classCount = classes;
    settings.permutations.count = 29;
    settings.classMode = ClassMode::EqualCounts;
    const SquareMatrix geographic = BuildGeographicDistances(table, false).square();
    RandomUniform random(11, 13);
    const AutocorrelationResult run = ComputeAutocorrelation(BuildGeneticDistances(table, type).square(), geographic,
                                                             settings, random, RunListener::none());
    RandomUniform literalRandom = random;
    const std::vector<std::vector<double>> rows = reference::literalBootstrapClassMeans(
        table, type, geographic, run.distogram.lowerLimit, run.distogram.upperLimit, resamples, literalRandom);

    std::vector<AutocorrelationResult> results(static_cast<size_t>(processes), run);
    std::vector<RandomUniform> randoms(static_cast<size_t>(processes), random);
    const auto failures = test::ThreadsAsProcesses::run(processes, [&](int index) {
        const size_t p = static_cast<size_t>(index);
        BootstrapClassIntervals(results[p], table, type, resamples, randoms[p], RunListener::none(), threads);
    });
    for (size_t p = 0; p < results.size(); ++p) {
        const std::string where = label + ", " + std::to_string(threads) + " threads, process " + std::to_string(p) +
                                  " of " + std::to_string(processes);
        ASSERT_FALSE(failures[p]) << where;
        const AutocorrelationResult& result = results[p];
        EXPECT_EQ(randoms[p].state1(), literalRandom.state1()) << where << ": both draw the same numbers";
        EXPECT_EQ(randoms[p].state2(), literalRandom.state2()) << where;
        EXPECT_EQ(result.bootstrapResamples, resamples) << where;
        EXPECT_EQ(result.usableResamples, static_cast<long long>(rows.size())) << where;
        for (size_t f = 0; f < static_cast<size_t>(classes); ++f) {
            std::vector<double> means;
            for (const std::vector<double>& row : rows)
                means.push_back(row[f]);
            std::vector<double> distinct = means;
            std::sort(distinct.begin(), distinct.end());
            distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
            if (distinct.size() < 2) {
                EXPECT_EQ(result.intervalGaps[f],
                          rows.empty() ? IntervalGap::NoUsableResample : IntervalGap::TooFewDistinctValues)
                    << where << " class " << f;
                EXPECT_FALSE(result.confidence[f].defined()) << where;
                continue;
            }
            EXPECT_EQ(result.intervalGaps[f], IntervalGap::None) << where << " class " << f;
            EXPECT_EQ(result.confidence[f].low, reference::literalQuantile(means, 0.025)) << where << " class " << f;
            EXPECT_EQ(result.confidence[f].high, reference::literalQuantile(means, 0.975)) << where << " class " << f;
        }
    }
}

TEST(AutocorrelationSignificance, BootstrapIntervalsFollowTheLiteralResamplesOfEveryDataType)
{
    for (const DataType type : {DataType::Codominant, DataType::Genotypes, DataType::Sequences}) {
        reference::RandomTableRecipe recipe;
        recipe.samples = 16;
        recipe.loci = 7;
        recipe.missingRate = 0.0;
        recipe.seed = 3 + static_cast<std::uint32_t>(type);
        expectLiteralBootstrap(reference::randomSampleTable(type, recipe), type, 4, 60,
                               "data type " + std::to_string(static_cast<int>(type)));
    }
}

// Observation 1 has only its first locus: without that locus among the draws, its pairs have no
// distance, which (2/3)^3 of the resamples do.
SampleTable firstObservationWithOneLocus()
{
    return tableOf({{"1\\2", "0\\0", "0\\0"},
                    {"1\\1", "2\\2", "1\\3"},
                    {"2\\2", "1\\2", "3\\3"},
                    {"1\\2", "1\\1", "1\\1"},
                    {"2\\2", "2\\2", "1\\3"},
                    {"1\\1", "1\\2", "3\\3"},
                    {"1\\2", "2\\2", "1\\1"}});
}

TEST(AutocorrelationSignificance, AResampleThatLeavesAPairWithoutACommonLocusIsLeftOut)
{
    const SampleTable table = firstObservationWithOneLocus();
    AutocorrelationSettings settings;
    settings.classCount = 2;
    settings.permutations.count = 9;
    settings.classMode = ClassMode::EqualCounts;
    RandomUniform random(5, 8);
    AutocorrelationResult result =
        ComputeAutocorrelation(BuildGeneticDistances(table, DataType::Codominant).square(),
                               BuildGeographicDistances(table, false).square(), settings, random, RunListener::none());
    BootstrapClassIntervals(result, table, DataType::Codominant, 40, random, RunListener::none());
    EXPECT_LT(result.usableResamples, 40);
    EXPECT_GT(result.usableResamples, 10);
    expectLiteralBootstrap(table, DataType::Codominant, 2, 40, "missing loci");
}

TEST(AutocorrelationSignificance, TheResamplesGiveTheSameIntervalsOnAnyCountOfThreadsAndProcesses)
{
    // More resamples than one batch holds, some of them without a distance for every pair: each
    // must keep its place among the others whichever thread or process computed it.
    const SampleTable missing = firstObservationWithOneLocus();
    reference::RandomTableRecipe recipe;
    recipe.samples = 20;
    recipe.loci = 9;
    recipe.seed = 41;
    const SampleTable sequences = reference::randomSampleTable(DataType::Sequences, recipe);
    struct Case {
        int threads;
        int processes;
    };
    for (const Case c : {Case{2, 1}, Case{3, 1}, Case{1, 2}, Case{2, 3}, Case{4, 5}}) {
        expectLiteralBootstrap(missing, DataType::Codominant, 2, 150, "missing loci", c.threads, c.processes);
        expectLiteralBootstrap(sequences, DataType::Sequences, 3, 70, "sequences", c.threads, c.processes);
    }
}

TEST(AutocorrelationSignificance, OneLocusGivesNoIntervalAndSaysWhy)
{
    // Every resample of a single locus is that locus: each class's Ay takes one value only.
    const SampleTable table = tableOf({{"1\\2"}, {"1\\1"}, {"2\\2"}, {"1\\2"}, {"2\\2"}, {"1\\1"}, {"1\\3"}, {"3\\3"}});
    AutocorrelationSettings settings;
    settings.classCount = 3;
    settings.permutations.count = 9;
    settings.classMode = ClassMode::EqualCounts;
    RandomUniform random(5, 8);
    AutocorrelationResult result =
        ComputeAutocorrelation(BuildGeneticDistances(table, DataType::Codominant).square(),
                               BuildGeographicDistances(table, false).square(), settings, random, RunListener::none());
    BootstrapClassIntervals(result, table, DataType::Codominant, 25, random, RunListener::none());
    EXPECT_EQ(result.usableResamples, 25);
    EXPECT_EQ(result.intervalGaps, std::vector<IntervalGap>(3, IntervalGap::TooFewDistinctValues));

    // A table without loci has nothing to resample.
    SampleTable empty = table;
    empty.locusCount = 0;
    empty.genotypes.clear();
    BootstrapClassIntervals(result, empty, DataType::Codominant, 25, random, RunListener::none());
    EXPECT_EQ(result.intervalGaps, std::vector<IntervalGap>(3, IntervalGap::NothingToResample));
    BootstrapClassIntervals(result, table, DataType::Codominant, 0, random, RunListener::none());
    EXPECT_EQ(result.intervalGaps, std::vector<IntervalGap>(3, IntervalGap::BootstrapOff));
}

TEST(AutocorrelationSignificance, BootstrapCountsOutOfRangeAreRefusedBeforeAnythingIsRead)
{
    AutocorrelationInput input;
    input.coordinatePath = "no-such-coordinates.txt";
    input.genotypePath = "no-such-genotypes.txt";
    for (const long long resamples : {-1LL, kMostBootstrapResamples + 1}) {
        input.settings.bootstrapResamples = resamples;
        RandomUniform random(1, 1);
        try {
            RunAutocorrelation(input, random, RunListener::none());
            ADD_FAILURE() << resamples << " resamples ran";
        } catch (const AnalysisError& error) {
            EXPECT_NE(std::string(error.what()).find("bootstrap resamples must be from 0 to 100000"), std::string::npos)
                << error.what();
        }
    }
}

std::filesystem::path example(const char* folder, const char* file)
{
    return std::filesystem::path(TESSALOC_EXAMPLES_DIR) / folder / file;
}

AutocorrelationInput microsatellites(long long resamples, int threads)
{
    AutocorrelationInput input;
    input.coordinatePath = example("microsatellites", "coordinates.txt").string();
    input.genotypePath = example("microsatellites", "genotypes.txt").string();
    input.settings.permutations.count = 199;
    input.settings.permutations.threads = threads;
    input.settings.bootstrapResamples = resamples;
    return input;
}

TEST(AutocorrelationSignificance, TheBootstrapLeavesTheReportAndTheTestsAsTheyWere)
{
    RandomUniform without(321, 654);
    const AutocorrelationResult plain = RunAutocorrelation(microsatellites(0, 0), without, RunListener::none());
    RandomUniform with(321, 654);
    const AutocorrelationResult bootstrapped = RunAutocorrelation(microsatellites(200, 0), with, RunListener::none());
    EXPECT_EQ(AutocorrelationReport(bootstrapped), AutocorrelationReport(plain));
    EXPECT_EQ(bootstrapped.envelope.size(), plain.envelope.size());
    for (size_t f = 0; f < plain.envelope.size(); ++f) {
        EXPECT_EQ(bootstrapped.envelope[f].low, plain.envelope[f].low);
        EXPECT_EQ(bootstrapped.holmP[f], plain.holmP[f]);
        EXPECT_EQ(bootstrapped.correlogram.p[f], plain.correlogram.p[f]);
    }
    // The example misses some genotypes: a few resamples leave a pair without a common locus.
    EXPECT_EQ(bootstrapped.bootstrapResamples, 200);
    EXPECT_GT(bootstrapped.usableResamples, 150);
    EXPECT_LE(bootstrapped.usableResamples, 200);
    EXPECT_NE(with.state1(), without.state1()) << "the resamples draw after the permutation test";
}

TEST(AutocorrelationSignificance, ASeedReproducesTheWholeRunForAnyThreadCount)
{
    std::string first;
    for (const int threads : {1, 2, 0}) {
        RandomUniform random(97, 89);
        const AutocorrelationResult result =
            RunAutocorrelation(microsatellites(50, threads), random, RunListener::none());
        const std::string table = AutocorrelationClassTable(result);
        if (first.empty())
            first = table;
        EXPECT_EQ(table, first) << threads << " threads";
    }
}

// Cancels once the bootstrap has shown its first progress.
class CancelAtResamples : public RunListener {
public:
    void status(std::string_view text) override { m_cancel = m_cancel || text.starts_with("Resample: "); }
    bool cancelled() const override { return m_cancel; }

private:
    bool m_cancel = false;
};

TEST(AutocorrelationSignificance, CancellingDuringTheBootstrapStopsTheRun)
{
    CancelAtResamples listener;
    RandomUniform random(97, 89);
    EXPECT_THROW(RunAutocorrelation(microsatellites(1000, 0), random, listener), RunCancelled);
}

} // namespace
} // namespace tessaloc
