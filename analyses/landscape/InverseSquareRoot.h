#pragma once

#include <cstddef>

namespace tessaloc {

// The interpolation's default distance weight p = 1 gives every edge the weight (d^2)^(-1/2), which
// the grid has always taken from the C library's pow. A plain 1 / sqrt(d^2) is rounded twice and
// differs from it in the last bit for about a quarter of all distances, so it would change the
// heights. The functions here give pow's own result without its cost: they take 1 / sqrt(d^2), work
// out how far the exact value lies from it with fused multiply-adds, and so find the correctly
// rounded value and how close the exact value comes to the midpoint between two doubles. pow is
// accurate to 0.54 units in the last place (glibc's bound for its pow), so wherever the exact value
// lies further than 0.04 units from such a midpoint, pow returns the correctly rounded value too;
// for the few values nearer to one (about 8 in 100), and outside 2^-960..2^960, pow itself is called.

/// std::pow(squared, -0.5), bit for bit, for any `squared`.
double inverseSquareRootAsPow(double squared);

/// weights[k] = std::pow(squared[k], -0.5) bit for bit, k = 0..count-1, on four values at a time
/// where the processor has AVX2 and FMA, else one by one.
void inverseSquareRootsAsPow(const double* squared, double* weights, std::size_t count);

/// The same with the one-by-one path whatever the processor has (for the tests and benchmarks).
void inverseSquareRootsAsPowPortable(const double* squared, double* weights, std::size_t count);

/// True when inverseSquareRootsAsPow takes the four-value path on this processor.
bool inverseSquareRootsVectorised();

} // namespace tessaloc
