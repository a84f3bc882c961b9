#include "formats/DistanceMatrixFile.h"

#include "core/Errors.h"
#include "core/FieldReader.h"
#include "core/NumberText.h"
#include "formats/CsvRows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace tessaloc {
namespace {

std::string fileName(const FieldReader& reader)
{
    return std::string(kDistanceMatrixFileRole) + " \"" + escapeControlCharacters(reader.path().string()) + "\"";
}

// "2 of the 30 observations of the coordinate file have no row in the distance matrix file "m.csv":
// "a", "b"."
[[noreturn]] void throwMissing(const std::vector<std::string>& missing, size_t observations, std::string_view what,
                               const FieldReader& reader)
{
    const bool cut = missing.size() > 5;
    throw DataProblem(std::to_string(missing.size()) + " of the " + std::to_string(observations) +
                          " observations of the coordinate file " + (missing.size() == 1 ? "has" : "have") + " no " +
                          std::string(what) + " in the " + fileName(reader) + ": " + quotedFieldList(missing) +
                          (cut ? "" : "."),
                      "The first row of the file names the columns, the first field of every other row its row.");
}

std::string place(std::int64_t line, size_t field)
{
    return "line " + std::to_string(line) + ", field " + std::to_string(field + 1);
}

} // namespace

SquareMatrix ReadDistanceMatrixFile(const std::filesystem::path& path, const std::vector<std::string>& names)
{
    FieldReader reader(path, kDistanceMatrixFileRole);
    return ReadDistanceMatrixFile(reader, names);
}

SquareMatrix ReadDistanceMatrixFile(FieldReader& reader, const std::vector<std::string>& names)
{
    const int n = static_cast<int>(names.size());
    CsvRows rows(reader);
    std::vector<std::string_view> header;
    std::int64_t headerLine = 1;
    if (!rows.next(header, headerLine) || header.size() < 2)
        throw DataProblem("The " + fileName(reader) + " names no columns; its first row should hold an empty " +
                          "field and then the names of the observations.");

    std::unordered_map<std::string_view, size_t> columnOf;
    for (size_t field = 1; field < header.size(); ++field) {
        const auto [it, inserted] = columnOf.try_emplace(header[field], field);
        if (!inserted)
            throw DataProblem("The column name " + quotedField(header[field]) + " appears twice in the " +
                              fileName(reader) + " (" + place(headerLine, it->second) + " and " +
                              place(headerLine, field) + ").");
    }
    std::vector<size_t> columnOfObservation(static_cast<size_t>(n));
    std::vector<std::string> missing;
    std::unordered_map<std::string_view, std::vector<int>> observationsByName;
    for (int k = 0; k < n; ++k) {
        observationsByName[names[k]].push_back(k);
        const auto it = columnOf.find(names[k]);
        if (it == columnOf.end())
            missing.push_back(names[k]);
        else
            columnOfObservation[k] = it->second;
    }
    if (!missing.empty())
        throwMissing(missing, names.size(), "column", reader);

    SquareMatrix matrix(n);
    std::vector<bool> hasRow(static_cast<size_t>(n), false);
    std::unordered_map<std::string, std::int64_t> rowLines;
    std::vector<std::string_view> fields;
    std::vector<double> values;
    std::int64_t line = 0;
    while (rows.next(fields, line)) {
        if (fields.size() != header.size())
            throw DataProblem("Line " + std::to_string(line) + " of the " + fileName(reader) + " has " +
                              std::to_string(fields.size()) + " fields where the first row has " +
                              std::to_string(header.size()) + ".");
        const std::string_view rowName = fields.front();
        const auto [previous, inserted] = rowLines.try_emplace(std::string(rowName), line);
        if (!inserted)
            throw DataProblem("The row name " + quotedField(rowName) + " appears twice in the " + fileName(reader) +
                              " (lines " + std::to_string(previous->second) + " and " + std::to_string(line) + ").");
        values.assign(fields.size(), 0.0);
        for (size_t field = 1; field < fields.size(); ++field) {
            const std::optional<double> value = parseDecimal(fields[field]);
            if (!value || !std::isfinite(*value))
                throw DataProblem("The " + fileName(reader) + " has " + quotedField(fields[field]) + " at " +
                                  place(line, field) + " (row " + quotedField(rowName) + ", column " +
                                  quotedField(header[field]) + "), which is not a number.");
            if (*value < 0.0)
                throw DataProblem("The " + fileName(reader) + " has the negative distance " + shortestText(*value) +
                                  " at " + place(line, field) + " (row " + quotedField(rowName) + ", column " +
                                  quotedField(header[field]) + "); distances are 0 or more.");
            values[field] = *value + 0.0; // -0 becomes 0
        }
        if (const auto own = columnOf.find(rowName); own != columnOf.end() && values[own->second] != 0.0)
            throw DataProblem("The " + fileName(reader) + " gives " + quotedField(rowName) + " the distance " +
                              shortestText(values[own->second]) + " from itself at " + place(line, own->second) +
                              "; the diagonal of a distance matrix is 0.");
        const auto observations = observationsByName.find(rowName);
        if (observations == observationsByName.end())
            continue;
        for (const int i : observations->second) {
            hasRow[i] = true;
            for (int k = 0; k < n; ++k)
                matrix(i, k) = values[columnOfObservation[k]];
        }
    }

    for (int k = 0; k < n; ++k) {
        if (!hasRow[k])
            missing.push_back(names[k]);
    }
    if (!missing.empty())
        throwMissing(missing, names.size(), "row", reader);

    for (int i = 0; i < n; ++i) {
        for (int k = i + 1; k < n; ++k) {
            if (matrix(i, k) != matrix(k, i))
                throw DataProblem("The " + fileName(reader) + " is not symmetric: row " + quotedField(names[i]) +
                                      ", column " + quotedField(names[k]) + " holds " + shortestText(matrix(i, k)) +
                                      " but row " + quotedField(names[k]) + ", column " + quotedField(names[i]) +
                                      " holds " + shortestText(matrix(k, i)) + ".",
                                  "A distance matrix gives the same distance in both directions.");
        }
    }
    return matrix;
}

} // namespace tessaloc
