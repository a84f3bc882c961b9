#include "formats/ClassTable.h"

#include "core/Errors.h"
#include "core/FieldReader.h"
#include "formats/CsvRows.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <string_view>

namespace tessaloc {
namespace {

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

} // namespace

ClassTable ReadClassTable(const std::filesystem::path& path)
{
    FieldReader reader(path, kClassTableRole);
    return ReadClassTable(reader);
}

ClassTable ReadClassTable(FieldReader& reader)
{
    ClassTable table;
    table.description = std::string(kClassTableRole) + " \"" + escapeControlCharacters(reader.path().string()) + "\"";
    const auto problem = [&table](std::int64_t line, const std::string& what) {
        return DataProblem("Line " + std::to_string(line) + " of the " + table.description + " " + what + ".",
                           "A class table has the header class,resistance and one row per code: the code and a "
                           "positive resistance or the word impassable.");
    };

    CsvRows rows(reader);
    std::vector<std::string_view> fields;
    std::int64_t line = 1;
    if (!rows.next(fields, line) || fields.size() != 2 || lowerCase(fields[0]) != "class" ||
        lowerCase(fields[1]) != "resistance")
        throw problem(line, "should be the header class,resistance");

    std::map<double, std::int64_t> lineOfCode;
    while (rows.next(fields, line)) {
        if (fields.size() != 2)
            throw problem(line, "has " + std::to_string(fields.size()) +
                                    " fields where a code and its resistance "
                                    "are two");
        const std::optional<double> code = parseDecimal(fields[0]);
        if (!code)
            throw problem(line, "has the code " + quotedField(fields[0]) + ", which is not a number");
        const auto [previous, inserted] = lineOfCode.try_emplace(*code == 0.0 ? 0.0 : *code, line);
        if (!inserted)
            throw DataProblem("The code " + quotedField(fields[0]) + " appears twice in the " + table.description +
                              " (lines " + std::to_string(previous->second) + " and " + std::to_string(line) + ").");
        double resistance = std::numeric_limits<double>::quiet_NaN();
        if (lowerCase(fields[1]) != "impassable") {
            const std::optional<double> value = parseDecimal(fields[1]);
            if (!value || !std::isfinite(*value))
                throw problem(line, "gives code " + quotedField(fields[0]) + " the resistance " +
                                        quotedField(fields[1]) + ", which is neither a number nor impassable");
            if (*value <= 0.0)
                throw problem(line, "gives code " + quotedField(fields[0]) + " the resistance " +
                                        quotedField(fields[1]) + "; a resistance must be above 0");
            resistance = *value;
        }
        table.rows.push_back({*code == 0.0 ? 0.0 : *code, resistance, line});
    }
    if (table.rows.empty())
        throw DataProblem("The " + table.description + " lists no code.",
                          "A class table has the header class,resistance and one row per code.");
    return table;
}

} // namespace tessaloc
