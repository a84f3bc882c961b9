#include "core/GeneticDistances.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// The allele-sharing term of one locus from the interned alleles of both observations.
// Frequencies are 0, 0.5 or 1 per allele, so the sum of square roots is 0, 0.5, sqrt(0.5) or 1,
// and at most one non-zero term is ever added to another (0.5 + 0.5 for identical heterozygotes).
inline double alleleTerm(std::int32_t a1, std::int32_t a2, std::int32_t b1, std::int32_t b2)
{
    static const double homozygoteAgainstHeterozygote = 1.0 - std::sqrt(0.5);
    const bool homozygousI = a1 == a2;
    const bool homozygousJ = b1 == b2;
    if (homozygousI && homozygousJ)
        return a1 == b1 ? 0.0 : 1.0;
    if (homozygousI)
        return (a1 == b1 || a1 == b2) ? homozygoteAgainstHeterozygote : 1.0;
    if (homozygousJ)
        return (b1 == a1 || b1 == a2) ? homozygoteAgainstHeterozygote : 1.0;
    const int shared = int(b1 == a1 || b1 == a2) + int(b2 == a1 || b2 == a2);
    return shared == 2 ? 0.0 : shared == 1 ? 0.5 : 1.0;
}

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
    return "Error constructing genetic distance between observations " + printForm(first) + " and "
           + printForm(second) + ":  No common loci after accounting for missing data.";
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
            codes[static_cast<size_t>(k) * loci + l] = (field == "0" || field == "0\\0") ? kMissing : interner.id(field);
        }
    }

    SquareMatrix distances(n);
    for (int i = 0; i < n - 1; ++i) {
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
            if (compared == 0)
                throwNoCommonLoci(i, j);
            distances.setPair(i, j, static_cast<double>(differing) / static_cast<double>(compared));
        }
    }
    return distances;
}

SquareMatrix AlleleDistanceMatrix(const SampleTable& table)
{
    const int n = table.sampleCount();
    const int loci = table.locusCount;
    struct Alleles {
        std::int32_t left;
        std::int32_t right;
    };
    std::vector<Alleles> codes(static_cast<size_t>(n) * static_cast<size_t>(loci));
    Interner interner;
    for (int l = 0; l < loci; ++l) {
        interner.clear();
        for (int k = 0; k < n; ++k) {
            const std::string& field = table.genotype(l, k);
            Alleles& alleles = codes[static_cast<size_t>(k) * loci + l];
            if (field == "0\\0") {
                alleles = {kMissing, kMissing};
            } else {
                alleles.left = interner.id(LeftAllele(field));
                alleles.right = interner.id(RightAllele(field));
            }
        }
    }

    SquareMatrix distances(n);
    for (int i = 0; i < n - 1; ++i) {
        const Alleles* a = codes.data() + static_cast<size_t>(i) * loci;
        for (int j = i + 1; j < n; ++j) {
            const Alleles* b = codes.data() + static_cast<size_t>(j) * loci;
            int used = 0;
            double sum = 0.0;
            for (int l = 0; l < loci; ++l) {
                if (a[l].left == kMissing || b[l].left == kMissing)
                    continue;
                ++used;
                sum += alleleTerm(a[l].left, a[l].right, b[l].left, b[l].right);
            }
            if (used == 0)
                throwNoCommonLoci(i, j);
            distances.setPair(i, j, sum / static_cast<double>(used));
        }
    }
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
    // nothing, so its later characters move up. Reduced lengths never exceed the first one's.
    const size_t sites = variableSites.size();
    std::vector<unsigned char> reduced(static_cast<size_t>(n) * sites);
    std::vector<size_t> reducedLength(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        const std::string& s = sequence(k);
        unsigned char* out = reduced.data() + static_cast<size_t>(k) * sites;
        size_t used = 0;
        for (const size_t p : variableSites) {
            if (p < s.size())
                out[used++] = foldSequenceCase(static_cast<unsigned char>(s[p]));
        }
        reducedLength[k] = used;
    }

    for (int i = 0; i < n - 1; ++i) {
        const unsigned char* a = reduced.data() + static_cast<size_t>(i) * sites;
        for (int j = i + 1; j < n; ++j) {
            const unsigned char* b = reduced.data() + static_cast<size_t>(j) * sites;
            const size_t common = std::min(reducedLength[i], reducedLength[j]);
            size_t count = 0;
            for (size_t q = 0; q < common; ++q)
                count += a[q] != b[q];
            // Where only one reduced sequence still has characters, every position differs.
            count += std::max(reducedLength[i], reducedLength[j]) - common;
            const double d = static_cast<double>(count) / static_cast<double>(length);
            distances.setPair(i, j, requireFinite(d, "the sequence distance (the first sequence is empty)"));
        }
    }
    return distances;
}

} // namespace tessaloc
