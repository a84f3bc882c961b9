#!/usr/bin/env python3
"""Times lme4 beside the program's mixed-model fit on the same matrices, in one run.

The benchmark program writes its N = 500 matrices (genetic distances and two predictors, 124 750
pairs); R then fits the MLPE model with lme4 the way the field does (lFormula, the random-effect
design replaced by the pair incidence, the default optimiser), by ML and by REML, timed inside R
with reading excluded; then the benchmark BM_MlpeMlAndReml/500 times the program's ML and REML fits
on exactly those matrices (summing the pairs included). Prints both times, their ratio and the two
ML log-likelihoods.

Needs R with Debian's r-cran-lme4 and a release build:
    cmake --preset release && cmake --build --preset release --target tessaloc_bench_mlpe
    python3 bench/mlpe/compare_lme4.py [build/release/bench/mlpe/tessaloc_bench_mlpe]
"""

import json
import os
import subprocess
import sys
import tempfile

LME4_TIMING = r"""
suppressMessages(library(lme4))
args <- commandArgs(trailingOnly = TRUE)
readFull <- function(file) as.matrix(read.csv(file, header = FALSE))
genetic <- readFull(args[1])
n <- nrow(genetic)
pairs <- which(upper.tri(genetic), arr.ind = TRUE)
data <- data.frame(y = genetic[pairs], i = pairs[, 1], j = pairs[, 2],
                   x1 = as.vector(scale(readFull(args[2])[pairs])),
                   x2 = as.vector(scale(readFull(args[3])[pairs])))
data$pop <- factor((seq_len(nrow(data)) - 1) %% n + 1, levels = seq_len(n))
fitMlpe <- function(reml) {
    parsed <- lFormula(y ~ x1 + x2 + (1 | pop), data = data, REML = reml)
    parsed$reTrms$Zt <- Matrix::fac2sparse(factor(data$i, levels = seq_len(n)), "d", drop.unused.levels = FALSE) +
        Matrix::fac2sparse(factor(data$j, levels = seq_len(n)), "d", drop.unused.levels = FALSE)
    deviance <- do.call(mkLmerDevfun, parsed)
    optimum <- optimizeLmer(deviance)
    mkMerMod(environment(deviance), optimum, parsed$reTrms, fr = parsed$fr)
}
elapsed <- system.time({
    ml <- fitMlpe(FALSE)
    reml <- fitMlpe(TRUE)
})[["elapsed"]]
cat(elapsed, "\n")
cat(format(as.numeric(logLik(ml)), digits = 15), "\n")
"""


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else "build/release/bench/mlpe/tessaloc_bench_mlpe"
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([bench, "--write-matrices", folder], check=True)
        script = os.path.join(folder, "timing.R")
        with open(script, "w") as out:
            out.write(LME4_TIMING)
        r = subprocess.run(["Rscript", script] + [os.path.join(folder, f) for f in ("genetic.csv", "x1.csv", "x2.csv")],
                           check=True, capture_output=True, text=True)
        lme4_seconds, lme4_loglik = (float(v) for v in r.stdout.split())
    ours = subprocess.run([bench, "--benchmark_filter=BM_MlpeMlAndReml/500", "--benchmark_format=json"],
                          check=True, capture_output=True, text=True)
    result = json.loads(ours.stdout)["benchmarks"][0]
    our_seconds = result["real_time"] / 1000.0
    print(f"N = 500, 124750 pairs, two predictors, ML and REML")
    print(f"lme4:    {lme4_seconds:.2f} s  (ML log-likelihood {lme4_loglik})")
    our_loglik = subprocess.run([bench, "--log-likelihood"], check=True, capture_output=True, text=True).stdout.strip()
    print(f"program: {our_seconds:.4f} s  (ML log-likelihood {our_loglik})")
    print(f"ratio:   1/{lme4_seconds / our_seconds:.0f}")


if __name__ == "__main__":
    main()
