#include "tests/support/LiteralAutocorrelation.h"

#include "core/Errors.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/LiteralMantel.h"

#include <algorithm>
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

// Pearson's r of x and y over their pairs i < j (1-based), the means first, then the three sums.
template <typename X, typename Y> double pearsonOverPairs(int n, X x, Y y)
{
    double sumX = 0.0;
    double sumY = 0.0;
    double pairs = 0.0;
    for (int i = 1; i <= n - 1; ++i)
        for (int j = i + 1; j <= n; ++j) {
            sumX += x(i, j);
            sumY += y(i, j);
            pairs += 1;
        }
    const double meanX = sumX / pairs;
    const double meanY = sumY / pairs;
    double sxy = 0.0;
    double sxx = 0.0;
    double syy = 0.0;
    for (int i = 1; i <= n - 1; ++i)
        for (int j = i + 1; j <= n; ++j) {
            sxy += (x(i, j) - meanX) * (y(i, j) - meanY);
            sxx += (x(i, j) - meanX) * (x(i, j) - meanX);
            syy += (y(i, j) - meanY) * (y(i, j) - meanY);
        }
    return sxy / std::sqrt(sxx * syy);
}

} // namespace

double literalQuantile(std::vector<double> x, double probability)
{
    std::sort(x.begin(), x.end());
    const double n = static_cast<double>(x.size());
    const double index = 1 + std::max(n - 1, 0.0) * probability;
    const double lo = std::floor(index);
    const double hi = std::ceil(index);
    double qs = x[static_cast<size_t>(lo) - 1];
    const double atHi = x[static_cast<size_t>(hi) - 1];
    if (index > lo && atHi != qs) {
        const double h = index - lo;
        qs = (1 - h) * qs + h * atHi;
    }
    return qs;
}

std::vector<std::vector<double>> literalBootstrapClassMeans(const SampleTable& table, DataType dataType,
                                                            const SquareMatrix& geographic,
                                                            const std::vector<double>& lower,
                                                            const std::vector<double>& upper, long long resamples,
                                                            RandomUniform& random)
{
    const int n = table.sampleCount();
    const int units =
        dataType == DataType::Sequences ? static_cast<int>(table.genotype(0, 0).size()) : table.locusCount;
    const size_t k = upper.size();
    std::vector<std::vector<double>> rows;
    for (long long b = 1; b <= resamples; ++b) {
        std::vector<int> drawn;
        for (int u = 1; u <= units; ++u)
            drawn.push_back(static_cast<int>(random.next() * units));
        SampleTable resampled = table;
        if (dataType == DataType::Sequences) {
            for (int o = 0; o < n; ++o) {
                const std::string own = table.genotype(0, o);
                std::string sites;
                for (const int site : drawn)
                    sites += site < static_cast<int>(own.size()) ? own[static_cast<size_t>(site)] : '\0';
                resampled.genotypes[0].set(static_cast<size_t>(o), sites);
            }
        } else {
            resampled.genotypes.clear();
            for (const int locus : drawn)
                resampled.genotypes.push_back(table.genotypes[static_cast<size_t>(locus)]);
            resampled.locusCount = units;
        }
        SquareMatrix g;
        try {
            g = dataType == DataType::Codominant  ? literalAlleleDistances(resampled)
                : dataType == DataType::Genotypes ? literalGenotypeDistances(resampled)
                                                  : literalSequenceDistances(resampled);
        } catch (const DataProblem&) {
            continue;
        }
        std::vector<double> means;
        for (size_t f = 0; f < k; ++f) {
            double sum = 0.0;
            double count = 0.0;
            for (int i = 0; i < n - 1; ++i)
                for (int j = i + 1; j < n; ++j)
                    if (lower[f] <= geographic(i, j) && geographic(i, j) < upper[f]) {
                        sum += g(i, j);
                        count += 1;
                    }
            means.push_back(sum / count);
        }
        rows.push_back(means);
    }
    return rows;
}

AutocorrelationResult literalSpatialAutocorrelation(const SquareMatrix& genetic, const SquareMatrix& geographic,
                                                    const AutocorrelationSettings& settings, RandomUniform& random,
                                                    LiteralReplicates* replicates)
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
    // The Mantel correlation of the matrix as it stands with the membership of class f.
    auto mantelR = [&](int f) {
        return pearsonOverPairs(
            n, [&](int i, int j) { return g(m, i, j); }, [&](int i, int j) { return 1.0 - indicator(f, i, j); });
    };
    if (replicates)
        for (int f = 1; f <= k; ++f)
            replicates->observedMantelR.push_back(mantelR(f));

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
        if (replicates) {
            replicates->ay.emplace_back(ayStar.begin() + 1, ayStar.end());
            replicates->v.push_back(statisticV(ayStar));
            std::vector<double> r;
            for (int f = 1; f <= k; ++f)
                r.push_back(mantelR(f));
            replicates->mantelR.push_back(r);
        }
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
