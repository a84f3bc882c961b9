#include "analyses/kinship/Kinship.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/ParallelRows.h"
#include "core/Significance.h"
#include "core/ThreadCount.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaloc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr size_t kLanes = PermutationRunner::kGroupSize;

void checkSettings(const KinshipSettings& settings)
{
    requirePermutationCount(settings.permutations);
    if (settings.classBounds.empty()) {
        if (settings.classCount < 1 || settings.classCount > 100000)
            throw AnalysisError("the number of distance classes must be from 1 to 100000 (" +
                                std::to_string(settings.classCount) + " given)");
    } else {
        requireClassBounds(settings.classBounds);
    }
}

// Least-squares sums of one regression: pairs, sum of x, of x^2, of y, of x y, x taken about a
// fixed shift so that the sums stay small.
struct RegressionSums {
    double n = 0.0;
    double sx = 0.0;
    double sxx = 0.0;
    double sy = 0.0;
    double sxy = 0.0;

    void operator+=(const RegressionSums& o)
    {
        n += o.n;
        sx += o.sx;
        sxx += o.sxx;
        sy += o.sy;
        sxy += o.sxy;
    }
};

double slopeOf(const RegressionSums& s)
{
    if (s.n < 2.0)
        return kNaN;
    const double sxx = s.sxx - s.sx * s.sx / s.n;
    if (!(sxx > 0.0))
        return kNaN;
    return (s.sxy - s.sx * s.sy / s.n) / sxx;
}

double interceptOf(const RegressionSums& s, double shift)
{
    const double b = slopeOf(s);
    return s.sy / s.n - b * (s.sx / s.n + shift);
}

// Per pair i < j in pair order: its class, its distance and log distance about their means (the log
// 0 for co-located pairs, which `nonzero` leaves out of the regression on ln d).
struct PairLayout {
    std::vector<std::uint32_t> classOf;
    std::vector<double> x;
    std::vector<double> lx;
    std::vector<double> nonzero;
    double xShift = 0.0;
    double lxShift = 0.0;
};

PairLayout pairLayout(const SquareMatrix& geographic, const KinshipClasses& classes)
{
    const int n = geographic.size();
    PairLayout layout;
    const size_t pairs = static_cast<size_t>(n) * static_cast<size_t>(n - 1) / 2;
    layout.classOf.reserve(pairs);
    double sum = 0.0;
    double logSum = 0.0;
    long long positive = 0;
    for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j) {
            const double d = geographic(i, j);
            sum += d;
            if (d > 0.0) {
                logSum += std::log(d);
                ++positive;
            }
        }
    layout.xShift = pairs > 0 ? sum / static_cast<double>(pairs) : 0.0;
    layout.lxShift = positive > 0 ? logSum / static_cast<double>(positive) : 0.0;
    for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j) {
            const double d = geographic(i, j);
            layout.classOf.push_back(static_cast<std::uint32_t>(classes.classOf(d)));
            layout.x.push_back(d - layout.xShift);
            layout.lx.push_back(d > 0.0 ? std::log(d) - layout.lxShift : 0.0);
            layout.nonzero.push_back(d > 0.0 ? 1.0 : 0.0);
        }
    return layout;
}

// One estimator's sums over the pairs that have its value: per class (the last slot for pairs in
// no class) the sum and the count, and the regressions on d and on ln d.
struct EstimatorSums {
    std::vector<double> classSum;
    std::vector<double> classCount;
    RegressionSums linear;
    RegressionSums logarithmic;

    explicit EstimatorSums(size_t classes = 0)
        : classSum(classes + 1, 0.0)
        , classCount(classes + 1, 0.0)
    {
    }
    void operator+=(const EstimatorSums& o)
    {
        for (size_t c = 0; c < classSum.size(); ++c) {
            classSum[c] += o.classSum[c];
            classCount[c] += o.classCount[c];
        }
        linear += o.linear;
        logarithmic += o.logarithmic;
    }
    // Adds (weight 1) or removes (weight -1) a pair with value v.
    void addPair(double v, std::uint32_t c, double x, double lx, double nonzero, double weight)
    {
        classSum[c] += weight * v;
        classCount[c] += weight;
        linear.n += weight;
        linear.sx += weight * x;
        linear.sxx += weight * x * x;
        linear.sy += weight * v;
        linear.sxy += weight * v * x;
        logarithmic.n += weight * nonzero;
        logarithmic.sx += weight * lx;
        logarithmic.sxx += weight * lx * lx;
        logarithmic.sy += weight * v * nonzero;
        logarithmic.sxy += weight * v * lx;
    }
    // Changes the value of a pair by delta.
    void changePair(double delta, std::uint32_t c, double x, double lx, double nonzero)
    {
        classSum[c] += delta;
        linear.sy += delta;
        linear.sxy += delta * x;
        logarithmic.sy += delta * nonzero;
        logarithmic.sxy += delta * lx;
    }
};

// The sums of the pairs with a value (NaN: none), in pair order.
EstimatorSums sumsOf(const SquareMatrix& values, const PairLayout& layout, size_t classes)
{
    EstimatorSums sums(classes);
    const int n = values.size();
    size_t pair = 0;
    for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j, ++pair) {
            const double v = values(i, j);
            if (std::isnan(v))
                continue;
            const std::uint32_t c = layout.classOf[pair];
            sums.classSum[c] += v;
            sums.classCount[c] += 1.0;
            sums.linear.n += 1.0;
            sums.linear.sx += layout.x[pair];
            sums.linear.sxx += layout.x[pair] * layout.x[pair];
            sums.linear.sy += v;
            sums.linear.sxy += v * layout.x[pair];
            sums.logarithmic.n += layout.nonzero[pair];
            sums.logarithmic.sx += layout.lx[pair];
            sums.logarithmic.sxx += layout.lx[pair] * layout.lx[pair];
            sums.logarithmic.sy += v * layout.nonzero[pair];
            sums.logarithmic.sxy += v * layout.lx[pair];
        }
    return sums;
}

// The statistics a run reports, in one vector: the K class means of F, the K of a, then these.
enum Statistic : size_t { kBLin, kBLog, kF1, kSp, kASlope, kNb, kStatistics };

std::vector<double> statisticsOf(const EstimatorSums& kinship, const EstimatorSums* rousset, size_t k)
{
    std::vector<double> values(2 * k + kStatistics, kNaN);
    for (size_t c = 0; c < k; ++c) {
        if (kinship.classCount[c] > 0.0)
            values[c] = kinship.classSum[c] / kinship.classCount[c];
        if (rousset && rousset->classCount[c] > 0.0)
            values[k + c] = rousset->classSum[c] / rousset->classCount[c];
    }
    double* s = values.data() + 2 * k;
    s[kBLin] = slopeOf(kinship.linear);
    s[kBLog] = slopeOf(kinship.logarithmic);
    s[kF1] = k > 0 ? values[0] : kNaN;
    s[kSp] = -s[kBLog] / (1.0 - s[kF1]);
    if (rousset) {
        s[kASlope] = slopeOf(rousset->logarithmic);
        s[kNb] = 1.0 / s[kASlope];
    }
    return values;
}

// The jackknife's standard error from the full estimate and the leave-one-out ones (NaN where one
// does not exist), over the loci where it does.
double jackknifeError(double estimate, const std::vector<double>& leftOut)
{
    std::vector<double> pseudo;
    for (const double value : leftOut)
        if (std::isfinite(value))
            pseudo.push_back(value);
    const double k = static_cast<double>(pseudo.size());
    if (pseudo.size() < 2 || !std::isfinite(estimate))
        return kNaN;
    double mean = 0.0;
    for (double& value : pseudo) {
        value = k * estimate - (k - 1.0) * value;
        mean += value;
    }
    mean /= k;
    double squares = 0.0;
    for (const double value : pseudo)
        squares += (value - mean) * (value - mean);
    return std::sqrt(squares / (k * (k - 1.0)));
}

// The leave-one-locus-out statistics: per polymorphic locus l, statisticsOf the run without it.
std::vector<std::vector<double>> leaveOneOut(const KinshipLoci& loci, const KinshipLoci::PairSums& kinship,
                                             const KinshipLoci::PairSums& rousset, const SquareMatrix& f,
                                             const SquareMatrix& a, const PairLayout& layout,
                                             const EstimatorSums& fSums, const EstimatorSums& aSums, size_t k,
                                             int threads, RunListener& listener)
{
    const int n = loci.sampleCount();
    const int count = loci.polymorphicCount();
    const bool withA = loci.rousset();
    std::vector<EstimatorSums> fDelta(static_cast<size_t>(count), EstimatorSums(k));
    std::vector<EstimatorSums> aDelta(static_cast<size_t>(count), EstimatorSums(k));
    // Loci in blocks, each block over every pair in pair order, so each locus's sums are the same
    // whichever thread adds them.
    const int threadCount = std::max(1, threads > 0 ? threads : defaultThreadCount());
    const int blockSize = std::clamp((count + 4 * threadCount - 1) / (4 * threadCount), 1, 64);
    const int blocks = (count + blockSize - 1) / blockSize;
    listener.status("Jackknife");
    forEachItemOnThreads(blocks, threads, [&](int block) {
        const int first = block * blockSize;
        const int end = std::min(count, first + blockSize);
        size_t pair = 0;
        for (int i = 0; i < n - 1; ++i)
            for (int j = i + 1; j < n; ++j, ++pair) {
                const std::uint32_t c = layout.classOf[pair];
                const double x = layout.x[pair];
                const double lx = layout.lx[pair];
                const double nz = layout.nonzero[pair];
                const double fij = f(i, j);
                if (!std::isnan(fij)) {
                    const double num = kinship.numerator(i, j);
                    const double den = kinship.denominator(i, j);
                    const bool last = kinship.lociOf(i, j) == 1;
                    for (int l = first; l < end; ++l) {
                        double t = 0.0;
                        double d = 0.0;
                        if (!loci.kinshipTerms(l, i, j, t, d))
                            continue;
                        EstimatorSums& delta = fDelta[static_cast<size_t>(l)];
                        if (last)
                            delta.addPair(fij, c, x, lx, nz, -1.0);
                        else
                            delta.changePair((num - t) / (den - d) - fij, c, x, lx, nz);
                    }
                }
                if (!withA)
                    continue;
                const double aij = a(i, j);
                if (std::isnan(aij))
                    continue;
                const double num = rousset.numerator(i, j);
                const double den = rousset.denominator(i, j);
                const bool last = rousset.lociOf(i, j) == 1;
                for (int l = first; l < end; ++l) {
                    double t = 0.0;
                    double d = 0.0;
                    if (!loci.roussetTerms(l, i, j, t, d))
                        continue;
                    EstimatorSums& delta = aDelta[static_cast<size_t>(l)];
                    if (last && loci.roussetCounts(l))
                        delta.addPair(aij, c, x, lx, nz, -1.0);
                    else
                        delta.changePair((num - t) / (den - d) - aij, c, x, lx, nz);
                }
            }
    });
    std::vector<std::vector<double>> values;
    values.reserve(static_cast<size_t>(count));
    for (int l = 0; l < count; ++l) {
        EstimatorSums fl = fSums;
        fl += fDelta[static_cast<size_t>(l)];
        EstimatorSums al = aSums;
        al += aDelta[static_cast<size_t>(l)];
        values.push_back(statisticsOf(fl, withA ? &al : nullptr, k));
    }
    return values;
}

// The permuted sums of four replicates at once: pair (i, j) takes the values of the individuals
// p(i), p(j), the pairs' classes and distances staying where they are. `values` hold 0 where a pair
// has no value, `present` 1 where it has one (read only when some pair has none).
struct PermutedInputs {
    const SquareMatrix* f = nullptr;
    const SquareMatrix* fPresent = nullptr;
    const SquareMatrix* a = nullptr;
    const SquareMatrix* aPresent = nullptr;
};

struct LaneSums {
    std::vector<double> classSum;   // (K + 1) x lanes
    std::vector<double> classCount; // (K + 1) x lanes
    RegressionSums linear[kLanes];
    RegressionSums logarithmic[kLanes];
    RegressionSums aLogarithmic[kLanes];
};

// The pairs of each row i (the pairs (i, j), j > i) grouped by class: runs of one class each, in
// ascending class order, each run's columns j ascending, with each pair's distance and log distance.
// Adding a row run by run still gives every class its pairs in pair order, and a run's sums stay in
// registers.
struct RowRuns {
    std::vector<std::int32_t> columns;
    std::vector<double> x;
    std::vector<double> lx;
    std::vector<double> nonzero;
    std::vector<std::uint32_t> runClass;
    std::vector<std::uint32_t> runLength;
    std::vector<size_t> rowEnd; ///< one past the last run of each row

    RowRuns(int n, const PairLayout& layout)
    {
        std::vector<std::pair<std::uint32_t, std::int32_t>> keys;
        size_t rowStart = 0;
        for (int i = 0; i < n - 1; ++i) {
            keys.clear();
            for (int j = i + 1; j < n; ++j)
                keys.emplace_back(layout.classOf[rowStart + static_cast<size_t>(j - i - 1)], j);
            std::sort(keys.begin(), keys.end());
            for (size_t k = 0; k < keys.size(); ++k) {
                const auto [c, j] = keys[k];
                if (k == 0 || c != runClass.back()) {
                    runClass.push_back(c);
                    runLength.push_back(0);
                }
                ++runLength.back();
                const size_t pair = rowStart + static_cast<size_t>(j - i - 1);
                columns.push_back(j);
                x.push_back(layout.x[pair]);
                lx.push_back(layout.lx[pair]);
                nonzero.push_back(layout.nonzero[pair]);
            }
            rowEnd.push_back(runClass.size());
            rowStart += keys.size();
        }
    }
};

template <bool General, bool WithA>
void permutedSums(const PermutedInputs& in, const RowRuns& runs, const std::int32_t* const* p, LaneSums& sums)
{
    const int n = in.f->size();
    double* classSum = sums.classSum.data();
    double* classCount = sums.classCount.data();
    // The regressions' sums of the four lanes, in locals that nothing else can reach.
    double lin[5][kLanes] = {};
    double log[5][kLanes] = {};
    double alog[5][kLanes] = {};
    size_t run = 0;
    size_t pair = 0;
    for (int i = 0; i < n - 1; ++i) {
        const double* fRow[kLanes];
        const double* fOk[kLanes] = {};
        const double* aRow[kLanes] = {};
        const double* aOk[kLanes] = {};
        const std::int32_t* q[kLanes];
        for (size_t lane = 0; lane < kLanes; ++lane) {
            const int pi = p[lane][i];
            q[lane] = p[lane];
            fRow[lane] = in.f->row(pi);
            if constexpr (General)
                fOk[lane] = in.fPresent->row(pi);
            if constexpr (WithA) {
                aRow[lane] = in.a->row(pi);
                if constexpr (General)
                    aOk[lane] = in.aPresent->row(pi);
            }
        }
        for (const size_t end = runs.rowEnd[static_cast<size_t>(i)]; run < end; ++run) {
            const size_t c = runs.runClass[run];
            double cs[kLanes];
            double cc[kLanes];
            for (size_t lane = 0; lane < kLanes; ++lane) {
                cs[lane] = classSum[c * kLanes + lane];
                cc[lane] = classCount[c * kLanes + lane];
            }
            for (const size_t stop = pair + runs.runLength[run]; pair < stop; ++pair) {
                const std::int32_t j = runs.columns[pair];
                const double x = runs.x[pair];
                const double lx = runs.lx[pair];
                const double nz = runs.nonzero[pair];
                for (size_t lane = 0; lane < kLanes; ++lane) {
                    const int pj = q[lane][j];
                    const double g = fRow[lane][pj];
                    cs[lane] += g;
                    lin[3][lane] += g;
                    lin[4][lane] += g * x;
                    log[3][lane] += g * nz;
                    log[4][lane] += g * lx;
                    if constexpr (General) {
                        const double v = fOk[lane][pj];
                        cc[lane] += v;
                        lin[0][lane] += v;
                        lin[1][lane] += v * x;
                        lin[2][lane] += v * x * x;
                        log[0][lane] += v * nz;
                        log[1][lane] += v * lx;
                        log[2][lane] += v * lx * lx;
                    }
                    if constexpr (WithA) {
                        const double h = aRow[lane][pj];
                        alog[3][lane] += h * nz;
                        alog[4][lane] += h * lx;
                        if constexpr (General) {
                            const double v = aOk[lane][pj];
                            alog[0][lane] += v * nz;
                            alog[1][lane] += v * lx;
                            alog[2][lane] += v * lx * lx;
                        }
                    }
                }
            }
            for (size_t lane = 0; lane < kLanes; ++lane) {
                classSum[c * kLanes + lane] = cs[lane];
                classCount[c * kLanes + lane] = cc[lane];
            }
        }
    }
    for (size_t lane = 0; lane < kLanes; ++lane) {
        RegressionSums* targets[3] = {&sums.linear[lane], &sums.logarithmic[lane], &sums.aLogarithmic[lane]};
        double(*sources[3])[kLanes] = {lin, log, alog};
        for (size_t r = 0; r < 3; ++r) {
            RegressionSums& t = *targets[r];
            if constexpr (General) {
                t.n = sources[r][0][lane];
                t.sx = sources[r][1][lane];
                t.sxx = sources[r][2][lane];
            }
            t.sy = sources[r][3][lane];
            t.sxy = sources[r][4][lane];
        }
    }
}

// Values with 0 where there is none, and 1 where there is one.
void splitPresent(const SquareMatrix& values, SquareMatrix& zeroed, SquareMatrix& present, bool& complete)
{
    const int n = values.size();
    zeroed = SquareMatrix(n);
    present = SquareMatrix(n);
    complete = true;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            if (i == j)
                continue;
            const double v = values(i, j);
            if (std::isnan(v)) {
                complete = false;
            } else {
                zeroed(i, j) = v;
                present(i, j) = 1.0;
            }
        }
}

SquareMatrix coefficients(const KinshipLoci::PairSums& sums, int n)
{
    SquareMatrix values(n);
    for (int i = 0; i < n; ++i)
        values(i, i) = kNaN;
    for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j)
            values.setPair(i, j, sums.lociOf(i, j) > 0 ? sums.numerator(i, j) / sums.denominator(i, j) : kNaN);
    return values;
}

long long missingPairs(const SquareMatrix& values)
{
    long long missing = 0;
    for (int i = 0; i < values.size() - 1; ++i)
        for (int j = i + 1; j < values.size(); ++j)
            missing += std::isnan(values(i, j));
    return missing;
}

} // namespace

void requireClassBounds(const std::vector<double>& bounds)
{
    for (size_t b = 0; b < bounds.size(); ++b) {
        if (!std::isfinite(bounds[b]) || bounds[b] <= 0.0)
            throw AnalysisError("the class bounds must be positive (bound " + std::to_string(b + 1) + " is " +
                                shortestText(bounds[b]) + ")");
        if (b > 0 && !(bounds[b] > bounds[b - 1]))
            throw AnalysisError("the class bounds must increase (bound " + std::to_string(b + 1) + ", " +
                                shortestText(bounds[b]) + ", does not exceed " + shortestText(bounds[b - 1]) + ")");
    }
}

int KinshipClasses::classOf(double d) const
{
    if (upperIncluded) {
        const auto f = std::lower_bound(upper.begin(), upper.end(), d) - upper.begin();
        return static_cast<int>(f);
    }
    const auto f = static_cast<size_t>(std::upper_bound(upper.begin(), upper.end(), d) - upper.begin());
    return f < upper.size() && lower[f] <= d ? static_cast<int>(f) : count();
}

KinshipClasses KinshipDistanceClasses(const SquareMatrix& geographic, const KinshipSettings& settings)
{
    KinshipClasses classes;
    if (settings.classBounds.empty()) {
        const ClassLimits limits =
            DistanceClassLimits(geographic, static_cast<int>(settings.classCount), settings.classMode);
        classes.lower = limits.lower;
        classes.upper = limits.upper;
        return classes;
    }
    requireClassBounds(settings.classBounds);
    classes.upperIncluded = true;
    double previous = 0.0;
    for (const double bound : settings.classBounds) {
        classes.lower.push_back(previous);
        classes.upper.push_back(bound);
        previous = bound;
    }
    double dmax = 0.0;
    for (int i = 0; i < geographic.size() - 1; ++i)
        for (int j = i + 1; j < geographic.size(); ++j)
            dmax = std::max(dmax, geographic(i, j));
    if (dmax > previous) {
        classes.lower.push_back(previous);
        classes.upper.push_back(dmax);
    }
    return classes;
}

SquareMatrix KinshipCoefficients(const KinshipLoci& loci)
{
    return coefficients(loci.kinshipSums(), loci.sampleCount());
}

SquareMatrix RoussetCoefficients(const KinshipLoci& loci)
{
    if (!loci.rousset())
        return {};
    return coefficients(loci.roussetSums(), loci.sampleCount());
}

KinshipResult ComputeKinship(const SampleTable& table, DataType dataType, SquareMatrix geographic,
                             const KinshipSettings& settings, RandomUniform& random, RunListener& listener)
{
    checkSettings(settings);
    if (dataType == DataType::Sequences)
        throw DataProblem("Kinship coefficients need alleles: data type 1 (diploid codominant loci) or 2 (one "
                          "gene copy per individual). Sequences (data type 3) are not accepted.");
    const int n = table.sampleCount();
    if (n < 2)
        throw AnalysisError("kinship between individuals needs at least two individuals (" + std::to_string(n) +
                            " given)");
    if (settings.rousset == RoussetChoice::Yes && dataType != DataType::Codominant)
        throw DataProblem("Rousset's a needs diploid genotypes (data type 1): with data type 2 each individual "
                          "has one gene copy per locus. Run the kinship coefficient alone.");
    if (settings.classBounds.empty() && settings.classCount > static_cast<long long>(n) * (n - 1) / 2)
        throw AnalysisError(std::to_string(settings.classCount) + " distance classes for " +
                            std::to_string(static_cast<long long>(n) * (n - 1) / 2) +
                            " pairs leave a class with no pair");
    const bool withA = dataType == DataType::Codominant && settings.rousset != RoussetChoice::No;
    PermutationRunner runner(n, settings.permutations, ObservedArrangement::AddedToCounts);

    KinshipResult result;
    result.dataType = dataType;
    result.sampleCount = n;
    result.locusCount = table.locusCount;
    result.rousset = withA;
    result.roussetDeclined = settings.rousset == RoussetChoice::Auto && !withA;
    result.classMode = settings.classMode;
    result.pairs = static_cast<long long>(n) * (n - 1) / 2;
    result.seed1 = random.state1();
    result.seed2 = random.state2();
    result.jackknifeAsked = settings.jackknife;

    listener.status("Calculating");
    const KinshipLoci loci(table, dataType, withA);
    result.polymorphicLoci = loci.polymorphicCount();
    if (result.polymorphicLoci == 0)
        throw DataProblem("No locus is polymorphic in the sample: the kinship coefficients are undefined.");
    const KinshipLoci::PairSums fPairs = loci.kinshipSums();
    listener.throwIfCancelled();
    const KinshipLoci::PairSums aPairs = withA ? loci.roussetSums() : KinshipLoci::PairSums{};
    listener.throwIfCancelled();
    SquareMatrix f = coefficients(fPairs, n);
    SquareMatrix a = withA ? coefficients(aPairs, n) : SquareMatrix{};
    result.pairsWithoutKinship = missingPairs(f);
    result.pairsWithoutRousset = withA ? missingPairs(a) : 0;

    result.classes = KinshipDistanceClasses(geographic, settings);
    const size_t k = static_cast<size_t>(result.classes.count());
    const PairLayout layout = pairLayout(geographic, result.classes);
    for (const double nz : layout.nonzero)
        result.zeroDistancePairs += nz == 0.0;

    const EstimatorSums fSums = sumsOf(f, layout, k);
    const EstimatorSums aSums = withA ? sumsOf(a, layout, k) : EstimatorSums(k);
    const std::vector<double> observed = statisticsOf(fSums, withA ? &aSums : nullptr, k);

    // Rows of the class table.
    std::vector<double> distanceSums(k + 1, 0.0);
    std::vector<long long> classPairs(k + 1, 0);
    {
        size_t pair = 0;
        for (int i = 0; i < n - 1; ++i)
            for (int j = i + 1; j < n; ++j, ++pair) {
                distanceSums[layout.classOf[pair]] += geographic(i, j);
                ++classPairs[layout.classOf[pair]];
            }
    }
    result.rows.resize(k);
    int occupied = 0;
    for (size_t c = 0; c < k; ++c) {
        KinshipClassRow& row = result.rows[c];
        row.lower = result.classes.lower[c];
        row.upper = result.classes.upper[c];
        row.pairs = classPairs[c];
        occupied += row.pairs > 0;
        if (row.pairs > 0)
            row.meanDistance = distanceSums[c] / static_cast<double>(row.pairs);
        row.kinshipPairs = static_cast<long long>(fSums.classCount[c]);
        row.kinship.estimate = observed[c];
        row.roussetPairs = static_cast<long long>(aSums.classCount[c]);
        row.rousset.estimate = observed[k + c];
        if (row.pairs == 0)
            result.notes.push_back("Class " + std::to_string(c + 1) + " (" + plainText(row.lower) + " to " +
                                   plainText(row.upper) + ") holds no pair.");
    }
    if (occupied == 1 && k > 1)
        result.notes.push_back("All pairs fall in one distance class: the class test compares nothing.");
    else if (k == 1)
        result.notes.push_back("There is one distance class: it holds every pair and its test compares nothing.");
    for (const std::string& note : result.notes)
        listener.warning(note);

    const double* s = observed.data() + 2 * k;
    result.bLin.estimate = s[kBLin];
    result.bLog.estimate = s[kBLog];
    result.f1.estimate = s[kF1];
    result.sp.estimate = s[kSp];
    result.aSlope.estimate = s[kASlope];
    result.nb.estimate = s[kNb];
    result.interceptLog = interceptOf(fSums.logarithmic, layout.lxShift);
    if (withA)
        result.aInterceptLog = interceptOf(aSums.logarithmic, layout.lxShift);

    // The jackknife over loci.
    if (settings.jackknife && loci.polymorphicCount() >= 2) {
        const std::vector<std::vector<double>> leftOut =
            leaveOneOut(loci, fPairs, aPairs, f, a, layout, fSums, aSums, k, settings.permutations.threads, listener);
        result.jackknifeLoci = loci.polymorphicCount();
        auto errorOf = [&](size_t statistic) {
            std::vector<double> values;
            for (const std::vector<double>& v : leftOut)
                values.push_back(v[statistic]);
            return jackknifeError(observed[statistic], values);
        };
        for (size_t c = 0; c < k; ++c) {
            result.rows[c].kinship.jackknifeSe = errorOf(c);
            result.rows[c].rousset.jackknifeSe = errorOf(k + c);
        }
        result.bLin.jackknifeSe = errorOf(2 * k + kBLin);
        result.bLog.jackknifeSe = errorOf(2 * k + kBLog);
        result.f1.jackknifeSe = errorOf(2 * k + kF1);
        result.sp.jackknifeSe = errorOf(2 * k + kSp);
        result.aSlope.jackknifeSe = errorOf(2 * k + kASlope);
        result.nb.jackknifeSe = errorOf(2 * k + kNb);
    }
    listener.throwIfCancelled();

    // The permutation test: locations permuted among individuals, which is the pairs' values
    // permuted by rows and columns at once.
    result.permutations = runner.replicates();
    result.permutationScheme = runner.record();
    if (runner.replicates() > 0) {
        SquareMatrix fZeroed, fPresent, aZeroed, aPresent;
        bool fComplete = true;
        bool aComplete = true;
        splitPresent(f, fZeroed, fPresent, fComplete);
        if (withA)
            splitPresent(a, aZeroed, aPresent, aComplete);
        const bool general = !fComplete || !aComplete;
        const PermutedInputs inputs{&fZeroed, &fPresent, withA ? &aZeroed : nullptr, withA ? &aPresent : nullptr};
        const RowRuns runs(n, layout);
        // Per replicate: the class means, then the slopes on d, on ln d and of a on ln d.
        const size_t statistics = k + 3;
        auto evaluate = [&](const std::int32_t* const* lanes, double* out /* kLanes x statistics */) {
            thread_local LaneSums sums;
            sums.classSum.assign((k + 1) * kLanes, 0.0);
            sums.classCount.assign((k + 1) * kLanes, 0.0);
            for (size_t lane = 0; lane < kLanes; ++lane) {
                sums.linear[lane] = sums.logarithmic[lane] = sums.aLogarithmic[lane] = RegressionSums{};
                if (!general) {
                    // Every pair has both values: the counts and the sums of x stay those observed.
                    sums.linear[lane] = fSums.linear;
                    sums.logarithmic[lane] = fSums.logarithmic;
                    sums.aLogarithmic[lane] = aSums.logarithmic;
                    sums.linear[lane].sy = sums.linear[lane].sxy = 0.0;
                    sums.logarithmic[lane].sy = sums.logarithmic[lane].sxy = 0.0;
                    sums.aLogarithmic[lane].sy = sums.aLogarithmic[lane].sxy = 0.0;
                }
            }
            if (general) {
                if (withA)
                    permutedSums<true, true>(inputs, runs, lanes, sums);
                else
                    permutedSums<true, false>(inputs, runs, lanes, sums);
            } else if (withA) {
                permutedSums<false, true>(inputs, runs, lanes, sums);
            } else {
                permutedSums<false, false>(inputs, runs, lanes, sums);
            }
            for (size_t lane = 0; lane < kLanes; ++lane) {
                double* values = out + lane * statistics;
                for (size_t c = 0; c < k; ++c) {
                    const double count = general ? sums.classCount[c * kLanes + lane] : fSums.classCount[c];
                    values[c] = count > 0.0 ? sums.classSum[c * kLanes + lane] / count : kNaN;
                }
                values[k] = slopeOf(sums.linear[lane]);
                values[k + 1] = slopeOf(sums.logarithmic[lane]);
                values[k + 2] = withA ? slopeOf(sums.aLogarithmic[lane]) : kNaN;
            }
        };
        // The observed statistics through the same sums, so that a replicate equal to the observed
        // arrangement ties with it exactly.
        std::vector<std::int32_t> identity(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            identity[static_cast<size_t>(i)] = i;
        const std::int32_t* identityLanes[kLanes] = {identity.data(), identity.data(), identity.data(),
                                                     identity.data()};
        std::vector<double> reference(kLanes * statistics);
        evaluate(identityLanes, reference.data());

        std::vector<double> replicateValues(statistics * static_cast<size_t>(runner.batchCapacity()));
        std::vector<TailCounts> tails(statistics);
        std::vector<std::vector<double>> envelopes(k);
        runner.run(
            random, listener, "Rep: ",
            [&](const std::int32_t* const* permutationsOfGroup, int count, int firstSlot) {
                const std::int32_t* lanes[kLanes];
                for (int lane = 0; lane < static_cast<int>(kLanes); ++lane)
                    lanes[lane] = permutationsOfGroup[lane < count ? lane : count - 1];
                std::vector<double> out(kLanes * statistics);
                evaluate(lanes, out.data());
                std::copy(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(statistics * count),
                          replicateValues.begin() + static_cast<std::ptrdiff_t>(statistics * firstSlot));
            },
            [&](int, int slot) {
                const double* values = replicateValues.data() + statistics * static_cast<size_t>(slot);
                for (size_t t = 0; t < statistics; ++t)
                    tails[t].add(values[t], reference[t]);
                for (size_t c = 0; c < k; ++c)
                    if (!std::isnan(values[c]))
                        envelopes[c].push_back(values[c]);
            });
        auto fill = [&](KinshipEstimate& estimate, size_t t) {
            if (std::isnan(reference[t]))
                return;
            const TailProbabilities p =
                TailProbability(tails[t], runner.replicates(), ObservedArrangement::AddedToCounts);
            estimate.pLower = p.atMost;
            estimate.pUpper = p.atLeast;
            estimate.pTwoSided = TwoSidedProbability(estimate.pUpper, estimate.pLower);
        };
        std::vector<double> twoSided;
        for (size_t c = 0; c < k; ++c) {
            fill(result.rows[c].kinship, c);
            if (!envelopes[c].empty())
                result.rows[c].envelope = QuantileBand(std::move(envelopes[c]));
            twoSided.push_back(result.rows[c].kinship.pTwoSided);
        }
        const std::vector<double> holm = ProgressiveHolm(twoSided);
        for (size_t c = 0; c < k; ++c)
            result.rows[c].pHolm = holm[c];
        fill(result.bLin, k);
        fill(result.bLog, k + 1);
        if (withA)
            fill(result.aSlope, k + 2);
    }
    result.geographic = std::move(geographic);
    result.kinshipCoefficients = std::move(f);
    result.roussetCoefficients = std::move(a);
    return result;
}

KinshipResult RunKinship(const KinshipInput& input, RandomUniform& random, RunListener& listener)
{
    checkSettings(input.settings);
    if (input.dataType == DataType::Sequences)
        throw DataProblem("Kinship coefficients need alleles: data type 1 (diploid codominant loci) or 2 (one "
                          "gene copy per individual). Sequences (data type 3) are not accepted.");
    ReadingSteps steps;
    steps.genetic = false;
    AnalysisData data = ReadAnalysisData(input, listener, steps);
    KinshipResult result = ComputeKinship(data.table, input.dataType, takeSquare(std::move(data.geographic)),
                                          input.settings, random, listener);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.geoDistances = input.geoDistances;
    return result;
}

} // namespace tessaloc
