#include "analyses/kinship/KinshipPairs.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/ParallelRows.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace tessaloc {
namespace {

constexpr int kNoCopy = -1;

// The gene copies one field holds, as allele numbers of its locus (kNoCopy where missing).
struct FieldCopies {
    int first = kNoCopy;
    int second = kNoCopy;
    int count() const { return (first != kNoCopy) + (second != kNoCopy); }
};

int alleleNumber(std::vector<std::string>& alleles, std::string_view text)
{
    for (size_t a = 0; a < alleles.size(); ++a)
        if (alleles[a] == text)
            return static_cast<int>(a);
    alleles.emplace_back(text);
    return static_cast<int>(alleles.size() - 1);
}

FieldCopies copiesOf(std::string_view field, DataType dataType, std::vector<std::string>& alleles)
{
    FieldCopies copies;
    if (dataType == DataType::Genotypes) {
        if (field != "0" && field != "0\\0")
            copies.first = alleleNumber(alleles, field);
        return copies;
    }
    const std::string_view left = LeftAllele(field);
    const std::string_view right = RightAllele(field);
    if (left != "0")
        copies.first = alleleNumber(alleles, left);
    if (right != "0") {
        copies.second = alleleNumber(alleles, right);
        if (copies.first == kNoCopy)
            std::swap(copies.first, copies.second);
    }
    return copies;
}

// Row blocks of the Gram sums: four rows against two, over blocks of columns that stay in the
// first-level cache, two columns at a time in the halves of a vector register.
using Pair = double __attribute__((vector_size(16)));
constexpr size_t kColumnBlock = 256;

} // namespace

SquareMatrix UpperGramSums(const std::vector<double>& rows, int n, size_t columns)
{
    SquareMatrix sums(n);
    if (n < 2 || columns == 0)
        return sums;
    // Columns in pairs; an odd last column is read with a zero beside it.
    const size_t stride = columns;
    auto at = [&](int i, size_t c) { return rows.data() + static_cast<size_t>(i) * stride + c; };
    auto load = [&](int i, size_t c, size_t end) -> Pair {
        const double* p = at(i, c);
        return Pair{p[0], c + 1 < end ? p[1] : 0.0};
    };
    const int blocks = (n + 3) / 4;
    forEachRowInParallel(
        blocks,
        [&](int block) {
            const int i0 = block * 4;
            const int iCount = std::min(4, n - i0);
            std::vector<double> partial(static_cast<size_t>(iCount) * static_cast<size_t>(n), 0.0);
            for (size_t c0 = 0; c0 < columns; c0 += kColumnBlock) {
                const size_t c1 = std::min(columns, c0 + kColumnBlock);
                for (int j0 = i0 + 1; j0 < n; j0 += 2) {
                    const int jCount = std::min(2, n - j0);
                    Pair s[4][2] = {};
                    for (size_t c = c0; c < c1; c += 2) {
                        Pair b[2];
                        for (int b1 = 0; b1 < 2; ++b1)
                            b[b1] = b1 < jCount ? load(j0 + b1, c, c1) : Pair{0.0, 0.0};
                        for (int a = 0; a < 4; ++a) {
                            const Pair va = a < iCount ? load(i0 + a, c, c1) : Pair{0.0, 0.0};
                            s[a][0] += va * b[0];
                            s[a][1] += va * b[1];
                        }
                    }
                    for (int a = 0; a < iCount; ++a)
                        for (int b1 = 0; b1 < jCount; ++b1)
                            partial[static_cast<size_t>(a) * static_cast<size_t>(n) + static_cast<size_t>(j0 + b1)] +=
                                s[a][b1][0] + s[a][b1][1];
                }
            }
            for (int a = 0; a < iCount; ++a) {
                const int i = i0 + a;
                for (int j = i + 1; j < n; ++j)
                    sums(i, j) = partial[static_cast<size_t>(a) * static_cast<size_t>(n) + static_cast<size_t>(j)];
            }
        },
        4);
    return sums;
}

KinshipLoci::KinshipLoci(const SampleTable& table, DataType dataType, bool rousset)
    : m_n(table.sampleCount())
    , m_rousset(rousset && dataType == DataType::Codominant)
{
    if (dataType == DataType::Sequences)
        throw AnalysisError("kinship coefficients need alleles (data type 1 or 2), not sequences");
    const size_t n = static_cast<size_t>(m_n);

    // Per polymorphic locus: the copies of every individual and the allele frequencies.
    struct Read {
        std::vector<FieldCopies> copies;
        std::vector<double> frequencies;
    };
    std::vector<Read> reads;
    for (int tableLocus = 0; tableLocus < table.locusCount; ++tableLocus) {
        const GenotypeColumn& column = table.genotypes[static_cast<size_t>(tableLocus)];
        std::vector<std::string> alleles;
        std::vector<FieldCopies> textCopies;
        for (const std::string& text : column.texts())
            textCopies.push_back(copiesOf(text, dataType, alleles));
        Read read;
        read.copies.reserve(n);
        for (size_t i = 0; i < n; ++i)
            read.copies.push_back(textCopies[column.codes()[i]]);
        // p_la = (1 / N_l) sum_i (1 / k_il) sum_c x_ica
        read.frequencies.assign(alleles.size(), 0.0);
        long long defined = 0;
        long long geneCopies = 0;
        for (const FieldCopies& c : read.copies) {
            const int k = c.count();
            if (k == 0)
                continue;
            ++defined;
            geneCopies += k;
            read.frequencies[static_cast<size_t>(c.first)] += 1.0 / k;
            if (c.second != kNoCopy)
                read.frequencies[static_cast<size_t>(c.second)] += 1.0 / k;
        }
        if (defined == 0)
            continue;
        double diversity = 0.0;
        double squares = 0.0;
        for (double& p : read.frequencies) {
            p /= static_cast<double>(defined);
            diversity += p * (1.0 - p);
            squares += p * p;
        }
        if (!(diversity > 0.0))
            continue;
        Locus locus;
        locus.tableLocus = tableLocus;
        locus.diversity = diversity;
        locus.constant = diversity / static_cast<double>(geneCopies - 1);
        locus.firstColumn = m_columns;
        // Two alleles: y of the second is minus that of the first, so one column of sqrt(2) y holds
        // both products.
        locus.columnCount = alleles.size() == 2 ? 1 : alleles.size();
        m_columns += locus.columnCount;
        if (m_rousset) {
            long long complete = 0;
            long long heterozygous = 0;
            for (const FieldCopies& c : read.copies) {
                if (c.count() == 1)
                    m_halfMissing = true;
                if (c.count() == 2) {
                    ++complete;
                    heterozygous += c.first != c.second;
                }
            }
            locus.roussetLocus = complete > 0;
            if (locus.roussetLocus) {
                locus.observed = static_cast<double>(heterozygous) / static_cast<double>(complete);
                locus.roussetBase = 1.0 - squares - locus.observed / 2.0;
            } else {
                m_halfMissing = true;
            }
        }
        m_loci.push_back(locus);
        reads.push_back(std::move(read));
    }

    const size_t loci = m_loci.size();
    m_y.assign(n * m_columns, 0.0);
    m_copies.assign(loci * n, 0);
    if (m_rousset) {
        m_g.assign(loci * n, 0.0);
        if (m_halfMissing)
            m_roussetY.assign(n * m_columns, 0.0);
    }
    const double root2 = std::sqrt(2.0);
    std::vector<double> share;
    for (size_t l = 0; l < loci; ++l) {
        const Locus& locus = m_loci[l];
        const Read& read = reads[l];
        const std::vector<double>& p = read.frequencies;
        for (size_t i = 0; i < n; ++i) {
            const FieldCopies& c = read.copies[i];
            const int k = c.count();
            m_copies[at(static_cast<int>(l), static_cast<int>(i))] = static_cast<std::uint8_t>(k);
            if (k == 0)
                continue;
            share.assign(p.size(), 0.0);
            share[static_cast<size_t>(c.first)] += 1.0 / k;
            if (c.second != kNoCopy)
                share[static_cast<size_t>(c.second)] += 1.0 / k;
            double* row = m_y.data() + i * m_columns + locus.firstColumn;
            if (locus.columnCount == 1)
                row[0] = root2 * (share[0] - p[0]);
            else
                for (size_t a = 0; a < p.size(); ++a)
                    row[a] = share[a] - p[a];
            if (m_rousset && k == 2 && locus.roussetLocus) {
                double g = (c.first != c.second ? 1.0 : 0.0) / 4.0;
                for (size_t a = 0; a < p.size(); ++a)
                    g += p[a] * (share[a] - p[a]);
                m_g[at(static_cast<int>(l), static_cast<int>(i))] = g;
                if (m_halfMissing)
                    std::copy(row, row + locus.columnCount, m_roussetY.data() + i * m_columns + locus.firstColumn);
            }
        }
    }
}

bool KinshipLoci::kinshipTerms(int l, int i, int j, double& numerator, double& denominator) const
{
    if (copies(l, i) == 0 || copies(l, j) == 0)
        return false;
    const Locus& locus = m_loci[static_cast<size_t>(l)];
    double s = 0.0;
    for (size_t c = locus.firstColumn; c < locus.firstColumn + locus.columnCount; ++c)
        s += y(i, c) * y(j, c);
    numerator = s + locus.constant;
    denominator = locus.diversity;
    return true;
}

bool KinshipLoci::roussetTerms(int l, int i, int j, double& numerator, double& denominator) const
{
    const Locus& locus = m_loci[static_cast<size_t>(l)];
    if (!m_rousset || !locus.roussetLocus || !complete(l, i) || !complete(l, j))
        return false;
    double s = 0.0;
    for (size_t c = locus.firstColumn; c < locus.firstColumn + locus.columnCount; ++c)
        s += y(i, c) * y(j, c);
    numerator = locus.roussetBase - s - g(l, i) - g(l, j);
    denominator = locus.observed;
    return true;
}

namespace {

// Sums over the loci where both members of a pair are present, as the sum over all loci less the
// loci either one lacks, plus those both lack (counted twice): per individual the sums over what it
// lacks, per pair those over what both lack, found locus by locus among the few that lack it.
struct LackedSums {
    double total[2] = {0.0, 0.0};
    long long totalLoci = 0;
    std::vector<double> own;           ///< N x 2: per individual, the weights of the loci it lacks
    std::vector<std::int32_t> ownLoci; ///< N: the number of loci it lacks (counted ones)
    SquareMatrix both[2];
    std::vector<std::int32_t> bothLoci; ///< N x N

    // `lacks(l, i)`, `weight(l, w)` (w = 0, 1) and `counts(l)` describe the loci.
    template <typename Lacks, typename Weight, typename Counts>
    LackedSums(int n, int loci, Lacks lacks, Weight weight, Counts counts)
        : own(static_cast<size_t>(n) * 2, 0.0)
        , ownLoci(static_cast<size_t>(n), 0)
        , both{SquareMatrix(n), SquareMatrix(n)}
        , bothLoci(static_cast<size_t>(n) * static_cast<size_t>(n), 0)
    {
        std::vector<int> lacking;
        for (int l = 0; l < loci; ++l) {
            const double w0 = weight(l, 0);
            const double w1 = weight(l, 1);
            const int c = counts(l) ? 1 : 0;
            total[0] += w0;
            total[1] += w1;
            totalLoci += c;
            lacking.clear();
            for (int i = 0; i < n; ++i)
                if (lacks(l, i))
                    lacking.push_back(i);
            for (size_t a = 0; a < lacking.size(); ++a) {
                const int i = lacking[a];
                own[static_cast<size_t>(i) * 2] += w0;
                own[static_cast<size_t>(i) * 2 + 1] += w1;
                ownLoci[static_cast<size_t>(i)] += c;
                for (size_t b = a + 1; b < lacking.size(); ++b) {
                    const int j = lacking[b];
                    both[0](i, j) += w0;
                    both[1](i, j) += w1;
                    bothLoci[static_cast<size_t>(i) * static_cast<size_t>(n) + static_cast<size_t>(j)] += c;
                }
            }
        }
    }

    double present(int w, int i, int j) const
    {
        return total[w] - own[static_cast<size_t>(i) * 2 + static_cast<size_t>(w)] -
               own[static_cast<size_t>(j) * 2 + static_cast<size_t>(w)] + both[w](i, j);
    }
    std::int32_t presentLoci(int i, int j, int n) const
    {
        return static_cast<std::int32_t>(totalLoci) - ownLoci[static_cast<size_t>(i)] -
               ownLoci[static_cast<size_t>(j)] +
               bothLoci[static_cast<size_t>(i) * static_cast<size_t>(n) + static_cast<size_t>(j)];
    }
};

} // namespace

KinshipLoci::PairSums KinshipLoci::kinshipSums() const
{
    const int n = m_n;
    const int loci = polymorphicCount();
    PairSums sums;
    sums.numerator = UpperGramSums(m_y, n, m_columns);
    sums.denominator = SquareMatrix(n);
    sums.loci.assign(static_cast<size_t>(n) * static_cast<size_t>(n), 0);
    const LackedSums lacked(
        n, loci, [this](int l, int i) { return copies(l, i) == 0; },
        [this](int l, int w) {
            const Locus& locus = m_loci[static_cast<size_t>(l)];
            return w == 0 ? locus.constant : locus.diversity;
        },
        [](int) { return true; });
    for (int i = 0; i < n - 1; ++i)
        for (int j = i + 1; j < n; ++j) {
            const std::int32_t common = lacked.presentLoci(i, j, n);
            sums.loci[static_cast<size_t>(i) * static_cast<size_t>(n) + static_cast<size_t>(j)] = common;
            if (common == 0) {
                sums.numerator(i, j) = 0.0;
                continue;
            }
            sums.numerator(i, j) += lacked.present(0, i, j);
            sums.denominator(i, j) = lacked.present(1, i, j);
        }
    return sums;
}

KinshipLoci::PairSums KinshipLoci::roussetSums() const
{
    const int n = m_n;
    const int loci = polymorphicCount();
    PairSums sums;
    if (!m_rousset)
        return sums;
    sums.numerator = UpperGramSums(m_halfMissing ? m_roussetY : m_y, n, m_columns);
    sums.denominator = SquareMatrix(n);
    sums.loci.assign(static_cast<size_t>(n) * static_cast<size_t>(n), 0);
    auto lacks = [this](int l, int i) { return !m_loci[static_cast<size_t>(l)].roussetLocus || !complete(l, i); };
    const LackedSums lacked(
        n, loci, lacks,
        [this](int l, int w) {
            const Locus& locus = m_loci[static_cast<size_t>(l)];
            if (!locus.roussetLocus)
                return 0.0;
            return w == 0 ? locus.roussetBase : locus.observed;
        },
        [this](int l) { return roussetCounts(l); });
    // Per individual: the sum of its g over the loci where it is complete, and the loci it lacks.
    std::vector<double> gTotal(static_cast<size_t>(n), 0.0);
    std::vector<std::vector<int>> lacking(static_cast<size_t>(n));
    for (int l = 0; l < loci; ++l)
        for (int i = 0; i < n; ++i) {
            if (lacks(l, i))
                lacking[static_cast<size_t>(i)].push_back(l);
            else
                gTotal[static_cast<size_t>(i)] += g(l, i);
        }
    forEachRowInParallel(n - 1, [&](int i) {
        for (int j = i + 1; j < n; ++j) {
            const std::int32_t common = lacked.presentLoci(i, j, n);
            sums.loci[static_cast<size_t>(i) * static_cast<size_t>(n) + static_cast<size_t>(j)] = common;
            if (common == 0) {
                sums.numerator(i, j) = 0.0;
                continue;
            }
            // g of i over the loci where both are complete: its own less those j lacks.
            double gi = gTotal[static_cast<size_t>(i)];
            for (const int l : lacking[static_cast<size_t>(j)])
                gi -= g(l, i);
            double gj = gTotal[static_cast<size_t>(j)];
            for (const int l : lacking[static_cast<size_t>(i)])
                gj -= g(l, j);
            sums.numerator(i, j) = lacked.present(0, i, j) - sums.numerator(i, j) - gi - gj;
            sums.denominator(i, j) = lacked.present(1, i, j);
        }
    });
    return sums;
}

} // namespace tessaloc
