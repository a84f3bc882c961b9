#include "tests/support/LiteralAggregation.h"

#include "core/Errors.h"
#include "core/GeographicDistances.h"
#include "core/GeographicRanges.h"
#include "core/NearMaximum.h"
#include "core/NumberText.h"
#include "tests/support/LiteralMantel.h"
#include "tests/support/TStringList.h"

#include <cmath>
#include <utility>

namespace tessaloc::reference {
namespace {

struct Neighbour {
    int j;
    double d;
};

// The exchanged matrix, indexed from 1 like every table of this procedure.
class Distances {
public:
    explicit Distances(SquareMatrix matrix)
        : m_matrix(std::move(matrix))
    {
    }
    double& operator()(int i, int j) { return m_matrix(i - 1, j - 1); }
    SquareMatrix& matrix() { return m_matrix; }

private:
    SquareMatrix m_matrix;
};

// Shell's method on entries 1..N-1: the gap starts at (N - 1) \ 2 and is halved down to 1, each pass
// an insertion sort over the gap.
void shellSort(std::vector<Neighbour>& list)
{
    const int count = static_cast<int>(list.size()) - 1; // entries 1..count
    for (int gap = count / 2; gap > 0; gap /= 2) {
        for (int i = gap + 1; i <= count; ++i) {
            const Neighbour held = list[static_cast<size_t>(i)];
            int k = i;
            while (k > gap && list[static_cast<size_t>(k - gap)].d > held.d) {
                list[static_cast<size_t>(k)] = list[static_cast<size_t>(k - gap)];
                k -= gap;
            }
            list[static_cast<size_t>(k)] = held;
        }
    }
}

// NeighbourList(i) for i = 1..N: entries 1..N-1 (entry 0 unused).
std::vector<std::vector<Neighbour>> buildNeighbourLists(Distances& d, int n)
{
    std::vector<std::vector<Neighbour>> lists(static_cast<size_t>(n) + 1);
    for (int i = 1; i <= n; ++i) {
        std::vector<Neighbour>& list = lists[static_cast<size_t>(i)];
        list.push_back({0, 0.0});
        for (int j = 1; j <= n; ++j) {
            if (j != i)
                list.push_back({j, d(i, j)});
        }
        shellSort(list);
    }
    return lists;
}

struct Locus {
    std::vector<std::string> categoryText; // 1-based, entry 0 unused
    std::vector<int> bearerCount;
};

// meanNearestDistance and rj of every category with at least two bearers, walking the lists.
void computeCategories(const std::vector<Locus>& loci, const std::vector<std::vector<std::string>>& text,
                       const std::vector<std::vector<Neighbour>>& lists, int n, double area,
                       std::vector<std::vector<double>>& mean, std::vector<std::vector<double>>& rj)
{
    for (size_t l = 1; l < loci.size(); ++l) {
        const Locus& locus = loci[l];
        for (size_t c = 1; c < locus.categoryText.size(); ++c) {
            if (locus.bearerCount[c] < 2)
                continue;
            double sum = 0.0;
            for (int i = 1; i <= n; ++i) {
                if (text[l][static_cast<size_t>(i)] != locus.categoryText[c])
                    continue;
                const std::vector<Neighbour>& list = lists[static_cast<size_t>(i)];
                for (size_t k = 1; k < list.size(); ++k) {
                    if (text[l][static_cast<size_t>(list[k].j)] == locus.categoryText[c]) {
                        sum += list[k].d;
                        break;
                    }
                }
            }
            mean[l][c] = sum / locus.bearerCount[c];
            const double expected = 1.0 / (2.0 * std::sqrt(locus.bearerCount[c] / area));
            rj[l][c] = mean[l][c] / expected;
        }
    }
}

double meanOverIncluded(const std::vector<Locus>& loci, const std::vector<std::vector<double>>& rj, int& included)
{
    double sum = 0.0;
    included = 0;
    for (size_t l = 1; l < loci.size(); ++l) {
        if (loci[l].categoryText.size() - 1 < 2)
            continue;
        for (size_t c = 1; c < loci[l].categoryText.size(); ++c) {
            if (loci[l].bearerCount[c] >= 2) {
                sum += rj[l][c];
                ++included;
            }
        }
    }
    return sum / included;
}

} // namespace

AggregationResult literalAllelicAggregation(const SampleTable& table, DataType dataType, bool useLatLong,
                                            const AggregationSettings& settings, RandomUniform& random)
{
    const int n = table.sampleCount();
    const int m = table.locusCount;
    std::vector<double> x(static_cast<size_t>(n) + 1), y(static_cast<size_t>(n) + 1);
    for (int i = 1; i <= n; ++i) {
        x[static_cast<size_t>(i)] = table.coordinateX(i - 1);
        y[static_cast<size_t>(i)] = table.coordinateY(i - 1);
    }
    // GenotypeText(i, L) padded; a missing code is kept apart as an empty text, which no category has.
    std::vector<std::vector<std::string>> text(static_cast<size_t>(m) + 1,
                                               std::vector<std::string>(static_cast<size_t>(n) + 1));
    for (int l = 1; l <= m; ++l) {
        for (int i = 1; i <= n; ++i) {
            const std::string& field = table.genotype(l - 1, i - 1);
            text[static_cast<size_t>(l)][static_cast<size_t>(i)] =
                IsMissingCode(dataType, field) ? "" : " " + field + " ";
        }
    }

    Distances d(BuildGeographicDistances(table, useLatLong).square());

    double dx, dy;
    if (useLatLong) {
        double minX = x[1], maxX = x[1], minY = y[1], maxY = y[1];
        for (int i = 2; i <= n; ++i) {
            minX = std::min(minX, x[static_cast<size_t>(i)]);
            maxX = std::max(maxX, x[static_cast<size_t>(i)]);
            minY = std::min(minY, y[static_cast<size_t>(i)]);
            maxY = std::max(maxY, y[static_cast<size_t>(i)]);
        }
        const GeographicRanges ranges = ComputeGeographicRanges(minX, maxX, minY, maxY, true);
        dx = ranges.RangeX;
        dy = ranges.RangeY;
    } else {
        double minX = x[1], maxX = x[1], minY = y[1], maxY = y[1];
        for (int i = 2; i <= n; ++i) {
            if (x[static_cast<size_t>(i)] > maxX)
                maxX = x[static_cast<size_t>(i)];
            if (x[static_cast<size_t>(i)] < minX)
                minX = x[static_cast<size_t>(i)];
            if (y[static_cast<size_t>(i)] > maxY)
                maxY = y[static_cast<size_t>(i)];
            if (y[static_cast<size_t>(i)] < minY)
                minY = y[static_cast<size_t>(i)];
        }
        dx = maxX - minX;
        dy = maxY - minY;
    }

    AggregationResult result;
    result.dataType = dataType;
    result.sampleCount = n;
    result.permutations = settings.permutations.count;

    // R.
    double nnSum = 0.0;
    for (int i = 1; i <= n; ++i) {
        double nn = kNearMaximum15Digits;
        for (int j = 1; j <= n; ++j) {
            if (j == i)
                continue;
            double dist;
            if (useLatLong) {
                dist = d(i, j);
            } else {
                const double ex = x[static_cast<size_t>(i)] - x[static_cast<size_t>(j)];
                const double ey = y[static_cast<size_t>(i)] - y[static_cast<size_t>(j)];
                dist = std::sqrt(ex * ex + ey * ey);
            }
            if (dist < nn)
                nn = dist;
        }
        nnSum += nn;
    }
    const double meanNN = nnSum / n;
    const bool flat = dy == 0.0;
    if (flat)
        dy = 1.0;
    const double area = settings.areaMode == AreaMode::Empirical ? settings.empiricalArea : dx * dy;
    const double expected = flat ? 1.0 / (2.0 * (n / area)) : 1.0 / (2.0 * std::sqrt(n / area));
    result.dx = dx;
    result.dy = dy;
    result.oneDimensional = flat;
    result.area = area;
    result.meanNearestNeighbour = meanNN;
    result.expectedNearestNeighbour = expected;
    result.r = requireFinite(meanNN / expected, "R");

    std::vector<std::vector<Neighbour>> lists = buildNeighbourLists(d, n);

    // Categories in order of first appearance.
    std::vector<Locus> loci(static_cast<size_t>(m) + 1);
    for (int l = 1; l <= m; ++l) {
        Locus& locus = loci[static_cast<size_t>(l)];
        locus.categoryText.push_back("");
        locus.bearerCount.push_back(0);
        for (int i = 1; i <= n; ++i) {
            const std::string& t = text[static_cast<size_t>(l)][static_cast<size_t>(i)];
            if (t.empty())
                continue;
            bool found = false;
            for (size_t c = 1; c < locus.categoryText.size(); ++c)
                found = found || locus.categoryText[c] == t;
            if (!found) {
                locus.categoryText.push_back(t);
                locus.bearerCount.push_back(0);
            }
        }
        for (size_t c = 1; c < locus.categoryText.size(); ++c) {
            for (int i = 1; i <= n; ++i) {
                if (text[static_cast<size_t>(l)][static_cast<size_t>(i)] == locus.categoryText[c])
                    ++locus.bearerCount[c];
            }
        }
    }

    std::vector<std::vector<double>> mean(static_cast<size_t>(m) + 1), rj(static_cast<size_t>(m) + 1);
    std::vector<std::vector<double>> upper(static_cast<size_t>(m) + 1), lower(static_cast<size_t>(m) + 1);
    for (int l = 1; l <= m; ++l) {
        const size_t size = loci[static_cast<size_t>(l)].categoryText.size();
        mean[static_cast<size_t>(l)].assign(size, 0.0);
        rj[static_cast<size_t>(l)].assign(size, 0.0);
        upper[static_cast<size_t>(l)].assign(size, 0.0);
        lower[static_cast<size_t>(l)].assign(size, 0.0);
    }
    computeCategories(loci, text, lists, n, area, mean, rj);
    int included = 0;
    const double rave = meanOverIncluded(loci, rj, included);
    result.rave = requireFinite(rave, "Rave");
    result.includedCategories = included;

    // Data type 3: sequence codes and the names of each sequence's bearers.
    TStringList sequences, codes;
    std::vector<TStringList> names;
    if (dataType == DataType::Sequences) {
        for (int i = 1; i <= n; ++i) {
            const std::string t = " " + table.genotype(0, i - 1) + " ";
            if (sequences.IndexOf(t) == -1) {
                sequences.add(t);
                codes.add(printForm(static_cast<long long>(sequences.count())));
            }
        }
        names.resize(static_cast<size_t>(sequences.count()) + 1);
        for (int i = 1; i <= n; ++i)
            names[static_cast<size_t>(sequences.IndexOf(" " + table.genotype(0, i - 1) + " "))].add(
                table.names[static_cast<size_t>(i - 1)]);
    }

    // The replicates.
    if (settings.permutations.count <= 0)
        throw AnalysisError("no replicates");
    double raveCounter = 0.0;
    std::vector<std::vector<double>> randomMean = mean, randomRj = rj;
    for (long long rep = 1; rep <= settings.permutations.count; ++rep) {
        literalExchangeReplicate(d.matrix(), random);
        lists = buildNeighbourLists(d, n);
        computeCategories(loci, text, lists, n, area, randomMean, randomRj);
        for (int l = 1; l <= m; ++l) {
            for (size_t c = 1; c < loci[static_cast<size_t>(l)].categoryText.size(); ++c) {
                if (loci[static_cast<size_t>(l)].bearerCount[c] < 2)
                    continue;
                if (randomRj[static_cast<size_t>(l)][c] >= rj[static_cast<size_t>(l)][c])
                    upper[static_cast<size_t>(l)][c] += 1;
                if (randomRj[static_cast<size_t>(l)][c] <= rj[static_cast<size_t>(l)][c])
                    lower[static_cast<size_t>(l)][c] += 1;
            }
        }
        int randomIncluded = 0;
        if (meanOverIncluded(loci, randomRj, randomIncluded) <= rave)
            raveCounter += 1;
    }

    const double count = static_cast<double>(settings.permutations.count);
    result.raveCount = static_cast<long long>(raveCounter);
    result.pRave = raveCounter / count;
    for (int l = 1; l <= m; ++l) {
        LocusResult locus;
        const Locus& categories = loci[static_cast<size_t>(l)];
        for (size_t c = 1; c < categories.categoryText.size(); ++c) {
            CategoryResult category;
            category.text = categories.categoryText[c];
            category.label = category.text;
            if (dataType == DataType::Sequences) {
                const std::int32_t position = sequences.IndexOf(category.text);
                if (position == -1)
                    throw AnalysisError("no sequence code");
                category.label = codes.returnstring(position);
            }
            category.bearerCount = categories.bearerCount[c];
            category.meanNearestDistance = mean[static_cast<size_t>(l)][c];
            category.rj = rj[static_cast<size_t>(l)][c];
            category.upperCount = static_cast<long long>(upper[static_cast<size_t>(l)][c]);
            category.lowerCount = static_cast<long long>(lower[static_cast<size_t>(l)][c]);
            category.pUpper = upper[static_cast<size_t>(l)][c] / count;
            category.pLower = lower[static_cast<size_t>(l)][c] / count;
            locus.categories.push_back(std::move(category));
        }
        result.loci.push_back(std::move(locus));
    }
    for (std::int32_t k = 1; k <= sequences.count(); ++k) {
        SequenceEntry entry;
        entry.code = codes.returnstring(k);
        entry.sequence = sequences.returnstring(k);
        for (std::int32_t p = 1; p <= names[static_cast<size_t>(k)].count(); ++p)
            entry.names.push_back(names[static_cast<size_t>(k)].returnstring(p));
        result.sequences.push_back(std::move(entry));
    }
    return result;
}

} // namespace tessaloc::reference
