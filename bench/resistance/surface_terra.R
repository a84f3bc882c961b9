# The surface of bench/resistance/compare_surface_terra.sh built with R's terra (Debian r-cran-terra):
# the same rules as tessaloc-cli surface --layer landcover.tif:classes=landcover.csv
# --layer elevation.tif:ricker=3,50 --layer roads.tif:inverse-monomolecular=2,20.
#   Rscript bench/resistance/surface_terra.R FOLDER
suppressMessages(library(terra))
folder <- commandArgs(trailingOnly = TRUE)[1]
started <- Sys.time()

# The smallest and largest cell (terra 1.7's minmax() does not compute them for a derived layer).
extremes <- function(layer) unlist(global(layer, "range", na.rm = TRUE)[1, ])

rescaled <- function(layer, g_of_x, maximum) {
  values <- extremes(layer)
  x <- 10 * (layer - values[1]) / (values[2] - values[1])
  g <- g_of_x(x)
  g_values <- extremes(g)
  1 + maximum * (g - g_values[1]) / (g_values[2] - g_values[1])
}

landcover <- rast(file.path(folder, "landcover.tif"))
table <- read.csv(file.path(folder, "landcover.csv"))
classes <- classify(landcover, as.matrix(table), others = NA)
elevation <- rescaled(rast(file.path(folder, "elevation.tif")), function(x) x * exp(-x / 3), 50)
roads <- project(rast(file.path(folder, "roads.tif")), landcover, method = "bilinear")
roads <- rescaled(roads, function(x) -(1 - exp(-x / 2)), 20)
surface <- classes + elevation + roads - 2
writeRaster(surface, file.path(folder, "terra.tif"), datatype = "FLT8S", NAflag = -9999, overwrite = TRUE,
            gdal = c("COMPRESS=LZW", "TILED=YES"))
cat(sprintf("terra: %.2f s\n", as.numeric(Sys.time() - started, units = "secs")))
