# The Mantel correlogram of R vegan on given matrices and class limits, for the comparison in
# MantelCorrelogramVeganTest.cpp:
#   Rscript mantel_correlog.R genetic.csv geographic.csv breaks.txt out.txt
# The matrices are N x N without a head line; breaks.txt holds the K + 1 class limits, one a line.
# Writes vegan's Mantel.cor of each class, one a line with 17 significant digits. Ends with status 3
# when vegan is not installed.
arguments <- commandArgs(trailingOnly = TRUE)
if (!suppressWarnings(requireNamespace("vegan", quietly = TRUE))) quit(status = 3)
genetic <- as.matrix(read.csv(arguments[1], header = FALSE))
geographic <- as.matrix(read.csv(arguments[2], header = FALSE))
breaks <- scan(arguments[3], quiet = TRUE)
correlog <- vegan::mantel.correlog(genetic, D.geo = geographic, break.pts = breaks, cutoff = FALSE, nperm = 0)
writeLines(sprintf("%.17g", correlog$mantel.res[, "Mantel.cor"]), arguments[4])
