#include "core/PermutedCrossProducts.h"

#include "core/Permutations.h"
#include "core/PermutedRows.h"

#include <algorithm>

namespace tessaloc {
namespace {

// The sums of K fixed matrices for the four lanes, out[m * 4 + lane]. K is a constant so that the
// 4 K sums stay in registers; the four values of G at a pair are read once for all K matrices.
template <int K, typename Genetic>
void sumsOfGroup(const Genetic& genetic, const SquareMatrix* const* fixed, const std::int32_t* const* lanes,
                 double* out)
{
    const int n = fixed[0]->size();
    double s[K][4] = {};
    const auto permuted = permutedLanes(genetic, lanes);
    for (int i = 0; i < n - 1; ++i) {
        const auto rows = permuted.row(i);
        const double* f[K];
        for (int m = 0; m < K; ++m)
            f[m] = fixed[m]->row(i);
        for (int j = i + 1; j < n; ++j) {
            double g0, g1, g2, g3;
            rows.get(static_cast<size_t>(j), g0, g1, g2, g3);
            for (int m = 0; m < K; ++m) {
                const double weight = f[m][j];
                s[m][0] += g0 * weight;
                s[m][1] += g1 * weight;
                s[m][2] += g2 * weight;
                s[m][3] += g3 * weight;
            }
        }
    }
    for (int m = 0; m < K; ++m)
        for (int lane = 0; lane < 4; ++lane)
            out[m * 4 + lane] = s[m][lane];
}

} // namespace

PermutedCrossProducts::PermutedCrossProducts(const SquareMatrix& permuted, std::vector<const SquareMatrix*> fixed,
                                             int slots)
    : m_permuted(permuted)
    , m_codes(permuted)
    , m_fixed(std::move(fixed))
    , m_sums(static_cast<size_t>(std::max(slots, 0)) * m_fixed.size())
{
}

void PermutedCrossProducts::sumFour(const std::int32_t* const* permutations, int count, double* out) const
{
    // The matrices go through the pass in groups of at most three (twelve sums), which the
    // processor's registers hold; four go as two and two.
    withPermutedLanes(m_codes, m_permuted, permutations, count, [&](const auto& values, const auto* lanes) {
        const int k = matrices();
        for (int first = 0; first < k;) {
            const int left = k - first;
            const int group = left == 4 ? 2 : std::min(left, 3);
            const SquareMatrix* const* matrices = m_fixed.data() + first;
            double* groupOut = out + static_cast<size_t>(first) * 4;
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
    const size_t k = m_fixed.size();
    std::vector<double> four(k * 4);
    sumFour(permutations, count, four.data());
    for (int lane = 0; lane < count; ++lane) {
        double* slot = m_sums.data() + static_cast<size_t>(firstSlot + lane) * k;
        for (size_t m = 0; m < k; ++m)
            slot[m] = four[m * 4 + static_cast<size_t>(lane)];
    }
}

std::vector<double> PermutedCrossProducts::sumsOf(const std::vector<std::int32_t>& p) const
{
    const std::int32_t* permutations[1] = {p.data()};
    const size_t k = m_fixed.size();
    std::vector<double> four(k * 4);
    sumFour(permutations, 1, four.data());
    std::vector<double> sums(k);
    for (size_t m = 0; m < k; ++m)
        sums[m] = four[m * 4];
    return sums;
}

} // namespace tessaloc
