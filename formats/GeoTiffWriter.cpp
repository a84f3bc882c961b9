#include "formats/GeoTiffWriter.h"

#include "core/Errors.h"
#include "core/ReportWriter.h"
#include "formats/Gdal.h"

#include <cpl_vsi.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

namespace tessaloc {
namespace {

constexpr int kBlockSize = 256;

// A file in GDAL's memory file system, removed when the object goes. GDAL's GeoTIFF writer goes
// back and forth in its file, so the file is made there and then streamed through the program's
// own atomic writing.
class MemoryFile {
public:
    MemoryFile()
    {
        // Unique among the files being written at once: the thread and this object's address.
        const auto thread = std::hash<std::thread::id>()(std::this_thread::get_id());
        m_name = "/vsimem/tessaloc-geotiff-" + std::to_string(thread) + "-" +
                 std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".tif";
    }
    ~MemoryFile() { VSIUnlink(m_name.c_str()); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& name() const { return m_name; }

private:
    std::string m_name;
};

struct DestroySpatialReference {
    using pointer = OGRSpatialReferenceH;
    void operator()(OGRSpatialReferenceH system) const { OSRDestroySpatialReference(system); }
};

void requireWellFormed(const GeoTiffRaster& raster, const std::string& name)
{
    const auto fail = [&name](const std::string& why) { throw AnalysisError("cannot write " + name + ": " + why); };
    if (raster.columns < 1 || raster.rows < 1)
        fail("the raster has no cells");
    const auto count = static_cast<std::uint64_t>(raster.columns) * static_cast<std::uint64_t>(raster.rows);
    if (raster.cells.size() != count)
        fail("it holds " + std::to_string(raster.cells.size()) + " values for " + std::to_string(raster.columns) +
             " x " + std::to_string(raster.rows) + " cells");
    const auto& t = raster.transform;
    if (!std::all_of(t.begin(), t.end(), [](double v) { return std::isfinite(v); }) || t[1] * t[5] - t[2] * t[4] == 0)
        fail("its georeferencing places no cell");
    if (!std::isfinite(raster.noData))
        fail("its no-data value is not a finite number");
    const auto held = std::find(raster.cells.begin(), raster.cells.end(), raster.noData);
    if (held != raster.cells.end()) {
        const auto index = static_cast<std::uint64_t>(held - raster.cells.begin());
        fail("cell (row " + std::to_string(index / static_cast<std::uint64_t>(raster.columns) + 1) + ", column " +
             std::to_string(index % static_cast<std::uint64_t>(raster.columns) + 1) +
             ") holds the no-data value itself");
    }
}

// Makes the GeoTIFF in the memory file `file`; throws AnalysisError with GDAL's reason.
void makeGeoTiff(const std::string& file, const GeoTiffRaster& raster, const std::string& name, RunListener& listener)
{
    const GdalErrors errors;
    const auto fail = [&](std::string fallback) {
        throw AnalysisError("cannot write " + name + ": " + errors.reason(std::move(fallback)));
    };
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr)
        fail("GDAL has no GeoTIFF driver");
    const std::string block = std::to_string(kBlockSize);
    const std::string blockWidth = "BLOCKXSIZE=" + block;
    const std::string blockHeight = "BLOCKYSIZE=" + block;
    const char* const options[] = {"TILED=YES",        "COMPRESS=LZW",      "PREDICTOR=3", "BIGTIFF=IF_SAFER",
                                   blockWidth.c_str(), blockHeight.c_str(), nullptr};
    GdalDataset dataset(
        GDALCreate(driver, file.c_str(), raster.columns, raster.rows, 1, GDT_Float64, const_cast<char**>(options)));
    if (!dataset)
        fail("GDAL cannot create a GeoTIFF");
    std::array<double, 6> transform = raster.transform;
    if (GDALSetGeoTransform(dataset.get(), transform.data()) != CE_None)
        fail("GDAL cannot set its georeferencing");
    if (!raster.coordinateSystemWkt.empty()) {
        std::unique_ptr<void, DestroySpatialReference> system(OSRNewSpatialReference(nullptr));
        if (OSRSetFromUserInput(system.get(), raster.coordinateSystemWkt.c_str()) != OGRERR_NONE)
            fail("GDAL does not recognise its coordinate system");
        OSRSetAxisMappingStrategy(system.get(), OAMS_TRADITIONAL_GIS_ORDER);
        if (GDALSetSpatialRef(dataset.get(), system.get()) != CE_None)
            fail("GDAL cannot set its coordinate system");
    }
    GDALRasterBandH band = GDALGetRasterBand(dataset.get(), 1);
    if (GDALSetRasterNoDataValue(band, raster.noData) != CE_None)
        fail("GDAL cannot set its no-data value");

    const auto columns = static_cast<size_t>(raster.columns);
    std::vector<double> strip;
    for (int first = 0; first < raster.rows; first += kBlockSize) {
        listener.throwIfCancelled();
        const int rows = std::min(kBlockSize, raster.rows - first);
        const auto begin = raster.cells.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(first) * columns);
        strip.assign(begin, begin + static_cast<std::ptrdiff_t>(static_cast<size_t>(rows) * columns));
        for (double& value : strip) {
            if (!std::isfinite(value))
                value = raster.noData;
        }
        if (GDALRasterIO(band, GF_Write, 0, first, raster.columns, rows, strip.data(), raster.columns, rows,
                         GDT_Float64, 0, 0) != CE_None)
            fail("GDAL cannot write row " + std::to_string(first + 1));
    }
    // Closing writes the blocks GDAL still holds and the directory of the file.
    dataset.reset();
    if (CPLGetLastErrorType() >= CE_Failure)
        fail("GDAL cannot finish the file");
}

} // namespace

std::filesystem::path WriteGeoTiff(const std::filesystem::path& path, const GeoTiffRaster& raster,
                                   std::string_view what, RunListener& listener)
{
    const std::string name = std::string(what) + " \"" + escapeControlCharacters(path.string()) + "\"";
    requireWellFormed(raster, name);
    registerGdalDrivers();
    const MemoryFile file;
    makeGeoTiff(file.name(), raster, name, listener);
    listener.throwIfCancelled();
    return writeBinaryFileAt(path, what, [&](std::ostream& out) {
        vsi_l_offset length = 0;
        const GByte* bytes = VSIGetMemFileBuffer(file.name().c_str(), &length, FALSE);
        if (bytes == nullptr)
            throw AnalysisError("cannot write " + name + ": GDAL made no file");
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(length));
    });
}

} // namespace tessaloc
