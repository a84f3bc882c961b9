#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaloc {

class FieldReader;

/// One row of a class table: a code of a land-cover layer and the resistance of its cells.
struct ClassResistance {
    double code = 0.0;
    /// A positive finite number, or NaN for `impassable`.
    double resistance = 0.0;
    /// The line of the file it stands on (from 1).
    std::int64_t line = 0;
};

/// The resistances of the codes of a layer of classes.
struct ClassTable {
    /// In the order of the file.
    std::vector<ClassResistance> rows;
    /// `class table "landcover.csv"` for messages.
    std::string description;
};

/// Reads a class table: a CSV file (fields as in the input files) whose first row is the header
/// `class,resistance`, then one row per code: the code (a number) and its resistance, a positive
/// number or the word `impassable` (any case). Blank lines are skipped.
///
/// Throws DataProblem naming the file and the line for: a header other than `class,resistance`; a
/// row without exactly two fields; a code that is not a number; a code listed twice (both lines); a
/// resistance that is not a number, is not finite or is 0 or below; a table without a row. Throws
/// AnalysisError when the file cannot be read.
ClassTable ReadClassTable(const std::filesystem::path& path);
/// The same from a reader that is already open.
ClassTable ReadClassTable(FieldReader& reader);

/// How messages name the file.
inline constexpr const char* kClassTableRole = "class table";

} // namespace tessaloc
