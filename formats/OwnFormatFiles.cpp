#include "formats/OwnFormatFiles.h"

#include "core/Errors.h"

namespace tessaloc {
namespace {

// A field as the readers take it back unchanged: quoted when it must be. Quotes cannot be carried.
std::string fieldText(std::string_view text, bool alwaysQuoted, const std::string& what)
{
    if (text.find('"') != std::string_view::npos)
        throw DataProblem("The " + what + " " + quotedField(text) +
                          " holds a double quote, which the program's own files cannot carry.");
    const bool needsQuotes = alwaysQuoted || text.empty() || text.find_first_of(",\r\n") != std::string_view::npos ||
                             text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t';
    if (!needsQuotes)
        return std::string(text);
    // Appended piece by piece, as quotedField does (GCC 12 warns about `"\"" + std::string`).
    std::string quoted = "\"";
    quoted += text;
    quoted += '"';
    return quoted;
}

} // namespace

void WriteCoordinateFile(ReportWriter& out, const SampleTable& table)
{
    for (int k = 0; k < table.sampleCount(); ++k)
        out.line(fieldText(table.names[k], true, "sample name") + "," + table.xTexts[k] + "," + table.yTexts[k]);
    out.line(";");
}

void WriteGenotypeFile(ReportWriter& out, const SampleTable& table)
{
    out.line(std::to_string(table.locusCount));
    for (int k = 0; k < table.sampleCount(); ++k) {
        out.text(fieldText(table.names[k], true, "sample name"));
        for (int l = 0; l < table.locusCount; ++l)
            out.text(",").text(fieldText(table.genotype(l, k), false, "genotype"));
        out.endLine();
    }
}

} // namespace tessaloc
