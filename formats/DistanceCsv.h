#pragma once

#include "core/PackedDistances.h"
#include "core/ReportWriter.h"

#include <string>
#include <vector>

namespace tessaloc {

/// The files the distances export writes.
inline constexpr const char* kGeneticDistancesFileName = "GeneticDistances.csv";
inline constexpr const char* kGeographicDistancesFileName = "GeographicDistances.csv";

/// A distance matrix as CSV for other tools: a header row of an empty cell and the observation
/// names, then one row per observation starting with its name, numbers in plain text form, CR LF
/// line ends. Names are quoted when they hold a comma, a double quote, a line end or outer blanks.
std::string DistanceMatrixCsv(const std::vector<std::string>& names, const PackedDistances& matrix);
/// The same, line by line into `out`.
void WriteDistanceMatrixCsv(ReportWriter& out, const std::vector<std::string>& names, const PackedDistances& matrix);

} // namespace tessaloc
