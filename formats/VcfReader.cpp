#include "core/Errors.h"
#include "formats/GenotypeFormats.h"

#include <htslib/hts.h>
#include <htslib/vcf.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tessaloc {
namespace {

struct CloseFile {
    void operator()(htsFile* file) const { hts_close(file); }
};
struct FreeHeader {
    void operator()(bcf_hdr_t* header) const { bcf_hdr_destroy(header); }
};
struct FreeRecord {
    void operator()(bcf1_t* record) const { bcf_destroy(record); }
};

// What htslib's error code of a record means.
std::string recordFault(int errorCode)
{
    if (errorCode & BCF_ERR_NCOLS)
        return "it has the wrong number of columns";
    if (errorCode & BCF_ERR_LIMITS)
        return "it exceeds htslib's limits";
    if (errorCode & BCF_ERR_CHAR)
        return "it holds an invalid character";
    if (errorCode & (BCF_ERR_CTG_INVALID | BCF_ERR_CTG_UNDEF))
        return "its chromosome is invalid or not declared in the header";
    if (errorCode & (BCF_ERR_TAG_INVALID | BCF_ERR_TAG_UNDEF))
        return "it uses a tag that is invalid or not declared in the header";
    return "the file is truncated or corrupt";
}

// Each distinct call of a record, by its two allele indices (the missing call last), keeps its code
// in the record's column, so that a text is made only once per call and record.
class CallCodes {
public:
    void start(int alleles)
    {
        m_alleles = alleles;
        m_codes.assign(static_cast<size_t>(alleles + 1) * static_cast<size_t>(alleles + 1), kNone);
    }
    GenotypeColumn::Code code(GenotypeColumn& column, int first, int second, bool diploid)
    {
        // Index m_alleles stands for a missing allele.
        GenotypeColumn::Code& code =
            m_codes[static_cast<size_t>(first) * static_cast<size_t>(m_alleles + 1) + static_cast<size_t>(second)];
        if (code == kNone) {
            if (first == m_alleles || second == m_alleles)
                code = column.intern(diploid ? "0\\0" : "0");
            else
                code = column.intern(diploid ? std::to_string(first + 1) + "\\" + std::to_string(second + 1)
                                             : std::to_string(first + 1));
        }
        return code;
    }

private:
    static constexpr GenotypeColumn::Code kNone = 0xFFFF;
    int m_alleles = 0;
    std::vector<GenotypeColumn::Code> m_codes;
};

} // namespace

NamedGenotypes ReadVcfGenotypes(const std::filesystem::path& path)
{
    NamedGenotypes result;
    result.file = describeFile("genotype file", path);
    const std::unique_ptr<htsFile, CloseFile> file(hts_open(path.string().c_str(), "r"));
    if (!file)
        throw AnalysisError(result.file + " cannot be opened");
    const htsExactFormat format = hts_get_format(file.get())->format;
    if (format != vcf && format != bcf)
        throw DataProblem("The " + result.file + " is not a VCF or BCF file.");
    const std::unique_ptr<bcf_hdr_t, FreeHeader> header(bcf_hdr_read(file.get()));
    if (!header)
        throw DataProblem("The " + result.file +
                          " has a header that cannot be read (is it truncated, or are sample names repeated?).");
    const int samples = bcf_hdr_nsamples(header.get());
    for (int k = 0; k < samples; ++k) {
        result.names.emplace_back(header->samples[k]);
        result.places.push_back("sample column " + std::to_string(k + 1) + " of the header");
    }
    if (bcf_hdr_id2int(header.get(), BCF_DT_ID, "GT") < 0 ||
        !bcf_hdr_idinfo_exists(header.get(), BCF_HL_FMT, bcf_hdr_id2int(header.get(), BCF_DT_ID, "GT")))
        throw DataProblem("The " + result.file + " has no genotype calls (no GT field in its header).");

    const std::unique_ptr<bcf1_t, FreeRecord> record(bcf_init());
    int32_t* calls = nullptr;
    int callCapacity = 0;
    int ploidy = 0;
    CallCodes codes;
    std::int64_t number = 0;
    std::string lastPlace = "the header";
    auto place = [&] {
        // The chromosome's name is the file's text: shown safely and at most kQuotedFieldLength bytes.
        const std::string_view chromosome = bcf_hdr_id2name(header.get(), record->rid);
        return "record " + std::to_string(number) + " (" +
               escapeControlCharacters(chromosome.substr(0, kQuotedFieldLength)) + ":" +
               std::to_string(record->pos + 1) + ")";
    };
    struct FreeCalls {
        int32_t** calls;
        ~FreeCalls() { std::free(*calls); }
    } freeCalls{&calls};

    for (;;) {
        const int status = bcf_read(file.get(), header.get(), record.get());
        if (status == -1)
            break;
        ++number;
        if (status < -1 || (record->errcode & ~BCF_ERR_CTG_UNDEF) != 0)
            throw DataProblem("The " + result.file + " cannot be read at record " + std::to_string(number) +
                              " (after " + lastPlace + "): " + recordFault(record->errcode) + ".");
        lastPlace = place();
        const int values = bcf_get_genotypes(header.get(), record.get(), &calls, &callCapacity);
        if (values < 0 || samples == 0 || values % samples != 0)
            throw DataProblem("The " + result.file + " has no genotype calls (GT) at " + lastPlace + ".");
        const int width = values / samples;
        const int alleles = static_cast<int>(record->n_allele);
        codes.start(alleles);
        GenotypeColumn column;
        column.reserve(static_cast<size_t>(samples));
        for (int k = 0; k < samples; ++k) {
            const int32_t* call = calls + static_cast<size_t>(k) * static_cast<size_t>(width);
            int count = 0;
            bool missing = false;
            int allele[2] = {alleles, alleles};
            for (; count < width && call[count] != bcf_int32_vector_end; ++count) {
                if (bcf_gt_is_missing(call[count])) {
                    missing = true;
                } else if (count < 2) {
                    const int index = bcf_gt_allele(call[count]);
                    if (index < 0 || index >= alleles)
                        throw DataProblem("The " + result.file + " calls allele " + std::to_string(index) + " at " +
                                          lastPlace + " for sample " + quotedField(result.names[k]) +
                                          ", which has only " + std::to_string(alleles) + " alleles.");
                    allele[count] = index;
                }
            }
            if (count > 2)
                throw DataProblem("The " + result.file + " has a call of ploidy " + std::to_string(count) + " at " +
                                  lastPlace + " for sample " + quotedField(result.names[k]) +
                                  "; only haploid and diploid calls can be read.");
            if (missing) {
                allele[0] = allele[1] = alleles;
            } else if (count > 0) {
                if (ploidy == 0)
                    ploidy = count;
                else if (count != ploidy)
                    throw DataProblem("The " + result.file + " mixes haploid and diploid calls: sample " +
                                      quotedField(result.names[k]) + " has a " + (count == 1 ? "haploid" : "diploid") +
                                      " call at " + lastPlace + ".");
            }
            const bool diploid = ploidy != 1;
            column.pushCode(codes.code(column, allele[0], diploid ? allele[1] : allele[0], diploid));
        }
        result.loci.push_back(std::move(column));
    }
    if (result.loci.empty())
        throw DataProblem("The " + result.file + " has no records (no loci).");
    result.diploid = ploidy != 1;
    // Records before the first call told the ploidy had their missing calls written as diploid.
    if (!result.diploid) {
        for (GenotypeColumn& column : result.loci) {
            const std::vector<std::string>& texts = column.texts();
            if (std::find(texts.begin(), texts.end(), "0\\0") == texts.end())
                continue;
            GenotypeColumn haploid;
            for (size_t k = 0; k < column.size(); ++k)
                haploid.push_back(column[k] == "0\\0" ? "0" : std::string_view(column[k]));
            column = std::move(haploid);
        }
    }
    return result;
}

} // namespace tessaloc
