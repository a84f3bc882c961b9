#pragma once

#include "formats/RasterFile.h"

#include <string>
#include <vector>

namespace tessaloc {

/// A map to write: its file and its values, cell by cell, row by row from the top (NaN no-data).
struct CurrentMapFile {
    std::string path;
    const std::vector<double>* values = nullptr;
};

/// log10 of every current; NaN (no-data) where a cell is impassable or carries no current.
std::vector<double> log10Currents(const std::vector<double>& currents);

/// Writes each map as a GeoTIFF (WriteGeoTiff) on the surface's grid and coordinate system
/// (`geometry`), double precision, no-data (-9999) at NaN cells; with `log10`, the log10Currents of
/// its values. Either every file is put in place or none: a failure removes what this call wrote.
/// Throws AnalysisError with the reason when a file cannot be written.
void WriteCurrentMapFiles(const std::vector<CurrentMapFile>& maps, const RasterGeometry& geometry, bool log10);

} // namespace tessaloc
