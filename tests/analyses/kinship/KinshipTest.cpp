// The analysis against the definitions: class means, regressions, Sp and Nb from the literal
// pairwise values; the jackknife against reruns without each locus; the permutation test against
// every arrangement counted literally; the classes and the bad inputs.

#include "analyses/kinship/Kinship.h"
#include "tests/analyses/kinship/KinshipTestData.h"

#include "core/Errors.h"
#include "tests/support/DataProblems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace tessaloc {
namespace {

using testing::CompleteTable;
using testing::MixedTable;

KinshipSettings boundsSettings(std::vector<double> bounds, long long permutations = 0)
{
    KinshipSettings settings;
    settings.classBounds = std::move(bounds);
    settings.permutations.count = permutations;
    return settings;
}

KinshipResult run(const SampleTable& table, const SquareMatrix& geographic, const KinshipSettings& settings,
                  DataType dataType = DataType::Codominant)
{
    RandomUniform random(1, 1);
    return ComputeKinship(table, dataType, geographic, settings, random, RunListener::none());
}

void expectClose(double actual, double expected, const std::string& what)
{
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << what;
        return;
    }
    EXPECT_NEAR(actual, expected, 1e-11 * std::max(1.0, std::abs(expected))) << what;
}

TEST(Kinship, StatisticsMatchTheDefinitions)
{
    const MixedTable data;
    const KinshipResult result = run(data.table, data.geographic, boundsSettings({2.0, 4.5, 7.0}));
    ASSERT_EQ(result.rows.size(), 4u); // the largest distance (9.22) exceeds the last bound
    const reference::LiteralStatistics expected =
        reference::literalStatistics(reference::literalKinship(data.table, DataType::Codominant),
                                     reference::literalRousset(data.table), data.geographic, result.classes);
    for (size_t c = 0; c < 4; ++c) {
        expectClose(result.rows[c].kinship.estimate, expected.kinshipMeans[c], "F of class " + std::to_string(c + 1));
        expectClose(result.rows[c].rousset.estimate, expected.roussetMeans[c], "a of class " + std::to_string(c + 1));
    }
    expectClose(result.bLin.estimate, expected.bLin, "b_lin");
    expectClose(result.bLog.estimate, expected.bLog, "b_log");
    expectClose(result.f1.estimate, expected.f1, "F1");
    expectClose(result.sp.estimate, expected.sp, "Sp");
    expectClose(result.aSlope.estimate, expected.aSlope, "a slope");
    expectClose(result.nb.estimate, expected.nb, "Nb");
    // Individuals 1 and 2 share a location: their pair is left out of the regressions on ln d.
    EXPECT_EQ(result.zeroDistancePairs, 1);
}

TEST(Kinship, ClassRowsCountPairsAndMeanDistances)
{
    const MixedTable data;
    const KinshipResult result = run(data.table, data.geographic, boundsSettings({2.0, 4.5, 7.0}));
    long long total = 0;
    for (size_t c = 0; c < result.rows.size(); ++c) {
        long long pairs = 0;
        double sum = 0.0;
        for (int i = 0; i < 8; ++i)
            for (int j = i + 1; j < 8; ++j) {
                const double d = data.geographic(i, j);
                const double lower = c == 0 ? -1.0 : result.rows[c].lower;
                if (d > lower && d <= result.rows[c].upper) {
                    ++pairs;
                    sum += d;
                }
            }
        EXPECT_EQ(result.rows[c].pairs, pairs) << c;
        expectClose(result.rows[c].meanDistance, sum / static_cast<double>(pairs), "mean distance");
        total += pairs;
    }
    EXPECT_EQ(total, 28);
}

// The jackknife's SE from reruns of the whole analysis on the table without each polymorphic locus.
double rerunError(double estimate, const std::vector<double>& leftOut)
{
    std::vector<double> pseudo;
    for (const double v : leftOut)
        if (std::isfinite(v))
            pseudo.push_back(v);
    const double k = static_cast<double>(pseudo.size());
    if (pseudo.size() < 2)
        return std::nan("");
    for (double& v : pseudo)
        v = k * estimate - (k - 1.0) * v;
    const double mean = std::accumulate(pseudo.begin(), pseudo.end(), 0.0) / k;
    double squares = 0.0;
    for (const double v : pseudo)
        squares += (v - mean) * (v - mean);
    return std::sqrt(squares / (k * (k - 1.0)));
}

TEST(Kinship, JackknifeEqualsRerunsWithoutEachLocus)
{
    const MixedTable data;
    const KinshipSettings settings = boundsSettings({2.0, 4.5, 7.0});
    const KinshipResult result = run(data.table, data.geographic, settings);
    EXPECT_EQ(result.jackknifeLoci, 3); // the monomorphic locus is not among them
    std::vector<KinshipResult> reruns;
    KinshipSettings plain = settings;
    plain.jackknife = false;
    for (const int locus : {0, 1, 3})
        reruns.push_back(run(reference::withoutLocus(data.table, locus), data.geographic, plain));
    auto check = [&](auto pick, const std::string& what) {
        std::vector<double> leftOut;
        for (const KinshipResult& rerun : reruns)
            leftOut.push_back(pick(rerun).estimate);
        expectClose(pick(result).jackknifeSe, rerunError(pick(result).estimate, leftOut), what);
    };
    for (size_t c = 0; c < result.rows.size(); ++c) {
        check([c](const KinshipResult& r) { return r.rows[c].kinship; }, "SE of F, class " + std::to_string(c + 1));
        check([c](const KinshipResult& r) { return r.rows[c].rousset; }, "SE of a, class " + std::to_string(c + 1));
    }
    check([](const KinshipResult& r) { return r.bLin; }, "SE of b_lin");
    check([](const KinshipResult& r) { return r.bLog; }, "SE of b_log");
    check([](const KinshipResult& r) { return r.f1; }, "SE of F1");
    check([](const KinshipResult& r) { return r.sp; }, "SE of Sp");
    check([](const KinshipResult& r) { return r.aSlope; }, "SE of the a slope");
    check([](const KinshipResult& r) { return r.nb; }, "SE of Nb");
}

TEST(Kinship, JackknifeOfAPairThatLosesItsOnlyLocus)
{
    // Individual 1 is defined at locus 1 only: without it, its pairs have no value at all.
    const SampleTable table = reference::kinshipTable({{"1\\2", "0\\0", "5\\6"},
                                                       {"1\\1", "3\\4", "5\\5"},
                                                       {"2\\2", "3\\3", "6\\6"},
                                                       {"1\\2", "4\\4", "5\\6"},
                                                       {"2\\2", "3\\4", "6\\6"}},
                                                      {0, 1, 2, 4, 7}, {0, 1, 0, 2, 1});
    std::vector<double> x{0, 1, 2, 4, 7};
    std::vector<double> y{0, 1, 0, 2, 1};
    const SquareMatrix geographic = testing::planarDistances(x, y);
    const KinshipSettings settings = boundsSettings({2.5});
    const KinshipResult result = run(table, geographic, settings);
    std::vector<KinshipResult> reruns;
    for (const int locus : {0, 1, 2})
        reruns.push_back(run(reference::withoutLocus(table, locus), geographic, settings));
    for (size_t c = 0; c < result.rows.size(); ++c) {
        std::vector<double> leftOut;
        for (const KinshipResult& rerun : reruns)
            leftOut.push_back(rerun.rows[c].kinship.estimate);
        expectClose(result.rows[c].kinship.jackknifeSe, rerunError(result.rows[c].kinship.estimate, leftOut),
                    "SE of F, class " + std::to_string(c + 1));
    }
    std::vector<double> leftOut;
    for (const KinshipResult& rerun : reruns)
        leftOut.push_back(rerun.bLog.estimate);
    expectClose(result.bLog.jackknifeSe, rerunError(result.bLog.estimate, leftOut), "SE of b_log");
}

// Every arrangement of the individuals' values over the fixed locations, counted the literal way:
// the class means summed pair by pair in pair order, the slopes by the textbook formula.
struct LiteralCounts {
    std::vector<long long> atLeast, atMost;
    long long arrangements = 0;
};

LiteralCounts countArrangements(const KinshipResult& result)
{
    const SquareMatrix& f = result.kinshipCoefficients;
    const SquareMatrix& a = result.roussetCoefficients;
    const int n = f.size();
    const size_t k = result.rows.size();
    auto statistics = [&](const std::vector<int>& p) {
        SquareMatrix fp(n);
        SquareMatrix ap(n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                fp(i, j) = f(p[static_cast<size_t>(i)], p[static_cast<size_t>(j)]);
                if (a.size() == n)
                    ap(i, j) = a(p[static_cast<size_t>(i)], p[static_cast<size_t>(j)]);
            }
        const reference::LiteralStatistics s =
            reference::literalStatistics(fp, a.size() == n ? ap : SquareMatrix{}, result.geographic, result.classes);
        std::vector<double> values = s.kinshipMeans;
        values.push_back(s.bLin);
        values.push_back(s.bLog);
        values.push_back(s.aSlope);
        return values;
    };
    std::vector<int> p(static_cast<size_t>(n));
    std::iota(p.begin(), p.end(), 0);
    const std::vector<double> observed = statistics(p);
    LiteralCounts counts;
    counts.atLeast.assign(k + 3, 0);
    counts.atMost.assign(k + 3, 0);
    do {
        const std::vector<double> values = statistics(p);
        for (size_t t = 0; t < k + 3; ++t) {
            counts.atLeast[t] += values[t] >= observed[t];
            counts.atMost[t] += values[t] <= observed[t];
        }
        ++counts.arrangements;
    } while (std::next_permutation(p.begin(), p.end()));
    return counts;
}

void expectCompleteEnumeration(const SampleTable& table, const SquareMatrix& geographic, std::vector<double> bounds)
{
    KinshipSettings settings = boundsSettings(std::move(bounds));
    settings.permutations.scheme = PermutationScheme::Complete;
    const KinshipResult result = run(table, geographic, settings);
    const LiteralCounts counts = countArrangements(result);
    const double all = static_cast<double>(counts.arrangements);
    ASSERT_EQ(result.permutations + 1, counts.arrangements);
    const size_t k = result.rows.size();
    std::vector<double> twoSided;
    for (size_t c = 0; c < k; ++c) {
        const KinshipEstimate& e = result.rows[c].kinship;
        EXPECT_EQ(e.pLower, static_cast<double>(counts.atMost[c]) / all) << "class " << c + 1;
        EXPECT_EQ(e.pUpper, static_cast<double>(counts.atLeast[c]) / all) << "class " << c + 1;
        EXPECT_EQ(e.pTwoSided, std::min(1.0, 2.0 * std::min(e.pLower, e.pUpper))) << "class " << c + 1;
        twoSided.push_back(e.pTwoSided);
    }
    const KinshipEstimate* slopes[] = {&result.bLin, &result.bLog, &result.aSlope};
    for (size_t s = 0; s < 3; ++s) {
        EXPECT_EQ(slopes[s]->pLower, static_cast<double>(counts.atMost[k + s]) / all) << "slope " << s;
        EXPECT_EQ(slopes[s]->pUpper, static_cast<double>(counts.atLeast[k + s]) / all) << "slope " << s;
    }
    // Holm as the autocorrelation classes have it: class c among classes 1..c.
    EXPECT_EQ(result.rows.back().pHolm, HolmAdjusted(twoSided).back());
}

TEST(Kinship, PermutationTestMatchesEveryArrangementCountedLiterally)
{
    const CompleteTable data;
    expectCompleteEnumeration(data.table, data.geographic, {1.8, 3.0});
}

TEST(Kinship, PermutationTestOfPairsWithoutValues)
{
    // Individual 1 has a single defined locus, individual 2 another: their pair has no value, and
    // the count of pairs in each class changes from one arrangement to the next.
    const CompleteTable data;
    SampleTable table = data.table;
    table.genotypes[1].set(0, "0\\0");
    table.genotypes[2].set(0, "0\\0");
    table.genotypes[0].set(1, "0\\0");
    table.genotypes[2].set(1, "0\\1");
    const KinshipResult check = run(table, data.geographic, boundsSettings({1.8, 3.0}));
    ASSERT_EQ(check.pairsWithoutKinship, 1);
    ASSERT_GT(check.pairsWithoutRousset, 0);
    expectCompleteEnumeration(table, data.geographic, {1.8, 3.0});
}

TEST(Kinship, ResultsDoNotDependOnThreads)
{
    std::mt19937 generator(3);
    std::uniform_int_distribution<int> allele(1, 5);
    std::uniform_real_distribution<double> coordinate(0.0, 100.0);
    const int n = 60;
    std::vector<std::vector<std::string>> fields(n);
    std::vector<double> x, y;
    for (int i = 0; i < n; ++i) {
        for (int l = 0; l < 7; ++l)
            fields[static_cast<size_t>(i)].push_back(std::to_string(allele(generator)) + "\\" +
                                                     std::to_string(allele(generator)));
        x.push_back(coordinate(generator));
        y.push_back(coordinate(generator));
    }
    const SampleTable table = reference::kinshipTable(fields, x, y);
    const SquareMatrix geographic = testing::planarDistances(x, y);
    KinshipSettings settings;
    settings.permutations.count = 99;
    std::string expected;
    for (const int threads : {1, 2, 3}) {
        settings.permutations.threads = threads;
        const KinshipResult result = run(table, geographic, settings);
        const std::string text = KinshipReport(result) + KinshipClassTable(result) + KinshipSummaryTable(result);
        if (expected.empty())
            expected = text;
        EXPECT_EQ(text, expected) << threads << " threads";
    }
}

struct ClassCase {
    const char* name;
    std::vector<double> bounds;
    double distance;
    int expectedClass; // 0-based
};

TEST(KinshipClasses, BoundsPlaceEachDistance)
{
    // Class c holds b(c-1) < d <= b(c); class 1 takes 0; the largest distance (10) beyond the last
    // bound makes a class of its own.
    const std::vector<ClassCase> cases = {
        {"zero in class 1", {1, 2}, 0.0, 0},
        {"on the first bound", {1, 2}, 1.0, 0},
        {"just above it", {1, 2}, std::nextafter(1.0, 2.0), 1},
        {"on the last bound", {1, 2}, 2.0, 1},
        {"beyond the last bound", {1, 2}, 10.0, 2},
    };
    const SquareMatrix geographic = testing::planarDistances({0, 10}, {0, 0});
    for (const ClassCase& c : cases) {
        KinshipSettings settings;
        settings.classBounds = c.bounds;
        const KinshipClasses classes = KinshipDistanceClasses(geographic, settings);
        ASSERT_EQ(classes.count(), 3) << c.name;
        EXPECT_EQ(classes.classOf(c.distance), c.expectedClass) << c.name;
    }
}

TEST(KinshipClasses, NoExtraClassWhenTheLastBoundReachesTheLargestDistance)
{
    KinshipSettings settings;
    settings.classBounds = {5, 10};
    EXPECT_EQ(KinshipDistanceClasses(testing::planarDistances({0, 10}, {0, 0}), settings).count(), 2);
}

TEST(KinshipClasses, EqualWidthClassesAreTheAutocorrelationClasses)
{
    const MixedTable data;
    KinshipSettings settings;
    settings.classCount = 3;
    settings.classMode = ClassMode::EqualCounts;
    const KinshipClasses classes = KinshipDistanceClasses(data.geographic, settings);
    const ClassLimits limits = DistanceClassLimits(data.geographic, 3, ClassMode::EqualCounts);
    EXPECT_EQ(classes.lower, limits.lower);
    EXPECT_EQ(classes.upper, limits.upper);
    EXPECT_FALSE(classes.upperIncluded);
}

TEST(KinshipClasses, BoundsNotPositiveOrNotIncreasingAreRefused)
{
    for (const std::vector<double>& bounds : std::vector<std::vector<double>>{
             {0.0, 1.0}, {-1.0}, {1.0, 1.0}, {2.0, 1.0}, {1.0, std::numeric_limits<double>::infinity()}})
        EXPECT_THROW(requireClassBounds(bounds), AnalysisError) << bounds.size();
    EXPECT_NO_THROW(requireClassBounds({0.5, 1.0, 1e9}));
}

TEST(Kinship, NoPolymorphicLocusIsADataProblem)
{
    const SampleTable table =
        reference::kinshipTable({{"1\\1", "0\\0"}, {"1\\1", "2\\2"}, {"0\\1", "2\\2"}}, {0, 1, 2}, {0, 0, 0});
    KinshipSettings settings;
    settings.classCount = 2;
    EXPECT_EQ(testing::dataProblemOf([&] {
                  run(table, testing::planarDistances({0, 1, 2}, {0, 0, 0}), settings);
              }),
              "No locus is polymorphic in the sample: the kinship coefficients are undefined.");
}

TEST(Kinship, OneLocusGivesItsValuesWithoutJackknife)
{
    const MixedTable data;
    const SampleTable one =
        reference::withoutLocus(reference::withoutLocus(reference::withoutLocus(data.table, 3), 2), 1);
    const KinshipResult result = run(one, data.geographic, boundsSettings({3.0}));
    EXPECT_EQ(result.jackknifeLoci, 0);
    EXPECT_TRUE(std::isfinite(result.rows[0].kinship.estimate));
    EXPECT_TRUE(std::isnan(result.rows[0].kinship.jackknifeSe));
    EXPECT_TRUE(std::isfinite(result.sp.estimate));
    EXPECT_NE(KinshipReport(result).find("No jackknife: it needs at least two polymorphic loci (1 here)"),
              std::string::npos);
}

TEST(Kinship, SequencesAreRefused)
{
    const MixedTable data;
    EXPECT_NE(testing::dataProblemOf([&] {
                  run(data.table, data.geographic, {}, DataType::Sequences);
              }).find("Sequences (data type 3) are not accepted"),
              std::string::npos);
}

TEST(Kinship, RoussetAskedOfOneCopyPerIndividualIsRefused)
{
    const SampleTable table = reference::kinshipTable({{"A"}, {"B"}, {"A"}, {"C"}}, {0, 1, 2, 3}, {0, 0, 0, 0});
    const SquareMatrix geographic = testing::planarDistances({0, 1, 2, 3}, {0, 0, 0, 0});
    KinshipSettings settings;
    settings.classCount = 2;
    settings.rousset = RoussetChoice::Yes;
    EXPECT_NE(testing::dataProblemOf([&] {
                  run(table, geographic, settings, DataType::Genotypes);
              }).find("Rousset's a needs diploid genotypes"),
              std::string::npos);
    settings.rousset = RoussetChoice::Auto;
    const KinshipResult result = run(table, geographic, settings, DataType::Genotypes);
    EXPECT_FALSE(result.rousset);
    EXPECT_TRUE(result.roussetDeclined);
    EXPECT_TRUE(std::isnan(result.nb.estimate));
}

TEST(Kinship, AClassWithoutPairsSaysSo)
{
    const CompleteTable data;
    const KinshipResult result = run(data.table, data.geographic, boundsSettings({0.5, 1.0, 6.0}));
    ASSERT_EQ(result.rows.size(), 3u);
    EXPECT_EQ(result.rows[0].pairs, 0);
    EXPECT_TRUE(std::isnan(result.rows[0].kinship.estimate));
    EXPECT_NE(KinshipReport(result).find("Class 1 (0 to 0.5) holds no pair."), std::string::npos);
}

TEST(Kinship, AllPairsInOneClassAreNoted)
{
    const CompleteTable data;
    const KinshipResult result = run(data.table, data.geographic, boundsSettings({0.1, 100.0}, 19));
    EXPECT_NE(KinshipReport(result).find("All pairs fall in one distance class"), std::string::npos);
    // The class mean is the same in every arrangement: both tails hold every replicate.
    EXPECT_EQ(result.rows[1].kinship.pTwoSided, 1.0);
}

TEST(Kinship, NoPermutationsGiveNoProbabilities)
{
    const CompleteTable data;
    const KinshipResult result = run(data.table, data.geographic, boundsSettings({2.0}, 0));
    EXPECT_TRUE(std::isnan(result.rows[0].kinship.pTwoSided));
    EXPECT_TRUE(std::isnan(result.bLog.pTwoSided));
    EXPECT_NE(KinshipReport(result).find("No permutation test (0 permutations)"), std::string::npos);
}

} // namespace
} // namespace tessaloc
