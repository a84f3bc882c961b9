// The weight of the default distance weight p = 1 against the C library's pow(s, -0.5), which the
// grid took before: equal bit for bit, on every vector path the processor has and on the one-by-one
// path always.

#include "analyses/landscape/InverseSquareRoot.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {
namespace {

// pow as the library computes it at run time; the compiler would fold a constant argument with
// exact rounding, which the library's pow need not match in the last bit.
double libraryPow(double s)
{
    volatile double argument = s;
    return std::pow(argument, -0.5);
}

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (std::isnan(a) && std::isnan(b));
}

// Every value through every path this processor has and the single-value function, each against
// pow.
void expectAsPow(const std::vector<double>& squared, const std::string& label)
{
    for (const std::string_view path : inverseSquareRootPaths()) {
        std::vector<double> weights(squared.size());
        inverseSquareRootsAsPow(path, squared.data(), weights.data(), squared.size());
        long long differing = 0;
        for (size_t k = 0; k < squared.size(); ++k) {
            const double expected = libraryPow(squared[k]);
            const bool same = sameBits(weights[k], expected) && sameBits(inverseSquareRootAsPow(squared[k]), expected);
            if (!same && ++differing <= 5)
                ADD_FAILURE() << label << ", " << path << ": s = " << std::hexfloat << squared[k] << " pow gives "
                              << expected << ", the path " << weights[k] << ", one by one "
                              << inverseSquareRootAsPow(squared[k]);
        }
        EXPECT_EQ(differing, 0) << label << ", " << path;
    }
}

TEST(InverseSquareRoot, EdgesOfTheRangeAndExactSquaresMatchPow)
{
    const double inf = std::numeric_limits<double>::infinity();
    expectAsPow({0.0,
                 -0.0,
                 inf,
                 std::numeric_limits<double>::quiet_NaN(),
                 std::numeric_limits<double>::denorm_min(),
                 std::numeric_limits<double>::min(),
                 std::numeric_limits<double>::max(),
                 0x1p-960,
                 0x1p960,
                 std::nextafter(0x1p-960, 0.0),
                 std::nextafter(0x1p960, inf),
                 1.0,
                 4.0,
                 0.25,
                 2.0,
                 0.5,
                 9.0,
                 1e-14,
                 1e14,
                 3.0,
                 std::nextafter(1.0, 0.0),
                 std::nextafter(1.0, 2.0)},
                "edge cases");
}

TEST(InverseSquareRoot, RandomSquaresOverEveryMagnitudeMatchPow)
{
    // Log-uniform over the whole range of doubles, and uniform where the grid's squares lie.
    std::mt19937_64 generator(31);
    std::uniform_real_distribution<double> exponent(-1074.0, 1023.0);
    std::uniform_real_distribution<double> plane(0.0, 2e6);
    std::vector<double> wide;
    std::vector<double> grid;
    for (int k = 0; k < 400000; ++k) {
        wide.push_back(std::exp2(exponent(generator)));
        const double dx = plane(generator) - 1e6;
        const double dy = plane(generator) - 1e6;
        grid.push_back(dx * dx + dy * dy);
    }
    expectAsPow(wide, "log-uniform squares");
    expectAsPow(grid, "squared planar distances");
}

TEST(InverseSquareRoot, SquaresWhoseRootLiesNearAMidpointMatchPow)
{
    // s = 1 / m^2 for m halfway between two doubles: the exact s^(-1/2) lies close to that midpoint,
    // where only pow itself can say which way it rounds.
    std::mt19937_64 generator(7);
    std::uniform_real_distribution<double> unit(1.0, 2.0);
    std::uniform_int_distribution<int> binade(-400, 400);
    std::vector<double> squared;
    for (int k = 0; k < 100000; ++k) {
        const double y = std::ldexp(unit(generator), binade(generator));
        const long double midpoint = (static_cast<long double>(y) + std::nextafter(y, 2 * y)) / 2;
        squared.push_back(static_cast<double>(1.0L / (midpoint * midpoint)));
    }
    expectAsPow(squared, "near midpoints");
}

TEST(InverseSquareRoot, BatchesOfEveryLengthMatchPow)
{
    // The vector path takes four at a time and the rest one by one.
    std::mt19937_64 generator(3);
    std::uniform_real_distribution<double> value(1e-3, 1e3);
    for (size_t count = 0; count <= 9; ++count) {
        std::vector<double> squared(count);
        for (double& s : squared)
            s = value(generator);
        expectAsPow(squared, "batch of " + std::to_string(count));
    }
}

TEST(InverseSquareRoot, NodeSumsMatchAPlainLoopWithPow)
{
    // A node's sums over random edges, some of them on the node itself, against the plain loop that
    // calls pow for every edge; edge counts around the blocks of 64 the vector paths take at a time.
    std::mt19937_64 generator(5);
    std::uniform_real_distribution<double> place(-50.0, 50.0);
    std::uniform_real_distribution<double> height(0.0, 1.0);
    for (const size_t count : {0, 1, 3, 8, 63, 64, 65, 128, 200, 3000}) {
        const double x = place(generator);
        const double y = place(generator);
        std::vector<double> midX, midY, heights;
        for (size_t e = 0; e < count; ++e) {
            const bool onTheNode = e % 7 == 3;
            midX.push_back(onTheNode ? x : place(generator));
            midY.push_back(onTheNode ? y : place(generator));
            heights.push_back(height(generator));
        }
        InverseDistanceSums plain;
        for (size_t e = 0; e < count; ++e) {
            const double dx = midX[e] - x;
            const double dy = midY[e] - y;
            const double squared = dx * dx + dy * dy;
            if (squared == 0.0) {
                plain.coincidentSum += heights[e];
                ++plain.coincident;
                continue;
            }
            plain.denominator += libraryPow(squared);
            plain.numerator += libraryPow(squared) * heights[e];
        }
        for (const std::string_view path : inverseSquareRootPaths()) {
            const InverseDistanceSums sums =
                inverseDistanceSums(path, midX.data(), midY.data(), heights.data(), count, x, y);
            EXPECT_TRUE(sameBits(sums.numerator, plain.numerator)) << count << " edges, " << path;
            EXPECT_TRUE(sameBits(sums.denominator, plain.denominator)) << count << " edges, " << path;
            EXPECT_TRUE(sameBits(sums.coincidentSum, plain.coincidentSum)) << count << " edges, " << path;
            EXPECT_EQ(sums.coincident, plain.coincident) << count << " edges, " << path;
        }
    }
}

} // namespace
} // namespace tessaloc
