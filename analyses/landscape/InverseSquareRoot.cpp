#include "analyses/landscape/InverseSquareRoot.h"

#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TESSALOC_X86_KERNELS 1
#endif

namespace tessaloc {
namespace {

// Squares of distances outside this range go to pow: within it, r = 1 / sqrt(s) and r x r stay far
// from overflow and from the subnormal numbers, where the steps below would lose their exactness.
constexpr double kSmallestFast = 0x1p-960;
constexpr double kLargestFast = 0x1p960;
// How far (in units of the last place) the exact value must lie from a midpoint between two doubles
// for pow's result to be the correctly rounded one: pow errs by at most 0.54 units.
constexpr double kTieMargin = 0.04;
constexpr std::uint64_t kFractionBits = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kTwoTo52Bits = std::bit_cast<std::uint64_t>(0x1p52);
// r's significand as a whole number m (r = m x ulp(r)) must stay this far inside [2^52, 2^53): then
// the correctly rounded value, at most two units from r, lies in r's binade and is r's bits plus k.
constexpr double kLowestSignificand = 0x1p52 + 4;
constexpr double kHighestSignificand = 0x1p53 - 4;

// With r = 1 / sqrt(s), t = 1 - s r^2 is found almost exactly: r^2 = h + l exactly (l by a fused
// multiply-add), s h - 1 rounded once (it is tiny, so the rounding costs about 2^-104), and s l is
// smaller still. The exact s^(-1/2) = r (1 - t)^(-1/2) = r (1 + t/2 + ...), so it lies m t / 2 units
// of the last place from r, known to about 2^-50 units.
double inverseSquareRootOne(double s)
{
    if (!(s >= kSmallestFast && s <= kLargestFast))
        return std::pow(s, -0.5);
    const double r = 1.0 / std::sqrt(s);
    const double h = r * r;
    const double l = std::fma(r, r, -h);
    const double t = -(std::fma(s, h, -1.0) + s * l);
    const auto bits = std::bit_cast<std::uint64_t>(r);
    const double significand = std::bit_cast<double>((bits & kFractionBits) | kTwoTo52Bits);
    const double offset = significand * t * 0.5;
    const double k = std::nearbyint(offset);
    const double fromMidpoint = std::abs(std::abs(offset - k) - 0.5);
    if (!(fromMidpoint > kTieMargin && significand >= kLowestSignificand && significand <= kHighestSignificand))
        return std::pow(s, -0.5);
    return std::bit_cast<double>(bits + static_cast<std::uint64_t>(static_cast<std::int64_t>(k)));
}

#ifdef TESSALOC_X86_KERNELS
// The same steps on four values at once; a lane that the steps cannot settle is marked and then
// taken from pow.
__attribute__((target("avx2,fma"))) void inverseSquareRootsAvx2(const double* squared, double* weights,
                                                                std::size_t count)
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d smallest = _mm256_set1_pd(kSmallestFast);
    const __m256d largest = _mm256_set1_pd(kLargestFast);
    const __m256d margin = _mm256_set1_pd(kTieMargin);
    const __m256d lowest = _mm256_set1_pd(kLowestSignificand);
    const __m256d highest = _mm256_set1_pd(kHighestSignificand);
    const __m256i fraction = _mm256_set1_epi64x(static_cast<long long>(kFractionBits));
    const __m256i twoTo52 = _mm256_set1_epi64x(static_cast<long long>(kTwoTo52Bits));
    const __m256d signBit = _mm256_set1_pd(-0.0);
    std::size_t k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m256d s = _mm256_loadu_pd(squared + k);
        const __m256d r = _mm256_div_pd(one, _mm256_sqrt_pd(s));
        const __m256d h = _mm256_mul_pd(r, r);
        const __m256d l = _mm256_fmsub_pd(r, r, h);
        const __m256d t = _mm256_xor_pd(_mm256_add_pd(_mm256_fmsub_pd(s, h, one), _mm256_mul_pd(s, l)), signBit);
        const __m256i bits = _mm256_castpd_si256(r);
        const __m256d significand = _mm256_castsi256_pd(_mm256_or_si256(_mm256_and_si256(bits, fraction), twoTo52));
        const __m256d offset = _mm256_mul_pd(_mm256_mul_pd(significand, t), half);
        const __m256d steps = _mm256_round_pd(offset, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        const __m256d fromMidpoint =
            _mm256_andnot_pd(signBit, _mm256_sub_pd(_mm256_andnot_pd(signBit, _mm256_sub_pd(offset, steps)), half));
        __m256d settled = _mm256_and_pd(_mm256_cmp_pd(s, smallest, _CMP_GE_OQ), _mm256_cmp_pd(s, largest, _CMP_LE_OQ));
        settled = _mm256_and_pd(settled, _mm256_cmp_pd(fromMidpoint, margin, _CMP_GT_OQ));
        settled = _mm256_and_pd(settled, _mm256_cmp_pd(significand, lowest, _CMP_GE_OQ));
        settled = _mm256_and_pd(settled, _mm256_cmp_pd(significand, highest, _CMP_LE_OQ));
        const __m256i moved = _mm256_add_epi64(bits, _mm256_cvtepi32_epi64(_mm256_cvtpd_epi32(steps)));
        _mm256_storeu_pd(weights + k, _mm256_castsi256_pd(moved));
        const int mask = _mm256_movemask_pd(settled);
        if (mask != 0xF) {
            for (int lane = 0; lane < 4; ++lane) {
                if ((mask & (1 << lane)) == 0)
                    weights[k + static_cast<std::size_t>(lane)] =
                        std::pow(squared[k + static_cast<std::size_t>(lane)], -0.5);
            }
        }
    }
    for (; k < count; ++k)
        weights[k] = inverseSquareRootOne(squared[k]);
}

bool processorHasAvx2AndFma()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#endif

} // namespace

double inverseSquareRootAsPow(double squared)
{
    return inverseSquareRootOne(squared);
}

void inverseSquareRootsAsPowPortable(const double* squared, double* weights, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k)
        weights[k] = inverseSquareRootOne(squared[k]);
}

bool inverseSquareRootsVectorised()
{
#ifdef TESSALOC_X86_KERNELS
    static const bool vectorised = processorHasAvx2AndFma();
    return vectorised;
#else
    return false;
#endif
}

void inverseSquareRootsAsPow(const double* squared, double* weights, std::size_t count)
{
#ifdef TESSALOC_X86_KERNELS
    if (inverseSquareRootsVectorised()) {
        inverseSquareRootsAvx2(squared, weights, count);
        return;
    }
#endif
    inverseSquareRootsAsPowPortable(squared, weights, count);
}

} // namespace tessaloc
