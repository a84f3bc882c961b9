#include "core/RandomUniform.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace tessaloc {

double RandomUniform::next()
{
    // Both states stay below 2^31, so every product fits a 64-bit integer exactly, and integer
    // division truncates toward zero as the generator requires.
    std::int64_t k = m_state1 / 53668;
    m_state1 = (m_state1 - k * 53668) * 40014 - k * 12211;
    if (m_state1 < 0)
        m_state1 += kModulus1;

    k = m_state2 / 52774;
    m_state2 = (m_state2 - k * 52774) * 40692 - k * 3791;
    if (m_state2 < 0)
        m_state2 += kModulus2;

    std::int64_t z = m_state1 - m_state2;
    if (z < 1)
        z += 2147483562;
    return (static_cast<double>(z) * 4.656613) * 1e-10;
}

RandomUniform SeedSource::seedFromClock()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // A leap second (tm_sec 60) still counts as the last second of the day.
    return seedAt(std::min(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec, 86399));
}

RandomUniform SeedSource::seedAt(int secondsSinceMidnight)
{
    double r = std::generate_canonical<double, 53>(m_platform);
    // generate_canonical may round up to 1 itself; the seed needs a value below 1.
    if (r >= 1.0)
        r = std::nextafter(1.0, 0.0);
    return seedFrom(secondsSinceMidnight, r);
}

RandomUniform SeedSource::seedFrom(int secondsSinceMidnight, double r)
{
    constexpr std::int64_t kSecondsPerDay = 86400;
    constexpr double kSecondRange = 2147483390.0;
    const std::int64_t state1 = secondsSinceMidnight == 0 ? kSecondsPerDay : secondsSinceMidnight;
    const auto drawn = static_cast<std::int64_t>(r * kSecondRange);
    const std::int64_t state2 = drawn == 0 ? static_cast<std::int64_t>(kSecondRange) : drawn;
    return RandomUniform(state1, state2);
}

std::optional<RandomSeed> seedDrawnFrom(const RandomUniform& start, const RandomUniform& now)
{
    if (start.state1() == now.state1() && start.state2() == now.state2())
        return std::nullopt;
    return RandomSeed{start.state1(), start.state2()};
}

} // namespace tessaloc
