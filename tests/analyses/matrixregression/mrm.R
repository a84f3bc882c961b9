# Fits the genetic distance matrix on predictor matrices with ecodist's MRM and writes the intercept,
# each slope, R2 and F, one number a line, 17 significant digits.
# Arguments: rank|linear, raw|standardised, the output file, the genetic matrix, then each predictor
# (CSV files of full matrices without names). Exits 3 when ecodist is missing.
args <- commandArgs(trailingOnly = TRUE)
if (!suppressWarnings(suppressMessages(requireNamespace("ecodist", quietly = TRUE))))
    quit(status = 3)
readDist <- function(file) as.dist(as.matrix(read.csv(file, header = FALSE)))
standardised <- args[2] == "standardised"
rank <- args[1] == "rank"
# MRM ranks the matrices itself (mrank); standardised ranks are ranked here first.
prepare <- function(d) {
    if (rank && standardised)
        d[] <- rank(d)
    if (standardised)
        d[] <- (d - mean(d)) / sd(d)
    d
}
genetic <- prepare(readDist(args[4]))
files <- args[5:length(args)]
for (k in seq_along(files))
    assign(paste0("x", k), prepare(readDist(files[k])))
formula <- as.formula(paste("genetic ~", paste(paste0("x", seq_along(files)), collapse = " + ")))
fit <- ecodist::MRM(formula, nperm = 0, mrank = rank && !standardised)
values <- c(fit$coef[, 1], fit$r.squared[1], fit$F.test[1])
writeLines(formatC(values, digits = 17, format = "g"), args[3])
