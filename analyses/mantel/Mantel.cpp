#include "analyses/mantel/Mantel.h"

#include "core/DistanceCodes.h"
#include "core/DistanceRanks.h"
#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/MatrixSums.h"
#include "core/NearMaximum.h"
#include "core/PermutedRows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessaloc {
namespace {

// Cross-product sums of four permuted arrangements at once: the sum over i < j of
// G(p(i), p(j)) x Geo(i, j), each in the fixed order i ascending, then j ascending, so every sum
// equals CrossProductSum of the rearranged matrix bit for bit. The geographic distances are read
// straight through, pair after pair.
template <typename Genetic>
void crossProductSums(const Genetic& genetic, const PackedDistances& geographic,
                      const std::int32_t* const* permutations, double* sums)
{
    const int n = geographic.size();
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    const auto lanes = permutedLanes(genetic, permutations);
    const double* geo = geographic.values().data();
    for (int i = 0; i < n - 1; ++i) {
        const auto rows = lanes.row(i);
        for (int j = i + 1; j < n; ++j)
            rows.addTimes(static_cast<size_t>(j), *geo++, s0, s1, s2, s3);
    }
    sums[0] = s0;
    sums[1] = s1;
    sums[2] = s2;
    sums[3] = s3;
}

// The replicates' tail counts with the permuted genetic matrix read from `genetic` (its codes or a
// full matrix of doubles).
template <typename Genetic>
TailCounts countTails(const Genetic& genetic, const PackedDistances& geographic, double z, PermutationRunner& runner,
                      RandomUniform& random, RunListener& listener)
{
    std::vector<double> crossProducts(static_cast<size_t>(runner.batchCapacity()));
    TailCounts tails;
    runner.run(
        random, listener, "Replicate: ",
        [&](const std::int32_t* const* permutations, int count, int firstSlot) {
            double sums[PermutationRunner::kGroupSize];
            withPermutedLanes(genetic, permutations, count, [&](const auto& values, const auto* lanes) {
                crossProductSums(values, geographic, lanes, sums);
            });
            std::copy(sums, sums + count, crossProducts.begin() + firstSlot);
        },
        [&](int, int slot) { tails.add(crossProducts[static_cast<size_t>(slot)], z); },
        [&](ProcessGroup& group) {
            shareTailCounts(group, {&tails, 1});
        });
    return tails;
}

} // namespace

void Log10DistanceTransform(PackedDistances& distances, double startingValue)
{
    std::vector<double>& pairs = distances.values();
    double smallest = startingValue;
    bool zero = false;
    for (const double d : pairs) {
        if (d > 0.0 && d <= smallest)
            smallest = d;
        if (d == 0.0)
            zero = true;
    }
    for (double& d : pairs) {
        const double transformed = zero ? std::log10(d + smallest) : std::log10(d);
        d = requireFinite(transformed, "the log10 of a distance");
    }
}

MantelResult ComputeMantel(PackedDistances genetic, PackedDistances geographic, const MantelSettings& settings,
                           RandomUniform& random, RunListener& listener)
{
    requirePermutationCount(settings.permutations);
    // The observed arrangement counts as one more replicate, so complete enumeration runs the others.
    PermutationRunner runner(genetic.size(), settings.permutations, ObservedArrangement::AddedToCounts);
    if (settings.logGeographic)
        Log10DistanceTransform(geographic, kNearMaximum15Digits);
    if (settings.logGenetic)
        Log10DistanceTransform(genetic, 10.0);
    if (settings.rank) {
        RankDistanceTransform(genetic, "the genetic distances");
        RankDistanceTransform(geographic, "the geographic distances");
    }

    MantelResult result;
    result.pairTable = settings.pairTable;
    result.rank = settings.rank;
    result.r = MatrixCorrelation(genetic, geographic);
    // Z and its replicates on the matrices scaled by powers of two when their values are too large or
    // too small for their products: that leaves the order of the sums as it was. The result keeps the
    // matrices as given.
    std::optional<PackedDistances> unscaledGenetic;
    std::optional<PackedDistances> unscaledGeographic;
    const int geneticExponent = pairScaleExponent(genetic.values());
    const int geographicExponent = pairScaleExponent(geographic.values());
    if (geneticExponent != 0) {
        unscaledGenetic = genetic;
        ScalePairs(genetic, geneticExponent);
    }
    if (geographicExponent != 0) {
        unscaledGeographic = geographic;
        ScalePairs(geographic, geographicExponent);
    }
    const double z = CrossProductSum(genetic, geographic);
    result.z = std::ldexp(z, geneticExponent + geographicExponent);
    result.permutations = runner.replicates();
    result.permutationScheme = runner.record();

    // The permuted matrix is never built: replicate k's arrangement is G(p(i), p(j)), read from
    // whole rows of G.
    if (result.permutations > 0) {
        TailCounts tails;
        // Genetic distances take few distinct values, so the pass reads them as 16-bit codes, in
        // full rows. The codes of the pairs alone stand for the doubles meanwhile, which are let go
        // while the rows exist and made again from the codes, bit for bit, afterwards: the two
        // matrices of doubles and the rows of codes are never held at once.
        PackedDistanceCodes pairCodes(genetic);
        if (pairCodes.coded() && genetic.size() <= DistanceCodes::kMostRows) {
            genetic = PackedDistances();
            {
                const DistanceCodes rows(pairCodes);
                tails = countTails(rows, geographic, z, runner, random, listener);
            }
            genetic = pairCodes.decoded();
        } else {
            tails = countTails(genetic.square(), geographic, z, runner, random, listener);
        }
        result.greaterOrEqual = tails.atLeast;
        result.lessOrEqual = tails.atMost;
    }

    const TailProbabilities p = TailProbability({result.greaterOrEqual, result.lessOrEqual}, result.permutations,
                                                ObservedArrangement::AddedToCounts);
    result.pGreaterOrEqual = p.atLeast;
    result.pLessOrEqual = p.atMost;
    result.genetic = unscaledGenetic ? std::move(*unscaledGenetic) : std::move(genetic);
    result.geographic = unscaledGeographic ? std::move(*unscaledGeographic) : std::move(geographic);
    return result;
}

MantelResult RunMantel(const MantelInput& input, RandomUniform& random, RunListener& listener)
{
    requirePermutationCount(input.settings.permutations);
    ReadingSteps steps;
    steps.readingStatus = "Calculating";
    AnalysisData data = ReadAnalysisData(input, listener, steps);

    MantelResult result =
        ComputeMantel(std::move(data.genetic), std::move(data.geographic), input.settings, random, listener);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.dataType = input.dataType;
    result.geoDistances = input.geoDistances;
    result.names = std::move(data.table.names);
    return result;
}

} // namespace tessaloc
