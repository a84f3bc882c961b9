#include "core/GeneticDistances.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/ParallelRows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_map>

namespace tessaloc {
namespace {

// The builders intern each locus's texts to small integers once, instead of comparing texts for
// every pair. Every distance still comes out bit for bit as the text comparison gives it: the
// per-locus terms are exact constants and the sums run over the loci in order.
constexpr std::int32_t kMissing = -1;

class Interner {
public:
    std::int32_t id(std::string_view text)
    {
        const auto [it, inserted] = m_ids.try_emplace(text, static_cast<std::int32_t>(m_ids.size()));
        return it->second;
    }
    void clear() { m_ids.clear(); }

private:
    std::unordered_map<std::string_view, std::int32_t> m_ids;
};

[[noreturn]] void throwNoCommonLoci(int i, int j)
{
    throw DataProblem(noCommonLociMessage(i + 1, j + 1));
}

// The builders stop at the first pair, in the order i ascending then j ascending, that has no
// usable locus. Rows run in parallel, so each row keeps its own first failure and the earliest row
// wins afterwards.
class FirstFailures {
public:
    explicit FirstFailures(int rows)
        : m_column(static_cast<size_t>(std::max(rows, 0)), -1)
    {
    }
    void record(int row, int column) { m_column[row] = column; }
    void throwFirst() const
    {
        for (size_t row = 0; row < m_column.size(); ++row) {
            if (m_column[row] >= 0)
                throwNoCommonLoci(static_cast<int>(row), m_column[row]);
        }
    }

private:
    std::vector<int> m_column;
};

// The four values the allele-sharing term can take, and a marker for a locus that a pair skips.
const double kAlleleTerms[4] = {0.0, 0.5, 1.0 - std::sqrt(0.5), 1.0};
constexpr std::uint8_t kSkipLocus = 4;

// Per locus, the distinct genotypes (unordered allele pairs) and, unless there are very many, a
// table of the term for every two of them, so that a pair and locus cost one lookup. The missing
// genotype "0\\0" has the last id and always gives kSkipLocus.
class AlleleTerms {
public:
    using Genotype = std::pair<std::int32_t, std::int32_t>;

    explicit AlleleTerms(const SampleTable& table)
        : m_loci(table.locusCount)
        , m_genotypes(static_cast<size_t>(table.sampleCount()) * static_cast<size_t>(m_loci))
        , m_distinct(static_cast<size_t>(m_loci))
        , m_tables(static_cast<size_t>(m_loci))
    {
        const int n = table.sampleCount();
        Interner alleles;
        std::map<Genotype, std::uint32_t> ids;
        for (int l = 0; l < m_loci; ++l) {
            alleles.clear();
            ids.clear();
            std::vector<Genotype>& distinct = m_distinct[l];
            std::vector<std::int64_t> idOf(static_cast<size_t>(n));
            for (int k = 0; k < n; ++k) {
                const std::string& field = table.genotype(l, k);
                if (field == "0\\0") {
                    idOf[k] = -1;
                    continue;
                }
                std::int32_t left = alleles.id(LeftAllele(field));
                std::int32_t right = alleles.id(RightAllele(field));
                if (left > right)
                    std::swap(left, right);
                const auto [it, inserted] = ids.try_emplace({left, right}, static_cast<std::uint32_t>(distinct.size()));
                if (inserted)
                    distinct.emplace_back(left, right);
                idOf[k] = it->second;
            }
            const size_t missing = distinct.size();
            for (int k = 0; k < n; ++k)
                m_genotypes[static_cast<size_t>(k) * m_loci + l] =
                    static_cast<std::uint32_t>(idOf[k] < 0 ? missing : static_cast<size_t>(idOf[k]));

            const size_t width = missing + 1;
            if (width > kLargestTableWidth)
                continue;
            std::vector<std::uint8_t>& terms = m_tables[l];
            terms.resize(width * width);
            for (size_t g = 0; g < width; ++g)
                for (size_t h = 0; h < width; ++h)
                    terms[g * width + h] = computeCode(l, static_cast<std::uint32_t>(g), static_cast<std::uint32_t>(h));
        }
    }

    const std::uint32_t* genotypes(int observation) const
    {
        return m_genotypes.data() + static_cast<size_t>(observation) * m_loci;
    }

    /// The index into kAlleleTerms for genotypes g and h of the locus, or kSkipLocus.
    std::uint8_t code(int locus, std::uint32_t g, std::uint32_t h) const
    {
        const std::vector<std::uint8_t>& terms = m_tables[locus];
        if (!terms.empty())
            return terms[static_cast<size_t>(g) * (m_distinct[locus].size() + 1) + h];
        return computeCode(locus, g, h);
    }

private:
    // Beyond this many genotypes at one locus the table would take more memory than it saves time.
    static constexpr size_t kLargestTableWidth = 512;

    // The sum of square roots of frequency products is 0, 0.5, sqrt(0.5) or 1, and at most one
    // non-zero root is ever added to another (0.5 + 0.5 for identical heterozygotes), so each term is
    // one of four exact constants.
    std::uint8_t computeCode(int locus, std::uint32_t g, std::uint32_t h) const
    {
        const std::vector<Genotype>& distinct = m_distinct[locus];
        if (g >= distinct.size() || h >= distinct.size())
            return kSkipLocus;
        const auto [a1, a2] = distinct[g];
        const auto [b1, b2] = distinct[h];
        const bool homozygousI = a1 == a2;
        const bool homozygousJ = b1 == b2;
        if (homozygousI && homozygousJ)
            return a1 == b1 ? 0 : 3;
        if (homozygousI)
            return (a1 == b1 || a1 == b2) ? 2 : 3;
        if (homozygousJ)
            return (b1 == a1 || b1 == a2) ? 2 : 3;
        const int shared = int(b1 == a1 || b1 == a2) + int(b2 == a1 || b2 == a2);
        return shared == 2 ? 0 : shared == 1 ? 1 : 3;
    }

    int m_loci;
    std::vector<std::uint32_t> m_genotypes;
    std::vector<std::vector<Genotype>> m_distinct;
    std::vector<std::vector<std::uint8_t>> m_tables;
};

} // namespace

std::string_view LeftAllele(std::string_view field)
{
    return field.substr(0, field.find('\\'));
}

std::string_view RightAllele(std::string_view field)
{
    const size_t separator = field.find('\\');
    return separator == std::string_view::npos ? std::string_view() : field.substr(separator + 1);
}

std::string noCommonLociMessage(int first, int second)
{
    return "Error constructing genetic distance between observations " + printForm(first) + " and " +
           printForm(second) + ":  No common loci after accounting for missing data.";
}

unsigned char foldSequenceCase(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 'a' + 'A');
    // Latin-1 small letters a-grave..thorn, except the division sign.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 0x20);
    return c;
}

SquareMatrix BuildGeneticDistances(const SampleTable& table, DataType dataType)
{
    switch (dataType) {
    case DataType::Genotypes:
        return GenotypeDistanceMatrix(table);
    case DataType::Codominant:
        return AlleleDistanceMatrix(table);
    case DataType::Sequences:
        return SequenceDistanceMatrix(table);
    }
    return SquareMatrix(table.sampleCount());
}

SquareMatrix GenotypeDistanceMatrix(const SampleTable& table)
{
    const int n = table.sampleCount();
    const int loci = table.locusCount;
    // codes[observation * loci + locus]: the field's id within its locus, or kMissing.
    std::vector<std::int32_t> codes(static_cast<size_t>(n) * static_cast<size_t>(loci));
    Interner interner;
    for (int l = 0; l < loci; ++l) {
        interner.clear();
        for (int k = 0; k < n; ++k) {
            const std::string& field = table.genotype(l, k);
            codes[static_cast<size_t>(k) * loci + l] =
                (field == "0" || field == "0\\0") ? kMissing : interner.id(field);
        }
    }

    SquareMatrix distances(n);
    FirstFailures failures(n);
    forEachRowInParallel(n - 1, [&](int i) {
        const std::int32_t* a = codes.data() + static_cast<size_t>(i) * loci;
        for (int j = i + 1; j < n; ++j) {
            const std::int32_t* b = codes.data() + static_cast<size_t>(j) * loci;
            int compared = 0;
            int differing = 0;
            for (int l = 0; l < loci; ++l) {
                if (a[l] == kMissing || b[l] == kMissing)
                    continue;
                ++compared;
                differing += a[l] != b[l];
            }
            if (compared == 0) {
                failures.record(i, j);
                return;
            }
            distances.setPair(i, j, static_cast<double>(differing) / static_cast<double>(compared));
        }
    });
    failures.throwFirst();
    return distances;
}

SquareMatrix AlleleDistanceMatrix(const SampleTable& table)
{
    const int n = table.sampleCount();
    const int loci = table.locusCount;
    const AlleleTerms terms(table);

    SquareMatrix distances(n);
    FirstFailures failures(n);
    forEachRowInParallel(n - 1, [&](int i) {
        const std::uint32_t* genotypesOfI = terms.genotypes(i);
        for (int j = i + 1; j < n; ++j) {
            const std::uint32_t* genotypesOfJ = terms.genotypes(j);
            int used = 0;
            double sum = 0.0;
            for (int l = 0; l < loci; ++l) {
                const std::uint8_t term = terms.code(l, genotypesOfI[l], genotypesOfJ[l]);
                if (term == kSkipLocus)
                    continue;
                ++used;
                sum += kAlleleTerms[term];
            }
            if (used == 0) {
                failures.record(i, j);
                return;
            }
            distances.setPair(i, j, sum / static_cast<double>(used));
        }
    });
    failures.throwFirst();
    return distances;
}

SquareMatrix SequenceDistanceMatrix(const SampleTable& table)
{
    const int n = table.sampleCount();
    SquareMatrix distances(n);
    if (n < 2 || table.locusCount < 1)
        return distances;

    auto sequence = [&](int k) -> const std::string& { return table.genotype(0, k); };
    const std::string& first = sequence(0);
    const size_t length = first.size();

    // A site is variable when some observation differs there from the first; a sequence that ends
    // before the site differs from any character.
    std::vector<size_t> variableSites;
    for (size_t p = 0; p < length; ++p) {
        const unsigned char reference = foldSequenceCase(static_cast<unsigned char>(first[p]));
        for (int k = 1; k < n; ++k) {
            const std::string& other = sequence(k);
            if (p >= other.size() || foldSequenceCase(static_cast<unsigned char>(other[p])) != reference) {
                variableSites.push_back(p);
                break;
            }
        }
    }

    // Each observation's characters at the variable sites; a site beyond its end contributes
    // nothing, so its later characters move up. Reduced lengths never exceed the first one's, nor
    // the observation's own length, so they are stored one after another at their own lengths: a
    // long first sequence beside many short ones costs no more than the sequences themselves.
    std::vector<size_t> reducedStart(static_cast<size_t>(n) + 1, 0);
    for (int k = 0; k < n; ++k) {
        const size_t own = sequence(k).size();
        const size_t used = static_cast<size_t>(std::lower_bound(variableSites.begin(), variableSites.end(), own) -
                                                variableSites.begin());
        reducedStart[static_cast<size_t>(k) + 1] = reducedStart[static_cast<size_t>(k)] + used;
    }
    std::vector<unsigned char> reduced(reducedStart.back());
    for (int k = 0; k < n; ++k) {
        const std::string& s = sequence(k);
        unsigned char* out = reduced.data() + reducedStart[static_cast<size_t>(k)];
        for (const size_t p : variableSites) {
            if (p >= s.size())
                break;
            *out++ = foldSequenceCase(static_cast<unsigned char>(s[p]));
        }
    }
    auto reducedLength = [&](int k) {
        return reducedStart[static_cast<size_t>(k) + 1] - reducedStart[static_cast<size_t>(k)];
    };

    // The first sequence is empty: every distance is 0/0.
    if (length == 0)
        requireFinite(0.0 / static_cast<double>(length), "the sequence distance (the first sequence is empty)");
    forEachRowInParallel(n - 1, [&](int i) {
        const unsigned char* a = reduced.data() + reducedStart[static_cast<size_t>(i)];
        for (int j = i + 1; j < n; ++j) {
            const unsigned char* b = reduced.data() + reducedStart[static_cast<size_t>(j)];
            const size_t common = std::min(reducedLength(i), reducedLength(j));
            size_t count = 0;
            for (size_t q = 0; q < common; ++q)
                count += a[q] != b[q];
            // Where only one reduced sequence still has characters, every position differs.
            count += std::max(reducedLength(i), reducedLength(j)) - common;
            distances.setPair(i, j, static_cast<double>(count) / static_cast<double>(length));
        }
    });
    return distances;
}

} // namespace tessaloc
