#include "core/AlleleSharingSums.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/ParallelRows.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TESSALOC_X86_KERNELS 1
#endif

namespace tessaloc {
namespace {

// How the sums are laid out: observations go in blocks of 32, and for each block and locus the 32
// codes stand side by side, so that one row's sums with a whole block advance together, locus by
// locus, each pair's sum in locus order.
constexpr int kLanes = 32;

// The four values the allele-sharing term can take.
const double kAlleleTerms[4] = {0.0, 0.5, 1.0 - std::sqrt(0.5), 1.0};

// The term of genotypes a1/a2 and b1/b2 (allele numbers) as an index into kAlleleTerms. The sum of
// square roots of frequency products is 0, 0.5, sqrt(0.5) or 1, and at most one non-zero root is ever
// added to another (0.5 + 0.5 for identical heterozygotes), so each term is one of four constants.
int termCode(std::uint32_t a1, std::uint32_t a2, std::uint32_t b1, std::uint32_t b2)
{
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

// A locus whose alleles are numbered 0..4 in order of appearance has at most 15 genotypes, the
// unordered pairs a <= b, numbered b(b+1)/2 + a whatever the locus. The term of two genotypes then
// depends on their two numbers alone: one table of 16 x 16 values serves every such locus, with
// number 15 for a missing genotype (a term of 0, which leaves a sum as it is).
constexpr std::uint32_t kNarrowAlleles = 5;
constexpr std::uint8_t kMissingPair = 15;

struct PairTerms {
    alignas(64) double values[16][16];
};

PairTerms makePairTerms()
{
    PairTerms terms{};
    std::array<std::pair<std::uint32_t, std::uint32_t>, 15> alleles{};
    for (std::uint32_t b = 0; b < kNarrowAlleles; ++b) {
        for (std::uint32_t a = 0; a <= b; ++a)
            alleles[b * (b + 1) / 2 + a] = {a, b};
    }
    for (size_t g = 0; g < 16; ++g) {
        for (size_t h = 0; h < 16; ++h) {
            terms.values[g][h] =
                g == kMissingPair || h == kMissingPair
                    ? 0.0
                    : kAlleleTerms[termCode(alleles[g].first, alleles[g].second, alleles[h].first, alleles[h].second)];
        }
    }
    return terms;
}

// A locus with more than five alleles: its genotypes keep their allele numbers, and its terms are
// worked out pair by pair.
struct WideLocus {
    int locus = 0;
    /// Per distinct text of the locus, its two allele numbers; kNone for the missing genotype.
    std::vector<std::array<std::uint32_t, 2>> alleles;
};
constexpr std::uint32_t kNone = 0xFFFFFFFF;

// Numbers the alleles of one locus in order of appearance.
class AlleleNumbers {
public:
    std::uint32_t number(std::string_view allele)
    {
        if (m_alleles.size() <= kScanned) {
            for (size_t k = 0; k < m_alleles.size(); ++k) {
                if (m_alleles[k] == allele)
                    return static_cast<std::uint32_t>(k);
            }
        } else if (const auto it = m_index.find(allele); it != m_index.end()) {
            return it->second;
        }
        const auto number = static_cast<std::uint32_t>(m_alleles.size());
        m_alleles.push_back(allele);
        if (m_alleles.size() > kScanned) {
            if (m_index.empty()) {
                for (size_t k = 0; k < m_alleles.size(); ++k)
                    m_index.emplace(m_alleles[k], static_cast<std::uint32_t>(k));
            } else {
                m_index.emplace(allele, number);
            }
        }
        return number;
    }
    size_t count() const { return m_alleles.size(); }

private:
    static constexpr size_t kScanned = 8;
    std::vector<std::string_view> m_alleles;
    std::unordered_map<std::string_view, std::uint32_t> m_index;
};

// Everything the sums read, built once from the table.
class AlleleCodes {
public:
    explicit AlleleCodes(const SampleTable& table)
        : m_table(table)
        , m_samples(table.sampleCount())
        , m_loci(table.locusCount)
        , m_blocks((m_samples + kLanes - 1) / kLanes)
        , m_words((m_loci + 63) / 64)
        , m_blocked(static_cast<size_t>(m_blocks) * static_cast<size_t>(m_loci) * kLanes, kMissingPair)
        , m_missing(static_cast<size_t>(m_samples) * static_cast<size_t>(m_words), 0)
    {
        std::vector<std::array<std::uint32_t, 2>> alleles;
        for (int l = 0; l < m_loci; ++l) {
            const GenotypeColumn& column = table.genotypes[static_cast<size_t>(l)];
            AlleleNumbers numbers;
            alleles.clear();
            for (const std::string& text : column.texts()) {
                if (text == "0\\0") {
                    alleles.push_back({kNone, kNone});
                } else {
                    const std::uint32_t left = numbers.number(LeftAllele(text));
                    const std::uint32_t right = numbers.number(RightAllele(text));
                    alleles.push_back({std::min(left, right), std::max(left, right)});
                }
            }
            const std::vector<GenotypeColumn::Code>& codes = column.codes();
            for (int k = 0; k < m_samples; ++k) {
                if (alleles[codes[static_cast<size_t>(k)]][0] == kNone)
                    m_missing[static_cast<size_t>(k) * m_words + static_cast<size_t>(l / 64)] |= std::uint64_t{1}
                                                                                                 << (l % 64);
            }
            if (numbers.count() > kNarrowAlleles) {
                m_wide.push_back({l, alleles});
                continue;
            }
            std::vector<std::uint8_t> pairOf;
            for (const auto& [a, b] : alleles)
                pairOf.push_back(a == kNone ? kMissingPair : static_cast<std::uint8_t>(b * (b + 1) / 2 + a));
            for (int k = 0; k < m_samples; ++k)
                m_blocked[position(k / kLanes, l) + static_cast<size_t>(k % kLanes)] =
                    pairOf[codes[static_cast<size_t>(k)]];
        }
    }

    int samples() const { return m_samples; }
    int loci() const { return m_loci; }
    int blocks() const { return m_blocks; }
    const std::vector<WideLocus>& wideLoci() const { return m_wide; }
    const GenotypeColumn& column(int locus) const { return m_table.genotypes[static_cast<size_t>(locus)]; }

    /// The codes of `block` at `locus` and every later locus, 32 per locus.
    const std::uint8_t* blockCodes(int block, int locus) const { return m_blocked.data() + position(block, locus); }
    /// The codes of one observation at every locus.
    void rowCodes(int observation, std::vector<std::uint8_t>& codes) const
    {
        codes.resize(static_cast<size_t>(m_loci));
        const std::uint8_t* lane = m_blocked.data() + position(observation / kLanes, 0) + observation % kLanes;
        for (int l = 0; l < m_loci; ++l)
            codes[static_cast<size_t>(l)] = lane[static_cast<size_t>(l) * kLanes];
    }
    /// The number of loci where neither observation is missing.
    int usedLoci(int i, int j) const
    {
        const std::uint64_t* a = m_missing.data() + static_cast<size_t>(i) * m_words;
        const std::uint64_t* b = m_missing.data() + static_cast<size_t>(j) * m_words;
        int missing = 0;
        for (int w = 0; w < m_words; ++w)
            missing += std::popcount(a[w] | b[w]);
        return m_loci - missing;
    }

private:
    size_t position(int block, int locus) const
    {
        return (static_cast<size_t>(block) * static_cast<size_t>(m_loci) + static_cast<size_t>(locus)) * kLanes;
    }

    const SampleTable& m_table;
    int m_samples;
    int m_loci;
    int m_blocks;
    int m_words;
    std::vector<std::uint8_t> m_blocked;
    std::vector<std::uint64_t> m_missing;
    std::vector<WideLocus> m_wide;
};

// Adds the terms of loci from..to-1 (none of them wide) of one row against the 32 observations of
// a block to their sums, locus by locus. `row` holds the row's codes, `block` the block's codes from
// locus `from` on.
using NarrowRun = void (*)(const PairTerms& terms, const std::uint8_t* row, const std::uint8_t* block, int count,
                           double* sums);

void narrowRunPortable(const PairTerms& terms, const std::uint8_t* row, const std::uint8_t* block, int count,
                       double* sums)
{
    for (int l = 0; l < count; ++l) {
        const double* values = terms.values[row[l]];
        const std::uint8_t* codes = block + static_cast<size_t>(l) * kLanes;
        for (int lane = 0; lane < kLanes; ++lane)
            sums[lane] += values[codes[lane]];
    }
}

#ifdef TESSALOC_X86_KERNELS
// Eight lanes' values: each lane picks its value among the row's 16 (two registers) by its code.
__attribute__((target("avx512f"), always_inline)) inline __m512d eightTerms(__m512d low, __m512d high,
                                                                            const std::uint8_t* codes)
{
    const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(codes));
    // The masked form with every lane selected: GCC 12 warns about the unmasked one's unset source.
    return _mm512_permutex2var_pd(low, _mm512_maskz_cvtepu8_epi64(0xFF, eight), high);
}

// Each lane's sum gets one addition per locus, as in the portable kernel, eight lanes per instruction.
__attribute__((target("avx512f"))) void narrowRunAvx512(const PairTerms& terms, const std::uint8_t* row,
                                                        const std::uint8_t* block, int count, double* sums)
{
    __m512d sum0 = _mm512_loadu_pd(sums);
    __m512d sum1 = _mm512_loadu_pd(sums + 8);
    __m512d sum2 = _mm512_loadu_pd(sums + 16);
    __m512d sum3 = _mm512_loadu_pd(sums + 24);
    for (int l = 0; l < count; ++l) {
        const double* values = terms.values[row[l]];
        const __m512d low = _mm512_load_pd(values);
        const __m512d high = _mm512_load_pd(values + 8);
        const std::uint8_t* codes = block + static_cast<size_t>(l) * kLanes;
        sum0 = _mm512_add_pd(sum0, eightTerms(low, high, codes));
        sum1 = _mm512_add_pd(sum1, eightTerms(low, high, codes + 8));
        sum2 = _mm512_add_pd(sum2, eightTerms(low, high, codes + 16));
        sum3 = _mm512_add_pd(sum3, eightTerms(low, high, codes + 24));
    }
    _mm512_storeu_pd(sums, sum0);
    _mm512_storeu_pd(sums + 8, sum1);
    _mm512_storeu_pd(sums + 16, sum2);
    _mm512_storeu_pd(sums + 24, sum3);
}
#endif

NarrowRun narrowRunOf(AlleleSumKernel kernel)
{
#ifdef TESSALOC_X86_KERNELS
    if (kernel == AlleleSumKernel::Avx512)
        return narrowRunAvx512;
#endif
    (void)kernel;
    return narrowRunPortable;
}

// Adds the terms of a wide locus between `observation` and each observation of the block.
void addWideLocus(const AlleleCodes& codes, const WideLocus& wide, int observation, int block, double* sums)
{
    const std::vector<GenotypeColumn::Code>& column = codes.column(wide.locus).codes();
    const auto& mine = wide.alleles[column[static_cast<size_t>(observation)]];
    if (mine[0] == kNone)
        return;
    const int first = block * kLanes;
    const int end = std::min(codes.samples(), first + kLanes);
    for (int j = first; j < end; ++j) {
        const auto& theirs = wide.alleles[column[static_cast<size_t>(j)]];
        if (theirs[0] != kNone)
            sums[j - first] += kAlleleTerms[termCode(mine[0], mine[1], theirs[0], theirs[1])];
    }
}

} // namespace

std::vector<AlleleSumKernel> availableAlleleSumKernels()
{
    std::vector<AlleleSumKernel> kernels;
#ifdef TESSALOC_X86_KERNELS
    if (__builtin_cpu_supports("avx512f"))
        kernels.push_back(AlleleSumKernel::Avx512);
#endif
    kernels.push_back(AlleleSumKernel::Portable);
    return kernels;
}

SquareMatrix alleleSharingDistances(const SampleTable& table, AlleleSumKernel kernel)
{
    const int n = table.sampleCount();
    const AlleleCodes codes(table);
    const PairTerms terms = makePairTerms();
    const NarrowRun narrowRun = narrowRunOf(kernel);
    const int loci = codes.loci();

    SquareMatrix distances(n);
    FirstFailingPair failures(n);
    forEachRowInParallel(n - 1, [&](int i) {
        std::vector<std::uint8_t> row;
        codes.rowCodes(i, row);
        alignas(64) double sums[kLanes];
        for (int block = (i + 1) / kLanes; block < codes.blocks(); ++block) {
            std::fill(std::begin(sums), std::end(sums), 0.0);
            // Runs of narrow loci go through the kernel; each wide locus between them is added on
            // its own, so every sum still takes its terms in locus order.
            int from = 0;
            for (const WideLocus& wide : codes.wideLoci()) {
                narrowRun(terms, row.data() + from, codes.blockCodes(block, from), wide.locus - from, sums);
                addWideLocus(codes, wide, i, block, sums);
                from = wide.locus + 1;
            }
            narrowRun(terms, row.data() + from, codes.blockCodes(block, from), loci - from, sums);

            const int first = std::max(i + 1, block * kLanes);
            const int end = std::min(n, (block + 1) * kLanes);
            for (int j = first; j < end; ++j) {
                const int used = codes.usedLoci(i, j);
                if (used == 0) {
                    failures.record(i, j);
                    return;
                }
                distances.setPair(i, j, sums[j - block * kLanes] / static_cast<double>(used));
            }
        }
    });
    if (const auto pair = failures.first())
        throw DataProblem(noCommonLociMessage(pair->first + 1, pair->second + 1));
    return distances;
}

} // namespace tessaloc
