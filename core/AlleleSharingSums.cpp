#include "core/AlleleSharingSums.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "core/ParallelRows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TESSALOC_X86_KERNELS 1
#endif

namespace tessaloc {

std::vector<DistanceKernel> availableDistanceKernels()
{
    std::vector<DistanceKernel> kernels;
#ifdef TESSALOC_X86_KERNELS
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        kernels.push_back(DistanceKernel::Avx512);
    if (avx2)
        kernels.push_back(DistanceKernel::Avx2);
#endif
    kernels.push_back(DistanceKernel::Portable);
    return kernels;
}

std::string_view distanceKernelName(DistanceKernel kernel)
{
    switch (kernel) {
    case DistanceKernel::Avx512:
        return "avx512";
    case DistanceKernel::Avx2:
        return "avx2";
    case DistanceKernel::Portable:
        break;
    }
    return "portable";
}

std::optional<DistanceKernel> distanceKernelNamed(std::string_view name)
{
    for (const DistanceKernel kernel : {DistanceKernel::Portable, DistanceKernel::Avx2, DistanceKernel::Avx512}) {
        if (name == distanceKernelName(kernel))
            return kernel;
    }
    return std::nullopt;
}

DistanceKernel distanceKernelFor(const char* requested, const std::vector<DistanceKernel>& available)
{
    const std::optional<DistanceKernel> cap = requested ? distanceKernelNamed(requested) : std::nullopt;
    // The enumerators go from the slowest to the fastest.
    for (const DistanceKernel kernel : available) {
        if (!cap || static_cast<int>(kernel) <= static_cast<int>(*cap))
            return kernel;
    }
    return DistanceKernel::Portable;
}

DistanceKernel chosenDistanceKernel()
{
    static const DistanceKernel chosen =
        distanceKernelFor(std::getenv(kDistanceKernelVariable), availableDistanceKernels());
    return chosen;
}

std::string distanceKernelSummary()
{
    std::string line = "distance kernel: ";
    line.append(distanceKernelName(chosenDistanceKernel())).append(" (this processor:");
    for (const DistanceKernel kernel : availableDistanceKernels())
        line.append(" ").append(distanceKernelName(kernel));
    return line.append(")");
}

namespace {

// How the data-type-1 sums are laid out: observations go in blocks of 32, and for each block the
// genotype numbers of its 32 observations are stored locus after locus, so that one row's sums with
// a whole block advance together, locus by locus, each pair's sum in locus order.
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

// How a locus is held, by the number of its distinct alleles.
//
// A locus whose alleles are numbered 0..4 in order of appearance has at most 15 genotypes, the
// unordered pairs a <= b, numbered b(b+1)/2 + a whatever the locus, so the term of two genotypes
// depends on their two numbers alone: one table of 16 x 16 terms serves every such locus, with
// number 15 for a missing genotype (a term of 0, which leaves a sum as it is). A locus with at most
// two alleles (every biallelic SNP) has only the numbers 0, 1 and 2 and the missing one, two bits,
// so four observations' numbers fit one byte, and one table entry holds the four terms of a byte:
// one look-up and one vector addition advance four sums. Loci with more alleles keep their allele
// numbers and have their terms worked out pair by pair.
enum class LocusKind : std::uint8_t {
    TwoAlleles, ///< two-bit numbers, four observations to a byte
    FewAlleles, ///< numbers 0..15, one observation to a byte
    Wide,       ///< more than five alleles: allele numbers, terms pair by pair
};
constexpr std::uint32_t kTwoAlleles = 2;
constexpr std::uint32_t kFewAlleles = 5;
constexpr std::uint8_t kMissingPair = 15;
constexpr std::uint8_t kMissingTwoAllelePair = 3;

// The bytes each locus takes in one block's record.
size_t recordBytes(LocusKind kind)
{
    switch (kind) {
    case LocusKind::TwoAlleles:
        return kLanes / 4;
    case LocusKind::FewAlleles:
        return kLanes;
    case LocusKind::Wide:
        break;
    }
    return 0;
}

// The allele pairs a <= b of a locus with at most five alleles, by their genotype numbers.
std::array<std::pair<std::uint32_t, std::uint32_t>, 15> allelesOfPairNumbers()
{
    std::array<std::pair<std::uint32_t, std::uint32_t>, 15> alleles{};
    for (std::uint32_t b = 0; b < kFewAlleles; ++b) {
        for (std::uint32_t a = 0; a <= b; ++a)
            alleles[b * (b + 1) / 2 + a] = {a, b};
    }
    return alleles;
}

// The number of genotype g of a two-allele locus (0..3, 3 missing) among the 16 of the pair tables.
std::uint8_t pairOfTwoAlleleNumber(std::uint32_t g)
{
    return g == kMissingTwoAllelePair ? kMissingPair : static_cast<std::uint8_t>(g);
}

// The tables the kernels look terms up in.
struct AlleleTerms {
    /// pairValues[g][h]: the term of genotype numbers g and h (loci of up to five alleles).
    alignas(64) double pairValues[16][16];
    /// The same terms as indices into kAlleleTerms.
    alignas(16) std::uint8_t pairCodes[16][16];
    /// rowByteValues[r][byte][m]: the term of a row's two-allele genotype r with the one whose two-bit
    /// number is bits 2m and 2m+1 of `byte`.
    alignas(64) double rowByteValues[4][256][4];
    /// codeByteValues[byte][m]: the term whose index into kAlleleTerms is bits 2m and 2m+1 of `byte`.
    alignas(64) double codeByteValues[256][4];
};

std::unique_ptr<AlleleTerms> makeAlleleTerms()
{
    auto terms = std::make_unique<AlleleTerms>();
    const auto alleles = allelesOfPairNumbers();
    for (size_t g = 0; g < 16; ++g) {
        for (size_t h = 0; h < 16; ++h) {
            const int code = g == kMissingPair || h == kMissingPair
                                 ? 0
                                 : termCode(alleles[g].first, alleles[g].second, alleles[h].first, alleles[h].second);
            terms->pairValues[g][h] = kAlleleTerms[code];
            terms->pairCodes[g][h] = static_cast<std::uint8_t>(code);
        }
    }
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        for (std::uint32_t m = 0; m < 4; ++m) {
            const std::uint32_t bits = (byte >> (2 * m)) & 3;
            terms->codeByteValues[byte][m] = kAlleleTerms[bits];
            for (std::uint32_t r = 0; r < 4; ++r)
                terms->rowByteValues[r][byte][m] =
                    terms->pairValues[pairOfTwoAlleleNumber(r)][pairOfTwoAlleleNumber(bits)];
        }
    }
    return terms;
}

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

// Which observations miss which loci, for the number of loci where neither of a pair is missing:
// loci - missing(i) - missing(j) + both missing(i, j).
//
// Counting per pair over every locus would cost as much as a kernel's sums. Instead each row's
// missing loci are visited once, and each adds its bit per observation to byte-wide tallies,
// eight observations to a 64-bit word; the cost follows the row's missing loci, not the loci.
class MissingFields {
public:
    MissingFields(int samples, int loci)
        : m_blocks((samples + kLanes - 1) / kLanes)
        , m_count(static_cast<size_t>(samples), 0)
        , m_masks(static_cast<size_t>(loci) * static_cast<size_t>(m_blocks), 0)
    {
    }

    void mark(int observation, int locus)
    {
        ++m_count[static_cast<size_t>(observation)];
        m_masks[static_cast<size_t>(locus) * m_blocks + static_cast<size_t>(observation / kLanes)] |=
            std::uint32_t{1} << (observation % kLanes);
    }
    int count(int observation) const { return m_count[static_cast<size_t>(observation)]; }

    /// counts[j - 32 firstBlock], for every observation j from block `firstBlock` on: the number of
    /// `rowMissing` (the missing loci of one observation) that j misses too.
    void countBothMissing(const std::vector<int>& rowMissing, int firstBlock, std::vector<int>& counts,
                          std::vector<std::uint64_t>& tallies) const
    {
        const auto blocks = static_cast<size_t>(m_blocks - firstBlock);
        counts.assign(blocks * kLanes, 0);
        tallies.assign(blocks * 4, 0);
        // A byte tally holds 255; each locus adds at most 1.
        constexpr size_t kLociPerTally = 255;
        for (size_t start = 0; start < rowMissing.size(); start += kLociPerTally) {
            const size_t end = std::min(rowMissing.size(), start + kLociPerTally);
            for (size_t k = start; k < end; ++k) {
                const std::uint32_t* masks =
                    m_masks.data() + static_cast<size_t>(rowMissing[k]) * m_blocks + static_cast<size_t>(firstBlock);
                for (size_t b = 0; b < blocks; ++b) {
                    if (const std::uint32_t mask = masks[b]) {
                        for (size_t q = 0; q < 4; ++q)
                            tallies[4 * b + q] += kBitsToBytes[(mask >> (8 * q)) & 0xFF];
                    }
                }
            }
            for (size_t t = 0; t < tallies.size(); ++t) {
                for (size_t byte = 0; byte < 8; ++byte)
                    counts[8 * t + byte] += static_cast<int>((tallies[t] >> (8 * byte)) & 0xFF);
                tallies[t] = 0;
            }
        }
    }

private:
    // Each bit of a byte as a byte of its own: 0b101 becomes 0x010001.
    static constexpr std::array<std::uint64_t, 256> kBitsToBytes = [] {
        std::array<std::uint64_t, 256> spread{};
        for (size_t byte = 0; byte < 256; ++byte) {
            for (size_t bit = 0; bit < 8; ++bit)
                spread[byte] |= static_cast<std::uint64_t>((byte >> bit) & 1) << (8 * bit);
        }
        return spread;
    }();

    int m_blocks;
    std::vector<int> m_count;
    /// Per locus and block of 32 observations, a bit per observation that misses the locus.
    std::vector<std::uint32_t> m_masks;
};

// Consecutive loci of one kind, as the kernels take them.
struct LocusRun {
    LocusKind kind;
    int first;
    int count;
    size_t offset; ///< of the first locus's bytes in a block's record
};

// Everything the sums read, built once from the table.
class AlleleCodes {
public:
    explicit AlleleCodes(const SampleTable& table)
        : m_table(table)
        , m_samples(table.sampleCount())
        , m_loci(table.locusCount)
        , m_blocks((m_samples + kLanes - 1) / kLanes)
        , m_alleles(static_cast<size_t>(m_loci))
        , m_kinds(static_cast<size_t>(m_loci))
        , m_wideOffsets(static_cast<size_t>(m_loci), 0)
        , m_missing(m_samples, m_loci)
    {
        // Each locus's distinct texts as allele numbers, and from their count the locus's kind.
        std::vector<size_t> offsets(static_cast<size_t>(m_loci));
        for (int l = 0; l < m_loci; ++l) {
            AlleleNumbers numbers;
            auto& alleles = m_alleles[static_cast<size_t>(l)];
            for (const std::string& text : column(l).texts()) {
                if (text == "0\\0") {
                    alleles.push_back({kNone, kNone});
                } else {
                    const std::uint32_t left = numbers.number(LeftAllele(text));
                    const std::uint32_t right = numbers.number(RightAllele(text));
                    alleles.push_back({std::min(left, right), std::max(left, right)});
                }
            }
            const LocusKind kind = numbers.count() <= kTwoAlleles   ? LocusKind::TwoAlleles
                                   : numbers.count() <= kFewAlleles ? LocusKind::FewAlleles
                                                                    : LocusKind::Wide;
            m_kinds[static_cast<size_t>(l)] = kind;
            if (kind == LocusKind::Wide) {
                m_wideOffsets[static_cast<size_t>(l)] = m_wideTermCount;
                m_wideTermCount += alleles.size();
            }
            offsets[static_cast<size_t>(l)] = m_recordBytes;
            if (l == 0 || kind != m_runs.back().kind)
                m_runs.push_back({kind, l, 0, m_recordBytes});
            ++m_runs.back().count;
            m_recordBytes += recordBytes(kind);
        }

        m_records.assign(static_cast<size_t>(m_blocks) * m_recordBytes, 0);
        std::vector<std::uint8_t> numberOf;
        for (int l = 0; l < m_loci; ++l) {
            const auto& alleles = m_alleles[static_cast<size_t>(l)];
            const LocusKind kind = m_kinds[static_cast<size_t>(l)];
            numberOf.clear();
            for (const auto& [a, b] : alleles) {
                const std::uint8_t missing = kind == LocusKind::TwoAlleles ? kMissingTwoAllelePair : kMissingPair;
                numberOf.push_back(a == kNone ? missing : static_cast<std::uint8_t>(b * (b + 1) / 2 + a));
            }
            const std::vector<GenotypeColumn::Code>& codes = column(l).codes();
            for (int k = 0; k < m_samples; ++k) {
                const GenotypeColumn::Code code = codes[static_cast<size_t>(k)];
                const int block = k / kLanes;
                const int lane = k % kLanes;
                if (alleles[code][0] == kNone)
                    m_missing.mark(k, l);
                std::uint8_t* record =
                    m_records.data() + static_cast<size_t>(block) * m_recordBytes + offsets[static_cast<size_t>(l)];
                if (kind == LocusKind::TwoAlleles)
                    record[lane / 4] = static_cast<std::uint8_t>(record[lane / 4] | numberOf[code] << (2 * (lane % 4)));
                else if (kind == LocusKind::FewAlleles)
                    record[lane] = numberOf[code];
            }
        }
    }

    int samples() const { return m_samples; }
    int loci() const { return m_loci; }
    int blocks() const { return m_blocks; }
    const std::vector<LocusRun>& runs() const { return m_runs; }
    const GenotypeColumn& column(int locus) const { return m_table.genotypes[static_cast<size_t>(locus)]; }
    const std::array<std::uint32_t, 2>& alleles(int locus, GenotypeColumn::Code code) const
    {
        return m_alleles[static_cast<size_t>(locus)][code];
    }

    /// The bytes of `block` for the loci of `run`.
    const std::uint8_t* runRecords(int block, const LocusRun& run) const
    {
        return m_records.data() + static_cast<size_t>(block) * m_recordBytes + run.offset;
    }

    /// The genotype numbers of one observation at every locus (those of wide loci are left 0), and
    /// the loci where it is missing.
    void rowNumbers(int observation, std::vector<std::uint8_t>& numbers, std::vector<int>& missing) const
    {
        numbers.assign(static_cast<size_t>(m_loci), 0);
        missing.clear();
        const int lane = observation % kLanes;
        for (const LocusRun& run : m_runs) {
            const std::uint8_t* bytes = runRecords(observation / kLanes, run);
            for (int l = 0; l < run.count; ++l) {
                const int locus = run.first + l;
                std::uint8_t& number = numbers[static_cast<size_t>(locus)];
                bool missed = false;
                switch (run.kind) {
                case LocusKind::TwoAlleles:
                    number = (bytes[static_cast<size_t>(l) * recordBytes(run.kind) + lane / 4] >> (2 * (lane % 4))) & 3;
                    missed = number == kMissingTwoAllelePair;
                    break;
                case LocusKind::FewAlleles:
                    number = bytes[static_cast<size_t>(l) * recordBytes(run.kind) + lane];
                    missed = number == kMissingPair;
                    break;
                case LocusKind::Wide:
                    missed = alleles(locus, column(locus).codes()[static_cast<size_t>(observation)])[0] == kNone;
                    break;
                }
                if (missed)
                    missing.push_back(locus);
            }
        }
    }

    /// For every wide locus, from wideOffset(locus) on: the term of `observation`'s genotype with
    /// each distinct text of the locus, 0 where either is missing. Each row works its terms out once
    /// per text instead of once per pair.
    void wideTerms(int observation, std::vector<double>& terms) const
    {
        terms.resize(m_wideTermCount);
        for (int locus = 0; locus < m_loci; ++locus) {
            if (m_kinds[static_cast<size_t>(locus)] != LocusKind::Wide)
                continue;
            const auto& texts = m_alleles[static_cast<size_t>(locus)];
            const auto& mine = texts[column(locus).codes()[static_cast<size_t>(observation)]];
            double* out = terms.data() + wideOffset(locus);
            for (size_t t = 0; t < texts.size(); ++t) {
                const auto& theirs = texts[t];
                out[t] = mine[0] == kNone || theirs[0] == kNone
                             ? 0.0
                             : kAlleleTerms[termCode(mine[0], mine[1], theirs[0], theirs[1])];
            }
        }
    }
    size_t wideOffset(int locus) const { return m_wideOffsets[static_cast<size_t>(locus)]; }

    const MissingFields& missing() const { return m_missing; }

private:
    const SampleTable& m_table;
    int m_samples;
    int m_loci;
    int m_blocks;
    /// Per locus and distinct text, the two allele numbers; kNone for the missing genotype.
    std::vector<std::vector<std::array<std::uint32_t, 2>>> m_alleles;
    std::vector<LocusKind> m_kinds;
    std::vector<LocusRun> m_runs;
    /// Per wide locus, where its terms start in wideTerms().
    std::vector<size_t> m_wideOffsets;
    size_t m_wideTermCount = 0;
    /// Per block, the bytes of every locus in turn (recordBytes of its kind).
    size_t m_recordBytes = 0;
    std::vector<std::uint8_t> m_records;
    MissingFields m_missing;
};

// The kernels: each adds the terms of `count` consecutive loci of one kind between one row and the
// 32 observations of a block to their sums, locus by locus. `row` holds the row's genotype numbers
// at these loci, `bytes` the block's record bytes of them.
using KernelRun = void (*)(const AlleleTerms& terms, const std::uint8_t* row, const std::uint8_t* bytes, int count,
                           double* sums);

// The portable kernels go through the block eight sums at a time: eight sums stay in registers even
// where a vector holds two doubles and there are sixteen vector registers. addLocus(l, group, sums)
// adds locus l's terms of observations 8 group .. 8 group + 7 to their eight sums.
constexpr int kGroup = 8;
template <typename AddLocus>
[[gnu::always_inline]] inline void inGroupsOfEight(int count, double* sums, AddLocus addLocus)
{
    for (int group = 0; group < kLanes / kGroup; ++group) {
        double groupSums[kGroup];
        std::copy_n(sums + group * kGroup, kGroup, groupSums);
        for (int l = 0; l < count; ++l)
            addLocus(l, group, groupSums);
        std::copy_n(groupSums, kGroup, sums + group * kGroup);
    }
}

void twoAlleleRunPortable(const AlleleTerms& terms, const std::uint8_t* row, const std::uint8_t* bytes, int count,
                          double* sums)
{
    // Two bytes' entries per group, each entry whole vector additions.
    inGroupsOfEight(count, sums, [&](int l, int group, double* groupSums) {
        const double(*values)[4] = terms.rowByteValues[row[l]];
        const std::uint8_t* packed = bytes + static_cast<size_t>(l) * (kLanes / 4) + group * (kGroup / 4);
        const double* first = values[packed[0]];
        const double* second = values[packed[1]];
        for (int m = 0; m < 4; ++m)
            groupSums[m] += first[m];
        for (int m = 0; m < 4; ++m)
            groupSums[4 + m] += second[m];
    });
}

void fewAlleleRunPortable(const AlleleTerms& terms, const std::uint8_t* row, const std::uint8_t* bytes, int count,
                          double* sums)
{
    // Each term is a look-up of its own.
    inGroupsOfEight(count, sums, [&](int l, int group, double* groupSums) {
        const double* values = terms.pairValues[row[l]];
        const std::uint8_t* codes = bytes + static_cast<size_t>(l) * kLanes + group * kGroup;
#pragma GCC unroll 8
        for (int m = 0; m < kGroup; ++m)
            groupSums[m] += values[codes[m]];
    });
}

#ifdef TESSALOC_X86_KERNELS
// Four sums per vector, eight vectors for the block; one 32-byte look-up per byte of numbers.
__attribute__((target("avx2"))) void twoAlleleRunAvx2(const AlleleTerms& terms, const std::uint8_t* row,
                                                      const std::uint8_t* bytes, int count, double* sums)
{
    __m256d sum[8];
    for (int q = 0; q < 8; ++q)
        sum[q] = _mm256_loadu_pd(sums + 4 * q);
    for (int l = 0; l < count; ++l) {
        const double* values = terms.rowByteValues[row[l]][0];
        std::uint64_t packed;
        std::memcpy(&packed, bytes + static_cast<size_t>(l) * 8, sizeof packed);
        for (int q = 0; q < 8; ++q)
            sum[q] = _mm256_add_pd(sum[q], _mm256_load_pd(values + 4 * ((packed >> (8 * q)) & 0xFF)));
    }
    for (int q = 0; q < 8; ++q)
        _mm256_storeu_pd(sums + 4 * q, sum[q]);
}

// The row's sixteen term indices are looked up for the 32 numbers of a locus with one byte shuffle,
// packed four to a byte, and each byte's four terms then come from one table entry, as for
// two-allele loci.
__attribute__((target("avx2"))) void fewAlleleRunAvx2(const AlleleTerms& terms, const std::uint8_t* row,
                                                      const std::uint8_t* bytes, int count, double* sums)
{
    // Multiply-adds with these weights pack the two-bit indices of four bytes into the low byte of
    // their 32 bits: t0 + 4 t1, then (t0 + 4 t1) + 16 (t2 + 4 t3).
    const __m256i timesOneAndFour = _mm256_set1_epi16(0x0401);
    const __m256i timesOneAndSixteen = _mm256_set1_epi32(0x00100001);
    // The low byte of each 32 bits to the first four bytes of its half, and the two halves' first
    // four bytes side by side.
    const __m256i lowBytes = _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12,
                                              -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m256i halvesTogether = _mm256_setr_epi32(0, 4, 1, 2, 3, 5, 6, 7);
    __m256d sum[8];
    for (int q = 0; q < 8; ++q)
        sum[q] = _mm256_loadu_pd(sums + 4 * q);
    // The indices of a batch of loci are packed first, then added: the packing of one locus does
    // not wait for the additions of the one before.
    constexpr int kBatch = 16;
    alignas(32) std::uint64_t packed[kBatch];
    for (int start = 0; start < count; start += kBatch) {
        const int batch = std::min(kBatch, count - start);
        for (int k = 0; k < batch; ++k) {
            const int l = start + k;
            const __m256i table =
                _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(terms.pairCodes[row[l]])));
            const __m256i numbers =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + static_cast<size_t>(l) * kLanes));
            const __m256i indices = _mm256_shuffle_epi8(table, numbers);
            const __m256i fours = _mm256_madd_epi16(_mm256_maddubs_epi16(indices, timesOneAndFour), timesOneAndSixteen);
            const __m256i together = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(fours, lowBytes), halvesTogether);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(packed + k), _mm256_castsi256_si128(together));
        }
        for (int k = 0; k < batch; ++k) {
            for (int q = 0; q < 8; ++q)
                sum[q] = _mm256_add_pd(sum[q], _mm256_load_pd(terms.codeByteValues[(packed[k] >> (8 * q)) & 0xFF]));
        }
    }
    for (int q = 0; q < 8; ++q)
        _mm256_storeu_pd(sums + 4 * q, sum[q]);
}

// Eight lanes' values: each lane picks its value among the row's 16 (two registers) by its code.
__attribute__((target("avx512f"), always_inline)) inline __m512d eightTerms(__m512d low, __m512d high,
                                                                            const std::uint8_t* codes)
{
    const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(codes));
    // The masked form with every lane selected: GCC 12 warns about the unmasked one's unset source.
    return _mm512_permutex2var_pd(low, _mm512_maskz_cvtepu8_epi64(0xFF, eight), high);
}

// Each lane's sum gets one addition per locus, as in the portable kernel, eight lanes per instruction.
__attribute__((target("avx512f"))) void fewAlleleRunAvx512(const AlleleTerms& terms, const std::uint8_t* row,
                                                           const std::uint8_t* bytes, int count, double* sums)
{
    __m512d sum0 = _mm512_loadu_pd(sums);
    __m512d sum1 = _mm512_loadu_pd(sums + 8);
    __m512d sum2 = _mm512_loadu_pd(sums + 16);
    __m512d sum3 = _mm512_loadu_pd(sums + 24);
    for (int l = 0; l < count; ++l) {
        const double* values = terms.pairValues[row[l]];
        const __m512d low = _mm512_load_pd(values);
        const __m512d high = _mm512_load_pd(values + 8);
        const std::uint8_t* codes = bytes + static_cast<size_t>(l) * kLanes;
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

struct AlleleKernelRuns {
    KernelRun twoAlleles;
    KernelRun fewAlleles;
};

AlleleKernelRuns alleleRunsOf(DistanceKernel kernel)
{
#ifdef TESSALOC_X86_KERNELS
    // For two-allele loci the AVX2 look-ups serve the AVX-512 kernel too: a 64-byte entry would
    // make the table sixteen megabytes.
    if (kernel == DistanceKernel::Avx512)
        return {twoAlleleRunAvx2, fewAlleleRunAvx512};
    if (kernel == DistanceKernel::Avx2)
        return {twoAlleleRunAvx2, fewAlleleRunAvx2};
#endif
    (void)kernel;
    return {twoAlleleRunPortable, fewAlleleRunPortable};
}

// Adds the terms of a wide locus between a row and each observation of the block; `terms` are the
// row's terms with the locus's texts (AlleleCodes::wideTerms).
void addWideLocus(const AlleleCodes& codes, int locus, const double* terms, int block, double* sums)
{
    const std::vector<GenotypeColumn::Code>& column = codes.column(locus).codes();
    const int first = block * kLanes;
    const int end = std::min(codes.samples(), first + kLanes);
    for (int j = first; j < end; ++j)
        sums[j - first] += terms[column[static_cast<size_t>(j)]];
}

} // namespace

PackedDistances alleleSharingDistances(const SampleTable& table, DistanceKernel kernel)
{
    const int n = table.sampleCount();
    const AlleleCodes codes(table);
    const std::unique_ptr<AlleleTerms> terms = makeAlleleTerms();
    const AlleleKernelRuns kernelRuns = alleleRunsOf(kernel);
    const int loci = codes.loci();

    PackedDistances distances(n);
    FirstFailingPair failures(n);
    forEachPairRow(distances, &failures, [&](int i) {
        std::vector<std::uint8_t> row;
        std::vector<int> rowMissing, bothMissing;
        std::vector<std::uint64_t> tallies;
        std::vector<double> wideTerms;
        codes.rowNumbers(i, row, rowMissing);
        codes.wideTerms(i, wideTerms);
        const int firstBlock = (i + 1) / kLanes;
        codes.missing().countBothMissing(rowMissing, firstBlock, bothMissing, tallies);
        alignas(64) double sums[kLanes];
        for (int block = firstBlock; block < codes.blocks(); ++block) {
            std::fill(std::begin(sums), std::end(sums), 0.0);
            // Runs of loci of one kind go through the kernel in locus order; wide loci are added
            // one by one between them, so every sum still takes its terms in locus order.
            for (const LocusRun& run : codes.runs()) {
                const std::uint8_t* numbers = row.data() + run.first;
                switch (run.kind) {
                case LocusKind::TwoAlleles:
                    kernelRuns.twoAlleles(*terms, numbers, codes.runRecords(block, run), run.count, sums);
                    break;
                case LocusKind::FewAlleles:
                    kernelRuns.fewAlleles(*terms, numbers, codes.runRecords(block, run), run.count, sums);
                    break;
                case LocusKind::Wide:
                    for (int l = run.first; l < run.first + run.count; ++l)
                        addWideLocus(codes, l, wideTerms.data() + codes.wideOffset(l), block, sums);
                    break;
                }
            }

            const int first = std::max(i + 1, block * kLanes);
            const int end = std::min(n, (block + 1) * kLanes);
            for (int j = first; j < end; ++j) {
                // The loci missing in neither observation.
                const int used = loci - codes.missing().count(i) - codes.missing().count(j) +
                                 bothMissing[static_cast<size_t>(j - firstBlock * kLanes)];
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

namespace {

// Data type 2. Each field is a code, the same for equal texts of its locus, and the missing fields
// get one code in the row and another in the observations it is compared with, so that a pair's
// equal codes are its equal usable fields. Counts, unlike sums of fractions, come out the same in
// any order, so the kernels count many loci at once.
template <typename Code> struct GenotypeCodes {
    static constexpr Code kRowMissing = std::numeric_limits<Code>::max() - 1;
    static constexpr Code kMissing = std::numeric_limits<Code>::max();
};

// The number of positions where a and b hold the same code. Counts within a chunk fit the code's own
// width, so the compiler can count as many loci per instruction as codes fit a vector; a chunk of a
// fixed length vectorises even where the compiler only vectorises loops without a remainder.
template <typename Code> [[gnu::always_inline]] inline int countEqual(const Code* a, const Code* b, int count)
{
    constexpr int kChunk = 64;
    constexpr int kChunksPerTally = std::min<int>(std::numeric_limits<Code>::max() / kChunk, 1 << 20);
    int equal = 0;
    int l = 0;
    while (l + kChunk <= count) {
        Code tally = 0;
        for (int chunk = 0; chunk < kChunksPerTally && l + kChunk <= count; ++chunk, l += kChunk) {
            for (int k = 0; k < kChunk; ++k)
                tally = static_cast<Code>(tally + Code(a[l + k] == b[l + k]));
        }
        equal += static_cast<int>(tally);
    }
    for (; l < count; ++l)
        equal += int(a[l] == b[l]);
    return equal;
}

template <typename Code> int countEqualPortable(const Code* a, const Code* b, int count)
{
    return countEqual(a, b, count);
}
#ifdef TESSALOC_X86_KERNELS
template <typename Code> __attribute__((target("avx2"))) int countEqualAvx2(const Code* a, const Code* b, int count)
{
    return countEqual(a, b, count);
}
template <typename Code>
__attribute__((target("avx512f,avx512bw"))) int countEqualAvx512(const Code* a, const Code* b, int count)
{
    return countEqual(a, b, count);
}
#endif

template <typename Code> auto countEqualOf(DistanceKernel kernel)
{
#ifdef TESSALOC_X86_KERNELS
    if (kernel == DistanceKernel::Avx512)
        return countEqualAvx512<Code>;
    if (kernel == DistanceKernel::Avx2)
        return countEqualAvx2<Code>;
#endif
    (void)kernel;
    return countEqualPortable<Code>;
}

template <typename Code> PackedDistances genotypeDifferences(const SampleTable& table, DistanceKernel kernel)
{
    using Codes = GenotypeCodes<Code>;
    const int n = table.sampleCount();
    const int loci = table.locusCount;
    // codes[observation * loci + locus]: the field's code within its locus, or kMissing.
    std::vector<Code> codes(static_cast<size_t>(n) * static_cast<size_t>(loci));
    std::vector<Code> codeOf;
    MissingFields missing(n, loci);
    for (int l = 0; l < loci; ++l) {
        const GenotypeColumn& column = table.genotypes[static_cast<size_t>(l)];
        codeOf.clear();
        Code next = 0;
        for (const std::string& text : column.texts())
            codeOf.push_back(text == "0" || text == "0\\0" ? Codes::kMissing : next++);
        for (int k = 0; k < n; ++k) {
            const Code code = codeOf[column.codes()[static_cast<size_t>(k)]];
            codes[static_cast<size_t>(k) * loci + l] = code;
            if (code == Codes::kMissing)
                missing.mark(k, l);
        }
    }

    const auto countEqualRun = countEqualOf<Code>(kernel);
    PackedDistances distances(n);
    FirstFailingPair failures(n);
    forEachPairRow(distances, &failures, [&](int i) {
        std::vector<Code> row(codes.begin() + static_cast<std::ptrdiff_t>(i) * loci,
                              codes.begin() + static_cast<std::ptrdiff_t>(i + 1) * loci);
        std::vector<int> rowMissing, bothMissing;
        std::vector<std::uint64_t> tallies;
        for (int l = 0; l < loci; ++l) {
            if (row[static_cast<size_t>(l)] == Codes::kMissing) {
                row[static_cast<size_t>(l)] = Codes::kRowMissing;
                rowMissing.push_back(l);
            }
        }
        const int firstBlock = (i + 1) / kLanes;
        missing.countBothMissing(rowMissing, firstBlock, bothMissing, tallies);
        for (int j = i + 1; j < n; ++j) {
            const Code* other = codes.data() + static_cast<size_t>(j) * loci;
            const int compared =
                loci - missing.count(i) - missing.count(j) + bothMissing[static_cast<size_t>(j - firstBlock * kLanes)];
            if (compared == 0) {
                failures.record(i, j);
                return;
            }
            const int differing = compared - countEqualRun(row.data(), other, loci);
            distances.setPair(i, j, static_cast<double>(differing) / static_cast<double>(compared));
        }
    });
    if (const auto pair = failures.first())
        throw DataProblem(noCommonLociMessage(pair->first + 1, pair->second + 1));
    return distances;
}

} // namespace

PackedDistances genotypeDifferenceDistances(const SampleTable& table, DistanceKernel kernel)
{
    // The smallest codes that leave two values for the missing fields.
    size_t texts = 0;
    for (const GenotypeColumn& column : table.genotypes)
        texts = std::max(texts, column.texts().size());
    if (texts <= std::numeric_limits<std::uint8_t>::max() - 1)
        return genotypeDifferences<std::uint8_t>(table, kernel);
    if (texts <= std::numeric_limits<std::uint16_t>::max() - 1)
        return genotypeDifferences<std::uint16_t>(table, kernel);
    return genotypeDifferences<std::uint32_t>(table, kernel);
}

} // namespace tessaloc
