#include "tests/support/LiteralAutocorrelation.h"

#include "core/Errors.h"
#include "tests/support/LiteralMantel.h"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace tessaloc::reference {
namespace {

// Shell's method on S(1..P), the gap starting at P / 2 and halved until it reaches 0.
void shellSort(std::vector<double>& s, long long p)
{
    for (long long gap = p / 2; gap > 0; gap /= 2) {
        for (long long i = gap + 1; i <= p; ++i) {
            const double value = s[i];
            long long j = i;
            while (j > gap && s[j - gap] > value) {
                s[j] = s[j - gap];
                j -= gap;
            }
            s[j] = value;
        }
    }
}

} // namespace

AutocorrelationResult literalSpatialAutocorrelation(const SquareMatrix& genetic, const SquareMatrix& geographic,
                                                    const AutocorrelationSettings& settings, RandomUniform& random)
{
    const int n = genetic.size();
    const int k = static_cast<int>(settings.classCount);
    const long long p = static_cast<long long>(n) * (n - 1) / 2;
    // 1-based arrays, like every table of this procedure.
    auto g = [&](SquareMatrix& m, int i, int j) -> double& { return m(i - 1, j - 1); };
    auto d = [&](int i, int j) { return geographic(i - 1, j - 1); };

    double dmax = 0.0;
    for (int i = 1; i <= n - 1; ++i)
        for (int j = i + 1; j <= n; ++j)
            if (d(i, j) > dmax)
                dmax = d(i, j);

    std::vector<double> lowerLimit(k + 1, 0.0);
    std::vector<double> upperLimit(k + 1, 0.0);
    if (settings.classMode == ClassMode::EqualCounts) {
        std::vector<double> s(p + 1, 0.0);
        long long c = 0;
        for (int i = 1; i <= n - 1; ++i)
            for (int j = i + 1; j <= n; ++j)
                s[++c] = d(i, j);
        shellSort(s, p);
        const long long q = p / k;
        for (int l = 1; l <= k - 1; ++l)
            upperLimit[l] = l % 2 == 1 ? s[l * q + 1] : s[l * q];
        upperLimit[k] = s[p] + 1;
        for (int l = 1; l <= k; ++l)
            lowerLimit[l] = upperLimit[l - 1];
    } else {
        const double w = dmax / k;
        for (int l = 1; l <= k; ++l) {
            upperLimit[l] = l * w;
            lowerLimit[l] = (l - 1) * w;
        }
        upperLimit[k] = upperLimit[k] + 1;
    }

    // member[f][i][j] = 1 when pair (i, j), i < j, lies in class f.
    const size_t cells = static_cast<size_t>(n + 1) * static_cast<size_t>(n + 1);
    std::vector<std::int32_t> member(static_cast<size_t>(k + 1) * cells, 0);
    auto indicator = [&](int f, int i, int j) -> std::int32_t& {
        return member[static_cast<size_t>(f) * cells + static_cast<size_t>(i) * (n + 1) + j];
    };
    std::vector<long long> count(k + 1, 0);
    for (int f = 1; f <= k; ++f) {
        for (int i = 1; i <= n - 1; ++i) {
            for (int j = i + 1; j <= n; ++j) {
                if (lowerLimit[f] <= d(i, j) && d(i, j) < upperLimit[f]) {
                    indicator(f, i, j) = 1;
                    ++count[f];
                }
            }
        }
    }

    SquareMatrix m = genetic;
    auto classMeans = [&](std::vector<double>& ay) {
        for (int f = 1; f <= k; ++f) {
            double sum = 0.0;
            for (int i = 1; i <= n - 1; ++i)
                for (int j = i + 1; j <= n; ++j)
                    if (indicator(f, i, j) == 1)
                        sum += g(m, i, j);
            ay[f] = requireFinite(sum / static_cast<double>(count[f]), "the mean genetic distance of a distance class");
        }
    };
    std::vector<double> ay(k + 1, 0.0);
    classMeans(ay);
    double total = 0.0;
    for (int i = 1; i <= n - 1; ++i)
        for (int j = i + 1; j <= n; ++j)
            total += g(m, i, j);
    const double gbar = total / (static_cast<double>(n) * (n - 1) / 2);
    auto statisticV = [&](const std::vector<double>& means) {
        double squares = 0.0;
        for (int f = 1; f <= k; ++f)
            squares += (means[f] - gbar) * (means[f] - gbar);
        return std::sqrt(squares / k);
    };
    const double v = statisticV(ay);

    std::vector<double> upperCounter(k + 1, 0.0);
    std::vector<double> lowerCounter(k + 1, 0.0);
    double vCounter = 0.0;
    std::vector<double> ayStar(k + 1, 0.0);
    for (long long rep = 1; rep <= settings.permutations.count; ++rep) {
        literalExchangeReplicate(m, random);
        classMeans(ayStar);
        for (int f = 1; f <= k; ++f) {
            if (ayStar[f] >= ay[f])
                upperCounter[f] += 1;
            if (ayStar[f] <= ay[f])
                lowerCounter[f] += 1;
        }
        if (statisticV(ayStar) >= v)
            vCounter += 1;
    }

    AutocorrelationResult result;
    result.classMode = settings.classMode;
    result.permutations = settings.permutations.count;
    result.distogram.classCount = k;
    result.distogram.meanGeneticDistance = gbar;
    result.v = v;
    result.vCount = static_cast<long long>(vCounter);
    result.vP = vCounter / static_cast<double>(settings.permutations.count);
    for (int f = 1; f <= k; ++f) {
        result.distogram.lowerLimit.push_back(lowerLimit[f]);
        result.distogram.upperLimit.push_back(upperLimit[f]);
        result.distogram.ay.push_back(ay[f]);
        result.pairCounts.push_back(count[f]);
        result.upperTailCounts.push_back(static_cast<long long>(upperCounter[f]));
        result.lowerTailCounts.push_back(static_cast<long long>(lowerCounter[f]));
        result.upperTailP.push_back(upperCounter[f] / static_cast<double>(settings.permutations.count));
        result.lowerTailP.push_back(lowerCounter[f] / static_cast<double>(settings.permutations.count));
    }
    result.genetic = genetic;
    result.geographic = geographic;
    return result;
}

} // namespace tessaloc::reference
