#!/usr/bin/env python3
"""Times R vegan's mantel.correlog beside tessaloc-cli autocorrelation on the same data, in one run.

For each N it writes a data set (data type 1, 10 loci of 8 alleles, planar coordinates), lets
`tessaloc-cli distances` build the two matrices, and times

  - a whole `tessaloc-cli autocorrelation` run (reading, distances, 10 classes, 999 permutations,
    report) without the class table, as the program ran before it had one;
  - the same with the class table: envelopes, corrected tests, the Mantel correlogram and 200
    bootstrap resamples (`--intervals FILE --bootstrap 200`);
  - vegan's mantel.correlog with 999 permutations on exactly those matrices and the program's ten
    classes (the call itself, timed inside R, without R's start or the reading of the matrices),
    only for the N given with --vegan (it takes about a minute at N = 500).

It prints the times, the ratios, and the processor's vector extensions. A second tessaloc-cli
(--baseline PATH, for example a build of the commit before the class table) is timed on the same
runs without the class table, for the ratio to the program as it was.

Needs R with Debian's r-cran-vegan and a release build:
    cmake --preset release && cmake --build --preset release
    /usr/bin/python3 bench/autocorrelation/compare_vegan.py [--cli build/release/cli/tessaloc-cli]
        [--baseline OTHER-CLI] [--sizes 500,1000] [--vegan 500] [--repeat 3]
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from compare_tools import best_of, run_cli, vector_extensions  # noqa: E402

R_CORRELOG = r"""
arguments <- commandArgs(trailingOnly = TRUE)
suppressMessages(library(vegan))
read <- function(path) {
  m <- as.matrix(read.csv(path, check.names = FALSE)[, -1])
  dimnames(m) <- NULL
  m
}
genetic <- read(arguments[1])
geographic <- read(arguments[2])
d <- geographic[upper.tri(geographic)]
w <- max(d) / 10
# The program's classes (lower <= d < upper, the last upper at max + 1) as vegan's breaks
# (break < d <= next break): halfway between a limit and the largest distance below it.
breaks <- 0
for (k in 1:9) breaks <- c(breaks, (max(d[d < k * w]) + k * w) / 2)
breaks <- c(breaks, max(d) + 1)
set.seed(1)
elapsed <- system.time(mantel.correlog(genetic, D.geo = geographic, break.pts = breaks, cutoff = FALSE,
                                       nperm = 999))["elapsed"]
cat(elapsed, "\n")
"""


def write_data(folder, n, loci=10, alleles=8, seed=1):
    rng = random.Random(seed)
    coordinates = os.path.join(folder, f"coords{n}.txt")
    genotypes = os.path.join(folder, f"geno{n}.txt")
    with open(coordinates, "w", newline="") as out:
        for k in range(n):
            out.write(f"o{k + 1},{rng.uniform(0, 1000):.4f},{rng.uniform(0, 1000):.4f}\r\n")
        out.write(";\r\n")
    with open(genotypes, "w", newline="") as out:
        out.write(f"{loci}\r\n")
        for k in range(n):
            fields = [f"{100 + rng.randrange(alleles)}\\{100 + rng.randrange(alleles)}" for _ in range(loci)]
            out.write(f"o{k + 1}," + ",".join(fields) + "\r\n")
    return coordinates, genotypes


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default="build/release/cli/tessaloc-cli")
    parser.add_argument("--baseline", help="another tessaloc-cli, timed without the class table")
    parser.add_argument("--sizes", default="500,1000")
    parser.add_argument("--vegan", default="500", help="sizes at which to time vegan (empty: none)")
    parser.add_argument("--repeat", type=int, default=3, help="runs of each program; the shortest counts")
    options = parser.parse_args()
    sizes = [int(n) for n in options.sizes.split(",") if n]
    vegan_sizes = {int(n) for n in options.vegan.split(",") if n}

    print(f"processor vector extensions: {vector_extensions()}")
    with tempfile.TemporaryDirectory() as folder:
        script = os.path.join(folder, "correlog.R")
        with open(script, "w") as out:
            out.write(R_CORRELOG)
        for n in sizes:
            coordinates, genotypes = write_data(folder, n)
            out_dir = os.path.join(folder, f"out{n}")
            os.makedirs(out_dir)
            common = ["--seed", "1,1", "--permutations", "999", "--classes", "10", "--output-dir", out_dir,
                      coordinates, genotypes]
            table = os.path.join(out_dir, "classes.csv")
            plain = best_of(options.repeat, lambda: run_cli(options.cli, ["autocorrelation"] + common))
            full = best_of(options.repeat, lambda: run_cli(
                options.cli, ["autocorrelation", "--intervals", table, "--bootstrap", "200"] + common))
            print(f"N = {n}: tessaloc-cli autocorrelation {plain:.3f} s; with the class table "
                  f"(200 resamples) {full:.3f} s; ratio {full / plain:.2f}")
            if options.baseline:
                before = best_of(options.repeat, lambda: run_cli(options.baseline, ["autocorrelation"] + common))
                print(f"N = {n}: baseline tessaloc-cli autocorrelation {before:.3f} s; "
                      f"with the class table / baseline {full / before:.2f}")
            if n in vegan_sizes:
                run_cli(options.cli, ["distances", "--output-dir", out_dir, coordinates, genotypes])
                timed = subprocess.run(
                    ["Rscript", script, os.path.join(out_dir, "GeneticDistances.csv"),
                     os.path.join(out_dir, "GeographicDistances.csv")],
                    check=True, capture_output=True, text=True)
                vegan = float(timed.stdout.split()[0])
                print(f"N = {n}: vegan mantel.correlog {vegan:.1f} s; tessaloc-cli with the class table is "
                      f"1/{vegan / full:.0f} of it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
