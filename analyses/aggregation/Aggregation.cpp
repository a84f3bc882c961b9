#include "analyses/aggregation/Aggregation.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "core/GeographicRanges.h"
#include "core/NumberText.h"
#include "core/ParallelRows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <unordered_map>

namespace tessaloc {
namespace {

// Every observation's neighbours sorted once by their distance in the original arrangement.
//
// A relabelling p puts observation i's data at location p(i), so the distance between observations i
// and j becomes D(p(i), p(j)). The nearest other bearer of i's category is then found by walking the
// list of location p(i) and asking, for each location m, whether the observation now standing there
// bears the category. The first one found lies at the smallest distance there is, whatever order the
// sort gave to equal distances, so the distance is the very value a list re-sorted for the relabelled
// matrix yields.
//
// Each list keeps its distances beside it, in list order: a walk then reads the distance where it
// stops instead of a far-away entry of the matrix, which the lists replace.
class NeighbourLists {
public:
    explicit NeighbourLists(const SquareMatrix& distances)
        : m_stride(static_cast<size_t>(distances.size() - 1))
        , m_neighbours(static_cast<size_t>(distances.size()) * m_stride)
        , m_distances(m_neighbours.size())
    {
        const int n = distances.size();
        forEachRowInParallel(n, [&](int location) {
            const size_t start = static_cast<size_t>(location) * m_stride;
            std::int32_t* list = m_neighbours.data() + start;
            std::int32_t* out = list;
            for (int other = 0; other < n; ++other) {
                if (other != location)
                    *out++ = other;
            }
            const double* row = distances.row(location);
            std::sort(list, out,
                      [row](std::int32_t a, std::int32_t b) { return row[a] < row[b] || (row[a] == row[b] && a < b); });
            for (size_t k = 0; k < m_stride; ++k)
                m_distances[start + k] = row[list[k]];
        });
    }

    /// The other locations by increasing distance from `location`.
    const std::int32_t* list(int location) const
    {
        return m_neighbours.data() + static_cast<size_t>(location) * m_stride;
    }
    /// The distance to the location at `entry`, a pointer into one of the lists.
    double distanceAt(const std::int32_t* entry) const
    {
        return m_distances[static_cast<size_t>(entry - m_neighbours.data())];
    }
    /// The distance from `location` to its nearest other location.
    double nearest(int location) const { return m_distances[static_cast<size_t>(location) * m_stride]; }

private:
    size_t m_stride;
    std::vector<std::int32_t> m_neighbours;
    std::vector<double> m_distances;
};

// A category whose bearers are walked: one with at least two bearers.
struct WalkedCategory {
    int locus;
    int category;
    double bearers;
    double expected; // 1 / (2 sqrt(bearers / A))
    bool included;   // its locus has at least two categories
};

// The categories of every locus and what the walks need of them.
struct CategoryTable {
    // categoryOf[locus][observation]: the category's position in the locus's list, or -1 (missing).
    std::vector<std::vector<std::int32_t>> categoryOf;
    // walkCodes[observation * loci + locus]: the index into `walked` of the observation's category
    // there, or -1 when its text is a missing code or its category has a single bearer.
    std::vector<std::int32_t> walkCodes;
    size_t loci = 0;
    std::vector<WalkedCategory> walked;
};

CategoryTable collectCategories(const SampleTable& table, DataType dataType, std::vector<LocusResult>& loci)
{
    const int n = table.sampleCount();
    CategoryTable categories;
    loci.assign(static_cast<size_t>(table.locusCount), {});
    categories.categoryOf.assign(static_cast<size_t>(table.locusCount),
                                 std::vector<std::int32_t>(static_cast<size_t>(n), -1));
    for (int locus = 0; locus < table.locusCount; ++locus) {
        std::unordered_map<std::string, std::int32_t> position;
        std::vector<CategoryResult>& list = loci[locus].categories;
        for (int i = 0; i < n; ++i) {
            const std::string& field = table.genotype(locus, i);
            if (IsMissingCode(dataType, field))
                continue;
            const auto [it, inserted] = position.try_emplace(field, static_cast<std::int32_t>(list.size()));
            if (inserted) {
                CategoryResult category;
                category.text = " " + field + " ";
                category.label = category.text;
                list.push_back(std::move(category));
            }
            ++list[it->second].bearerCount;
            categories.categoryOf[locus][i] = it->second;
        }
    }
    return categories;
}

void prepareWalks(CategoryTable& categories, const std::vector<LocusResult>& loci, double area)
{
    const size_t n = categories.categoryOf.empty() ? 0 : categories.categoryOf[0].size();
    categories.loci = loci.size();
    categories.walkCodes.assign(n * loci.size(), -1);
    for (size_t locus = 0; locus < loci.size(); ++locus) {
        const std::vector<CategoryResult>& list = loci[locus].categories;
        std::vector<std::int32_t> walkedIndex(list.size(), -1);
        for (size_t c = 0; c < list.size(); ++c) {
            if (!list[c].computed())
                continue;
            const double bearers = list[c].bearerCount;
            const double expected = 1.0 / (2.0 * std::sqrt(bearers / area));
            walkedIndex[c] = static_cast<std::int32_t>(categories.walked.size());
            categories.walked.push_back({static_cast<int>(locus), static_cast<int>(c), bearers,
                                         requireFinite(expected, "the expected nearest-bearer distance"),
                                         !loci[locus].invariant()});
        }
        for (size_t i = 0; i < n; ++i) {
            const std::int32_t code = categories.categoryOf[locus][i];
            if (code >= 0)
                categories.walkCodes[i * loci.size() + locus] = walkedIndex[static_cast<size_t>(code)];
        }
    }
}

// Nearest-bearer sums of every walked category for one arrangement p of the observations
// (observation i at location p[i]). Each sum adds its bearers' distances in observation order. The
// walks of one observation at every locus follow each other, so its list's head stays in the cache.
void nearestBearerSums(const NeighbourLists& lists, const CategoryTable& categories, int n, const std::int32_t* p,
                       double* sums)
{
    const size_t loci = categories.loci;
    const size_t count = static_cast<size_t>(n);
    // codeAt[locus * n + m]: the walk code of the observation whose data now stand at location m.
    thread_local std::vector<std::int32_t> observationAt;
    thread_local std::vector<std::int32_t> codeAt;
    observationAt.resize(count);
    codeAt.resize(loci * count);
    for (size_t i = 0; i < count; ++i)
        observationAt[static_cast<size_t>(p[i])] = static_cast<std::int32_t>(i);
    for (size_t m = 0; m < count; ++m) {
        const std::int32_t* codes = categories.walkCodes.data() + static_cast<size_t>(observationAt[m]) * loci;
        for (size_t locus = 0; locus < loci; ++locus)
            codeAt[locus * count + m] = codes[locus];
    }
    std::fill(sums, sums + categories.walked.size(), 0.0);

    for (size_t i = 0; i < count; ++i) {
        const std::int32_t location = p[i];
        const std::int32_t* list = lists.list(location);
        const std::int32_t* codes = categories.walkCodes.data() + i * loci;
        for (size_t locus = 0; locus < loci; ++locus) {
            const std::int32_t c = codes[locus];
            if (c < 0)
                continue;
            // Another bearer exists, so the walk ends within the list.
            const std::int32_t* at = codeAt.data() + locus * count;
            const std::int32_t* neighbour = list;
            while (at[*neighbour] != c)
                ++neighbour;
            sums[c] += lists.distanceAt(neighbour);
        }
    }
}

double categoryRj(double sum, const WalkedCategory& category)
{
    return sum / category.bearers / category.expected;
}

// Sequence data: the distinct sequences of the first locus get the codes " 1", " 2", ... in order of
// first appearance, and every category of every locus is labelled with the code of its sequence.
void labelSequences(const SampleTable& table, const CategoryTable& categories, AggregationResult& result)
{
    if (result.loci.empty())
        return;
    std::unordered_map<std::string, std::string> codeOf;
    const std::vector<CategoryResult>& first = result.loci[0].categories;
    for (size_t k = 0; k < first.size(); ++k) {
        SequenceEntry entry;
        entry.code = printForm(static_cast<long long>(k + 1));
        entry.sequence = first[k].text;
        codeOf.emplace(entry.sequence, entry.code);
        result.sequences.push_back(std::move(entry));
    }
    for (int i = 0; i < table.sampleCount(); ++i) {
        const std::int32_t k = categories.categoryOf[0][static_cast<size_t>(i)];
        if (k >= 0)
            result.sequences[static_cast<size_t>(k)].names.push_back(table.names[static_cast<size_t>(i)]);
    }
    for (size_t locus = 0; locus < result.loci.size(); ++locus) {
        for (CategoryResult& category : result.loci[locus].categories) {
            const auto it = codeOf.find(category.text);
            if (it == codeOf.end())
                throw AnalysisError("the sequence" + category.text + "of locus " + std::to_string(locus + 1) +
                                    " does not occur at locus 1, so it has no sequence code");
            category.label = it->second;
        }
    }
}

} // namespace

bool IsMissingCode(DataType dataType, const std::string& field)
{
    switch (dataType) {
    case DataType::Codominant:
        return field == "0\\0";
    case DataType::Genotypes:
        return field == "0" || field == "0\\0";
    case DataType::Sequences:
        return false;
    }
    return false;
}

AggregationResult ComputeAggregation(const SampleTable& table, DataType dataType, bool useLatLong,
                                     const AggregationSettings& settings, RandomUniform& random, RunListener& listener)
{
    requirePermutationCount(settings.permutations);
    const int n = table.sampleCount();
    if (n < 2)
        throw AnalysisError("the aggregation analysis needs at least 2 observations, " + std::to_string(n) + " given");
    PermutationRunner runner(n, settings.permutations, ObservedArrangement::NotCounted);

    AggregationResult result;
    result.dataType = dataType;
    result.sampleCount = n;
    result.permutations = runner.replicates();
    result.permutationScheme = runner.record();
    // The distance matrix is needed only to sort the lists, which keep every distance themselves;
    // they read it row by row.
    const NeighbourLists lists(takeSquare(BuildGeographicDistances(table, useLatLong)));

    // The bounding rectangle; with latitude/longitude its sides are measured in kilometres, like
    // every distance of the analysis.
    std::vector<double> x(static_cast<size_t>(n));
    std::vector<double> y(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        x[static_cast<size_t>(i)] = table.coordinateX(i);
        y[static_cast<size_t>(i)] = table.coordinateY(i);
    }
    const auto [minX, maxX] = std::minmax_element(x.begin(), x.end());
    const auto [minY, maxY] = std::minmax_element(y.begin(), y.end());
    const GeographicRanges ranges = ComputeGeographicRanges(*minX, *maxX, *minY, *maxY, useLatLong);
    result.dx = ranges.RangeX;
    result.dy = ranges.RangeY;
    // Points on one horizontal line spread along a line, not over an area.
    result.oneDimensional = result.dy == 0.0;
    if (result.oneDimensional)
        result.dy = 1.0;

    // R: the aggregation of the sampled points themselves.
    double nearestSum = 0.0;
    for (int i = 0; i < n; ++i)
        nearestSum += lists.nearest(i);
    result.meanNearestNeighbour = nearestSum / n;
    result.area = settings.areaMode == AreaMode::Empirical ? settings.empiricalArea : result.dx * result.dy;
    if (result.area == 0.0)
        throw AnalysisError(
            settings.areaMode == AreaMode::Empirical
                ? "the empirical area is 0"
                : "the area of the bounding rectangle is 0 (all observations lie on one vertical line)");
    const double density = requireFinite(n / result.area, "the density of sampled points");
    result.expectedNearestNeighbour = result.oneDimensional ? 1.0 / (2.0 * density) : 1.0 / (2.0 * std::sqrt(density));
    result.r = requireFinite(result.meanNearestNeighbour / result.expectedNearestNeighbour, "R");

    // Observed Rj of every category with at least two bearers, and Rave over the included ones.
    CategoryTable categories = collectCategories(table, dataType, result.loci);
    prepareWalks(categories, result.loci, result.area);
    const size_t walkedCount = categories.walked.size();
    std::vector<std::int32_t> identity(static_cast<size_t>(n));
    std::iota(identity.begin(), identity.end(), 0);
    std::vector<double> sums(walkedCount);
    nearestBearerSums(lists, categories, n, identity.data(), sums.data());
    std::vector<double> observedRj(walkedCount);
    double raveSum = 0.0;
    for (size_t w = 0; w < walkedCount; ++w) {
        const WalkedCategory& walked = categories.walked[w];
        CategoryResult& category =
            result.loci[static_cast<size_t>(walked.locus)].categories[static_cast<size_t>(walked.category)];
        category.meanNearestDistance = sums[w] / walked.bearers;
        category.rj = requireFinite(categoryRj(sums[w], walked), "Rj");
        observedRj[w] = category.rj;
        if (walked.included) {
            raveSum += category.rj;
            ++result.includedCategories;
        }
    }
    if (result.includedCategories == 0)
        throw AnalysisError("Rave is undefined: no category has two or more bearers at a locus with two or more "
                            "categories");
    result.rave = raveSum / result.includedCategories;

    if (dataType == DataType::Sequences)
        labelSequences(table, categories, result);
    if (runner.replicates() == 0)
        throw AnalysisError("the probabilities are undefined with 0 permutations");

    // The permutations, evaluated in parallel. A replicate keeps only the tail outcome of each of its
    // Rj values against the observed one, and of its Rave against the observed Rave (last); they are
    // counted in order.
    TailOutcomes outcomes(walkedCount + 1, runner.batchCapacity());
    std::vector<TailCounts> categoryTails(walkedCount);
    TailCounts raveTails;
    runner.run(
        random, listener, "Replicate:",
        [&](const std::int32_t* const* permutations, int count, int firstSlot) {
            thread_local std::vector<double> replicateSums;
            replicateSums.resize(walkedCount);
            for (int lane = 0; lane < count; ++lane) {
                const int slot = firstSlot + lane;
                nearestBearerSums(lists, categories, n, permutations[lane], replicateSums.data());
                double sum = 0.0;
                for (size_t w = 0; w < walkedCount; ++w) {
                    const double rj = categoryRj(replicateSums[w], categories.walked[w]);
                    outcomes.set(slot, w, compareTails(rj, observedRj[w]));
                    if (categories.walked[w].included)
                        sum += rj;
                }
                outcomes.set(slot, walkedCount, compareTails(sum / result.includedCategories, result.rave));
            }
        },
        [&](int, int slot) {
            for (size_t w = 0; w < walkedCount; ++w)
                categoryTails[w].add(outcomes.get(slot, w));
            raveTails.add(outcomes.get(slot, walkedCount));
        },
        [&](ProcessGroup& group) {
            shareTailCounts(group, categoryTails);
            shareTailCounts(group, {&raveTails, 1});
        });
    result.raveCount = raveTails.atMost;

    // The observed arrangement is not counted among the replicates.
    const long long replicates = runner.replicates();
    for (size_t w = 0; w < walkedCount; ++w) {
        const WalkedCategory& walked = categories.walked[w];
        CategoryResult& category =
            result.loci[static_cast<size_t>(walked.locus)].categories[static_cast<size_t>(walked.category)];
        category.upperCount = categoryTails[w].atLeast;
        category.lowerCount = categoryTails[w].atMost;
        const TailProbabilities p = TailProbability(categoryTails[w], replicates, ObservedArrangement::NotCounted);
        category.pUpper = p.atLeast;
        category.pLower = p.atMost;
    }
    result.pRave = TailProbability(result.raveCount, replicates, ObservedArrangement::NotCounted);
    return result;
}

AggregationResult RunAggregation(const AggregationInput& input, RandomUniform& random, RunListener& listener)
{
    requirePermutationCount(input.settings.permutations);
    // Genotype texts are compared, not distances; the geographic distances are built by the analysis.
    ReadingSteps steps;
    steps.readingStatus = {};
    steps.geographic = false;
    steps.genetic = false;
    const AnalysisData data = ReadAnalysisData(input, listener, steps);
    AggregationResult result =
        ComputeAggregation(data.table, input.dataType, input.useLatLong, input.settings, random, listener);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    return result;
}

} // namespace tessaloc
