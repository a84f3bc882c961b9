#!/bin/sh
# Times `tessaloc-cli surface` on three layers of N x N cells (default 4000): a land-cover map with a
# class table, an elevation layer (ricker) and a layer of distance to roads on another grid in another
# coordinate system (inverse-monomolecular; warped bilinearly), with the peak memory of the run
# (GNU time's maximum resident set). Then builds the same surface with R's terra when Rscript and
# terra are there (Debian r-cran-terra; a peer for comparison only) and compares the two files.
#
#   cmake --preset release && cmake --build --preset release --target tessaloc-cli
#   bench/resistance/compare_surface_terra.sh [build/release/cli/tessaloc-cli] [N]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-build/release/cli/tessaloc-cli}
n=${2:-4000}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

/usr/bin/python3 "$here/make_surface_layers.py" "$folder" "$n"
/usr/bin/time -f "tessaloc-cli surface: %e s wall, %U s user, peak %M KB" "$cli" surface \
    --layer "$folder/landcover.tif:classes=$folder/landcover.csv" \
    --layer "$folder/elevation.tif:ricker=3,50" \
    --layer "$folder/roads.tif:inverse-monomolecular=2,20" \
    --output "$folder/surface.tif" --output-dir "$folder" >/dev/null
sed -n '/^Layer 3/,/^$/p' "$folder/Surface-Results.txt"
tail -n 4 "$folder/Surface-Results.txt"

if command -v Rscript >/dev/null 2>&1 && Rscript -e 'library(terra)' >/dev/null 2>&1; then
    /usr/bin/time -f "Rscript (terra, whole process): %e s wall, peak %M KB" \
        Rscript "$here/surface_terra.R" "$folder"
    /usr/bin/python3 - "$folder/surface.tif" "$folder/terra.tif" <<'PYTHON'
import array, sys
from osgeo import gdal
gdal.UseExceptions()
a, b = (gdal.Open(path) for path in sys.argv[1:3])
columns, rows = a.RasterXSize, a.RasterYSize
largest, differing, only_one = 0.0, 0, 0
for row in range(0, rows, 256):
    height = min(256, rows - row)
    first = array.array("d", a.GetRasterBand(1).ReadRaster(0, row, columns, height, buf_type=gdal.GDT_Float64))
    second = array.array("d", b.GetRasterBand(1).ReadRaster(0, row, columns, height, buf_type=gdal.GDT_Float64))
    for p, q in zip(first, second):
        if (p == -9999) != (q == -9999):
            only_one += 1
        elif p != -9999:
            d = abs(p - q)
            largest = max(largest, d)
            differing += d > 1e-9
print(f"tessaloc against terra: largest difference {largest:.3g}, {differing} of {columns * rows} cells differ "
      f"by more than 1e-9, {only_one} impassable in one only")
PYTHON
else
    echo "R with terra is not installed (Debian r-cran-terra): no comparison"
fi
