#pragma once

#include <cstdint>
#include <random>

namespace tessaloc {

/// The program's uniform random generator: L'Ecuyer's combined multiplicative congruential
/// generator with Schrage's decomposition. Every permutation test draws from one instance, passed
/// in by the caller; the same two states always give the same sequence.
class RandomUniform {
public:
    static constexpr std::int64_t kModulus1 = 2147483563;
    static constexpr std::int64_t kModulus2 = 2147483399;
    /// Largest state a caller may seed with (the old design held the states as 32-bit integers).
    static constexpr std::int64_t kMaxSeed = 2147483647;

    /// `state1` and `state2` are whole numbers in 0..kMaxSeed.
    RandomUniform(std::int64_t state1, std::int64_t state2)
        : m_state1(state1)
        , m_state2(state2)
    {
    }

    /// Advances both states and returns the next value, strictly between 0 and 1.
    double next();
    double operator()() { return next(); }

    /// An observation drawn as Int(U x n) + 1, in 1..n.
    int nextObservation(int n) { return static_cast<int>(next() * n) + 1; }

    std::int64_t state1() const { return m_state1; }
    std::int64_t state2() const { return m_state2; }

private:
    std::int64_t m_state1;
    std::int64_t m_state2;
};

/// The seed source of the front ends: the platform's uniform generator in [0, 1), created once per
/// program and never reseeded, so it follows the same sequence after every program start and moves
/// on with each run.
class SeedSource {
public:
    /// A generator seeded as at the start of a run: state 1 the whole seconds since local midnight
    /// (0..86399), state 2 Int(r x 2147483390) with r the platform generator's next value.
    RandomUniform seedFromClock();
    /// The same with the seconds given (for tests).
    RandomUniform seedAt(int secondsSinceMidnight);

private:
    std::mt19937 m_platform;
};

} // namespace tessaloc
