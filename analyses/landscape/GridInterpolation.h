#pragma once

#include "analyses/landscape/Landscape.h"
#include "core/InterpolationGrid.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// The messages of the grid interpolation; each ends a press of "Start" and leaves everything as it
/// was.
inline constexpr std::string_view kInvalidXBinsMessage = "Invalid # of X coordinate bins.";
inline constexpr std::string_view kInvalidYBinsMessage = "Invalid # of Y coordinate bins.";
inline constexpr std::string_view kInterpolationFailedMessage =
    "Interpolation failed: the distance weight value gives weights that overflow or vanish.";

/// The largest number of bins in either direction.
inline constexpr std::int32_t kMaxBinCount = 500;

/// Interpolates the heights of `shape.LandscapeEdges` over an XBinCount x YBinCount grid, as pressing
/// "Start" does (status "Interpolating").
///
/// Node (i, j) lies at ((i - 1) dx + (DataMinX + 1e-7), (j - 1) dy + (DataMinY + 1e-7)) with
/// dx = (DataMaxX - DataMinX) / XBinCount and dy likewise. It is inside the hull of the sample
/// locations when a horizontal ray from it to DataMaxX + 100 crosses an odd number of hull sides
/// (SegmentsIntersect; its message goes to `listener`). Its height is sum(w h) / sum(w) over all
/// edges in order, with w = (d^2)^(-p/2), d the planar distance from the node to the edge's
/// midpoint in coordinate units and p = `distanceWeight`; a node that coincides exactly with one or
/// more midpoints takes the mean of their heights. Results do not depend on the number of threads.
///
/// Throws DataProblem with kInvalidXBinsMessage or kInvalidYBinsMessage when a bin count is outside
/// 1..500 (X checked first), and with kInterpolationFailedMessage when a node's sum of weights is 0 or
/// not finite or its height is not finite. Throws RunCancelled when the listener asks to stop.
InterpolationGrid InterpolateLandscape(const LandscapeResult& shape, std::int32_t xBinCount, std::int32_t yBinCount,
                                       double distanceWeight, RunListener& listener = RunListener::none());

/// One point of the 3-D surface: x across, y the height, z in depth; bins counted from 1.
struct SurfacePoint {
    int x = 0;
    double y = 0.0;
    int z = 0;
    /// false for a node outside the sample hull, which the surface leaves uncoloured.
    bool inside = false;
};

/// How the viewer lays the grid out as a surface. The longer extent of the sample area runs across:
/// with RangeX >= RangeY the X bins run across and the Y bins in depth, otherwise the reverse.
struct SurfaceLayout {
    bool swapped = false; ///< true when RangeY > RangeX: Y bins across, X bins in depth
    int depthPercent = 0; ///< the integer part of 100 x the shorter range / the longer one
    int across = 0;       ///< values across (Nx, or Ny when swapped)
    int deep = 0;         ///< values in depth
    std::string bottomTitle;
    std::string depthTitle;
    /// In the order the series receives them: i outer and j inner, or j outer when swapped.
    std::vector<SurfacePoint> points;
};

/// The surface of a grid computed for `shape`. A sample area with no extent at all (both ranges 0)
/// gets depth 100 % rather than the undefined ratio 0 / 0.
SurfaceLayout LandscapeSurfaceLayout(const LandscapeResult& shape, const InterpolationGrid& grid);

/// The "INTERPOLATION OUTPUT" section that each press appends to "LandscapeShape.txt": two blank
/// lines, the bin counts and weight, the column heads and one row per node, i outer. Lines end CR LF.
std::string InterpolationSection(const InterpolationGrid& grid);
/// The same section written line by line into `report`.
void WriteInterpolationSection(ReportWriter& report, const InterpolationGrid& grid);

} // namespace tessaloc
