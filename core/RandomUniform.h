#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <utility>

namespace tessaloc {

/// The program's uniform random generator: L'Ecuyer's combined multiplicative congruential
/// generator with Schrage's decomposition. Every permutation test draws from one instance, passed
/// in by the caller; the same two states always give the same sequence.
class RandomUniform {
public:
    static constexpr std::int64_t kModulus1 = 2147483563;
    static constexpr std::int64_t kModulus2 = 2147483399;
    /// Each component multiplies its state modulo a prime, so every state from 1 to the modulus
    /// minus 1 runs through all the others, while 0 stays 0 and the modulus itself becomes 0 at the
    /// first draw. A seed outside these ranges leaves that component constant, and both constant make
    /// every value the same.
    static constexpr std::int64_t kSmallestSeed = 1;
    static constexpr std::int64_t kLargestSeed1 = kModulus1 - 1;
    static constexpr std::int64_t kLargestSeed2 = kModulus2 - 1;

    /// True when both states lie in their valid ranges (kSmallestSeed..kLargestSeed1 and
    /// kSmallestSeed..kLargestSeed2).
    static constexpr bool validSeed(std::int64_t state1, std::int64_t state2)
    {
        return state1 >= kSmallestSeed && state1 <= kLargestSeed1 && state2 >= kSmallestSeed && state2 <= kLargestSeed2;
    }

    /// `state1` and `state2` are whole numbers from 0 to 2147483647; see validSeed for the ones that
    /// make a useful generator.
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

/// The two states of a generator a run started from, for repeating the run with them.
using RandomSeed = std::pair<std::int64_t, std::int64_t>;

/// The one rule for naming a run's seed, in its report and on standard error: the states of `start`
/// when the run drew numbers from it (`now` is no longer at them), nothing when it drew none (complete
/// enumeration, no replicates), so that no report names a seed that played no part.
std::optional<RandomSeed> seedDrawnFrom(const RandomUniform& start, const RandomUniform& now);

/// The seed source of the front ends: the platform's uniform generator in [0, 1), created once per
/// program and never reseeded, so it follows the same sequence after every program start and moves
/// on with each run.
class SeedSource {
public:
    /// A generator seeded as at the start of a run: state 1 the whole seconds since local midnight,
    /// state 2 Int(r x 2147483390) with r the platform generator's next value (see seedFrom).
    RandomUniform seedFromClock();
    /// The same with the seconds given (for tests).
    RandomUniform seedAt(int secondsSinceMidnight);

    /// The generator for a clock reading of `secondsSinceMidnight` (0..86399) and a platform value
    /// `r` in [0, 1), always with valid states: state 1 is the seconds, except that the very second
    /// of midnight counts as 86400, the end of the day before (0 would leave that component
    /// constant); state 2 is Int(r x 2147483390), except that 0 (r below 1 / 2147483390) counts as
    /// 2147483390, the first whole number beyond that range.
    static RandomUniform seedFrom(int secondsSinceMidnight, double r);

private:
    std::mt19937 m_platform;
};

} // namespace tessaloc
