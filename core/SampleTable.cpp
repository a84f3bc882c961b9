#include "core/SampleTable.h"

#include "core/Errors.h"
#include "core/FieldReader.h"

#include <cmath>

namespace tessaloc {
namespace {

double coordinate(const SampleTable& table, const std::vector<std::string>& texts, int index, const char* axis)
{
    if (const auto value = parseDecimal(texts[index]))
        return *value;
    throw AnalysisError(std::string("the ") + axis + " coordinate of observation " + std::to_string(index + 1) +
                        " (\"" + table.names[index] + "\") is not a number: \"" + texts[index] + "\"");
}

} // namespace

double SampleTable::coordinateX(int index) const
{
    return coordinate(*this, xTexts, index, "X");
}
double SampleTable::coordinateY(int index) const
{
    return coordinate(*this, yTexts, index, "Y");
}

void ReadCoordinateFile(const std::filesystem::path& path, SampleTable& table)
{
    FieldReader reader(path, "coordinate file");
    table.names.clear();
    table.xTexts.clear();
    table.yTexts.clear();

    for (;;) {
        const auto name = reader.nextText();
        if (!name)
            throw AnalysisError(reader.where() + ": expected the terminator \";\" after the last record, "
                                                 "but the file ended");
        if (*name == ";")
            return;
        if (name->empty())
            continue;
        const auto x = reader.nextNumber();
        const auto y = x ? reader.nextNumber() : std::nullopt;
        if (!y)
            throw AnalysisError(reader.where() + ": expected the " + (x ? "Y" : "X") + " coordinate of \"" + *name +
                                "\", but the file ended");
        table.names.push_back(*name);
        table.xTexts.push_back(*x);
        table.yTexts.push_back(*y);
    }
}

void ReadGenotypeFile(const std::filesystem::path& path, DataType dataType, SampleTable& table)
{
    FieldReader reader(path, "genotype file");
    const int sampleCount = table.sampleCount();

    const auto countText = reader.nextNumber();
    if (!countText)
        throw AnalysisError(reader.where() + ": expected the number of loci, but the file is empty");
    const auto count = parseDecimal(*countText);
    if (!count || *count != std::floor(*count) || *count < 1 || *count > 1e6)
        throw AnalysisError(reader.where() + ": expected the number of loci (a whole number of at least 1), found \"" +
                            *countText + "\"");
    const int locusCount = static_cast<int>(*count);
    if (static_cast<double>(locusCount) * sampleCount > 2e8)
        throw AnalysisError(reader.where() + ": " + std::to_string(locusCount) + " loci for " +
                            std::to_string(sampleCount) + " observations is more than the program can hold");

    table.locusCount = locusCount;
    table.genotypes.assign(static_cast<size_t>(locusCount), std::vector<std::string>(static_cast<size_t>(sampleCount)));

    for (int observation = 0; observation < sampleCount; ++observation) {
        if (!reader.nextText())
            throw AnalysisError(reader.where() + ": expected the record of observation " +
                                std::to_string(observation + 1) + " of " + std::to_string(sampleCount) +
                                ", but the file ended");
        for (int locus = 0; locus < locusCount; ++locus) {
            auto field = reader.nextText();
            if (!field)
                throw AnalysisError(reader.where() + ": expected genotype field " + std::to_string(locus + 1) + " of " +
                                    std::to_string(locusCount) + " for observation " + std::to_string(observation + 1) +
                                    ", but the file ended");
            if (dataType == DataType::Codominant && field->find('\\') == std::string::npos)
                throw DataProblem(kMissingSeparatorMessage, reader.where() + ": observation " +
                                                                std::to_string(observation + 1) + ", locus " +
                                                                std::to_string(locus + 1) + ": \"" + *field + "\"");
            table.genotypes[locus][observation] = std::move(*field);
        }
    }
}

SampleTable ReadSampleTable(const std::filesystem::path& coordinatePath, const std::filesystem::path& genotypePath,
                            DataType dataType)
{
    SampleTable table;
    ReadCoordinateFile(coordinatePath, table);
    ReadGenotypeFile(genotypePath, dataType, table);
    return table;
}

} // namespace tessaloc
