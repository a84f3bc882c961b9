#pragma once

#include "core/PackedDistances.h"
#include "core/ReportWriter.h"
#include "core/SquareMatrix.h"

#include <string>
#include <vector>

namespace tessaloc {

/// The files the distances export writes.
inline constexpr const char* kGeneticDistancesFileName = "GeneticDistances.csv";
inline constexpr const char* kGeographicDistancesFileName = "GeographicDistances.csv";

/// A text as one cell of a CSV line: as it is, or in double quotes (inner quotes doubled) when it
/// holds a comma, a double quote, a line end or outer blanks.
std::string csvCell(const std::string& text);

/// A distance matrix as CSV for other tools: a header row of an empty cell and the observation
/// names, then one row per observation starting with its name, each number in the shortest text
/// that reads back to the same double (ExactNumber), CR LF line ends. Names are quoted when they hold a comma, a double
/// quote, a line end or outer blanks.
std::string DistanceMatrixCsv(const std::vector<std::string>& names, const PackedDistances& matrix);
/// The same, line by line into `out`.
void WriteDistanceMatrixCsv(ReportWriter& out, const std::vector<std::string>& names, const PackedDistances& matrix);
/// The same of a whole matrix (both triangles as they stand).
std::string DistanceMatrixCsv(const std::vector<std::string>& names, const SquareMatrix& matrix);
void WriteDistanceMatrixCsv(ReportWriter& out, const std::vector<std::string>& names, const SquareMatrix& matrix);

} // namespace tessaloc
