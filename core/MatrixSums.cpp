#include "core/MatrixSums.h"

#include "core/Errors.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessaloc {

double CrossProductSum(const SquareMatrix& a, const SquareMatrix& b)
{
    const int n = a.size();
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double* rowA = a.row(i);
        const double* rowB = b.row(i);
        for (int j = i + 1; j < n; ++j)
            sum += rowA[j] * rowB[j];
    }
    return sum;
}

namespace {

// Sums of products stay far from the ends of the double range while the largest magnitude lies in
// 2^-256 .. 2^256, for any number of pairs a matrix can have.
constexpr int kLargestUnscaledExponent = 256;

int scaleExponentOf(double largest)
{
    if (!(largest > 0.0) || !std::isfinite(largest))
        return 0;
    int exponent = 0;
    std::frexp(largest, &exponent); // largest = f x 2^exponent, 0.5 <= f < 1
    return std::abs(exponent) > kLargestUnscaledExponent ? exponent : 0;
}

// The correlation over the pairs that `forEachPair(visit)` hands to visit(a, b) in the order i
// ascending, then j ascending.
template <typename ForEachPair> double pairCorrelation(int n, ForEachPair&& forEachPair)
{
    const double pairs = static_cast<double>(n) * (n - 1) / 2.0;

    // Each matrix scaled by a power of two when its values are too large or too small for their
    // products (a factor of 1 otherwise, which changes nothing).
    double largestA = 0.0;
    double largestB = 0.0;
    forEachPair([&](double a, double b) {
        largestA = std::max(largestA, std::abs(a));
        largestB = std::max(largestB, std::abs(b));
    });
    const double scaleA = std::ldexp(1.0, -scaleExponentOf(largestA));
    const double scaleB = std::ldexp(1.0, -scaleExponentOf(largestB));

    double sumA = 0.0;
    double sumB = 0.0;
    forEachPair([&](double a, double b) {
        sumA += a * scaleA;
        sumB += b * scaleB;
    });
    const double meanA = sumA / pairs;
    const double meanB = sumB / pairs;

    double saa = 0.0;
    double sbb = 0.0;
    double sab = 0.0;
    forEachPair([&](double a, double b) {
        const double da = a * scaleA - meanA;
        const double db = b * scaleB - meanB;
        saa += da * da;
        sbb += db * db;
        sab += db * da;
    });
    return requireFinite(sab / std::sqrt(saa * sbb),
                         "the matrix correlation (every pair has the same distance, or there are fewer than three "
                         "observations)");
}

} // namespace

double MatrixCorrelation(const SquareMatrix& a, const SquareMatrix& b)
{
    const int n = a.size();
    return pairCorrelation(n, [&](auto&& visit) {
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j)
                visit(a(i, j), b(i, j));
        }
    });
}

double CrossProductSum(const PackedDistances& a, const PackedDistances& b)
{
    const std::vector<double>& pairsA = a.values();
    const std::vector<double>& pairsB = b.values();
    double sum = 0.0;
    for (size_t k = 0; k < pairsA.size(); ++k)
        sum += pairsA[k] * pairsB[k];
    return sum;
}

double MatrixCorrelation(const PackedDistances& a, const PackedDistances& b)
{
    const std::vector<double>& pairsA = a.values();
    const std::vector<double>& pairsB = b.values();
    return pairCorrelation(a.size(), [&](auto&& visit) {
        for (size_t k = 0; k < pairsA.size(); ++k)
            visit(pairsA[k], pairsB[k]);
    });
}

int pairScaleExponent(const std::vector<double>& pairs)
{
    double largest = 0.0;
    for (const double value : pairs)
        largest = std::max(largest, std::abs(value));
    return scaleExponentOf(largest);
}

void ScalePairs(PackedDistances& m, int exponent)
{
    if (exponent == 0)
        return;
    for (double& value : m.values())
        value = std::ldexp(value, -exponent);
}

PairDeviations CenterPairs(const PackedDistances& m)
{
    PairDeviations centered;
    centered.deviations = m;
    std::vector<double>& pairs = centered.deviations.values();
    if (pairs.empty())
        return centered;
    centered.exponent = pairScaleExponent(pairs);
    ScalePairs(centered.deviations, centered.exponent);
    double sum = 0.0;
    for (const double value : pairs)
        sum += value;
    centered.mean = sum / static_cast<double>(pairs.size());
    for (double& value : pairs) {
        value -= centered.mean;
        centered.sumOfSquares += value * value;
    }
    return centered;
}

} // namespace tessaloc
