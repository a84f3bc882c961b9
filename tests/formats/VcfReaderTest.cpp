#include "core/Errors.h"
#include "formats/GenotypeFormats.h"
#include "tests/formats/GenotypeReaderChecks.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <htslib/hts.h>
#include <htslib/vcf.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace tessaloc {
namespace {

using testing::dataProblemOf;
using testing::fieldsOf;
using testing::TempFolder;

const std::string kHeader = "##fileformat=VCFv4.2\n##contig=<ID=1>\n"
                            "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                            "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";

// A VCF text with the given samples and records (each "POS REF ALT call call ...", blank-separated).
std::string vcfText(const std::vector<std::string>& samples, const std::vector<std::string>& records)
{
    std::string text = kHeader;
    for (const std::string& sample : samples)
        text += "\t" + sample;
    text += "\n";
    for (const std::string& record : records) {
        std::vector<std::string> parts;
        size_t start = 0;
        while (start <= record.size()) {
            const size_t blank = std::min(record.find(' ', start), record.size());
            parts.push_back(record.substr(start, blank - start));
            start = blank + 1;
        }
        text += "1\t" + parts[0] + "\t.\t" + parts[1] + "\t" + parts[2] + "\t.\t.\t.\tGT";
        for (size_t k = 3; k < parts.size(); ++k)
            text += "\t" + parts[k];
        text += "\n";
    }
    return text;
}

// The same file rewritten by htslib in `mode` ("wb" BCF, "wz" bgzipped VCF).
std::filesystem::path rewritten(const std::filesystem::path& text, const std::filesystem::path& target,
                                const char* mode)
{
    htsFile* in = hts_open(text.string().c_str(), "r");
    bcf_hdr_t* header = bcf_hdr_read(in);
    htsFile* out = hts_open(target.string().c_str(), mode);
    EXPECT_EQ(bcf_hdr_write(out, header), 0);
    bcf1_t* record = bcf_init();
    while (bcf_read(in, header, record) == 0)
        EXPECT_EQ(bcf_write(out, header, record), 0);
    bcf_destroy(record);
    bcf_hdr_destroy(header);
    hts_close(out);
    hts_close(in);
    return target;
}

const std::vector<std::string> kDiploidRecords = {
    // Phased and unphased alike; a half-missing call is missing.
    "100 A G 0/0 0|1 1|1 ./. 1/.",
    // A multi-allelic site: REF is 1, the ALTs 2 and 3; a lone "." is a missing call too.
    "200 C T,G 0/2 2|1 0/0 . 2/2",
};

TEST(ReadVcfGenotypes, DiploidCallsBecomeAllelePairsNumberedFromOne)
{
    TempFolder folder;
    const auto path = folder.write("a.vcf", vcfText({"s1", "s2", "s3", "s4", "s5"}, kDiploidRecords));
    const NamedGenotypes genotypes = ReadVcfGenotypes(path);
    EXPECT_TRUE(genotypes.diploid);
    EXPECT_EQ(genotypes.names, (std::vector<std::string>{"s1", "s2", "s3", "s4", "s5"}));
    ASSERT_EQ(genotypes.loci.size(), 2u);
    EXPECT_EQ(fieldsOf(genotypes, 0), (std::vector<std::string>{"1\\1", "1\\2", "2\\2", "0\\0", "0\\0"}));
    EXPECT_EQ(fieldsOf(genotypes, 1), (std::vector<std::string>{"1\\3", "3\\2", "1\\1", "0\\0", "3\\3"}));
}

TEST(ReadVcfGenotypes, BcfAndBgzippedVcfReadAsTheText)
{
    TempFolder folder;
    const auto text = folder.write("a.vcf", vcfText({"s1", "s2", "s3", "s4", "s5"}, kDiploidRecords));
    const NamedGenotypes expected = ReadVcfGenotypes(text);
    for (const auto& [name, mode] : {std::pair{"a.bcf", "wb"}, std::pair{"a.vcf.gz", "wz"}}) {
        const auto path = rewritten(text, folder.path() / name, mode);
        EXPECT_EQ(DetectGenotypeFormat(path), GenotypeFormat::Vcf) << name;
        const NamedGenotypes genotypes = ReadVcfGenotypes(path);
        EXPECT_EQ(genotypes.names, expected.names) << name;
        for (size_t locus = 0; locus < 2; ++locus)
            EXPECT_EQ(fieldsOf(genotypes, locus), fieldsOf(expected, locus)) << name;
    }
}

TEST(ReadVcfGenotypes, HaploidCallsBecomeSingleStates)
{
    TempFolder folder;
    // The first record has no call that shows the ploidy; its missing calls are haploid too.
    const auto path = folder.write("h.vcf", vcfText({"a", "b", "c"}, {"5 A C . . .", "9 G T,C 0 2 ."}));
    const NamedGenotypes genotypes = ReadVcfGenotypes(path);
    EXPECT_FALSE(genotypes.diploid);
    EXPECT_EQ(fieldsOf(genotypes, 0), (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(fieldsOf(genotypes, 1), (std::vector<std::string>{"1", "3", "0"}));
}

TEST(ReadVcfGenotypes, UnreadableFilesAreDataProblemsNamingFileAndRecord)
{
    TempFolder folder;
    const std::string noGt = "##fileformat=VCFv4.2\n##contig=<ID=1>\n"
                             "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n1\t5\t.\tA\tC\t.\t.\t.\n";
    const std::string wideColumns = vcfText({"a", "b"}, {"5 A C 0/0 0/1", "7 A C 0/0"});
    const struct {
        std::string name, content, message;
    } cases[] = {
        {"nogt.vcf", noGt,
         "The genotype file \"" + (folder.path() / "nogt.vcf").string() +
             "\" has no genotype calls (no GT field in its header)."},
        {"triploid.vcf", vcfText({"a", "b"}, {"5 A C 0/0 0/1/1"}),
         "The genotype file \"" + (folder.path() / "triploid.vcf").string() +
             "\" has a call of ploidy 3 at record 1 (1:5) for sample \"b\"; only haploid and diploid calls can be "
             "read."},
        {"mixed.vcf", vcfText({"a", "b"}, {"5 A C 0/0 1"}),
         "The genotype file \"" + (folder.path() / "mixed.vcf").string() +
             "\" mixes haploid and diploid calls: sample \"b\" has a haploid call at record 1 (1:5)."},
        {"columns.vcf", wideColumns,
         "The genotype file \"" + (folder.path() / "columns.vcf").string() +
             "\" cannot be read at record 2 (after record 1 (1:5)): it has the wrong number of columns."},
        {"allele.vcf", vcfText({"a"}, {"5 A C 0/4"}),
         "The genotype file \"" + (folder.path() / "allele.vcf").string() +
             "\" calls allele 4 at record 1 (1:5) for sample \"a\", which has only 2 alleles."},
        // Only the calls reach htslib, but a FORMAT tag the header does not declare is still refused.
        {"tag.vcf", kHeader + "\ta\n1\t5\t.\tA\tC\t.\t.\t.\tGT:XX\t0/1:3\n",
         "The genotype file \"" + (folder.path() / "tag.vcf").string() +
             "\" cannot be read at record 1 (after the header): it uses a tag that is invalid or not declared in "
             "the header."},
    };
    for (const auto& c : cases) {
        const auto path = folder.write(c.name, c.content);
        EXPECT_EQ(dataProblemOf([&] { ReadVcfGenotypes(path); }), c.message) << c.name;
    }
}

TEST(ReadVcfGenotypes, TruncatedBgzipIsADataProblemNotACrash)
{
    TempFolder folder;
    std::vector<std::string> records;
    for (int k = 0; k < 400; ++k)
        records.push_back(std::to_string(100 + k) + " A G 0/0 0/1 1/1");
    const auto text = folder.write("long.vcf", vcfText({"a", "b", "c"}, records));
    const std::string whole = testing::readFile(rewritten(text, folder.path() / "long.vcf.gz", "wz"));
    const auto cut = folder.write("cut.vcf.gz", whole.substr(0, whole.size() / 2));
    const std::string message = dataProblemOf([&] { ReadVcfGenotypes(cut); });
    EXPECT_NE(message.find("The genotype file \"" + cut.string() + "\" cannot be read at record "), std::string::npos)
        << message;
}

// The bytes of an uncompressed BCF file: its header (magic, length, text) and its records.
struct BcfParts {
    std::string header;
    std::vector<std::string> records;
};

BcfParts bcfPartsOf(const std::string& bytes)
{
    BcfParts parts;
    const auto word = [&](size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, 4);
        return static_cast<size_t>(value);
    };
    size_t at = 9 + word(5);
    parts.header = bytes.substr(0, at);
    while (at < bytes.size()) {
        const size_t length = 8 + word(at) + word(at + 4);
        parts.records.push_back(bytes.substr(at, length));
        at += length;
    }
    return parts;
}

TEST(ReadVcfGenotypes, BcfRecordWithFewerSamplesThanItsHeaderIsADataProblemNamingIt)
{
    // A record of two samples spliced into a file whose header names four: htslib would read the
    // calls of samples 3 and 4 beyond the record, and as the last record from the record before.
    TempFolder folder;
    const auto four = folder.write(
        "four.vcf", vcfText({"s1", "s2", "s3", "s4"}, {"100 A G 0/0 0/1 1/1 0/1", "200 C T 0/0 0/0 1/1 1/1"}));
    const auto two = folder.write("two.vcf", vcfText({"s1", "s2"}, {"200 C T 0/1 0/1"}));
    const BcfParts wide = bcfPartsOf(testing::readFile(rewritten(four, folder.path() / "four.bcf", "wbu")));
    const BcfParts narrow = bcfPartsOf(testing::readFile(rewritten(two, folder.path() / "two.bcf", "wbu")));
    ASSERT_EQ(wide.records.size(), 2u);
    ASSERT_EQ(narrow.records.size(), 1u);
    for (const bool last : {true, false}) {
        std::string spliced = wide.header + wide.records[0] + narrow.records[0];
        if (!last)
            spliced += wide.records[1];
        const auto path = folder.write("spliced.bcf", spliced);
        EXPECT_EQ(dataProblemOf([&] { ReadVcfGenotypes(path); }),
                  "The genotype file \"" + path.string() +
                      "\" has calls for 2 samples at record 2 (1:200), but its header names 4.")
            << (last ? "as the last record" : "before another record");
    }
}

// The bgzipped file `whole` cut right after its `blocks`-th block.
std::string firstBlocksOf(const std::string& whole, int blocks)
{
    size_t at = 0;
    for (int k = 0; k < blocks; ++k) {
        // BSIZE, the block's size less one, stands at byte 16 of its header.
        const auto low = static_cast<unsigned char>(whole[at + 16]);
        const auto high = static_cast<unsigned char>(whole[at + 17]);
        at += (static_cast<size_t>(high) << 8 | low) + 1;
    }
    return whole.substr(0, at);
}

TEST(ReadVcfGenotypes, BgzippedFileCutAtABlockBoundaryIsADataProblemNotAShorterFile)
{
    TempFolder folder;
    std::vector<std::string> records;
    for (int k = 0; k < 3000; ++k)
        records.push_back(std::to_string(100 + k) + " A G 0/0 0/1 1/1 0/0 0/1 1/1 0/0 0/1 1/1 0/0 0/1 1/1");
    const auto text =
        folder.write("long.vcf", vcfText({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}, records));
    const std::string whole = testing::readFile(rewritten(text, folder.path() / "long.vcf.gz", "wz"));
    // The header's block and the first block of records: a file that htslib reads to its end.
    const auto cut = folder.write("cut.vcf.gz", firstBlocksOf(whole, 2));
    const std::string message = dataProblemOf([&] { ReadVcfGenotypes(cut); });
    const std::string start = "The genotype file \"" + cut.string() + "\" ends early: record ";
    EXPECT_EQ(message.substr(0, start.size()), start) << message;
    EXPECT_NE(message.find(" was the last one read."), std::string::npos) << message;
    EXPECT_EQ(message.find("record 3000 "), std::string::npos) << message;
}

TEST(ReadVcfGenotypes, BinaryFileIsADataProblemNotAFileThatCannotBeOpened)
{
    TempFolder folder;
    std::string bytes;
    for (int k = 0; k < 3000; ++k)
        bytes += static_cast<char>((k * 131 + 7) % 256);
    const auto path = folder.write("binary.vcf", bytes);
    EXPECT_EQ(dataProblemOf([&] { ReadVcfGenotypes(path); }),
              "The genotype file \"" + path.string() + "\" is not a VCF or BCF file.");
}

TEST(ReadVcfGenotypes, DiploidShapedHalfMissingCallInAHaploidFileIsMixedPloidy)
{
    TempFolder folder;
    for (const std::string call : {"0/.", "./1", "0/1"}) {
        const auto path = folder.write("h.vcf", vcfText({"a", "b", "c"}, {"5 A C 0 1 " + call}));
        EXPECT_EQ(dataProblemOf([&] { ReadVcfGenotypes(path); }),
                  "The genotype file \"" + path.string() +
                      "\" mixes haploid and diploid calls: sample \"c\" has a diploid call at record 1 (1:5).")
            << call;
    }
    // A call without any allele shows no ploidy: "./." is missing in a haploid file as "." is in a
    // diploid one.
    const auto missing = folder.write("m.vcf", vcfText({"a", "b"}, {"5 A C 0 ./.", "6 A C . 1"}));
    EXPECT_EQ(fieldsOf(ReadVcfGenotypes(missing), 0), (std::vector<std::string>{"1", "0"}));
}

TEST(ReadVcfGenotypes, SampleWhoseColumnStopsBeforeItsCallHasAMissingCall)
{
    // A VCF may leave out the trailing fields of a sample; with GT after DP, "7" has no call. htslib
    // stores the call as missing, and the reader took that for allele -1073741825.
    TempFolder folder;
    const std::string header = "##fileformat=VCFv4.2\n##contig=<ID=1>\n"
                               "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                               "##FORMAT=<ID=DP,Number=1,Type=Integer,Description=\"Depth\">\n"
                               "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ta\tb\tc\n";
    const auto text = folder.write("dp.vcf", header + "1\t5\t.\tA\tC\t.\t.\t.\tDP:GT\t3:0/1\t7\t2:1/1\n");
    for (const auto& path : {text, rewritten(text, folder.path() / "dp.bcf", "wb")}) {
        const NamedGenotypes genotypes = ReadVcfGenotypes(path);
        EXPECT_EQ(fieldsOf(genotypes, 0), (std::vector<std::string>{"1\\2", "0\\0", "2\\2"})) << path;
    }
}

// What `body` writes to the standard error stream (the file descriptor itself, as htslib writes).
std::string standardErrorOf(const std::function<void()>& body)
{
    TempFolder folder;
    const auto capture = folder.path() / "stderr";
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int descriptor = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(descriptor, STDERR_FILENO);
    ::close(descriptor);
    body();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    return testing::readFile(capture);
}

TEST(ReadVcfGenotypes, HtslibRepeatsNoNameOfTheFileOnTheTerminal)
{
    // htslib's own messages would repeat these names with their control characters; the reader's
    // messages say what happened instead.
    TempFolder folder;
    const std::string undeclared = "##fileformat=VCFv4.2\n##FORMAT=<ID=GT,Number=1,Type=String,Description=\"G\">\n"
                                   "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ta\x1b[31m\n"
                                   "chr\x1b]0;x\x07\t5\t.\tA\tC\t.\t.\t.\tGT\t0/1\n";
    const std::string repeated = "##fileformat=VCFv4.2\n##FORMAT=<ID=GT,Number=1,Type=String,Description=\"G\">\n"
                                 "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ts\x9b\ts\x9b\n";
    const std::string columns = vcfText({"a\x1b[2J", "b"}, {"5 A C 0/0"});
    std::string whole = testing::readFile(
        rewritten(folder.write("w.vcf", vcfText({"a"}, {"5 A C 0/1"})), folder.path() / "w.vcf.gz", "wz"));
    // Without its end marker (the last 28 bytes), which htslib would warn of.
    const std::string cut = whole.substr(0, whole.size() - 28);
    int index = 0;
    for (const std::string& content : {undeclared, repeated, columns, cut}) {
        const auto path = folder.write("f" + std::to_string(index++) + ".vcf", content);
        std::string message;
        EXPECT_EQ(standardErrorOf([&] { message = dataProblemOf([&] { ReadVcfGenotypes(path); }); }), "") << message;
    }
}

} // namespace
} // namespace tessaloc
