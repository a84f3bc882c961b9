# The partial Mantel statistic of R vegan on given matrices, for the comparison in
# PartialMantelVeganTest.cpp:
#   Rscript mantel_partial.R genetic.csv x.csv z.csv out.txt
# The matrices are N x N without a head line. Writes vegan's mantel.partial statistic with Pearson's
# and with Spearman's correlations, one a line with 17 significant digits. Ends with status 3 when
# vegan is not installed.
arguments <- commandArgs(trailingOnly = TRUE)
if (!suppressWarnings(requireNamespace("vegan", quietly = TRUE))) quit(status = 3)
genetic <- as.dist(as.matrix(read.csv(arguments[1], header = FALSE)))
x <- as.dist(as.matrix(read.csv(arguments[2], header = FALSE)))
z <- as.dist(as.matrix(read.csv(arguments[3], header = FALSE)))
pearson <- vegan::mantel.partial(genetic, x, z, method = "pearson", permutations = 0)$statistic
spearman <- vegan::mantel.partial(genetic, x, z, method = "spearman", permutations = 0)$statistic
writeLines(sprintf("%.17g", c(pearson, spearman)), arguments[4])
