#pragma once

// GDAL as the readers and writers of this room use it: the one place that registers its drivers,
// owns its datasets and turns its error messages into the reasons of the program's typed errors.
// Included only by the .cpp files of formats/, which alone link GDAL.

#include <cpl_error.h>
#include <gdal.h>

#include <memory>
#include <string>

namespace tessaloc {

/// Registers GDAL's drivers once per program, from any thread.
void registerGdalDrivers();

struct CloseGdalDataset {
    using pointer = GDALDatasetH;
    void operator()(GDALDatasetH dataset) const { GDALClose(dataset); }
};

/// A GDAL dataset, closed when it goes (which, for a dataset being written, writes what is left).
using GdalDataset = std::unique_ptr<void, CloseGdalDataset>;

/// While it lives, GDAL's errors on this thread are kept here instead of going to standard error (the
/// core never prints); the first one is GDAL's reason for a failure.
class GdalErrors {
public:
    GdalErrors();
    ~GdalErrors();
    GdalErrors(const GdalErrors&) = delete;
    GdalErrors& operator=(const GdalErrors&) = delete;

    /// GDAL's first error message (at most 300 characters, control characters escaped), or
    /// `fallback` when it gave none.
    std::string reason(std::string fallback) const;

private:
    static void CPL_STDCALL keep(CPLErr level, CPLErrorNum, const char* message);

    std::string m_first;
};

} // namespace tessaloc
