# Fits the mixed model of pairwise distances with lme4, the random-effect design replaced by the
# pair-by-observation incidence (the recipe of Clarke et al. 2002 as the field runs it in lme4), and
# writes the log-likelihood, the fixed effects, their standard errors, s_u^2 and s_e^2, then the
# marginal and conditional R2, one number a line, 17 significant digits.
# Arguments: ML|REML, the output file, the genetic matrix (NA for a pair without a distance), then each
# predictor (CSV files of full matrices without names); every predictor is standardised over the pairs
# with a genetic distance. Exits 3 when lme4 is missing.
args <- commandArgs(trailingOnly = TRUE)
if (!suppressWarnings(suppressMessages(requireNamespace("lme4", quietly = TRUE))))
    quit(status = 3)
readFull <- function(file) as.matrix(read.csv(file, header = FALSE))
genetic <- readFull(args[3])
n <- nrow(genetic)
pairs <- which(upper.tri(genetic), arr.ind = TRUE)
pairs <- pairs[order(pairs[, 1], pairs[, 2]), , drop = FALSE]
data <- data.frame(y = genetic[pairs], i = pairs[, 1], j = pairs[, 2])
files <- if (length(args) > 3) args[4:length(args)] else character(0)
for (k in seq_along(files))
    data[[paste0("x", k)]] <- readFull(files[k])[pairs]
data <- data[!is.na(data$y), ]
for (k in seq_along(files))
    data[[paste0("x", k)]] <- as.vector(scale(data[[paste0("x", k)]]))
# A grouping factor with every observation among its levels; its design is then replaced.
data$pop <- factor((seq_len(nrow(data)) - 1) %% n + 1, levels = seq_len(n))
terms <- if (length(files) > 0) paste(paste0("x", seq_along(files)), collapse = " + ") else "1"
formula <- as.formula(paste("y ~", terms, "+ (1 | pop)"))
reml <- args[1] == "REML"
parsed <- lme4::lFormula(formula, data = data, REML = reml)
incidence <- Matrix::fac2sparse(factor(data$i, levels = seq_len(n)), "d", drop.unused.levels = FALSE) +
    Matrix::fac2sparse(factor(data$j, levels = seq_len(n)), "d", drop.unused.levels = FALSE)
parsed$reTrms$Zt <- incidence
deviance <- do.call(lme4::mkLmerDevfun, parsed)
optimum <- lme4::optimizeLmer(deviance, optimizer = "nloptwrap",
                              control = list(xtol_abs = 1e-14, ftol_abs = 1e-15, xtol_rel = 1e-14,
                                             ftol_rel = 1e-15, maxeval = 100000))
fit <- lme4::mkMerMod(environment(deviance), optimum, parsed$reTrms, fr = parsed$fr)
variances <- as.data.frame(lme4::VarCorr(fit))$vcov
# Nakagawa and Schielzeth's R2 as MuMIn's r.squaredGLMM computes it for this model.
fixedPart <- var(as.vector(lme4::getME(fit, "X") %*% lme4::fixef(fit)))
total <- fixedPart + sum(variances)
values <- c(as.numeric(logLik(fit)), lme4::fixef(fit), sqrt(diag(as.matrix(vcov(fit)))), variances,
            fixedPart / total, (fixedPart + variances[1]) / total)
writeLines(formatC(values, digits = 17, format = "g"), args[2])
