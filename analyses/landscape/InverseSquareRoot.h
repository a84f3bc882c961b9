#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tessaloc {

// The interpolation's default distance weight p = 1 gives every edge the weight (d^2)^(-1/2), which
// the grid has always taken from the C library's pow. A plain 1 / sqrt(d^2) is rounded twice and
// differs from it in the last bit for about a quarter of all distances, so it would change the
// heights. The functions here give pow's own result without its cost: they take 1 / sqrt(d^2), work
// out how far the exact value lies from it with fused multiply-adds, and so find the correctly
// rounded value and how close the exact value comes to the midpoint between two doubles. Where it
// lies further from such a midpoint than pow's error can reach, pow returns the correctly rounded
// value too; for the few values nearer to one (about 3 in 100), and for d^2 outside
// 2^-128..2^128, pow itself is called.

/// std::pow(squared, -0.5), bit for bit, for any `squared`.
double inverseSquareRootAsPow(double squared);

/// The ways this processor can work the weights out: "avx512" (eight at a time) and "avx2" (four at
/// a time) where it has them, the fastest first, and always "portable" (one by one) last. All give
/// the same values.
std::vector<std::string_view> inverseSquareRootPaths();
/// The first of inverseSquareRootPaths(), which the grid takes.
std::string_view fastestInverseSquareRootPath();

/// weights[k] = std::pow(squared[k], -0.5) bit for bit, k = 0..count-1, by the path named.
void inverseSquareRootsAsPow(std::string_view path, const double* squared, double* weights, std::size_t count);

/// What one grid node adds up over the edges, in the edges' order.
struct InverseDistanceSums {
    double numerator = 0.0;     ///< the sum of w x height over the edges at a distance
    double denominator = 0.0;   ///< the sum of w over the same edges
    double coincidentSum = 0.0; ///< the sum of the heights of the edges at distance 0
    long long coincident = 0;   ///< how many edges lie at distance 0
};

/// The sums of the node (x, y) over the edges e = 0..count-1 with midpoints (midX[e], midY[e]):
/// d^2 = (midX[e] - x)^2 + (midY[e] - y)^2 and w = pow(d^2, -0.5), added one edge after the other
/// exactly as a plain loop with pow adds them, by the path named.
InverseDistanceSums inverseDistanceSums(std::string_view path, const double* midX, const double* midY,
                                        const double* height, std::size_t count, double x, double y);
/// The same by the fastest path.
InverseDistanceSums inverseDistanceSums(const double* midX, const double* midY, const double* height, std::size_t count,
                                        double x, double y);

} // namespace tessaloc
