#include "analyses/partialmantel/PartialMantel.h"

#include "core/DistanceRanks.h"
#include "core/Errors.h"
#include "core/MatrixSums.h"
#include "core/NumberText.h"
#include "core/PermutedCrossProducts.h"

#include <cmath>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace tessaloc {
namespace {

// A correlation this close to 1 comes from matrices that are exact linear functions of each other,
// up to the rounding of their sums.
constexpr double kCollinear = 1e-12;

bool collinear(double correlation)
{
    return !(1.0 - std::abs(correlation) > kCollinear);
}

std::string roleOf(std::string_view role, const std::string& name)
{
    return std::string(role) + " (" + quotedField(name) + ")";
}

} // namespace

double PartialMantelStatistic(double geneticX, double geneticZ, double geneticSquares, double xSquares, double zSquares,
                              double xZ)
{
    const double rGX = geneticX / std::sqrt(geneticSquares * xSquares);
    const double rGZ = geneticZ / std::sqrt(geneticSquares * zSquares);
    const double rXZ = xZ / std::sqrt(xSquares * zSquares);
    return (rGX - rGZ * rXZ) / std::sqrt((1.0 - rGZ * rGZ) * (1.0 - rXZ * rXZ));
}

PartialMantelResult ComputePartialMantel(PackedDistances genetic, PredictorMatrix x, PredictorMatrix z,
                                         const PartialMantelSettings& settings, RandomUniform& random,
                                         RunListener& listener)
{
    requirePermutationCount(settings.permutations);
    const int n = genetic.size();
    PermutationRunner runner(n, settings.permutations, ObservedArrangement::AddedToCounts);
    requireThreeObservations(n);
    if (x.distances.size() != n || z.distances.size() != n)
        throw DataProblem("The genetic distances, X and Z must be matrices of the same observations; they have " +
                          std::to_string(n) + ", " + std::to_string(x.distances.size()) + " and " +
                          std::to_string(z.distances.size()) + " observations.");

    PartialMantelResult result;
    const RandomUniform start = random;
    result.xName = x.name;
    result.xDescription = x.description;
    result.zName = z.name;
    result.zDescription = z.description;
    result.rank = settings.rank;
    result.pairTable = settings.pairTable;
    const std::string xRole = roleOf("X", x.name);
    const std::string zRole = roleOf("Z", z.name);
    if (settings.rank) {
        RankDistanceTransform(genetic, "the genetic distances");
        RankDistanceTransform(x.distances, xRole);
        RankDistanceTransform(z.distances, zRole);
    }

    const PairDeviations g = CenterPairs(genetic);
    const PairDeviations dx = CenterPairs(x.distances);
    const PairDeviations dz = CenterPairs(z.distances);
    requireVaryingPairs(g.sumOfSquares, "The genetic distance");
    requireVaryingPairs(dx.sumOfSquares, xRole);
    requireVaryingPairs(dz.sumOfSquares, zRole);
    const double xZ = CrossProductSum(dx.deviations, dz.deviations);
    result.xZ = xZ / std::sqrt(dx.sumOfSquares * dz.sumOfSquares);
    if (collinear(result.xZ))
        throw DataProblem(xRole + " and " + zRole + " are exactly collinear (their correlation is " +
                          formatMask(result.xZ, NumberMask::Point10) +
                          "), so no part of X is left once Z is accounted for.");

    // Only the genetic matrix moves, so each replicate changes two sums: its deviations times those of
    // X and of Z.
    PermutedCrossProducts sums(g.deviations, {&dx.deviations, &dz.deviations}, runner.batchCapacity());
    std::vector<std::int32_t> identity(static_cast<size_t>(n));
    std::iota(identity.begin(), identity.end(), 0);
    const std::vector<double> observed = sums.sumsOf(identity);
    result.geneticX = observed[0] / std::sqrt(g.sumOfSquares * dx.sumOfSquares);
    result.geneticZ = observed[1] / std::sqrt(g.sumOfSquares * dz.sumOfSquares);
    if (collinear(result.geneticZ))
        throw DataProblem("The genetic distances and " + zRole + " are exactly collinear (their correlation is " +
                          formatMask(result.geneticZ, NumberMask::Point10) +
                          "), so nothing of the genetic distances is left once Z is accounted for.");
    auto statistic = [&](const double* s) {
        return PartialMantelStatistic(s[0], s[1], g.sumOfSquares, dx.sumOfSquares, dz.sumOfSquares, xZ);
    };
    result.r = requireFinite(statistic(observed.data()), "the partial correlation");
    // The lines in the matrices' own units (the deviations are in units of 2^exponent).
    const auto lineOnZ = [&](const PairDeviations& m, double withZ) {
        PairLine line;
        line.slope = std::ldexp(withZ / dz.sumOfSquares, m.exponent - dz.exponent);
        line.intercept = std::ldexp(m.mean, m.exponent) - line.slope * std::ldexp(dz.mean, dz.exponent);
        return line;
    };
    result.geneticOnZ = lineOnZ(g, observed[1]);
    result.xOnZ = lineOnZ(dx, xZ);

    result.permutations = runner.replicates();
    result.permutationScheme = runner.record();
    TailCounts tails;
    runner.run(
        random, listener, "Replicate: ",
        [&](const std::int32_t* const* permutations, int count, int firstSlot) {
            sums.evaluate(permutations, count, firstSlot);
        },
        [&](int, int slot) { tails.add(statistic(sums.sums(slot)), result.r); },
        [&](ProcessGroup& group) {
            shareTailCounts(group, {&tails, 1});
        });
    result.seed = seedDrawnFrom(start, random);
    result.greaterOrEqual = tails.atLeast;
    result.lessOrEqual = tails.atMost;
    const TailProbabilities p = TailProbability(tails, result.permutations, ObservedArrangement::AddedToCounts);
    result.pGreaterOrEqual = p.atLeast;
    result.pLessOrEqual = p.atMost;

    result.genetic = std::move(genetic);
    result.x = std::move(x.distances);
    result.z = std::move(z.distances);
    return result;
}

PartialMantelResult RunPartialMantel(const PartialMantelInput& input, RandomUniform& random, RunListener& listener)
{
    requirePermutationCount(input.settings.permutations);
    requireFileNamed(input.settings.x, "X");
    requireFileNamed(input.settings.z, "Z");
    PredictorData data = ReadPredictorData(input, {input.settings.x, input.settings.z}, listener);

    PartialMantelResult result = ComputePartialMantel(std::move(data.genetic), std::move(data.predictors[0]),
                                                      std::move(data.predictors[1]), input.settings, random, listener);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.dataType = input.dataType;
    result.names = std::move(data.table.names);
    return result;
}

} // namespace tessaloc
