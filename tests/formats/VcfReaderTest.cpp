#include "core/Errors.h"
#include "formats/GenotypeFormats.h"
#include "tests/formats/GenotypeReaderChecks.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <htslib/hts.h>
#include <htslib/vcf.h>

#include <fstream>

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

} // namespace
} // namespace tessaloc
