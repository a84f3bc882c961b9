#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/GeneticDistances.h"
#include "core/SampleTable.h"
#include "formats/GenotypeFormats.h"
#include "formats/OwnFormatReaders.h"
#include "tests/formats/GenotypeReaderChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <unistd.h>

// Every allocation of this program goes through these, which keep the bytes in use and the most
// ever in use. Each block carries its size in front of it.
namespace {

constexpr size_t kHeader = alignof(std::max_align_t);
std::atomic<size_t> bytesInUse{0};
std::atomic<size_t> mostBytesInUse{0};

void* allocate(size_t size)
{
    void* block = std::malloc(size + kHeader);
    if (!block)
        throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    const size_t now = bytesInUse += size;
    size_t most = mostBytesInUse.load();
    while (now > most && !mostBytesInUse.compare_exchange_weak(most, now)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void release(void* pointer) noexcept
{
    if (!pointer)
        return;
    char* block = static_cast<char*>(pointer) - kHeader;
    bytesInUse -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

// Under AddressSanitizer every allocation of the process, htslib's malloc included, passes hooks
// that keep the heap bytes in use and the most ever in use.
#if defined(__SANITIZE_ADDRESS__)
#define TESSALOC_COUNTS_WHOLE_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSALOC_COUNTS_WHOLE_HEAP 1
#endif
#endif

#ifdef TESSALOC_COUNTS_WHOLE_HEAP
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* pointer);

std::atomic<long long> heapBytesInUse{0};
std::atomic<long long> mostHeapBytesInUse{0};

void heapAllocated(const volatile void*, size_t size)
{
    const long long now = heapBytesInUse += static_cast<long long>(size);
    long long most = mostHeapBytesInUse.load();
    while (now > most && !mostHeapBytesInUse.compare_exchange_weak(most, now)) {
    }
}

void heapFreed(const volatile void* pointer)
{
    heapBytesInUse -= static_cast<long long>(__sanitizer_get_allocated_size(pointer));
}

const bool heapHooksInstalled = __sanitizer_install_malloc_and_free_hooks(heapAllocated, heapFreed) != 0;
#endif

} // namespace

void* operator new(size_t size)
{
    return allocate(size);
}
void* operator new[](size_t size)
{
    return allocate(size);
}
void operator delete(void* pointer) noexcept
{
    release(pointer);
}
void operator delete[](void* pointer) noexcept
{
    release(pointer);
}
void operator delete(void* pointer, size_t) noexcept
{
    release(pointer);
}
void operator delete[](void* pointer, size_t) noexcept
{
    release(pointer);
}

namespace tessaloc {
namespace {

// The most bytes in use at once while `body` runs, above what was in use before it.
template <typename Body> size_t peakBytesOf(Body&& body)
{
    const size_t before = bytesInUse.load();
    mostBytesInUse = before;
    body();
    return mostBytesInUse.load() - before;
}

constexpr size_t kMegabyte = 1 << 20;

#ifdef TESSALOC_COUNTS_WHOLE_HEAP
// The most heap bytes in use at once while `body` runs, above what was in use before it, counting
// every allocation of the process (htslib's too).
template <typename Body> long long peakHeapBytesOf(Body&& body)
{
    const long long before = heapBytesInUse.load();
    mostHeapBytesInUse = before;
    body();
    return mostHeapBytesInUse.load() - before;
}
#endif

TEST(ReadGenotypeFile, FileThatEndsAfterItsLocusCountTakesNoMemoryForTheDeclaredLoci)
{
    // 200 observations and a genotype file of seven bytes that declares a million loci: sized up
    // front, the table would hold 200 million empty texts (6.4 GB) before finding the end.
    SampleTable table;
    table.names.assign(200, "x");
    FieldReader reader = FieldReader::fromText("1000000", "genotype file", "g.txt");
    std::string error;
    const size_t peak = peakBytesOf([&] {
        try {
            ReadGenotypeFile(reader, DataType::Genotypes, table);
        } catch (const AnalysisError& e) {
            error = e.what();
        }
    });
    EXPECT_EQ(error,
              "genotype file \"g.txt\", line 1: expected the record of observation 1 of 200, but the file ended");
    EXPECT_LT(peak, kMegabyte);
}

TEST(ReadGenotypeFile, FileThatEndsHalfWayTakesMemoryForWhatItHolds)
{
    // The first record is whole, the second ends early: the memory follows the fields read.
    SampleTable table;
    table.names.assign(200, "x");
    std::string content = "100000\na";
    for (int locus = 0; locus < 100000; ++locus)
        content += ",G";
    content += "\nb,G\n";
    FieldReader reader = FieldReader::fromText(content, "genotype file", "g.txt");
    const size_t peak =
        peakBytesOf([&] { EXPECT_THROW(ReadGenotypeFile(reader, DataType::Genotypes, table), AnalysisError); });
    // 100 001 fields of 32 bytes and their columns; a table sized for every declared field would
    // take 640 MB.
    EXPECT_LT(peak, 16 * kMegabyte);
}

// A file of its own in the system's temporary folder, removed when the test ends.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& content)
        : m_path(std::filesystem::temp_directory_path() /
                 ("tessaloc-memory-" + std::to_string(::getpid()) + "-" + std::to_string(++s_count)))
    {
        std::ofstream(m_path, std::ios::binary) << content;
    }
    ~ScratchFile() { std::filesystem::remove(m_path); }
    const std::filesystem::path& path() const { return m_path; }

private:
    static inline int s_count = 0;
    std::filesystem::path m_path;
};

TEST(ReadGenalexGenotypes, HeaderLocusCountIsNotReservedBeforeARowHoldsTheLoci)
{
    // A table of a few hundred bytes whose counts row declares ten million loci: reserved up front,
    // the loci would take 700 MB before the first row's column count was even looked at.
    std::string content = "10000000,2,1,2\nTitle,,,all\nSample,Pop,L1,\n";
    for (const char* name : {"a", "b"})
        content += std::string(name) + ",all,1,2,1,1,2,2\n";
    const ScratchFile file(content);
    std::string error;
    const size_t peak =
        peakBytesOf([&] { error = testing::dataProblemOf([&] { ReadGenalexGenotypes(file.path()); }); });
    EXPECT_EQ(error, "The genotype file \"" + file.path().string() +
                         "\", line 4: the row of \"a\" has 8 columns, but 10000000 loci need 20000002.");
    EXPECT_LT(peak, kMegabyte);
}

// A VCF text of one record at position 5 with the given REF, ALT and calls.
std::string vcfRecord(const std::string& alleles, const std::vector<std::string>& calls)
{
    std::string text = "##fileformat=VCFv4.2\n##contig=<ID=1>\n"
                       "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                       "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
    for (size_t k = 0; k < calls.size(); ++k)
        text += "\ts" + std::to_string(k);
    text += "\n1\t5\t.\t" + alleles + "\t.\t.\t.\tGT";
    for (const std::string& call : calls)
        text += "\t" + call;
    return text + "\n";
}

TEST(ReadVcfGenotypes, ManyAltAllelesTakeMemoryForTheCallsOnly)
{
    // One record of 10 000 ALT alleles whose eight samples all call "0/1" (60 kB): a table of
    // every pair of alleles would take 200 MB.
    std::string alleles = "A\t";
    for (int allele = 1; allele <= 10000; ++allele)
        alleles += (allele == 1 ? "" : ",") + std::string("C") + std::to_string(allele);
    const ScratchFile file(vcfRecord(alleles, std::vector<std::string>(8, "0/1")));
    NamedGenotypes genotypes;
    const size_t peak = peakBytesOf([&] { genotypes = ReadVcfGenotypes(file.path()); });
    ASSERT_EQ(genotypes.loci.size(), 1u);
    EXPECT_EQ(genotypes.loci[0].texts(), std::vector<std::string>{"1\\2"});
    EXPECT_LT(peak, 4 * kMegabyte);
}

TEST(ReadVcfGenotypes, HighPloidyCallInAWideFileIsRefusedInMemoryOfTheFilesSize)
{
#ifndef TESSALOC_COUNTS_WHOLE_HEAP
    GTEST_SKIP() << "htslib's allocations are counted only under AddressSanitizer (the test and debug presets)";
#else
    // 3 000 samples, one of them calling 8 000 alleles (45 kB): parsed whole, the record's calls
    // would take 3 000 x 8 000 values, more than 200 MB, before the ploidy was refused.
    std::vector<std::string> calls(3000, "0/0");
    calls[1500] = "0";
    for (int allele = 1; allele < 8000; ++allele)
        calls[1500] += "/0";
    const ScratchFile file(vcfRecord("A\tC", calls));
    std::string error;
    const long long peak =
        peakHeapBytesOf([&] { error = testing::dataProblemOf([&] { ReadVcfGenotypes(file.path()); }); });
    EXPECT_EQ(error, "The genotype file \"" + file.path().string() +
                         "\" has a call of ploidy 8000 at record 1 (1:5) for sample \"s1500\"; only haploid and "
                         "diploid calls can be read.");
    EXPECT_LT(peak, 8LL * kMegabyte);
#endif
}

// Four bytes of `value`, least significant first, as BCF writes its sizes.
std::string littleEndian(std::uint32_t value)
{
    std::string bytes;
    for (int k = 0; k < 4; ++k)
        bytes += static_cast<char>((value >> (8 * k)) & 0xFF);
    return bytes;
}

TEST(ReadVcfGenotypes, BcfSizesBeyondTheFileAreRefusedBeforeTheyAreAllocated)
{
#ifndef TESSALOC_COUNTS_WHOLE_HEAP
    GTEST_SKIP() << "htslib's allocations are counted only under AddressSanitizer (the test and debug presets)";
#else
    // An uncompressed BCF file of a few hundred bytes whose header text, or whose first record,
    // claims four gigabytes: htslib allocates what a size claims before it reads.
    const std::string text = "##fileformat=VCFv4.2\n##contig=<ID=1>\n"
                             "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                             "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ta\n";
    const std::string magic("BCF\2\2", 5);
    const std::string header = magic + littleEndian(static_cast<std::uint32_t>(text.size() + 1)) + text + '\0';
    const struct {
        std::string content;
        std::string message;
    } cases[] = {
        {magic + littleEndian(0xFFFFFF00u) + text + '\0',
         "\" has a header that cannot be read (is it truncated, or are sample names repeated?)."},
        {header + littleEndian(0xFFFFFFF0u) + littleEndian(16) + std::string(40, '\0'),
         "\" cannot be read at record 1 (after the header): it claims 4294967296 bytes, more than the rest of the "
         "file holds."},
    };
    for (const auto& c : cases) {
        const ScratchFile file(c.content);
        std::string error;
        const long long peak =
            peakHeapBytesOf([&] { error = testing::dataProblemOf([&] { ReadVcfGenotypes(file.path()); }); });
        EXPECT_EQ(error, "The genotype file \"" + file.path().string() + c.message);
        EXPECT_LT(peak, 1LL * kMegabyte);
    }
#endif
}

TEST(SequenceDistanceMatrix, LongFirstSequenceBesideShortOnesTakesMemoryForTheSequencesOnly)
{
    // A first sequence of a megabyte and 999 of four characters: every site from the fifth on is
    // variable. Kept at the first sequence's length, the reduced sequences would take a gigabyte.
    SampleTable table;
    table.locusCount = 1;
    table.genotypes.resize(1);
    table.names.assign(1000, "x");
    table.genotypes[0].push_back(std::string(kMegabyte, 'A'));
    for (int k = 1; k < 1000; ++k)
        table.genotypes[0].push_back(k % 2 ? "ACGT" : "acga");
    PackedDistances distances;
    const size_t peak = peakBytesOf([&] { distances = SequenceDistanceMatrix(table); });
    // The matrix itself takes 4 MB.
    EXPECT_LT(peak, 24 * kMegabyte);
    // By hand: sites 2, 3 and 4 (C, G, T against A) and every site from 5 on vary, so the first
    // sequence reduces to 2^20 - 1 characters. "ACGT" reduces to "CGT", which differs from the
    // first's "AAA..." in all 3 places and leaves 2^20 - 4 unmatched: 2^20 - 1 differences in all.
    // "ACGT" against "acga": "CGT" against "CGA" differ once.
    const double length = static_cast<double>(kMegabyte);
    EXPECT_EQ(distances(0, 1), (length - 1) / length);
    EXPECT_EQ(distances(1, 2), 1.0 / length);
    EXPECT_EQ(distances(1, 3), 0.0);
}

} // namespace
} // namespace tessaloc
