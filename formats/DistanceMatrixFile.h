#pragma once

#include "core/SquareMatrix.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessaloc {

class FieldReader;

/// Reads a matrix of pairwise distances from a CSV file and returns it in the order of `names`.
///
/// The first row holds a corner cell (ignored) and the column names, each later row a name and one
/// value per column; fields are read as in the input files (commas, line ends, double quotes), blank
/// lines are skipped. Rows and columns are matched to `names` by name, exactly (case included) and in
/// any order; the file may hold names that `names` does not, and they are ignored, but every value
/// in the file must be a number. Duplicate names in `names` share their row.
///
/// Throws DataProblem naming the file and the place for: a file without names; a row whose number
/// of fields differs from the first row's; a name that appears twice among the rows or the columns;
/// names of `names` without a row or a column (the first few named); a value that is not a finite
/// number or is negative (its line and column); a non-zero value where a name's row meets its own
/// column; and, among the rows and columns of `names`, two values that differ where the matrix
/// should be symmetric (both names). Throws AnalysisError when the file cannot be read.
SquareMatrix ReadDistanceMatrixFile(const std::filesystem::path& path, const std::vector<std::string>& names);
/// The same from a reader that is already open.
SquareMatrix ReadDistanceMatrixFile(FieldReader& reader, const std::vector<std::string>& names);

/// How messages name the file.
inline constexpr const char* kDistanceMatrixFileRole = "distance matrix file";

} // namespace tessaloc
