#include "core/SampleTable.h"

#include "core/Errors.h"
#include "core/FieldReader.h"

namespace tessaloc {
namespace {

double coordinate(const SampleTable& table, const std::vector<std::string>& texts, int index, const char* axis)
{
    if (const auto value = parseDecimal(texts[index]))
        return *value;
    throw AnalysisError(std::string("the ") + axis + " coordinate of observation " + std::to_string(index + 1) + " (" +
                        quotedField(table.names[index]) + ") is not a number: " + quotedField(texts[index]));
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

} // namespace tessaloc
