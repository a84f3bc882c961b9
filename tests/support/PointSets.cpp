#include "tests/support/PointSets.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <utility>

namespace tessaloc::reference {

std::vector<TriVertex> randomPoints(int count, std::uint32_t seed, double width, double height, int decimals)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> across(0.0, width);
    std::uniform_real_distribution<double> up(0.0, height);
    const double scale = decimals >= 0 ? std::pow(10.0, decimals) : 0.0;
    std::set<std::pair<double, double>> seen;
    std::vector<TriVertex> points;
    for (int k = 0; k < count; ++k) {
        double x = across(generator);
        double y = up(generator);
        if (decimals >= 0) {
            x = std::round(x * scale) / scale;
            y = std::round(y * scale) / scale;
        }
        if (seen.emplace(x, y).second)
            points.push_back({x, y, 0.0});
    }
    return points;
}

std::vector<TriVertex> gridPoints(int columns, int rows)
{
    std::vector<TriVertex> points;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            points.push_back({static_cast<double>(c), static_cast<double>(r), 0.0});
    }
    return points;
}

std::vector<TriVertex> circlePoints(int count, double radius, double cx, double cy)
{
    std::vector<TriVertex> points;
    const double step = 2 * 3.14159265358979323846 / count;
    for (int k = 0; k < count; ++k)
        points.push_back({cx + radius * std::cos(k * step), cy + radius * std::sin(k * step), 0.0});
    return points;
}

std::vector<TriVertex> shuffled(std::vector<TriVertex> points, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::shuffle(points.begin(), points.end(), generator);
    return points;
}

std::vector<TriVertex> scaled(std::vector<TriVertex> points, double factor)
{
    for (TriVertex& point : points) {
        point.x *= factor;
        point.y *= factor;
    }
    return points;
}

} // namespace tessaloc::reference
