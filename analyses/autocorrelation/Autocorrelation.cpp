#include "analyses/autocorrelation/Autocorrelation.h"

#include "core/DistanceCodes.h"
#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/LocusResampling.h"
#include "core/NumberText.h"
#include "core/ParallelRows.h"
#include "core/PermutedRows.h"
#include "core/ProcessGroup.h"
#include "core/ThreadCount.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>

namespace tessaloc {
namespace {

void requireClassCount(long long classCount)
{
    if (classCount < 1)
        throw AnalysisError("the number of distance classes must be at least 1 (" + std::to_string(classCount) +
                            " given)");
    if (classCount > std::numeric_limits<std::int32_t>::max())
        throw AnalysisError("the number of distance classes must not exceed 2147483647 (" + std::to_string(classCount) +
                            " given)");
}

void requireBootstrapResamples(long long resamples)
{
    if (resamples < 0 || resamples > kMostBootstrapResamples)
        throw AnalysisError("the number of bootstrap resamples must be from 0 to " +
                            std::to_string(kMostBootstrapResamples) + " (" + std::to_string(resamples) + " given)");
}

void checkSettings(const AutocorrelationSettings& settings)
{
    requirePermutationCount(settings.permutations);
    requireClassCount(settings.classCount);
    requireBootstrapResamples(settings.bootstrapResamples);
}

long long pairCount(int n)
{
    return static_cast<long long>(n) * (n - 1) / 2;
}

// The class of every pair i < j, in the order i ascending, then j ascending; the value K marks a
// pair that lies in no class (only possible when a distance is so large that adding 1 to it changes
// nothing). The limits must be in ascending order, which they are whenever K <= P: then the upper
// limits are k x w for a fixed w >= 0, or sorted distances at nondecreasing positions.
std::vector<std::uint32_t> classOfPairs(const SquareMatrix& geographic, const ClassLimits& limits)
{
    const int n = geographic.size();
    const auto& upper = limits.upper;
    if (!std::is_sorted(upper.begin(), upper.end()))
        throw AnalysisError("the distance class limits are not in ascending order");
    const auto none = static_cast<std::uint32_t>(upper.size());
    std::vector<std::uint32_t> classes;
    classes.reserve(static_cast<size_t>(pairCount(n)));
    for (int i = 0; i < n - 1; ++i) {
        const double* row = geographic.row(i);
        for (int j = i + 1; j < n; ++j) {
            const double d = row[j];
            // The first class whose upper limit lies above d; its lower limit is the upper limit of
            // the class before, which does not lie above d.
            const size_t f = static_cast<size_t>(std::upper_bound(upper.begin(), upper.end(), d) - upper.begin());
            const bool member = f < upper.size() && limits.lower[f] <= d;
            classes.push_back(member ? static_cast<std::uint32_t>(f) : none);
        }
    }
    return classes;
}

// The pairs of each row i (the pairs (i, j), j > i) grouped by class: runs of one class each, in
// ascending class order, each run's columns j ascending. Adding a row run by run still gives every
// class its pairs in pair order, and a run's sum can stay in a register.
template <typename Column> struct RowRuns {
    std::vector<Column> columns;          ///< j of every pair, row by row, run by run
    std::vector<std::uint32_t> runClass;  ///< class of each run (K for pairs in no class)
    std::vector<std::uint32_t> runLength; ///< pairs of each run
    std::vector<size_t> rowEnd;           ///< one past the last run of each row

    RowRuns(int n, const std::vector<std::uint32_t>& classes)
    {
        columns.reserve(classes.size());
        rowEnd.reserve(static_cast<size_t>(n));
        std::vector<std::uint64_t> keys;
        size_t pair = 0;
        for (int i = 0; i < n - 1; ++i) {
            keys.clear();
            for (int j = i + 1; j < n; ++j)
                keys.push_back(static_cast<std::uint64_t>(classes[pair++]) << 32 | static_cast<std::uint32_t>(j));
            std::sort(keys.begin(), keys.end());
            for (size_t k = 0; k < keys.size(); ++k) {
                const auto c = static_cast<std::uint32_t>(keys[k] >> 32);
                if (k == 0 || c != runClass.back()) {
                    runClass.push_back(c);
                    runLength.push_back(0);
                }
                ++runLength.back();
                columns.push_back(static_cast<Column>(keys[k] & 0xFFFFFFFFu));
            }
            rowEnd.push_back(runClass.size());
        }
    }
};

// The class sums of four rearranged genetic matrices at once: every pair (i, j) adds G(p(i), p(j))
// to its class's sum, rows in order and within a row class by class, so each class's sum receives
// its pairs in pair order and equals the sum over the rearranged matrix bit for bit. `sums` holds
// K + 1 classes (the last for pairs in no class) of four lanes each and must be zero on entry. A
// run's four sums stay in registers while its columns are read.
constexpr size_t kLanes = PermutationRunner::kGroupSize;

template <typename Genetic, typename Column>
void classSums(const Genetic& genetic, const RowRuns<Column>& runs, const std::int32_t* const* p, double* sums)
{
    const int n = genetic.size();
    const auto lanes = permutedLanes(genetic, p);
    const Column* column = runs.columns.data();
    size_t run = 0;
    for (int i = 0; i < n - 1; ++i) {
        const auto rows = lanes.row(i);
        for (const size_t rowEnd = runs.rowEnd[static_cast<size_t>(i)]; run < rowEnd; ++run) {
            double* s = sums + static_cast<size_t>(runs.runClass[run]) * kLanes;
            double s0 = s[0], s1 = s[1], s2 = s[2], s3 = s[3];
            for (const Column* end = column + runs.runLength[run]; column < end; ++column)
                rows.add(*column, s0, s1, s2, s3);
            s[0] = s0;
            s[1] = s1;
            s[2] = s2;
            s[3] = s3;
        }
    }
}

// The Mantel correlogram from the distogram and its tail counts. With M the membership of class f (0
// in the class, 1 outside) over the P pairs, sum (M - mean M)(G - Gbar) = n(f) (Gbar - Ay(f)) and
// sum (M - mean M)^2 = n(f) (P - n(f)) / P, so r = n(f) (Gbar - Ay(f)) / sqrt(that x Sgg). Relabelling
// the observations changes neither Gbar nor Sgg, so r is a strictly decreasing function of Ay within
// a class: a replicate's r* >= r exactly when its Ay* <= Ay. The tails of r are the tails of Ay the
// other way round.
MantelCorrelogram mantelCorrelogram(const AutocorrelationResult& result, long long pairs, double sumOfSquares,
                                    bool complete)
{
    const DistogramResult& distogram = result.distogram;
    const size_t k = static_cast<size_t>(distogram.classCount);
    MantelCorrelogram correlogram;
    for (size_t f = 0; f < k; ++f) {
        const long long inClass = result.pairCounts[f];
        double r = std::numeric_limits<double>::quiet_NaN();
        double p = r;
        if (sumOfSquares > 0.0 && inClass < pairs) {
            const double membershipSquares =
                static_cast<double>(inClass) * static_cast<double>(pairs - inClass) / static_cast<double>(pairs);
            r = static_cast<double>(inClass) * (distogram.meanGeneticDistance - distogram.ay[f]) /
                std::sqrt(membershipSquares * sumOfSquares);
            // In the direction of r's sign: at least r for a positive r, at most r otherwise.
            // The observed arrangement is one of the N! of complete enumeration, one more replicate
            // otherwise.
            p = TailProbability(r > 0.0 ? result.lowerTailCounts[f] : result.upperTailCounts[f], result.permutations,
                                complete ? ObservedArrangement::NotCounted : ObservedArrangement::AddedToCounts);
        }
        correlogram.r.push_back(r);
        correlogram.p.push_back(p);
    }
    correlogram.holmP = ProgressiveHolm(correlogram.p);
    return correlogram;
}

// The observed statistics and the permutation test, with columns of the width `Column`.
template <typename Column>
void runClasses(const SquareMatrix& genetic, const SquareMatrix& geographic, const ClassLimits& limits,
                PermutationRunner& runner, RandomUniform& random, RunListener& listener, AutocorrelationResult& result)
{
    const int n = genetic.size();
    const int k = static_cast<int>(limits.upper.size());
    std::vector<std::uint32_t> classes = classOfPairs(geographic, limits);

    // Observed sums in pair order: each class's sum and the sum over all pairs.
    std::vector<double> sums(static_cast<size_t>(k) + 1, 0.0);
    std::vector<long long> counts(static_cast<size_t>(k) + 1, 0);
    double total = 0.0;
    size_t pair = 0;
    for (int i = 0; i < n - 1; ++i) {
        const double* row = genetic.row(i);
        for (int j = i + 1; j < n; ++j) {
            const std::uint32_t c = classes[pair++];
            sums[c] += row[j];
            ++counts[c];
            total += row[j];
        }
    }

    DistogramResult& distogram = result.distogram;
    distogram.classCount = k;
    distogram.lowerLimit = limits.lower;
    distogram.upperLimit = limits.upper;
    distogram.ay.assign(static_cast<size_t>(k), 0.0);
    result.pairCounts.assign(counts.begin(), counts.begin() + k);
    for (int f = 0; f < k; ++f) {
        if (counts[f] == 0)
            throw AnalysisError("distance class " + std::to_string(f + 1) + " (from " + plainText(limits.lower[f]) +
                                " to " + plainText(limits.upper[f]) + ") holds no pair");
        distogram.ay[f] = sums[f] / static_cast<double>(counts[f]);
    }
    const double gbar = requireFinite(total / static_cast<double>(pairCount(n)), "the mean genetic distance");
    distogram.meanGeneticDistance = gbar;
    // The genetic distances' sum of squares about their mean, for the Mantel correlogram.
    double sumOfSquares = 0.0;
    for (int i = 0; i < n - 1; ++i) {
        const double* row = genetic.row(i);
        for (int j = i + 1; j < n; ++j)
            sumOfSquares += (row[j] - gbar) * (row[j] - gbar);
    }

    // V over the classes in order; the divisor is K.
    auto rootMeanSquare = [&](auto&& ayOf) {
        double squares = 0.0;
        for (int f = 0; f < k; ++f) {
            const double deviation = ayOf(f) - gbar;
            squares += deviation * deviation;
        }
        return std::sqrt(squares / static_cast<double>(k));
    };
    const std::vector<double>& ay = distogram.ay;
    const std::vector<double> pairsPerClass(counts.begin(), counts.begin() + k);
    result.v = rootMeanSquare([&](int f) { return ay[f]; });

    if (runner.replicates() == 0)
        throw AnalysisError("the probabilities are undefined without permutations (0 permutations given)");

    const RowRuns<Column> runs(n, classes);
    const DistanceCodes codes(genetic);
    classes = {};
    // Per replicate slot, every class's Ay* and then V*; the replicates' tails and envelopes are
    // counted from them in replicate order.
    const size_t statistics = static_cast<size_t>(k) + 1;
    std::vector<double> replicateValues(statistics * static_cast<size_t>(runner.batchCapacity()));
    // Class f's tails and envelope at f, V's at K.
    std::vector<TailCounts> tails(statistics);
    std::vector<BandOfValues> envelopes(statistics, BandOfValues(runner.replicates()));
    const double v = result.v;
    runner.run(
        random, listener, "Rep: ",
        [&](const std::int32_t* const* permutationsOfGroup, int count, int firstSlot) {
            thread_local std::vector<double> laneSums;
            laneSums.assign((static_cast<size_t>(k) + 1) * kLanes, 0.0);
            withPermutedLanes(codes, genetic, permutationsOfGroup, count, [&](const auto& values, const auto* lanes) {
                classSums(values, runs, lanes, laneSums.data());
            });
            for (int lane = 0; lane < count; ++lane) {
                double* values = replicateValues.data() + statistics * static_cast<size_t>(firstSlot + lane);
                for (int f = 0; f < k; ++f)
                    values[f] =
                        laneSums[static_cast<size_t>(f) * kLanes + static_cast<size_t>(lane)] / pairsPerClass[f];
                values[k] = rootMeanSquare([values](int f) { return values[f]; });
            }
        },
        [&](int, int slot) {
            const double* values = replicateValues.data() + statistics * static_cast<size_t>(slot);
            for (size_t f = 0; f < static_cast<size_t>(k); ++f)
                tails[f].add(values[f], ay[f]);
            tails[static_cast<size_t>(k)].add(values[k], v);
            for (size_t s = 0; s < statistics; ++s)
                envelopes[s].add(values[s]);
        },
        [&](ProcessGroup& group) {
            shareTailCounts(group, tails);
            shareBands(group, envelopes);
        });

    // The observed arrangement is not counted among the replicates.
    const long long replicates = runner.replicates();
    for (size_t f = 0; f < static_cast<size_t>(k); ++f) {
        result.upperTailCounts.push_back(tails[f].atLeast);
        result.lowerTailCounts.push_back(tails[f].atMost);
        const TailProbabilities p = TailProbability(tails[f], replicates, ObservedArrangement::NotCounted);
        result.upperTailP.push_back(p.atLeast);
        result.lowerTailP.push_back(p.atMost);
        result.twoSidedP.push_back(TwoSidedProbability(p.atLeast, p.atMost));
        result.envelope.push_back(envelopes[f].band());
    }
    result.vCount = tails[static_cast<size_t>(k)].atLeast;
    result.vP = TailProbability(result.vCount, replicates, ObservedArrangement::NotCounted);
    result.holmP = ProgressiveHolm(result.twoSidedP);
    result.vEnvelope = envelopes[static_cast<size_t>(k)].band();
    // No intervals until a bootstrap adds them.
    result.confidence.assign(static_cast<size_t>(k), Band{});
    result.intervalGaps.assign(static_cast<size_t>(k), IntervalGap::BootstrapOff);
    result.correlogram =
        mantelCorrelogram(result, pairCount(n), sumOfSquares, runner.record().scheme == PermutationScheme::Complete);
}

} // namespace

ClassLimits DistanceClassLimits(const SquareMatrix& geographic, int classCount, ClassMode mode)
{
    const int n = geographic.size();
    if (n < 2)
        throw AnalysisError("distance classes need at least two observations (" + std::to_string(n) + " given)");
    requireClassCount(classCount);
    const size_t k = static_cast<size_t>(classCount);
    ClassLimits limits;
    limits.lower.resize(k);
    limits.upper.resize(k);

    if (mode == ClassMode::EqualCounts) {
        const long long pairs = pairCount(n);
        // S(0) stays 0; S(1..P) are the pair distances in ascending order.
        std::vector<double> sorted;
        sorted.reserve(static_cast<size_t>(pairs) + 1);
        sorted.push_back(0.0);
        for (int i = 0; i < n - 1; ++i)
            for (int j = i + 1; j < n; ++j)
                sorted.push_back(geographic(i, j));
        std::sort(sorted.begin() + 1, sorted.end());
        const long long q = pairs / classCount;
        for (long long l = 1; l < classCount; ++l)
            limits.upper[l - 1] = sorted[static_cast<size_t>(l % 2 == 1 ? l * q + 1 : l * q)];
        limits.upper[k - 1] = sorted[static_cast<size_t>(pairs)] + 1.0;
        limits.lower[0] = 0.0;
        for (size_t f = 1; f < k; ++f)
            limits.lower[f] = limits.upper[f - 1];
        return limits;
    }

    double dmax = 0.0;
    for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j)
            if (geographic(i, j) > dmax)
                dmax = geographic(i, j);
    const double width = dmax / static_cast<double>(classCount);
    for (size_t f = 0; f < k; ++f) {
        limits.upper[f] = static_cast<double>(f + 1) * width;
        limits.lower[f] = static_cast<double>(f) * width;
    }
    limits.upper[k - 1] += 1.0;
    return limits;
}

AutocorrelationResult ComputeAutocorrelation(SquareMatrix genetic, SquareMatrix geographic,
                                             const AutocorrelationSettings& settings, RandomUniform& random,
                                             RunListener& listener)
{
    checkSettings(settings);
    const int n = genetic.size();
    if (n < 2)
        throw AnalysisError("spatial autocorrelation needs at least two observations (" + std::to_string(n) +
                            " given)");
    // More classes than pairs leave some class without a pair; the limits would not even be ordered.
    if (settings.classCount > pairCount(n))
        throw AnalysisError(std::to_string(settings.classCount) + " distance classes for " +
                            std::to_string(pairCount(n)) + " pairs leave a class with no pair");
    const int k = static_cast<int>(settings.classCount);
    PermutationRunner runner(n, settings.permutations, ObservedArrangement::NotCounted);
    const ClassLimits limits = DistanceClassLimits(geographic, k, settings.classMode);

    AutocorrelationResult result;
    result.classMode = settings.classMode;
    result.permutations = runner.replicates();
    result.permutationScheme = runner.record();
    // Columns are read once per pair and replicate: 16 bits wherever they fit.
    if (n <= 65536)
        runClasses<std::uint16_t>(genetic, geographic, limits, runner, random, listener, result);
    else
        runClasses<std::uint32_t>(genetic, geographic, limits, runner, random, listener, result);
    result.genetic = std::move(genetic);
    result.geographic = std::move(geographic);
    return result;
}

namespace {

// The threads that compute resamples side by side, as many as their distance matrices (one per
// thread at a time, each pair a double) allow (workingCopiesAtOnce), and the resamples of a batch: a
// few per thread, so that a cancellation is seen within a few resamples' time.
struct ResampleBatching {
    int threads;
    int capacity;
};

ResampleBatching resampleBatching(int observations, int threads)
{
    const double matrixBytes = static_cast<double>(PackedDistances::pairCount(observations)) * sizeof(double);
    const int threadCount = workingCopiesAtOnce(matrixBytes, threads);
    return {threadCount, threadCount == 1 ? 1 : 4 * threadCount};
}

// What the bootstrap needs of a finished run, and where each resample's outcome goes: per
// resample, 1 when every pair had a distance (else 0), then each class's mean.
struct ResampleOutcomes {
    const SampleTable& table;
    DataType dataType;
    const std::vector<std::uint32_t>& classOfPair;
    const std::vector<long long>& pairCounts;
    size_t classCount;
    std::vector<double> values;

    size_t stride() const { return classCount + 1; }
    double* of(long long resample) { return values.data() + static_cast<size_t>(resample) * stride(); }

    void compute(const std::vector<int>& drawn, double* outcome) const
    {
        PackedDistances genetic;
        try {
            genetic = BuildGeneticDistances(ResampledTable(table, dataType, drawn), dataType);
        } catch (const DataProblem&) {
            // A pair without a common locus among the drawn ones has no distance in this resample.
            return;
        }
        outcome[0] = 1.0;
        // Each class's sum in pair order, as the observed Ay is summed; the pairs are stored in
        // that order.
        std::vector<double> sums(classCount + 1, 0.0);
        const std::vector<double>& pairs = genetic.values();
        for (size_t pair = 0; pair < pairs.size(); ++pair)
            sums[classOfPair[pair]] += pairs[pair];
        for (size_t f = 0; f < classCount; ++f)
            outcome[f + 1] = sums[f] / static_cast<double>(pairCounts[f]);
    }
};

// Resamples first+1 .. end (1-based), drawing their loci from `random` one resample after another
// and computing them side by side in batches.
void computeResamples(ResampleOutcomes& outcomes, int units, long long first, long long end, int threads,
                      RandomUniform& random, RunListener& listener)
{
    // The distances of these resamples are this process's own work, not to be shared row by row.
    const WorkAlone alone;
    const ResampleBatching batching = resampleBatching(outcomes.table.sampleCount(), threads);
    std::vector<std::vector<int>> draws(static_cast<size_t>(batching.capacity));
    std::vector<std::exception_ptr> failures(static_cast<size_t>(batching.capacity));
    for (long long batch = first; batch < end; batch += batching.capacity) {
        listener.throwIfCancelled();
        const int count = static_cast<int>(std::min<long long>(batching.capacity, end - batch));
        for (int slot = 0; slot < count; ++slot)
            draws[static_cast<size_t>(slot)] = DrawResample(units, random);
        auto resampleAt = [&](int slot) {
            const size_t s = static_cast<size_t>(slot);
            failures[s] = nullptr;
            try {
                outcomes.compute(draws[s], outcomes.of(batch + slot));
            } catch (...) {
                failures[s] = std::current_exception();
            }
        };
        // One resample at a time spreads its distances over the cores instead.
        if (batching.threads == 1) {
            for (int slot = 0; slot < count; ++slot)
                resampleAt(slot);
        } else {
            forEachItemOnThreads(count, batching.threads, resampleAt);
        }
        for (int slot = 0; slot < count; ++slot) {
            if (failures[static_cast<size_t>(slot)])
                std::rethrow_exception(failures[static_cast<size_t>(slot)]);
            const long long resample = batch + slot + 1;
            if (resample % 10 == 0)
                listener.status(replicateStatus("Resample: ", static_cast<int>(resample)));
        }
    }
}

} // namespace

void BootstrapClassIntervals(AutocorrelationResult& result, const SampleTable& table, DataType dataType,
                             long long resamples, RandomUniform& random, RunListener& listener, int threads)
{
    requireBootstrapResamples(resamples);
    const DistogramResult& distogram = result.distogram;
    const size_t k = static_cast<size_t>(distogram.classCount);
    result.bootstrapResamples = resamples;
    result.usableResamples = 0;
    result.confidence.assign(k, Band{});
    const int units = ResampledUnitCount(table, dataType);
    IntervalGap gap = resamples == 0 ? IntervalGap::BootstrapOff
                      : units < 1    ? IntervalGap::NothingToResample
                                     : IntervalGap::None;
    std::vector<std::vector<double>> values(k);
    if (gap == IntervalGap::None) {
        const std::vector<std::uint32_t> classes =
            classOfPairs(result.geographic, ClassLimits{distogram.lowerLimit, distogram.upperLimit});
        ResampleOutcomes outcomes{table, dataType, classes, result.pairCounts, k, {}};
        outcomes.values.assign(static_cast<size_t>(resamples) * outcomes.stride(), 0.0);

        // With several processes each computes a contiguous block of resamples. Every process makes
        // every draw, in order, so that each block gets the loci a single process would draw for it
        // and every generator ends where a single process's would.
        ProcessGroup* group = sharingProcessGroup();
        const OwnBlock block = ownBlock(static_cast<size_t>(resamples), group);
        const auto first = static_cast<long long>(block.first);
        const auto end = static_cast<long long>(block.end);
        for (long long resample = 0; resample < first; ++resample)
            DrawResample(units, random);
        computeResamples(outcomes, units, first, end, threads, random, listener);
        for (long long resample = end; resample < resamples; ++resample)
            DrawResample(units, random);
        if (group && group->count() > 1)
            group->shareBlocks(reinterpret_cast<std::byte*>(outcomes.values.data()), outcomes.stride() * sizeof(double),
                               block.starts);

        for (long long resample = 0; resample < resamples; ++resample) {
            const double* outcome = outcomes.of(resample);
            if (outcome[0] == 0.0)
                continue;
            ++result.usableResamples;
            for (size_t f = 0; f < k; ++f)
                values[f].push_back(outcome[f + 1]);
        }
        if (result.usableResamples == 0)
            gap = IntervalGap::NoUsableResample;
    }
    result.intervalGaps.assign(k, gap);
    if (gap != IntervalGap::None)
        return;
    for (size_t f = 0; f < k; ++f) {
        if (DistinctValues(values[f], 2) < 2)
            result.intervalGaps[f] = IntervalGap::TooFewDistinctValues;
        else
            result.confidence[f] = QuantileBand(std::move(values[f]));
    }
}

AutocorrelationResult RunAutocorrelation(const AutocorrelationInput& input, RandomUniform& random,
                                         RunListener& listener)
{
    checkSettings(input.settings);
    ReadingSteps steps;
    steps.readingStatus = "Calculating";
    AnalysisData data = ReadAnalysisData(input, listener, steps);

    AutocorrelationResult result = ComputeAutocorrelation(
        takeSquare(std::move(data.genetic)), takeSquare(std::move(data.geographic)), input.settings, random, listener);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.dataType = input.dataType;
    result.geoDistances = input.geoDistances;
    // After the permutation test, so that its draws and the report stay those of a run without it.
    BootstrapClassIntervals(result, data.table, input.dataType, input.settings.bootstrapResamples, random, listener,
                            input.settings.permutations.threads);
    return result;
}

} // namespace tessaloc
