#include "analyses/landscape/InverseSquareRoot.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <string_view>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TESSALOC_X86_KERNELS 1
#endif

namespace tessaloc {
namespace {

// Squares of distances outside this range go to pow: within it r = 1 / sqrt(s) and r x r stay far
// from overflow and from the subnormal numbers, and pow's own error stays small (below).
constexpr double kSmallestFast = 0x1p-128;
constexpr double kLargestFast = 0x1p128;
// How far (in units of the last place) the exact value must lie from a midpoint between two doubles
// for pow's result to be the correctly rounded one. glibc states its pow's error as at most
// 0.509 units from the exponential plus |y log x| x 1.5 x 2^-68 x 2^53 units from the logarithm;
// with y = -1/2 and x within 2^-128..2^128 that is at most 0.509 + 0.002 units, so a value more
// than 0.0111 units from a midpoint cannot round the other way. 1/64 leaves room beyond that.
constexpr double kTieMargin = 1.0 / 64;
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

// One edge's part of the node's sums: a midpoint at distance 0 counts apart (its weight would be
// unbounded).
inline void addEdge(InverseDistanceSums& sums, double squared, double weight, double height)
{
    if (squared == 0.0) {
        sums.coincidentSum += height;
        ++sums.coincident;
        return;
    }
    sums.denominator += weight;
    sums.numerator += weight * height;
}

// The vector paths weigh the edges a block at a time: first the squared distances, weights and
// weight x height products of the whole block, four or eight edges at once, then the sums, one edge
// after the other. The sums are a chain of additions that must run in edge order; the weights are
// not, and with the block's weights stored before the chain starts, the processor works out the
// next block's weights while this block's additions still run.
constexpr int kBlockEdges = 64;

struct EdgeBlock {
    alignas(64) double squared[kBlockEdges];
    alignas(64) double weights[kBlockEdges];
    alignas(64) double products[kBlockEdges];
    std::uint64_t unsettled = 0; ///< a bit for each edge whose weight must come from pow
    bool anyCoincident = false;  ///< some edge lies at distance 0
};

// Adds a block whose weights and products are in place, pow's taken for the edges left unsettled.
inline void addBlock(InverseDistanceSums& sums, EdgeBlock& block, const double* height)
{
    for (std::uint64_t left = block.unsettled; left != 0; left &= left - 1) {
        const int k = std::countr_zero(left);
        block.weights[k] = std::pow(block.squared[k], -0.5);
        block.products[k] = block.weights[k] * height[k];
    }
    if (block.anyCoincident) {
        for (int k = 0; k < kBlockEdges; ++k) {
            if (block.squared[k] == 0.0) {
                sums.coincidentSum += height[k];
                ++sums.coincident;
                continue;
            }
            sums.denominator += block.weights[k];
            sums.numerator += block.products[k];
        }
        return;
    }
    double denominator = sums.denominator;
    double numerator = sums.numerator;
    for (int k = 0; k < kBlockEdges; ++k) {
        denominator += block.weights[k];
        numerator += block.products[k];
    }
    sums.denominator = denominator;
    sums.numerator = numerator;
}

// The edges after the last whole block, one by one.
inline void addRest(InverseDistanceSums& sums, const double* midX, const double* midY, const double* height,
                    std::size_t first, std::size_t count, double x, double y)
{
    for (std::size_t e = first; e < count; ++e) {
        const double dx = midX[e] - x;
        const double dy = midY[e] - y;
        const double s = dx * dx + dy * dy;
        addEdge(sums, s, inverseSquareRootOne(s), height[e]);
    }
}

#ifdef TESSALOC_X86_KERNELS
// The same on four or eight values at once, without a square root or a division: r comes from the
// processor's estimate of 1 / sqrt (12 bits in single precision with AVX2, hence its narrower range;
// 14 bits with AVX-512) and one Newton step, which leaves it within about 2^-22 of the exact value.
// So t is no longer tiny, and the offset takes the series further: m (t/2 + 3t^2/8 + 5t^3/16), whose
// next term is below 2^-37 units. t itself is found as above, to about 2^-78. The correction can now
// be thousands of units, so r's significand must stay 2^32 units inside its binade (all but one in
// 2^19 values are).
constexpr double kSmallestEstimated = 0x1p-120;
constexpr double kLargestEstimated = 0x1p120;
constexpr double kLowestEstimatedSignificand = 0x1p52 + 0x1p32;
constexpr double kHighestEstimatedSignificand = 0x1p53 - 0x1p32;

// Four weights; `settled` gets a bit for each lane the steps settle.
__attribute__((target("avx2,fma"), always_inline)) inline __m256d fourWeights(__m256d s, int& settled)
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d signBit = _mm256_set1_pd(-0.0);
    const __m256d estimate = _mm256_cvtps_pd(_mm_rsqrt_ps(_mm256_cvtpd_ps(s)));
    const __m256d error = _mm256_fnmadd_pd(_mm256_mul_pd(s, estimate), estimate, one);
    const __m256d r = _mm256_fmadd_pd(_mm256_mul_pd(estimate, half), error, estimate);
    const __m256d h = _mm256_mul_pd(r, r);
    const __m256d l = _mm256_fmsub_pd(r, r, h);
    const __m256d t = _mm256_xor_pd(_mm256_add_pd(_mm256_fmsub_pd(s, h, one), _mm256_mul_pd(s, l)), signBit);
    const __m256d series = _mm256_mul_pd(
        _mm256_fmadd_pd(_mm256_fmadd_pd(t, _mm256_set1_pd(5.0 / 16), _mm256_set1_pd(3.0 / 8)), t, half), t);
    const __m256i bits = _mm256_castpd_si256(r);
    const __m256d significand = _mm256_castsi256_pd(
        _mm256_or_si256(_mm256_and_si256(bits, _mm256_set1_epi64x(static_cast<long long>(kFractionBits))),
                        _mm256_set1_epi64x(static_cast<long long>(kTwoTo52Bits))));
    const __m256d offset = _mm256_mul_pd(significand, series);
    const __m256d steps = _mm256_round_pd(offset, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d fromMidpoint =
        _mm256_andnot_pd(signBit, _mm256_sub_pd(_mm256_andnot_pd(signBit, _mm256_sub_pd(offset, steps)), half));
    __m256d ok = _mm256_and_pd(_mm256_cmp_pd(s, _mm256_set1_pd(kSmallestEstimated), _CMP_GE_OQ),
                               _mm256_cmp_pd(s, _mm256_set1_pd(kLargestEstimated), _CMP_LE_OQ));
    ok = _mm256_and_pd(ok, _mm256_cmp_pd(fromMidpoint, _mm256_set1_pd(kTieMargin), _CMP_GT_OQ));
    ok = _mm256_and_pd(ok, _mm256_cmp_pd(significand, _mm256_set1_pd(kLowestEstimatedSignificand), _CMP_GE_OQ));
    ok = _mm256_and_pd(ok, _mm256_cmp_pd(significand, _mm256_set1_pd(kHighestEstimatedSignificand), _CMP_LE_OQ));
    settled = _mm256_movemask_pd(ok);
    return _mm256_castsi256_pd(_mm256_add_epi64(bits, _mm256_cvtepi32_epi64(_mm256_cvtpd_epi32(steps))));
}

// Eight weights; `settled` gets a bit for each lane the steps settle.
__attribute__((target("avx512f"), always_inline)) inline __m512d eightWeights(__m512d s, __mmask8& settled)
{
    const __m512d one = _mm512_set1_pd(1.0);
    const __m512d half = _mm512_set1_pd(0.5);
    // The zero-masked forms, with every lane kept, spare GCC's own headers a warning about an
    // undefined source.
    constexpr __mmask8 all = 0xFF;
    const __m512d estimate = _mm512_maskz_rsqrt14_pd(all, s);
    const __m512d error = _mm512_fnmadd_pd(_mm512_mul_pd(s, estimate), estimate, one);
    const __m512d r = _mm512_fmadd_pd(_mm512_mul_pd(estimate, half), error, estimate);
    const __m512d h = _mm512_mul_pd(r, r);
    const __m512d l = _mm512_fmsub_pd(r, r, h);
    const __m512d t =
        _mm512_sub_pd(_mm512_setzero_pd(), _mm512_add_pd(_mm512_fmsub_pd(s, h, one), _mm512_mul_pd(s, l)));
    const __m512d series = _mm512_mul_pd(
        _mm512_fmadd_pd(_mm512_fmadd_pd(t, _mm512_set1_pd(5.0 / 16), _mm512_set1_pd(3.0 / 8)), t, half), t);
    const __m512i bits = _mm512_castpd_si512(r);
    const __m512d significand = _mm512_castsi512_pd(
        _mm512_or_si512(_mm512_and_si512(bits, _mm512_set1_epi64(kFractionBits)), _mm512_set1_epi64(kTwoTo52Bits)));
    const __m512d offset = _mm512_mul_pd(significand, series);
    const __m512d steps = _mm512_maskz_roundscale_pd(all, offset, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m512d fromMidpoint = _mm512_abs_pd(_mm512_sub_pd(_mm512_abs_pd(_mm512_sub_pd(offset, steps)), half));
    __mmask8 ok = _mm512_cmp_pd_mask(s, _mm512_set1_pd(kSmallestEstimated), _CMP_GE_OQ);
    ok = _mm512_mask_cmp_pd_mask(ok, s, _mm512_set1_pd(kLargestEstimated), _CMP_LE_OQ);
    ok = _mm512_mask_cmp_pd_mask(ok, fromMidpoint, _mm512_set1_pd(kTieMargin), _CMP_GT_OQ);
    ok = _mm512_mask_cmp_pd_mask(ok, significand, _mm512_set1_pd(kLowestEstimatedSignificand), _CMP_GE_OQ);
    ok = _mm512_mask_cmp_pd_mask(ok, significand, _mm512_set1_pd(kHighestEstimatedSignificand), _CMP_LE_OQ);
    settled = ok;
    return _mm512_castsi512_pd(
        _mm512_add_epi64(bits, _mm512_maskz_cvtepi32_epi64(all, _mm512_maskz_cvtpd_epi32(all, steps))));
}

__attribute__((target("avx2,fma"))) void inverseSquareRootsAvx2(const double* squared, double* weights,
                                                                std::size_t count)
{
    std::size_t k = 0;
    for (; k + 4 <= count; k += 4) {
        int settled = 0;
        _mm256_storeu_pd(weights + k, fourWeights(_mm256_loadu_pd(squared + k), settled));
        for (int lane = 0; settled != 0xF && lane < 4; ++lane) {
            if ((settled & (1 << lane)) == 0)
                weights[k + static_cast<std::size_t>(lane)] =
                    std::pow(squared[k + static_cast<std::size_t>(lane)], -0.5);
        }
    }
    for (; k < count; ++k)
        weights[k] = inverseSquareRootOne(squared[k]);
}

__attribute__((target("avx512f"))) void inverseSquareRootsAvx512(const double* squared, double* weights,
                                                                 std::size_t count)
{
    std::size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        __mmask8 settled = 0;
        _mm512_storeu_pd(weights + k, eightWeights(_mm512_loadu_pd(squared + k), settled));
        for (int lane = 0; settled != 0xFF && lane < 8; ++lane) {
            if ((settled & (1 << lane)) == 0)
                weights[k + static_cast<std::size_t>(lane)] =
                    std::pow(squared[k + static_cast<std::size_t>(lane)], -0.5);
        }
    }
    for (; k < count; ++k)
        weights[k] = inverseSquareRootOne(squared[k]);
}

// Each path's squared distances are computed as the plain loop computes them: two products and a
// sum, never fused (this file is compiled without contraction).
__attribute__((target("avx2,fma"))) InverseDistanceSums inverseDistanceSumsAvx2(const double* midX, const double* midY,
                                                                                const double* height, std::size_t count,
                                                                                double x, double y)
{
    InverseDistanceSums sums;
    const __m256d nodeX = _mm256_set1_pd(x);
    const __m256d nodeY = _mm256_set1_pd(y);
    const __m256d zero = _mm256_setzero_pd();
    EdgeBlock block;
    std::size_t first = 0;
    for (; first + kBlockEdges <= count; first += kBlockEdges) {
        block.unsettled = 0;
        int coincident = 0;
        for (int k = 0; k < kBlockEdges; k += 4) {
            const std::size_t e = first + static_cast<std::size_t>(k);
            const __m256d dx = _mm256_sub_pd(_mm256_loadu_pd(midX + e), nodeX);
            const __m256d dy = _mm256_sub_pd(_mm256_loadu_pd(midY + e), nodeY);
            const __m256d s = _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy));
            int settled = 0;
            const __m256d w = fourWeights(s, settled);
            block.unsettled |= static_cast<std::uint64_t>(~settled & 0xF) << k;
            coincident |= _mm256_movemask_pd(_mm256_cmp_pd(s, zero, _CMP_EQ_OQ));
            _mm256_store_pd(block.squared + k, s);
            _mm256_store_pd(block.weights + k, w);
            _mm256_store_pd(block.products + k, _mm256_mul_pd(w, _mm256_loadu_pd(height + e)));
        }
        block.anyCoincident = coincident != 0;
        addBlock(sums, block, height + first);
    }
    addRest(sums, midX, midY, height, first, count, x, y);
    return sums;
}

__attribute__((target("avx512f"))) InverseDistanceSums inverseDistanceSumsAvx512(const double* midX, const double* midY,
                                                                                 const double* height,
                                                                                 std::size_t count, double x, double y)
{
    InverseDistanceSums sums;
    const __m512d nodeX = _mm512_set1_pd(x);
    const __m512d nodeY = _mm512_set1_pd(y);
    const __m512d zero = _mm512_setzero_pd();
    EdgeBlock block;
    std::size_t first = 0;
    for (; first + kBlockEdges <= count; first += kBlockEdges) {
        block.unsettled = 0;
        unsigned coincident = 0;
        for (int k = 0; k < kBlockEdges; k += 8) {
            const std::size_t e = first + static_cast<std::size_t>(k);
            const __m512d dx = _mm512_sub_pd(_mm512_loadu_pd(midX + e), nodeX);
            const __m512d dy = _mm512_sub_pd(_mm512_loadu_pd(midY + e), nodeY);
            const __m512d s = _mm512_add_pd(_mm512_mul_pd(dx, dx), _mm512_mul_pd(dy, dy));
            __mmask8 settled = 0;
            const __m512d w = eightWeights(s, settled);
            block.unsettled |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(~settled)) << k;
            coincident |= _mm512_cmp_pd_mask(s, zero, _CMP_EQ_OQ);
            _mm512_store_pd(block.squared + k, s);
            _mm512_store_pd(block.weights + k, w);
            _mm512_store_pd(block.products + k, _mm512_mul_pd(w, _mm512_loadu_pd(height + e)));
        }
        block.anyCoincident = coincident != 0;
        addBlock(sums, block, height + first);
    }
    addRest(sums, midX, midY, height, first, count, x, y);
    return sums;
}

#endif

} // namespace

std::vector<std::string_view> inverseSquareRootPaths()
{
    std::vector<std::string_view> paths;
#ifdef TESSALOC_X86_KERNELS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        if (__builtin_cpu_supports("avx512f"))
            paths.push_back("avx512");
        paths.push_back("avx2");
    }
#endif
    paths.push_back("portable");
    return paths;
}

std::string_view fastestInverseSquareRootPath()
{
    static const std::string_view fastest = inverseSquareRootPaths().front();
    return fastest;
}

double inverseSquareRootAsPow(double squared)
{
    return inverseSquareRootOne(squared);
}

void inverseSquareRootsAsPow(std::string_view path, const double* squared, double* weights, std::size_t count)
{
#ifdef TESSALOC_X86_KERNELS
    if (path == "avx512")
        return inverseSquareRootsAvx512(squared, weights, count);
    if (path == "avx2")
        return inverseSquareRootsAvx2(squared, weights, count);
#endif
    for (std::size_t k = 0; k < count; ++k)
        weights[k] = inverseSquareRootOne(squared[k]);
}

InverseDistanceSums inverseDistanceSums(std::string_view path, const double* midX, const double* midY,
                                        const double* height, std::size_t count, double x, double y)
{
#ifdef TESSALOC_X86_KERNELS
    if (path == "avx512")
        return inverseDistanceSumsAvx512(midX, midY, height, count, x, y);
    if (path == "avx2")
        return inverseDistanceSumsAvx2(midX, midY, height, count, x, y);
#endif
    InverseDistanceSums sums;
    addRest(sums, midX, midY, height, 0, count, x, y);
    return sums;
}

InverseDistanceSums inverseDistanceSums(const double* midX, const double* midY, const double* height, std::size_t count,
                                        double x, double y)
{
    return inverseDistanceSums(fastestInverseSquareRootPath(), midX, midY, height, count, x, y);
}

} // namespace tessaloc
