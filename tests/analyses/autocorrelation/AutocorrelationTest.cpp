#include "analyses/autocorrelation/Autocorrelation.h"

#include "core/Errors.h"
#include "tests/support/AllArrangements.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/RandomMatrices.h"
#include "tests/support/TempFiles.h"

#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace tessaloc {
namespace {

using testing::RecordingListener;

using testing::fromPairs;

// fromPairs for a list built at run time.
SquareMatrix fromPairList(int n, const std::vector<double>& upper)
{
    SquareMatrix m(n);
    size_t k = 0;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            m.setPair(i, j, upper[k++]);
    return m;
}

AutocorrelationSettings settingsOf(long long classCount, long long permutations, ClassMode mode)
{
    AutocorrelationSettings settings;
    settings.classCount = classCount;
    settings.permutations.count = permutations;
    settings.classMode = mode;
    return settings;
}

AutocorrelationResult run(const SquareMatrix& genetic, const SquareMatrix& geographic,
                          const AutocorrelationSettings& settings)
{
    RandomUniform random(1, 1);
    return ComputeAutocorrelation(genetic, geographic, settings, random, RunListener::none());
}

// Genetic distances that differ from pair to pair (values k/64, exact in binary).
SquareMatrix steppedGenetic(int n)
{
    std::vector<double> values;
    for (int k = 0; k < n * (n - 1) / 2; ++k)
        values.push_back(static_cast<double>((k * 37) % 64) / 64.0);
    return fromPairList(n, values);
}

TEST(DistanceClassLimits, EqualCountsWithFortyFivePairsAndFourClasses)
{
    // N = 10 gives P = 45 distinct distances 1..45 (listed out of order); q = 45 / 4 = 11, so the upper
    // limits are S(12), S(22), S(34) and S(45) + 1, which are 12, 22, 34 and 46.
    std::vector<double> distances;
    for (int k = 0; k < 45; ++k)
        distances.push_back(static_cast<double>((k * 7) % 45 + 1));
    const SquareMatrix geographic = fromPairList(10, distances);
    const ClassLimits limits = DistanceClassLimits(geographic, 4, ClassMode::EqualCounts);
    EXPECT_EQ(limits.upper, (std::vector<double>{12, 22, 34, 46}));
    EXPECT_EQ(limits.lower, (std::vector<double>{0, 12, 22, 34}));

    const AutocorrelationResult result = run(steppedGenetic(10), geographic, settingsOf(4, 3, ClassMode::EqualCounts));
    EXPECT_EQ(result.pairCounts, (std::vector<long long>{11, 10, 12, 12}));
}

TEST(DistanceClassLimits, EqualDistancesSplitDmaxIntoEqualWidths)
{
    // Dmax = 8 and K = 4: width 2, the last upper limit raised from 8 to 9.
    const SquareMatrix geographic = fromPairs(4, {1, 2, 3.5, 4, 6, 8});
    const ClassLimits limits = DistanceClassLimits(geographic, 4, ClassMode::EqualDistances);
    EXPECT_EQ(limits.lower, (std::vector<double>{0, 2, 4, 6}));
    EXPECT_EQ(limits.upper, (std::vector<double>{2, 4, 6, 9}));
}

TEST(SpatialAutocorrelation, PairAtAClassLimitBelongsToTheClassAbove)
{
    // Limits 0, 2, 4, 6, 9: the pairs at exactly 2, 4 and 6 open classes 2, 3 and 4; the pair at
    // Dmax = 8 lies in class 4.
    const SquareMatrix geographic = fromPairs(4, {1, 2, 3.5, 4, 6, 8});
    const AutocorrelationResult result =
        run(steppedGenetic(4), geographic, settingsOf(4, 2, ClassMode::EqualDistances));
    EXPECT_EQ(result.pairCounts, (std::vector<long long>{1, 2, 1, 2}));
}

TEST(SpatialAutocorrelation, TiesAtAnEqualCountsLimitAllGoUp)
{
    // P = 6, K = 2, q = 3: the limit is S(4) = 3, and all three pairs at distance 3 join class 2.
    const SquareMatrix geographic = fromPairs(4, {3, 1, 3, 5, 2, 3});
    const ClassLimits limits = DistanceClassLimits(geographic, 2, ClassMode::EqualCounts);
    EXPECT_EQ(limits.upper, (std::vector<double>{3, 6}));
    const AutocorrelationResult result = run(steppedGenetic(4), geographic, settingsOf(2, 2, ClassMode::EqualCounts));
    EXPECT_EQ(result.pairCounts, (std::vector<long long>{2, 4}));
}

TEST(SpatialAutocorrelation, ObservedStatisticsOfASmallCase)
{
    // K = 2, Dmax = 6: class 1 holds the pairs at 1 and 2 (genetic .25 and .5), class 2 the pairs at
    // 3, 4, 5, 6 (genetic .75, .5, 1, 0). By hand: Ay = .375 and .5625, Gbar = 3 / 6 = .5,
    // V = sqrt(((-.125)^2 + .0625^2) / 2) = sqrt(.009765625).
    const SquareMatrix geographic = fromPairs(4, {1, 2, 3, 4, 5, 6});
    const SquareMatrix genetic = fromPairs(4, {0.25, 0.5, 0.75, 0.5, 1.0, 0.0});
    const AutocorrelationResult result = run(genetic, geographic, settingsOf(2, 5, ClassMode::EqualDistances));
    const DistogramResult& d = result.distogram;
    EXPECT_EQ(d.classCount, 2);
    EXPECT_EQ(d.lowerLimit, (std::vector<double>{0, 3}));
    EXPECT_EQ(d.upperLimit, (std::vector<double>{3, 7}));
    EXPECT_EQ(d.ay, (std::vector<double>{0.375, 0.5625}));
    EXPECT_EQ(d.meanGeneticDistance, 0.5);
    EXPECT_EQ(result.v, std::sqrt(0.009765625));
    EXPECT_EQ(result.pairCounts, (std::vector<long long>{2, 4}));
    EXPECT_EQ(result.genetic, genetic) << "the result keeps the matrix as it was before the permutations";
    EXPECT_EQ(result.geographic, geographic);
}

TEST(SpatialAutocorrelation, TailCountsFollowTheRearrangedPair)
{
    // Class 1 holds only the pair (1, 2), whose genetic distance 1 is the only nonzero one. After a
    // replicate the pair at positions (1, 2) carries 1 exactly when observation 3 stayed in place,
    // so Ay*(1) >= Ay(1) then, and Ay*(1) <= Ay(1) always. Class 2 mirrors it.
    const SquareMatrix geographic = fromPairs(3, {1, 5, 5});
    const SquareMatrix genetic = fromPairs(3, {1, 0, 0});
    const int permutations = 40;
    RandomUniform random(17, 29);
    const AutocorrelationResult result = ComputeAutocorrelation(
        genetic, geographic, settingsOf(2, permutations, ClassMode::EqualDistances), random, RunListener::none());

    RandomUniform replay(17, 29);
    ObservationShuffle shuffle(3);
    long long inPlace = 0;
    for (int rep = 0; rep < permutations; ++rep) {
        shuffle.nextReplicate(replay);
        inPlace += shuffle.permutation()[2] == 2;
    }
    ASSERT_GT(inPlace, 0);
    ASSERT_LT(inPlace, permutations);
    EXPECT_EQ(result.upperTailCounts, (std::vector<long long>{inPlace, permutations}));
    EXPECT_EQ(result.lowerTailCounts, (std::vector<long long>{permutations, inPlace}));
    // V* equals V when the pair stayed, and is smaller (0) otherwise.
    EXPECT_EQ(result.vCount, inPlace);
    EXPECT_EQ(result.upperTailP[0], static_cast<double>(inPlace) / permutations);
    EXPECT_EQ(result.lowerTailP[0], 1.0);
    EXPECT_EQ(result.vP, static_cast<double>(inPlace) / permutations);
    EXPECT_EQ(random.state1(), replay.state1()) << "the engine draws exactly the replicates' exchanges";
    EXPECT_EQ(random.state2(), replay.state2());
}

TEST(SpatialAutocorrelation, ConstantGeneticDistancesTieInBothTails)
{
    // Every rearrangement gives Ay* = Ay and V* = V = 0: every replicate counts in every tail.
    const SquareMatrix geographic = fromPairs(4, {1, 2, 3, 4, 5, 6});
    const SquareMatrix genetic = fromPairs(4, {0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
    const AutocorrelationResult result = run(genetic, geographic, settingsOf(3, 7, ClassMode::EqualDistances));
    EXPECT_EQ(result.v, 0.0);
    EXPECT_EQ(result.upperTailP, (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(result.lowerTailP, (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(result.vP, 1.0);
}

TEST(SpatialAutocorrelation, OnePermutationGivesProbabilitiesOfZeroOrOne)
{
    std::vector<double> distances;
    for (int k = 0; k < 45; ++k)
        distances.push_back(static_cast<double>((k * 11) % 45 + 1));
    const SquareMatrix geographic = fromPairList(10, distances);
    for (const ClassMode mode : {ClassMode::EqualDistances, ClassMode::EqualCounts}) {
        const AutocorrelationResult result = run(steppedGenetic(10), geographic, settingsOf(4, 1, mode));
        for (int f = 0; f < 4; ++f) {
            const double upper = result.upperTailP[f];
            const double lower = result.lowerTailP[f];
            EXPECT_TRUE(upper == 0.0 || upper == 1.0) << upper;
            EXPECT_TRUE(lower == 0.0 || lower == 1.0) << lower;
            EXPECT_EQ(std::max(upper, lower), 1.0) << "class " << f + 1;
        }
        EXPECT_TRUE(result.vP == 0.0 || result.vP == 1.0);
    }
}

TEST(SpatialAutocorrelation, OneClassGivesVOfZero)
{
    // The single class holds every pair, so Ay(1) is Gbar summed in the same order: V = 0 exactly,
    // and every V* >= 0 counts.
    const AutocorrelationResult result =
        run(steppedGenetic(5), fromPairs(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), settingsOf(1, 9, ClassMode::EqualCounts));
    EXPECT_EQ(result.pairCounts, (std::vector<long long>{10}));
    EXPECT_EQ(result.distogram.upperLimit, (std::vector<double>{11}));
    EXPECT_EQ(result.v, 0.0);
    EXPECT_EQ(result.vP, 1.0);
}

TEST(SpatialAutocorrelation, TwoObservationsWithOneClassRun)
{
    const AutocorrelationResult result =
        run(fromPairs(2, {0.25}), fromPairs(2, {3}), settingsOf(1, 4, ClassMode::EqualDistances));
    EXPECT_EQ(result.distogram.ay, (std::vector<double>{0.25}));
    EXPECT_EQ(result.upperTailP, (std::vector<double>{1}));
}

TEST(SpatialAutocorrelation, AClassWithNoPairIsAnAnalysisError)
{
    // Width 2.5: no distance lies in [2.5, 5).
    const SquareMatrix gap = fromPairs(4, {1, 1, 1, 1, 1, 10});
    EXPECT_THROW(run(steppedGenetic(4), gap, settingsOf(4, 5, ClassMode::EqualDistances)), AnalysisError);
    // All distances tie: every limit but the last is that distance, so class 1 is empty.
    const SquareMatrix ties = fromPairs(4, {2, 2, 2, 2, 2, 2});
    EXPECT_THROW(run(steppedGenetic(4), ties, settingsOf(3, 5, ClassMode::EqualCounts)), AnalysisError);
    // More classes than pairs.
    for (const ClassMode mode : {ClassMode::EqualDistances, ClassMode::EqualCounts})
        EXPECT_THROW(run(steppedGenetic(4), fromPairs(4, {1, 2, 3, 4, 5, 6}), settingsOf(7, 5, mode)), AnalysisError);
    try {
        run(steppedGenetic(4), gap, settingsOf(4, 5, ClassMode::EqualDistances));
        FAIL() << "the second class holds no pair";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()), "distance class 2 (from 2.5 to 5) holds no pair");
    }
}

TEST(SpatialAutocorrelation, SettingsAndSizesThatLeaveNothingToTest)
{
    const SquareMatrix genetic = steppedGenetic(4);
    const SquareMatrix geographic = fromPairs(4, {1, 2, 3, 4, 5, 6});
    EXPECT_THROW(run(genetic, geographic, settingsOf(2, 0, ClassMode::EqualDistances)), AnalysisError);
    EXPECT_THROW(run(genetic, geographic, settingsOf(2, -1, ClassMode::EqualDistances)), AnalysisError);
    EXPECT_THROW(run(genetic, geographic, settingsOf(0, 10, ClassMode::EqualDistances)), AnalysisError);
    EXPECT_THROW(run(genetic, geographic, settingsOf(-3, 10, ClassMode::EqualCounts)), AnalysisError);
    EXPECT_THROW(run(SquareMatrix(1), SquareMatrix(1), settingsOf(1, 10, ClassMode::EqualCounts)), AnalysisError);
    EXPECT_THROW(run(SquareMatrix(0), SquareMatrix(0), settingsOf(1, 10, ClassMode::EqualDistances)), AnalysisError);
}

TEST(SpatialAutocorrelation, BadSettingsFailBeforeAnythingIsRead)
{
    AutocorrelationInput input;
    input.coordinatePath = "no-such-coordinates.txt";
    input.genotypePath = "no-such-genotypes.txt";
    for (const auto& [classes, permutations, word] : std::vector<std::tuple<long long, long long, std::string>>{
             {10, -1, "permutations"}, {10, -1000, "permutations"}, {0, 100, "classes"}, {-2, 100, "classes"}}) {
        input.settings.classCount = classes;
        input.settings.permutations.count = permutations;
        RandomUniform random(1, 1);
        RecordingListener listener;
        try {
            RunAutocorrelation(input, random, listener);
            FAIL() << classes << " classes, " << permutations << " permutations must fail";
        } catch (const AnalysisError& error) {
            EXPECT_NE(std::string(error.what()).find(word), std::string::npos) << error.what();
        }
        EXPECT_TRUE(listener.statuses.empty()) << "nothing was started";
    }
}

TEST(SpatialAutocorrelation, ProgressShowsEveryTenthReplicate)
{
    const SquareMatrix geographic = fromPairs(4, {1, 2, 3, 4, 5, 6});
    for (const auto& [permutations, expected] : std::vector<std::pair<int, std::vector<std::string>>>{
             {9, {}},
             {10, {"Rep:  10"}},
             {25, {"Rep:  10", "Rep:  20"}},
         }) {
        RandomUniform random(1, 1);
        RecordingListener listener;
        ComputeAutocorrelation(steppedGenetic(4), geographic, settingsOf(2, permutations, ClassMode::EqualDistances),
                               random, listener);
        EXPECT_EQ(listener.statuses, expected) << permutations << " permutations";
    }
}

TEST(SpatialAutocorrelation, CancellingStopsTheRun)
{
    RandomUniform random(1, 1);
    RecordingListener listener;
    listener.cancelAfterFirstStatus = true;
    EXPECT_THROW(ComputeAutocorrelation(steppedGenetic(6), steppedGenetic(6),
                                        settingsOf(2, 100000, ClassMode::EqualCounts), random, listener),
                 RunCancelled);
}

TEST(SpatialAutocorrelation, WholeRunReadsTheFiles)
{
    testing::TempFolder folder;
    AutocorrelationInput input;
    input.coordinatePath = folder.write("c.txt", "A,0,0\nB,3,4\nC,0,1\nD,6,8\n;\n").string();
    input.genotypePath = folder.write("g.txt", "1\nA,1\\1\nB,1\\2\nC,2\\2\nD,1\\1\n").string();
    input.settings = settingsOf(2, 20, ClassMode::EqualDistances);
    RandomUniform random(1, 1);
    RecordingListener listener;
    const AutocorrelationResult result = RunAutocorrelation(input, random, listener);
    ASSERT_FALSE(listener.statuses.empty());
    EXPECT_EQ(listener.statuses.front(), "Calculating");
    // The permutation test, then the bootstrap of the intervals (200 resamples at start).
    EXPECT_NE(std::find(listener.statuses.begin(), listener.statuses.end(), "Rep:  20"), listener.statuses.end());
    EXPECT_EQ(listener.statuses.back(), "Resample:  200");
    EXPECT_EQ(result.coordinatePath, input.coordinatePath);
    EXPECT_EQ(result.dataType, DataType::Codominant);
    // Distances 5, 1, 10, sqrt(18), 5, sqrt(74): Dmax = 10, width 5, so the pairs at exactly 5 go up.
    EXPECT_EQ(result.distogram.upperLimit, (std::vector<double>{5, 11}));
    EXPECT_EQ(result.pairCounts, (std::vector<long long>{2, 4}));
}

TEST(SpatialAutocorrelation, DataProblemsOfTheInputEndTheRunQuietly)
{
    testing::TempFolder folder;
    AutocorrelationInput input;
    input.coordinatePath = folder.write("c.txt", "A,0,0\nB,1,0\nC,0,1\n;\n").string();
    input.genotypePath = folder.write("g.txt", "1\nA,1\\1\nB,1\\2\nC,12\n").string();
    RandomUniform random(1, 1);
    try {
        RunAutocorrelation(input, random, RunListener::none());
        FAIL() << "a field without the separator must stop the run";
    } catch (const DataProblem& problem) {
        EXPECT_EQ(std::string(problem.what()), kMissingSeparatorMessage);
    }
}

TEST(SpatialAutocorrelation, ManyClassesUseWiderClassIndices)
{
    // 65535 classes need 32-bit class indices (the value K marks "no class"). N = 513 gives
    // P = 131328 pairs at the distinct distances 0..P-1, so S(m) = m - 1 and q = 2: the upper limits
    // are 2l for odd l and 2l - 1 for even l. Class 1 holds the distances 0 and 1, an even class l
    // the distance 2l - 2, an odd class l > 1 the distances 2l - 3 .. 2l - 1, and the last class
    // everything from 131067 on.
    const int n = 513;
    const int classes = 65535;
    const long long pairs = 131328;
    auto classOfDistance = [&](long long d) -> int {
        if (d < 2)
            return 1;
        const long long m = (d - 2) / 4;
        return static_cast<int>(std::min<long long>((d - 2) % 4 == 0 ? 2 + 2 * m : 3 + 2 * m, classes));
    };
    SquareMatrix geographic(n);
    SquareMatrix genetic(n);
    std::vector<long long> counts(classes, 0);
    std::vector<double> sums(classes, 0.0);
    long long k = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j, ++k) {
            const long long d = (k * 7919) % pairs; // 7919 is prime to P: every distance once
            const double g = static_cast<double>(k % 8) / 8.0;
            geographic.setPair(i, j, static_cast<double>(d));
            genetic.setPair(i, j, g);
            ++counts[classOfDistance(d) - 1];
            sums[classOfDistance(d) - 1] += g;
        }
    }
    ASSERT_EQ(counts.back(), pairs - 131067);
    const AutocorrelationResult result = run(genetic, geographic, settingsOf(classes, 2, ClassMode::EqualCounts));
    EXPECT_EQ(result.pairCounts, counts);
    for (int f = 0; f < classes; ++f)
        ASSERT_EQ(result.distogram.ay[f], sums[f] / static_cast<double>(counts[f])) << "class " << f + 1;
}

// The class means Ay of `genetic` and V over them, each class's sum taken in pair order, from the
// class of every pair i < j (in pair order).
struct Distogram {
    std::vector<double> ay;
    double v = 0.0;
};
Distogram distogramOf(const SquareMatrix& genetic, const std::vector<size_t>& classOfPair, size_t k, double gbar)
{
    std::vector<double> sums(k, 0.0);
    std::vector<double> pairs(k, 0.0);
    size_t pair = 0;
    for (int i = 0; i < genetic.size(); ++i) {
        for (int j = i + 1; j < genetic.size(); ++j) {
            sums[classOfPair[pair]] += genetic(i, j);
            pairs[classOfPair[pair]] += 1.0;
            ++pair;
        }
    }
    Distogram distogram;
    double squares = 0.0;
    for (size_t f = 0; f < k; ++f) {
        distogram.ay.push_back(sums[f] / pairs[f]);
        squares += (distogram.ay[f] - gbar) * (distogram.ay[f] - gbar);
    }
    distogram.v = std::sqrt(squares / static_cast<double>(k));
    return distogram;
}

TEST(SpatialAutocorrelation, CompleteEnumerationGivesTheProbabilitiesOfEveryArrangement)
{
    // The exact P values: shares of all N! arrangements, the observed one included, at or beyond
    // the observed Ay of each class (both tails) and V (upper tail).
    for (int n = 4; n <= 7; ++n) {
        for (const int coordinateRange : {1000, 40}) {
            const auto seed = static_cast<std::uint32_t>(100 + 10 * n + coordinateRange);
            const reference::DistanceMatrices m =
                reference::randomDistanceMatrices(DataType::Genotypes, n, seed, coordinateRange);
            const int k = n == 4 ? 2 : 3;
            const ClassLimits limits = DistanceClassLimits(m.geographic, k, ClassMode::EqualCounts);
            std::vector<size_t> classOfPair;
            double total = 0.0;
            for (int i = 0; i < n; ++i) {
                for (int j = i + 1; j < n; ++j) {
                    const double d = m.geographic(i, j);
                    size_t f = 0;
                    while (!(limits.lower[f] <= d && d < limits.upper[f]))
                        ++f;
                    classOfPair.push_back(f);
                    total += m.genetic(i, j);
                }
            }
            const double gbar = total / static_cast<double>(classOfPair.size());
            const Distogram observed = distogramOf(m.genetic, classOfPair, static_cast<size_t>(k), gbar);
            std::vector<long long> upper(static_cast<size_t>(k), 0);
            std::vector<long long> lower(static_cast<size_t>(k), 0);
            long long vCount = 0;
            long long arrangements = 0;
            testing::forEachArrangement(n, [&](const std::vector<std::int32_t>& p) {
                const Distogram replicate =
                    distogramOf(testing::rearranged(m.genetic, p), classOfPair, static_cast<size_t>(k), gbar);
                for (size_t f = 0; f < static_cast<size_t>(k); ++f) {
                    upper[f] += replicate.ay[f] >= observed.ay[f];
                    lower[f] += replicate.ay[f] <= observed.ay[f];
                }
                vCount += replicate.v >= observed.v;
                ++arrangements;
            });

            RandomUniform random(1, 1);
            // The count of 0 would be an error; complete enumeration ignores it.
            AutocorrelationSettings settings = settingsOf(k, 0, ClassMode::EqualCounts);
            settings.permutations.scheme = PermutationScheme::Complete;
            const AutocorrelationResult result =
                ComputeAutocorrelation(m.genetic, m.geographic, settings, random, RunListener::none());
            const std::string label = "N " + std::to_string(n) + ", range " + std::to_string(coordinateRange);
            ASSERT_EQ(result.distogram.ay, observed.ay) << label;
            EXPECT_EQ(result.permutations, arrangements) << label;
            EXPECT_EQ(result.permutationScheme.arrangements, arrangements) << label;
            const auto all = static_cast<double>(arrangements);
            for (size_t f = 0; f < static_cast<size_t>(k); ++f) {
                EXPECT_EQ(result.upperTailP[f], static_cast<double>(upper[f]) / all) << label << ", class " << f + 1;
                EXPECT_EQ(result.lowerTailP[f], static_cast<double>(lower[f]) / all) << label << ", class " << f + 1;
            }
            EXPECT_EQ(result.vP, static_cast<double>(vCount) / all) << label;
        }
    }
}

TEST(SpatialAutocorrelation, CompleteEnumerationRefusesTenObservationsBeforeComputing)
{
    // Twelve classes of 45 pairs would be fine; the refusal comes before the classes are built.
    const reference::DistanceMatrices m = reference::randomDistanceMatrices(DataType::Genotypes, 10, 3);
    RandomUniform random(1, 1);
    AutocorrelationSettings settings = settingsOf(12, 1000, ClassMode::EqualCounts);
    settings.permutations.scheme = PermutationScheme::Complete;
    try {
        ComputeAutocorrelation(m.genetic, m.geographic, settings, random, RunListener::none());
        FAIL() << "ten observations have 3628800 arrangements";
    } catch (const AnalysisError& error) {
        EXPECT_NE(std::string(error.what()).find("at most 9 observations"), std::string::npos) << error.what();
    }
}

} // namespace
} // namespace tessaloc
