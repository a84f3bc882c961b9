#include "analyses/mantel/MantelTest.h"

#include "core/DistanceCodes.h"
#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "core/MatrixSums.h"
#include "core/NumberText.h"

#include <cmath>
#include <cstdint>

namespace tessaloc {
namespace {

// Cross-product sums of four permuted arrangements at once: the sum over i < j of
// G(p(i), p(j)) x Geo(i, j), each in the fixed order i ascending, then j ascending, so every sum
// equals CrossProductSum of the rearranged matrix bit for bit. The four sums are independent chains
// of additions, which lets the processor overlap them. A group of fewer than four repeats its last
// arrangement in the spare lanes.
constexpr int kLanes = PermutationRunner::kGroupSize;
static_assert(kLanes == 4, "the coded pass packs four 16-bit indices into one 64-bit word");

// 16-bit codes with the four permutations packed side by side: one 64-bit load gives the four
// positions p(j), and rows, permutations and a geographic row fit the first-level cache together.
void codedCrossProductSums(const DistanceCodes& genetic, const SquareMatrix& geographic,
                           const std::int32_t* const* permutations, double* sums)
{
    const int n = geographic.size();
    const double* values = genetic.values();
    thread_local std::vector<std::uint64_t> packed;
    packFourPermutations(permutations, n, packed);
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    for (int i = 0; i < n - 1; ++i) {
        const double* geoRow = geographic.row(i);
        const std::uint64_t rows = packed[i];
        const std::uint16_t* row0 = genetic.row(static_cast<int>(rows & 0xFFFF));
        const std::uint16_t* row1 = genetic.row(static_cast<int>((rows >> 16) & 0xFFFF));
        const std::uint16_t* row2 = genetic.row(static_cast<int>((rows >> 32) & 0xFFFF));
        const std::uint16_t* row3 = genetic.row(static_cast<int>(rows >> 48));
        for (int j = i + 1; j < n; ++j) {
            const double g = geoRow[j];
            const std::uint64_t at = packed[j];
            s0 += values[row0[at & 0xFFFF]] * g;
            s1 += values[row1[(at >> 16) & 0xFFFF]] * g;
            s2 += values[row2[(at >> 32) & 0xFFFF]] * g;
            s3 += values[row3[at >> 48]] * g;
        }
    }
    sums[0] = s0;
    sums[1] = s1;
    sums[2] = s2;
    sums[3] = s3;
}

void plainCrossProductSums(const SquareMatrix& genetic, const SquareMatrix& geographic,
                           const std::int32_t* const* permutations, double* sums)
{
    const int n = geographic.size();
    double s[kLanes] = {};
    const std::int32_t* p[kLanes];
    for (int lane = 0; lane < kLanes; ++lane)
        p[lane] = permutations[lane];
    for (int i = 0; i < n - 1; ++i) {
        const double* geoRow = geographic.row(i);
        const double* row[kLanes];
        for (int lane = 0; lane < kLanes; ++lane)
            row[lane] = genetic.row(p[lane][i]);
        for (int j = i + 1; j < n; ++j) {
            const double g = geoRow[j];
            for (int lane = 0; lane < kLanes; ++lane)
                s[lane] += row[lane][p[lane][j]] * g;
        }
    }
    for (int lane = 0; lane < kLanes; ++lane)
        sums[lane] = s[lane];
}

} // namespace

void Log10DistanceTransform(SquareMatrix& distances, double startingValue)
{
    const int n = distances.size();
    double smallest = startingValue;
    bool zero = false;
    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const double d = distances(i, j);
            if (d > 0.0 && d <= smallest)
                smallest = d;
            if (d == 0.0)
                zero = true;
        }
    }
    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const double d = distances(i, j);
            const double transformed = zero ? std::log10(d + smallest) : std::log10(d);
            distances.setPair(i, j, requireFinite(transformed, "the log10 of a distance"));
        }
    }
}

MantelResult MantelTest(SquareMatrix genetic, SquareMatrix geographic, const MantelSettings& settings,
                        RandomUniform& random, RunListener& listener, const PermutationOptions& options)
{
    requirePermutationCount(settings.permutations);
    if (settings.logGeographic)
        Log10DistanceTransform(geographic, 1.79769313486231E+308);
    if (settings.logGenetic)
        Log10DistanceTransform(genetic, 10.0);

    MantelResult result;
    result.r = MatrixCorrelation(genetic, geographic);
    result.z = CrossProductSum(genetic, geographic);
    result.permutations = settings.permutations;

    // The permuted matrix is never built: replicate k's arrangement is G(p(i), p(j)).
    if (settings.permutations > 0) {
        const int n = genetic.size();
        PermutationRunner runner(n, static_cast<int>(settings.permutations), options);
        std::vector<double> crossProducts(static_cast<size_t>(runner.batchCapacity()));
        // Genetic distances take few distinct values, so the pass reads them as 16-bit codes.
        const DistanceCodes values(genetic);
        const double z = result.z;
        runner.run(
            random, listener,
            [](int replicate) { return replicate % 10 == 0 ? "Replicate: " + printForm(replicate) : std::string(); },
            [&](const std::int32_t* const* permutations, int count, int firstSlot) {
                const std::int32_t* lanes[kLanes];
                for (int lane = 0; lane < kLanes; ++lane)
                    lanes[lane] = permutations[std::min(lane, count - 1)];
                double sums[kLanes];
                if (values.coded())
                    codedCrossProductSums(values, geographic, lanes, sums);
                else
                    plainCrossProductSums(genetic, geographic, lanes, sums);
                std::copy(sums, sums + count, crossProducts.begin() + firstSlot);
            },
            [&](int, int slot) {
                const double zPrime = crossProducts[slot];
                if (zPrime >= z)
                    ++result.greaterOrEqual;
                if (zPrime <= z)
                    ++result.lessOrEqual;
            });
    }

    const double replicatesAndObserved = static_cast<double>(settings.permutations) + 1.0;
    result.pGreaterOrEqual = (static_cast<double>(result.greaterOrEqual) + 1.0) / replicatesAndObserved;
    result.pLessOrEqual = (static_cast<double>(result.lessOrEqual) + 1.0) / replicatesAndObserved;
    result.genetic = std::move(genetic);
    result.geographic = std::move(geographic);
    return result;
}

MantelResult RunMantelTest(const MantelInput& input, RandomUniform& random, RunListener& listener,
                           const PermutationOptions& options)
{
    requirePermutationCount(input.settings.permutations);
    ReadingSteps steps;
    steps.readingStatus = "Calculating";
    AnalysisData data = ReadAnalysisData(input, listener, steps);

    MantelResult result =
        MantelTest(std::move(data.genetic), std::move(data.geographic), input.settings, random, listener, options);
    result.coordinatePath = input.coordinatePath;
    result.genotypePath = input.genotypePath;
    result.dataType = input.dataType;
    result.names = std::move(data.table.names);
    return result;
}

} // namespace tessaloc
