#include "core/PermutedCrossProducts.h"

#include "core/Permutations.h"
#include "core/PermutedRows.h"

#include <algorithm>
#include <cstddef>

namespace tessaloc {
namespace {

// The sums of K fixed matrices for the four lanes, out[m * 4 + lane]. K is a constant so that the
// 4 K sums stay in registers; the four values of G at a pair are read once for all K matrices, and
// the fixed matrices are read straight through, pair after pair.
template <int K, typename Genetic>
void sumsOfGroup(const Genetic& genetic, const PackedDistances* const* fixed, const std::int32_t* const* lanes,
                 double* out)
{
    const int n = fixed[0]->size();
    double s[K][4] = {};
    const double* f[K];
    for (int m = 0; m < K; ++m)
        f[m] = fixed[m]->values().data();
    const auto permuted = permutedLanes(genetic, lanes);
    for (int i = 0; i < n - 1; ++i) {
        const auto rows = permuted.row(i);
        for (int j = i + 1; j < n; ++j) {
            double g0, g1, g2, g3;
            rows.get(static_cast<std::size_t>(j), g0, g1, g2, g3);
            for (int m = 0; m < K; ++m) {
                const double weight = *f[m]++;
                s[m][0] += g0 * weight;
                s[m][1] += g1 * weight;
                s[m][2] += g2 * weight;
                s[m][3] += g3 * weight;
            }
        }
    }
    for (int m = 0; m < K; ++m) {
        for (int lane = 0; lane < 4; ++lane)
            out[m * 4 + lane] = s[m][lane];
    }
}

// The codes of G's rows, when G can be coded.
DistanceCodes codesOf(const PackedDistances& genetic)
{
    const PackedDistanceCodes pairs(genetic);
    return DistanceCodes(pairs);
}

} // namespace

PermutedCrossProducts::PermutedCrossProducts(const PackedDistances& permuted, std::vector<const PackedDistances*> fixed,
                                             int slots)
    : m_codes(codesOf(permuted))
    , m_square(m_codes.coded() ? SquareMatrix() : permuted.square())
    , m_fixed(std::move(fixed))
    , m_sums(static_cast<std::size_t>(std::max(slots, 0)) * m_fixed.size())
{
}

void PermutedCrossProducts::sumFour(const std::int32_t* const* permutations, int count, double* out) const
{
    // The matrices go through the pass in groups of at most three (twelve sums), which the
    // processor's registers hold; four go as two and two.
    withPermutedLanes(m_codes, m_square, permutations, count, [&](const auto& values, const auto* lanes) {
        const int k = matrices();
        for (int first = 0; first < k;) {
            const int left = k - first;
            const int group = left == 4 ? 2 : std::min(left, 3);
            const PackedDistances* const* matrices = m_fixed.data() + first;
            double* groupOut = out + static_cast<std::size_t>(first) * 4;
            if (group == 1)
                sumsOfGroup<1>(values, matrices, lanes, groupOut);
            else if (group == 2)
                sumsOfGroup<2>(values, matrices, lanes, groupOut);
            else
                sumsOfGroup<3>(values, matrices, lanes, groupOut);
            first += group;
        }
    });
}

void PermutedCrossProducts::evaluate(const std::int32_t* const* permutations, int count, int firstSlot)
{
    const std::size_t k = m_fixed.size();
    thread_local std::vector<double> four;
    four.resize(k * 4);
    sumFour(permutations, count, four.data());
    for (int lane = 0; lane < count; ++lane) {
        double* slot = m_sums.data() + static_cast<std::size_t>(firstSlot + lane) * k;
        for (std::size_t m = 0; m < k; ++m)
            slot[m] = four[m * 4 + static_cast<std::size_t>(lane)];
    }
}

std::vector<double> PermutedCrossProducts::sumsOf(const std::vector<std::int32_t>& p) const
{
    const std::int32_t* permutations[1] = {p.data()};
    const std::size_t k = m_fixed.size();
    std::vector<double> four(k * 4);
    sumFour(permutations, 1, four.data());
    std::vector<double> sums(k);
    for (std::size_t m = 0; m < k; ++m)
        sums[m] = four[m * 4];
    return sums;
}

} // namespace tessaloc
