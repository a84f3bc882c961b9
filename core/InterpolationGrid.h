#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaloc {

/// The heights interpolated over a regular grid by inverse distance weighting.
///
/// Node (i, j), i = X bin 1..XBinCount and j = Y bin 1..YBinCount, is stored at at(i, j); the nodes
/// are the lower-left corners of the bins over the data extents, nudged by 1e-7.
struct InterpolationGrid {
    std::int32_t XBinCount = 0;
    std::int32_t YBinCount = 0;
    double DistanceWeight = 1.0;
    /// The bin sizes: (DataMaxX - DataMinX) / XBinCount and (DataMaxY - DataMinY) / YBinCount.
    double dx = 0.0;
    double dy = 0.0;
    std::vector<double> GridX;
    std::vector<double> GridY;
    std::vector<double> GridHeight;
    /// 1 when the node lies inside the convex hull of the sample locations, else 0.
    std::vector<std::uint8_t> GridInside;

    /// The storage position of node (i, j), both counted from 1; i is the outer index.
    std::size_t at(int i, int j) const
    {
        return static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(YBinCount) + static_cast<std::size_t>(j - 1);
    }
};

} // namespace tessaloc
