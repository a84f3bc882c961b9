#include "core/Errors.h"
#include "formats/GenotypeFormats.h"

#include <htslib/bgzf.h>
#include <htslib/hts.h>
#include <htslib/hts_log.h>
#include <htslib/kseq.h>
#include <htslib/kstring.h>
#include <htslib/vcf.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <unordered_map>

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

// A text buffer that htslib fills and grows.
class HtsText {
public:
    HtsText() = default;
    HtsText(const HtsText&) = delete;
    HtsText& operator=(const HtsText&) = delete;
    ~HtsText() { ks_free(&m_text); }

    kstring_t* get() { return &m_text; }
    std::string_view view() const { return {m_text.s ? m_text.s : "", m_text.l}; }
    void clear() { ks_clear(&m_text); }
    void append(std::string_view text)
    {
        if (kputsn(text.data(), text.size(), &m_text) < 0)
            throw std::bad_alloc();
    }

private:
    kstring_t m_text = KS_INITIALIZE;
};

// htslib reports what it finds on standard error, repeating sample and chromosome names from the
// file as they stand (control characters included). The reader's own messages say what went wrong,
// with those names made safe, so htslib is kept quiet.
void silenceHtslib()
{
    static const bool silenced = [] {
        hts_set_log_level(HTS_LOG_OFF);
        return true;
    }();
    (void)silenced;
}

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

// Reads ahead in a BCF file the sizes that htslib would allocate for before reading what they
// announce: the header's text and each record. A size beyond what the rest of the file can hold is
// refused before htslib asks for it, so that a file of a few hundred bytes cannot claim gigabytes.
class BcfLookahead {
public:
    BcfLookahead(BGZF* file, const std::filesystem::path& path)
        : m_file(file)
    {
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        m_fileSize = error ? 0 : static_cast<std::uint64_t>(size);
    }

    /// The size of the header's text, announced after the magic bytes.
    std::optional<std::uint64_t> headerTextSize() { return wordsAhead(5, 1); }
    /// The size of the next record: its shared and its per-sample part.
    std::optional<std::uint64_t> nextRecordSize() { return wordsAhead(0, 2); }

    /// True when `size` bytes may still follow in the file. A BGZF block of at least 28 bytes holds
    /// at most 64 KiB, so compressed data expand at most 2341 times; the block being read counts
    /// whole. Without the file's size (a pipe) anything may follow.
    bool mayFollow(std::uint64_t size) const
    {
        if (m_fileSize == 0)
            return true;
        const auto blockStart = static_cast<std::uint64_t>(std::max<std::int64_t>(m_file->block_address, 0));
        const std::uint64_t left = m_fileSize > blockStart ? m_fileSize - blockStart : 0;
        return size <= left * (m_file->is_compressed ? 2341 : 1) + 65536;
    }

private:
    // The sum of `count` little-endian 32-bit words that stand `skip` bytes ahead, read without
    // taking them from the file; nothing at the end of the file or of a plain gzip stream.
    std::optional<std::uint64_t> wordsAhead(size_t skip, size_t count)
    {
        unsigned char bytes[16] = {};
        const size_t length = skip + 4 * count;
        if (bgzf_peek(m_file) < 0)
            return std::nullopt;
        if (static_cast<size_t>(m_file->block_length - m_file->block_offset) >= length) {
            std::memcpy(bytes, static_cast<const unsigned char*>(m_file->uncompressed_block) + m_file->block_offset,
                        length);
        } else {
            // The words run into the next block: read them, then go back.
            if (m_file->is_gzip)
                return std::nullopt;
            const std::int64_t at = bgzf_tell(m_file);
            const ssize_t read = bgzf_read(m_file, bytes, length);
            if (bgzf_seek(m_file, at, SEEK_SET) < 0)
                throw AnalysisError("cannot read ahead in the BCF file");
            if (read != static_cast<ssize_t>(length))
                return std::nullopt;
        }
        std::uint64_t sum = 0;
        for (size_t word = 0; word < count; ++word) {
            const unsigned char* at = bytes + skip + 4 * word;
            sum += static_cast<std::uint64_t>(at[0]) | static_cast<std::uint64_t>(at[1]) << 8 |
                   static_cast<std::uint64_t>(at[2]) << 16 | static_cast<std::uint64_t>(at[3]) << 24;
        }
        return sum;
    }

    BGZF* m_file;
    std::uint64_t m_fileSize = 0;
};

// What the reader saw in a VCF text line before htslib parsed it.
struct LineCalls {
    /// False when the line's FORMAT does not name GT.
    bool hasGt = true;
    /// True when the line's FORMAT names a tag that the header does not declare; htslib, handed the
    /// whole line, would have said so.
    bool undeclaredTag = false;
    /// The first sample (0-based) whose call has more than two alleles, and their number.
    int highPloidySample = -1;
    int highPloidy = 0;
    /// True when the line goes to htslib as it stands: it has no sample column, or its FORMAT is GT
    /// alone and no call has more than two alleles.
    bool asItStands = false;
};

// The `index`-th of the colon-separated subfields of a sample column, or nothing.
std::optional<std::string_view> subfield(std::string_view column, int index)
{
    size_t start = 0;
    for (int k = 0; k < index; ++k) {
        const size_t colon = column.find(':', start);
        if (colon == std::string_view::npos)
            return std::nullopt;
        start = colon + 1;
    }
    return column.substr(start, std::min(column.find(':', start), column.size()) - start);
}

// Cuts VCF text lines down to what the reader uses: the eight fixed columns, FORMAT "GT" and each
// sample's GT. htslib sizes the FORMAT values of a record for its widest sample, so handed the whole
// line, one call of ploidy 8000 among 30 000 samples, or any other wide FORMAT field that the reader
// never looks at, would take gigabytes. A call of more than two alleles is noted and handed on as
// missing; it is refused when its sample's turn comes. The columns stay as they are, so htslib still
// checks their number.
class CallLineReducer {
public:
    explicit CallLineReducer(const bcf_hdr_t* header)
        : m_header(header)
    {
    }

    /// Writes `line` cut down into `reduced`, unless it can go to htslib as it stands, and says what
    /// it saw.
    LineCalls reduce(std::string_view line, HtsText& reduced)
    {
        LineCalls calls;
        size_t formatStart = 0;
        for (int column = 0; column < 8 && formatStart != std::string_view::npos; ++column) {
            const size_t tab = line.find('\t', formatStart);
            formatStart = tab == std::string_view::npos ? tab : tab + 1;
        }
        const size_t formatEnd = formatStart == std::string_view::npos ? formatStart : line.find('\t', formatStart);
        if (formatEnd == std::string_view::npos) {
            // No sample column: htslib has nothing to size.
            calls.asItStands = true;
            return calls;
        }

        readFormat(line.substr(formatStart, formatEnd - formatStart));
        calls.hasGt = m_gtIndex >= 0;
        calls.undeclaredTag = m_undeclaredTag;
        // A line of calls alone, the usual genomic file, needs no copy unless a call may be too wide.
        if (m_onlyGt && !mayHoldAWideCall(line.substr(formatEnd + 1))) {
            calls.asItStands = true;
            return calls;
        }
        reduced.clear();
        reduced.append(line.substr(0, formatStart));
        reduced.append("GT");
        size_t columnStart = formatEnd + 1;
        for (int sample = 0;; ++sample) {
            const size_t columnEnd = std::min(line.find('\t', columnStart), line.size());
            const std::string_view column = line.substr(columnStart, columnEnd - columnStart);
            // A sample whose column stops before its GT has a missing call.
            std::string_view call = calls.hasGt ? subfield(column, m_gtIndex).value_or(".") : ".";
            const auto separators =
                std::count_if(call.begin(), call.end(), [](char c) { return c == '/' || c == '|'; });
            if (separators > 1) {
                if (calls.highPloidySample < 0) {
                    calls.highPloidySample = sample;
                    calls.highPloidy = static_cast<int>(separators) + 1;
                }
                call = ".";
            }
            reduced.append("\t");
            reduced.append(call);
            if (columnEnd == line.size())
                break;
            columnStart = columnEnd + 1;
        }
        return calls;
    }

private:
    // True when a tab-separated column of `samples` holds two or more allele separators.
    static bool mayHoldAWideCall(std::string_view samples)
    {
        int separators = 0;
        for (const char c : samples) {
            if (c == '\t')
                separators = 0;
            else if ((c == '/' || c == '|') && ++separators > 1)
                return true;
        }
        return false;
    }

    // Finds GT among the FORMAT's tags and checks that the header declares each; the lines of a file
    // mostly share one FORMAT, which is then looked at once.
    void readFormat(std::string_view format)
    {
        if (format == m_format)
            return;
        m_format = format;
        m_onlyGt = format == "GT";
        m_gtIndex = -1;
        m_undeclaredTag = false;
        int index = 0;
        for (size_t start = 0; start <= format.size(); ++index) {
            const size_t colon = std::min(format.find(':', start), format.size());
            const std::string tag(format.substr(start, colon - start));
            if (tag == "GT" && m_gtIndex < 0)
                m_gtIndex = index;
            if (!bcf_hdr_idinfo_exists(m_header, BCF_HL_FMT, bcf_hdr_id2int(m_header, BCF_DT_ID, tag.c_str())))
                m_undeclaredTag = true;
            start = colon + 1;
        }
    }

    const bcf_hdr_t* m_header;
    std::string m_format = "\n";
    bool m_onlyGt = false;
    int m_gtIndex = -1;
    bool m_undeclaredTag = false;
};

// The GT values of a record, read in place from htslib's record: per sample `width` integers of one,
// two or four bytes, in htslib's 32-bit coding.
class CallValues {
public:
    explicit CallValues(const bcf_fmt_t& field)
        : m_data(field.p)
        , m_width(field.n)
        , m_type(field.type)
    {
    }

    int width() const { return m_width; }

    /// Value `index` (below width()) of the call of `sample` (0-based); bcf_int32_vector_end after
    /// its last allele, bcf_gt_missing for a call left out.
    int32_t at(int sample, int index) const
    {
        const size_t position = static_cast<size_t>(sample) * static_cast<size_t>(m_width) + static_cast<size_t>(index);
        switch (m_type) {
        case BCF_BT_INT8:
            return widened<int8_t>(position, bcf_int8_vector_end, bcf_int8_missing);
        case BCF_BT_INT16:
            return widened<int16_t>(position, bcf_int16_vector_end, bcf_int16_missing);
        default:
            return widened<int32_t>(position, bcf_int32_vector_end, bcf_int32_missing);
        }
    }

    /// True for the integer types htslib stores GT in.
    static bool readable(const bcf_fmt_t& field)
    {
        return field.type == BCF_BT_INT8 || field.type == BCF_BT_INT16 || field.type == BCF_BT_INT32;
    }

private:
    template <typename Value> int32_t widened(size_t position, Value vectorEnd, Value missing) const
    {
        Value value;
        std::memcpy(&value, m_data + position * sizeof(Value), sizeof(Value));
        if (value == vectorEnd)
            return bcf_int32_vector_end;
        // The type's missing value stands for a call left out (a sample whose column stops before
        // its GT), which htslib itself writes as ".".
        if (value == missing)
            return bcf_gt_missing;
        return value;
    }

    const uint8_t* m_data;
    int m_width;
    int m_type;
};

// Each distinct call of a record, by its two allele indices (the missing call last), keeps its code
// in the record's column, so that a text is made only once per call and record. The calls are few
// whatever the number of alleles: a table of every pair is kept only for records of a few alleles,
// the others remember the pairs they meet.
class CallCodes {
public:
    void start(int alleles)
    {
        m_alleles = alleles;
        m_dense = alleles <= kDenseAlleles;
        if (m_dense)
            m_codes.assign(static_cast<size_t>(alleles + 1) * static_cast<size_t>(alleles + 1), kNone);
        else
            m_sparseCodes.clear();
    }
    GenotypeColumn::Code code(GenotypeColumn& column, int first, int second, bool diploid)
    {
        // Index m_alleles stands for a missing allele.
        const size_t pair =
            static_cast<size_t>(first) * static_cast<size_t>(m_alleles + 1) + static_cast<size_t>(second);
        GenotypeColumn::Code& code = m_dense ? m_codes[pair] : m_sparseCodes.try_emplace(pair, kNone).first->second;
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
    static constexpr int kDenseAlleles = 16;
    int m_alleles = 0;
    bool m_dense = true;
    std::vector<GenotypeColumn::Code> m_codes;
    std::unordered_map<size_t, GenotypeColumn::Code> m_sparseCodes;
};

} // namespace

NamedGenotypes ReadVcfGenotypes(const std::filesystem::path& path)
{
    silenceHtslib();
    NamedGenotypes result;
    result.file = describeFile("genotype file", path);
    errno = 0;
    const std::unique_ptr<htsFile, CloseFile> file(hts_open(path.string().c_str(), "r"));
    if (!file) {
        // htslib opens the file, then gives up on content it does not recognise.
        if (errno == ENOEXEC)
            throw DataProblem("The " + result.file + " is not a VCF or BCF file.");
        throw AnalysisError(result.file + " cannot be opened");
    }
    const htsExactFormat format = hts_get_format(file.get())->format;
    if (format != vcf && format != bcf)
        throw DataProblem("The " + result.file + " is not a VCF or BCF file.");
    const std::string unreadableHeader =
        "The " + result.file + " has a header that cannot be read (is it truncated, or are sample names repeated?).";
    std::optional<BcfLookahead> lookahead;
    if (format == bcf) {
        lookahead.emplace(file->fp.bgzf, path);
        if (const auto size = lookahead->headerTextSize(); size && !lookahead->mayFollow(*size))
            throw DataProblem(unreadableHeader);
    }
    const std::unique_ptr<bcf_hdr_t, FreeHeader> header(bcf_hdr_read(file.get()));
    if (!header)
        throw DataProblem(unreadableHeader);
    const int samples = bcf_hdr_nsamples(header.get());
    for (int k = 0; k < samples; ++k) {
        result.names.emplace_back(header->samples[k]);
        result.places.push_back("sample column " + std::to_string(k + 1) + " of the header");
    }
    if (bcf_hdr_id2int(header.get(), BCF_DT_ID, "GT") < 0 ||
        !bcf_hdr_idinfo_exists(header.get(), BCF_HL_FMT, bcf_hdr_id2int(header.get(), BCF_DT_ID, "GT")))
        throw DataProblem("The " + result.file + " has no genotype calls (no GT field in its header).");

    const std::unique_ptr<bcf1_t, FreeRecord> record(bcf_init());
    HtsText line;
    HtsText reduced;
    CallLineReducer reducer(header.get());
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
    auto unreadable = [&](const std::string& fault) {
        return DataProblem("The " + result.file + " cannot be read at record " + std::to_string(number) + " (after " +
                           lastPlace + "): " + fault + ".");
    };

    for (;;) {
        LineCalls lineCalls;
        int status = 0;
        if (format == vcf) {
            status = hts_getline(file.get(), KS_SEP_LINE, line.get());
            if (status >= 0) {
                lineCalls = reducer.reduce(line.view(), reduced);
                status = vcf_parse(lineCalls.asItStands ? line.get() : reduced.get(), header.get(), record.get()) == 0
                             ? 0
                             : -2;
            }
        } else {
            if (const auto size = lookahead->nextRecordSize(); size && !lookahead->mayFollow(*size)) {
                ++number;
                throw unreadable("it claims " + std::to_string(*size) + " bytes, more than the rest of the file holds");
            }
            status = bcf_read(file.get(), header.get(), record.get());
        }
        if (status == -1)
            break;
        ++number;
        const int errorCode = record->errcode | (lineCalls.undeclaredTag ? BCF_ERR_TAG_UNDEF : 0);
        if (status < -1 || (errorCode & ~BCF_ERR_CTG_UNDEF) != 0)
            throw unreadable(recordFault(errorCode));
        lastPlace = place();
        bcf_fmt_t* const field = lineCalls.hasGt ? bcf_get_fmt(header.get(), record.get(), "GT") : nullptr;
        if (!field || samples == 0 || field->n < 1)
            throw DataProblem("The " + result.file + " has no genotype calls (GT) at " + lastPlace + ".");
        // A BCF record says itself how many samples it holds; one that holds fewer than the header
        // names would be read past its end.
        if (static_cast<int>(record->n_sample) != samples)
            throw DataProblem("The " + result.file + " has calls for " + std::to_string(record->n_sample) +
                              " samples at " + lastPlace + ", but its header names " + std::to_string(samples) + ".");
        if (!CallValues::readable(*field) || field->size != (field->n << bcf_type_shift[field->type]) ||
            static_cast<size_t>(field->p_len) != static_cast<size_t>(field->size) * static_cast<size_t>(samples))
            throw unreadable("its genotype calls are not stored as whole numbers for every sample");
        const CallValues calls(*field);
        const int width = calls.width();
        const int alleles = static_cast<int>(record->n_allele);
        codes.start(alleles);
        GenotypeColumn column;
        column.reserve(static_cast<size_t>(samples));
        for (int k = 0; k < samples; ++k) {
            int count = 0;
            bool missing = false;
            bool called = false;
            int allele[2] = {alleles, alleles};
            for (; count < width; ++count) {
                const int32_t value = calls.at(k, count);
                if (value == bcf_int32_vector_end)
                    break;
                if (bcf_gt_is_missing(value)) {
                    missing = true;
                } else {
                    called = true;
                    if (count < 2) {
                        const int index = bcf_gt_allele(value);
                        if (index < 0 || index >= alleles)
                            throw DataProblem("The " + result.file + " calls allele " + std::to_string(index) + " at " +
                                              lastPlace + " for sample " + quotedField(result.names[k]) +
                                              ", which has only " + std::to_string(alleles) + " alleles.");
                        allele[count] = index;
                    }
                }
            }
            if (k == lineCalls.highPloidySample)
                count = lineCalls.highPloidy;
            if (count > 2)
                throw DataProblem("The " + result.file + " has a call of ploidy " + std::to_string(count) + " at " +
                                  lastPlace + " for sample " + quotedField(result.names[k]) +
                                  "; only haploid and diploid calls can be read.");
            // A call with an allele shows its ploidy, also when its other allele is missing ("0/.").
            if (called) {
                if (ploidy == 0)
                    ploidy = count;
                else if (count != ploidy)
                    throw DataProblem("The " + result.file + " mixes haploid and diploid calls: sample " +
                                      quotedField(result.names[k]) + " has a " + (count == 1 ? "haploid" : "diploid") +
                                      " call at " + lastPlace + ".");
            }
            if (missing)
                allele[0] = allele[1] = alleles;
            const bool diploid = ploidy != 1;
            try {
                column.pushCode(codes.code(column, allele[0], diploid ? allele[1] : allele[0], diploid));
            } catch (const AnalysisError&) {
                throw DataProblem("The " + result.file + " has more than " + std::to_string(GenotypeColumn::kMaxTexts) +
                                  " different calls at " + lastPlace +
                                  ", more than the program can hold for one locus.");
            }
        }
        result.loci.push_back(std::move(column));
    }
    // A bgzipped file ends with an empty block; without it the file was cut short, perhaps right
    // at a block's end, where nothing else shows it.
    if (hts_check_EOF(file.get()) == 0)
        throw DataProblem(
            "The " + result.file + " ends early: " +
            (number == 0 ? std::string("no record could be read.") : lastPlace + " was the last one read."));
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
