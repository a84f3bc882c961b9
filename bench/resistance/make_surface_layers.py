#!/usr/bin/python3
"""Writes the three layers of the surface benchmark into a folder (Debian's python3-gdal, no numpy).

  landcover.tif  N x N cells of 30 m in UTM zone 33N (EPSG:32633), codes 1 to 6 in patches of 50 x 50
                 cells (Byte), with landcover.csv giving each code a resistance
  elevation.tif  the same grid, a smooth surface of hills between about 200 and 1800 (Float32)
  roads.tif      another grid in another coordinate system (ETRS89 / LAEA Europe, EPSG:3035, cells of
                 40 m) covering the first with a margin: a smooth "distance to roads" (Float32), so it
                 is warped

    /usr/bin/python3 bench/resistance/make_surface_layers.py FOLDER [N]
"""

import array
import math
import os
import sys

from osgeo import gdal, osr

gdal.UseExceptions()


def system(epsg):
    reference = osr.SpatialReference()
    reference.ImportFromEPSG(epsg)
    reference.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    return reference


def create(path, columns, rows, data_type, transform, epsg):
    dataset = gdal.GetDriverByName("GTiff").Create(path, columns, rows, 1, data_type,
                                                   ["TILED=YES", "COMPRESS=LZW"])
    dataset.SetGeoTransform(transform)
    dataset.SetSpatialRef(system(epsg))
    return dataset


def main():
    folder = sys.argv[1]
    n = int(sys.argv[2]) if len(sys.argv) > 2 else 4000
    left, top, cell = 400000.0, 4300000.0, 30.0

    landcover = create(os.path.join(folder, "landcover.tif"), n, n, gdal.GDT_Byte, (left, cell, 0, top, 0, -cell),
                       32633)
    band = landcover.GetRasterBand(1)
    for row in range(n):
        patch_row = row // 50
        codes = array.array("B", (1 + (patch_row * 7919 + (column // 50) * 104729) % 6 for column in range(n)))
        band.WriteRaster(0, row, n, 1, codes.tobytes())
    landcover = None
    with open(os.path.join(folder, "landcover.csv"), "w") as table:
        table.write("class,resistance\n1,1\n2,2\n3,5\n4,10\n5,20\n6,50\n")

    elevation = create(os.path.join(folder, "elevation.tif"), n, n, gdal.GDT_Float32,
                       (left, cell, 0, top, 0, -cell), 32633)
    band = elevation.GetRasterBand(1)
    for row in range(n):
        y = row / n
        values = array.array("f", (1000 + 500 * math.sin(7 * column / n) * math.cos(5 * y) + 300 * math.sin(13 * y)
                                   for column in range(n)))
        band.WriteRaster(0, row, n, 1, values.tobytes())
    elevation = None

    # The first grid's corners in LAEA Europe, with a margin of 2 %.
    to_laea = osr.CoordinateTransformation(system(32633), system(3035))
    corners = [to_laea.TransformPoint(x, y) for x in (left, left + n * cell) for y in (top, top - n * cell)]
    xs = [c[0] for c in corners]
    ys = [c[1] for c in corners]
    margin = 0.02 * (max(xs) - min(xs))
    west, east, south, north = min(xs) - margin, max(xs) + margin, min(ys) - margin, max(ys) + margin
    size = 40.0
    columns = int(math.ceil((east - west) / size))
    rows = int(math.ceil((north - south) / size))
    roads = create(os.path.join(folder, "roads.tif"), columns, rows, gdal.GDT_Float32,
                   (west, size, 0, north, 0, -size), 3035)
    band = roads.GetRasterBand(1)
    for row in range(rows):
        y = row * size
        values = array.array("f", (abs(math.sin((column * size + 0.5 * y) / 9000.0)) * 3000
                                   + abs(math.cos(y / 7000.0)) * 1000 for column in range(columns)))
        band.WriteRaster(0, row, columns, 1, values.tobytes())
    roads = None
    print(f"layers of {n} x {n} cells (roads: {columns} x {rows} in EPSG:3035) in {folder}")


if __name__ == "__main__":
    main()
