#pragma once

#include "core/Errors.h"
#include "core/PackedDistances.h"
#include "core/SquareMatrix.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tessaloc::fuzz {

/// Ends the run as a crash, which libFuzzer reports with the input that caused it.
[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void require(bool condition, const char* what)
{
    if (!condition)
        fail(what);
}

/// Messages quote fields through quotedField: no control character (C0, DEL or C1) may reach the
/// terminal, and no field may make a message longer than its few escaped bytes.
inline void requireSafeMessage(std::string_view message)
{
    require(escapeControlCharacters(message) == message, "a control character in a message");
}

/// A distance matrix, stored once per pair (so symmetric with a zero diagonal): every pair finite,
/// not negative, and at most 1 when `unitRange`.
inline void requireDistanceMatrix(const PackedDistances& pairs, int size, bool unitRange)
{
    require(pairs.size() == size, "a distance matrix of the wrong size");
    require(pairs.values().size() == PackedDistances::pairCount(size), "a distance matrix of the wrong size");
    for (const double d : pairs.values()) {
        require(std::isfinite(d) && d >= 0.0, "a negative or undefined distance");
        require(!unitRange || d <= 1.0, "a genetic distance above 1");
    }
}

/// A whole distance matrix: symmetric, zero diagonal, and its pairs as above.
inline void requireDistanceMatrix(const SquareMatrix& matrix, int size, bool unitRange)
{
    require(matrix.size() == size, "a distance matrix of the wrong size");
    for (int i = 0; i < size; ++i) {
        require(matrix(i, i) == 0.0, "a distance matrix with a non-zero diagonal");
        for (int j = i + 1; j < size; ++j)
            require(matrix(i, j) == matrix(j, i), "an asymmetric distance matrix");
    }
    requireDistanceMatrix(PackedDistances(matrix), size, unitRange);
}

/// Runs `body`, letting through the errors a reader or builder is meant to throw for bad input and
/// checking their messages; anything else escapes and counts as a crash.
template <typename Body> void expectedErrorsOnly(Body&& body)
{
    try {
        body();
    } catch (const DataProblem& problem) {
        requireSafeMessage(problem.what());
        requireSafeMessage(problem.detail());
    } catch (const AnalysisError& error) {
        requireSafeMessage(error.what());
    }
}

} // namespace tessaloc::fuzz
