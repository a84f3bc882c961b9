#include "tests/support/LiteralCurrentMap.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace tessaloc::testing {
namespace {

struct Neighbour {
    long long cell;
    double conductance;
};

// A symmetric positive definite band matrix, lower half: entry (i, j) for i - band <= j <= i.
class BandCholesky {
public:
    BandCholesky(long long size, long long band)
        : m_size(size)
        , m_band(band)
        , m_values(static_cast<size_t>(size * (band + 1)), 0.0)
    {
    }
    double& at(long long i, long long j) { return m_values[static_cast<size_t>(i * (m_band + 1) + (i - j))]; }

    void factor()
    {
        for (long long i = 0; i < m_size; ++i) {
            for (long long j = std::max(0LL, i - m_band); j <= i; ++j) {
                double sum = at(i, j);
                for (long long k = std::max({0LL, i - m_band, j - m_band}); k < j; ++k)
                    sum -= at(i, k) * at(j, k);
                if (i == j) {
                    if (sum <= 0.0)
                        throw std::runtime_error("the literal current map's Laplacian is not positive definite");
                    at(i, i) = std::sqrt(sum);
                } else {
                    at(i, j) = sum / at(j, j);
                }
            }
        }
    }

    void solve(std::vector<double>& x)
    {
        for (long long i = 0; i < m_size; ++i) {
            double sum = x[static_cast<size_t>(i)];
            for (long long k = std::max(0LL, i - m_band); k < i; ++k)
                sum -= at(i, k) * x[static_cast<size_t>(k)];
            x[static_cast<size_t>(i)] = sum / at(i, i);
        }
        for (long long i = m_size - 1; i >= 0; --i) {
            double sum = x[static_cast<size_t>(i)];
            for (long long k = i + 1; k <= std::min(m_size - 1, i + m_band); ++k)
                sum -= at(k, i) * x[static_cast<size_t>(k)];
            x[static_cast<size_t>(i)] = sum / at(i, i);
        }
    }

private:
    long long m_size;
    long long m_band;
    std::vector<double> m_values;
};

} // namespace

LiteralCurrents literalCurrentMaps(int columns, int rows, const std::vector<double>& resistances, int neighbours,
                                   const std::vector<std::int64_t>& locationCells)
{
    const long long cells = static_cast<long long>(columns) * rows;
    auto passable = [&](long long cell) { return !std::isnan(resistances[static_cast<size_t>(cell)]); };
    auto neighboursOf = [&](long long cell) {
        std::vector<Neighbour> result;
        const int r = static_cast<int>(cell / columns);
        const int c = static_cast<int>(cell % columns);
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const bool diagonal = dr != 0 && dc != 0;
                if ((dr == 0 && dc == 0) || (diagonal && neighbours == 4))
                    continue;
                if (r + dr < 0 || r + dr >= rows || c + dc < 0 || c + dc >= columns)
                    continue;
                const long long other = static_cast<long long>(r + dr) * columns + c + dc;
                if (!passable(other))
                    continue;
                const double resistor =
                    (resistances[static_cast<size_t>(cell)] + resistances[static_cast<size_t>(other)]) / 2.0 *
                    (diagonal ? std::numbers::sqrt2 : 1.0);
                result.push_back({other, 1.0 / resistor});
            }
        }
        return result;
    };

    std::vector<std::int64_t> distinct;
    for (const std::int64_t cell : locationCells) {
        if (std::find(distinct.begin(), distinct.end(), cell) == distinct.end())
            distinct.push_back(cell);
    }
    const long long ground = distinct.front();

    // The cells joined to the ground, numbered row by row (the ground itself is no node).
    std::vector<char> joined(static_cast<size_t>(cells), 0);
    std::vector<long long> pending{ground};
    joined[static_cast<size_t>(ground)] = 1;
    while (!pending.empty()) {
        const long long cell = pending.back();
        pending.pop_back();
        for (const Neighbour& next : neighboursOf(cell)) {
            if (!joined[static_cast<size_t>(next.cell)]) {
                joined[static_cast<size_t>(next.cell)] = 1;
                pending.push_back(next.cell);
            }
        }
    }
    std::vector<long long> node(static_cast<size_t>(cells), -1);
    long long nodes = 0;
    for (long long cell = 0; cell < cells; ++cell) {
        if (joined[static_cast<size_t>(cell)] && cell != ground)
            node[static_cast<size_t>(cell)] = nodes++;
    }

    long long band = 0;
    for (long long cell = 0; cell < cells; ++cell) {
        if (node[static_cast<size_t>(cell)] < 0)
            continue;
        for (const Neighbour& next : neighboursOf(cell)) {
            if (node[static_cast<size_t>(next.cell)] >= 0)
                band = std::max(band, node[static_cast<size_t>(cell)] - node[static_cast<size_t>(next.cell)]);
        }
    }
    BandCholesky laplacian(nodes, band);
    for (long long cell = 0; cell < cells; ++cell) {
        const long long i = node[static_cast<size_t>(cell)];
        if (i < 0)
            continue;
        for (const Neighbour& next : neighboursOf(cell)) {
            laplacian.at(i, i) += next.conductance;
            const long long j = node[static_cast<size_t>(next.cell)];
            if (j >= 0 && j < i)
                laplacian.at(i, j) -= next.conductance;
        }
    }
    laplacian.factor();

    const double nan = std::numeric_limits<double>::quiet_NaN();
    LiteralCurrents result;
    result.cumulative.assign(static_cast<size_t>(cells), 0.0);
    result.maximum.assign(static_cast<size_t>(cells), 0.0);
    for (long long cell = 0; cell < cells; ++cell) {
        if (!passable(cell))
            result.cumulative[static_cast<size_t>(cell)] = result.maximum[static_cast<size_t>(cell)] = nan;
    }
    std::vector<double> potential(static_cast<size_t>(nodes));
    std::vector<double> pairCurrent(static_cast<size_t>(cells));
    auto potentialAt = [&](long long cell) {
        const long long i = node[static_cast<size_t>(cell)];
        return i < 0 ? 0.0 : potential[static_cast<size_t>(i)];
    };
    for (size_t a = 0; a < distinct.size(); ++a) {
        for (size_t b = a + 1; b < distinct.size(); ++b) {
            std::fill(potential.begin(), potential.end(), 0.0);
            if (node[static_cast<size_t>(distinct[a])] >= 0)
                potential[static_cast<size_t>(node[static_cast<size_t>(distinct[a])])] += 1.0;
            if (node[static_cast<size_t>(distinct[b])] >= 0)
                potential[static_cast<size_t>(node[static_cast<size_t>(distinct[b])])] -= 1.0;
            laplacian.solve(potential);
            for (long long cell = 0; cell < cells; ++cell) {
                if (!joined[static_cast<size_t>(cell)])
                    continue;
                double edges = 0.0;
                for (const Neighbour& next : neighboursOf(cell))
                    edges += next.conductance * std::abs(potentialAt(cell) - potentialAt(next.cell));
                const bool terminal = cell == distinct[a] || cell == distinct[b];
                pairCurrent[static_cast<size_t>(cell)] = edges / 2.0 + (terminal ? 0.5 : 0.0);
            }
            for (long long cell = 0; cell < cells; ++cell) {
                if (!joined[static_cast<size_t>(cell)])
                    continue;
                result.cumulative[static_cast<size_t>(cell)] += pairCurrent[static_cast<size_t>(cell)];
                result.maximum[static_cast<size_t>(cell)] =
                    std::max(result.maximum[static_cast<size_t>(cell)], pairCurrent[static_cast<size_t>(cell)]);
            }
        }
    }
    return result;
}

} // namespace tessaloc::testing
