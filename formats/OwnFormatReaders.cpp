#include "formats/OwnFormatReaders.h"

#include "core/Errors.h"
#include "core/FieldReader.h"

#include <algorithm>
#include <cmath>

namespace tessaloc {
namespace {

// Watches where the records of a genotype file start. A file laid out one record per line whose
// locus count is too small (or too large) for its records reads the records' names as genotypes and
// genotypes as names: the first name out of step no longer starts a line.
class RecordLayoutCheck {
public:
    RecordLayoutCheck(const FieldReader& reader, int locusCount, RunListener& listener)
        : m_reader(reader)
        , m_locusCount(locusCount)
        , m_listener(listener)
    {
    }

    /// Called right after the name field of `observation` (0-based) was read.
    void nameRead(int observation, const std::string& name)
    {
        if (!m_namesStartLines)
            return;
        if (m_reader.fieldStartsLine())
            return;
        m_namesStartLines = false;
        // The first record may well share its line with the locus count.
        if (observation == 0)
            return;
        m_listener.warning(m_reader.where() + ": the record of observation " + std::to_string(observation + 1) +
                           " does not start a line, as every earlier record did (" + quotedField(name) +
                           " is read as its name); does each record hold " + std::to_string(m_locusCount) +
                           " genotype field(s), as the first field of the file says?");
    }

private:
    const FieldReader& m_reader;
    int m_locusCount;
    RunListener& m_listener;
    bool m_namesStartLines = true;
};

} // namespace

void ReadCoordinateFile(const std::filesystem::path& path, SampleTable& table)
{
    FieldReader reader(path, "coordinate file");
    ReadCoordinateFile(reader, table);
}

void ReadCoordinateFile(FieldReader& reader, SampleTable& table)
{
    table.names.clear();
    table.xTexts.clear();
    table.yTexts.clear();
    table.places.clear();

    for (;;) {
        const auto name = reader.nextText();
        if (!name)
            throw AnalysisError(reader.where() + ": expected the terminator \";\" after the last record, "
                                                 "but the file ended");
        if (*name == ";")
            break;
        if (name->empty())
            continue;
        const std::int64_t line = reader.fieldLine();
        const auto x = reader.nextNumber();
        const auto y = x ? reader.nextNumber() : std::nullopt;
        if (!y)
            throw AnalysisError(reader.where() + ": expected the " + (x ? "Y" : "X") + " coordinate of " +
                                quotedField(*name) + ", but the file ended");
        table.names.push_back(*name);
        table.xTexts.push_back(*x);
        table.yTexts.push_back(*y);
        table.places.push_back("line " + std::to_string(line));
    }
    // Every analysis needs observations; without this, each would fail in its own, puzzling way.
    if (table.names.empty())
        throw AnalysisError(kNoObservationReason);
}

void ReadGenotypeFile(const std::filesystem::path& path, DataType dataType, SampleTable& table, RunListener& listener)
{
    FieldReader reader(path, "genotype file");
    ReadGenotypeFile(reader, dataType, table, listener);
}

void ReadGenotypeFile(FieldReader& reader, DataType dataType, SampleTable& table, RunListener& listener)
{
    const int sampleCount = table.sampleCount();

    const auto countText = reader.nextNumber();
    if (!countText)
        throw AnalysisError(reader.where() + ": expected the number of loci, but the file is empty");
    const auto count = parseDecimal(*countText);
    if (!count || *count != std::floor(*count) || *count < 1 || *count > 1e6)
        throw AnalysisError(reader.where() + ": expected the number of loci (a whole number of at least 1), found " +
                            quotedField(*countText));
    const int locusCount = static_cast<int>(*count);
    if (static_cast<double>(locusCount) * sampleCount > 2e8)
        throw AnalysisError(reader.where() + ": " + std::to_string(locusCount) + " loci for " +
                            std::to_string(sampleCount) + " observations is more than the program can hold");

    // Every field but the last takes at least its separator, so the rest of the file holds at most
    // one field more than it has bytes. The table is sized for every declared field only when the
    // file can hold them all; otherwise it grows with the fields actually read, so memory follows what
    // the file holds, not what its first field claims.
    const bool fileCanHoldAll =
        static_cast<double>(locusCount) * sampleCount <= static_cast<double>(reader.remainingBytes()) + 1.0;
    table.locusCount = locusCount;
    table.genotypes.clear();
    // The first record, too, holds at most one field more than the file has bytes left.
    table.genotypes.reserve(static_cast<size_t>(
        std::min(static_cast<double>(locusCount), static_cast<double>(reader.remainingBytes()) + 1.0)));

    RecordLayoutCheck layout(reader, locusCount, listener);
    for (int observation = 0; observation < sampleCount; ++observation) {
        const auto name = reader.nextText();
        if (!name)
            throw AnalysisError(reader.where() + ": expected the record of observation " +
                                std::to_string(observation + 1) + " of " + std::to_string(sampleCount) +
                                ", but the file ended");
        layout.nameRead(observation, *name);
        for (int locus = 0; locus < locusCount; ++locus) {
            // A view into the reader's text: the column keeps each distinct field once, so the
            // fields themselves are never copied.
            const auto field = reader.nextTextView();
            if (!field)
                throw AnalysisError(reader.where() + ": expected genotype field " + std::to_string(locus + 1) + " of " +
                                    std::to_string(locusCount) + " for observation " + std::to_string(observation + 1) +
                                    ", but the file ended");
            if (dataType == DataType::Codominant && field->find('\\') == std::string_view::npos)
                throw DataProblem(kMissingSeparatorMessage, reader.where() + ": observation " +
                                                                std::to_string(observation + 1) + ", locus " +
                                                                std::to_string(locus + 1) + ": " + quotedField(*field));
            // The first record brings each locus its column.
            if (observation == 0) {
                table.genotypes.emplace_back();
                if (fileCanHoldAll)
                    table.genotypes.back().reserve(static_cast<size_t>(sampleCount));
            }
            table.genotypes[static_cast<size_t>(locus)].push_back(*field);
        }
    }
    // Without observations the loci still have their (empty) columns.
    table.genotypes.resize(static_cast<size_t>(locusCount));
}

SampleTable ReadSampleTable(const std::filesystem::path& coordinatePath, const std::filesystem::path& genotypePath,
                            DataType dataType, RunListener& listener)
{
    SampleTable table;
    ReadCoordinateFile(coordinatePath, table);
    ReadGenotypeFile(genotypePath, dataType, table, listener);
    return table;
}

} // namespace tessaloc
