#!/usr/bin/env python3
"""Times R vegan's mantel.partial beside tessaloc-cli partialmantel on the same data, in one run.

For each N it writes a data set (data type 1, 10 loci of 8 alleles, planar coordinates) and a
matrix file of "habitat" differences (Z), lets `tessaloc-cli distances` build the genetic and the
straight-line matrices, and times

  - a whole `tessaloc-cli partialmantel --x straight --z matrix:FILE` run (reading, the three
    matrices, 999 permutations, the report without its pair table);
  - a whole `tessaloc-cli mantel` run on the same files, for the ratio of the two tests;
  - vegan's mantel.partial with 999 permutations on exactly those matrices (the call itself, timed
    inside R, without R's start or the reading of the matrices).

It checks that the two partial r agree to 1e-10 relative, and prints the times, the ratios and the
processor's vector extensions.

Needs R with Debian's r-cran-vegan and a release build:
    cmake --preset release && cmake --build --preset release
    /usr/bin/python3 bench/partialmantel/compare_vegan.py [--cli build/release/cli/tessaloc-cli]
        [--sizes 500] [--repeat 3]
"""

import argparse
import os
import random
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from compare_tools import best_of, run_cli, vector_extensions, write_samples  # noqa: E402

R_PARTIAL = r"""
arguments <- commandArgs(trailingOnly = TRUE)
suppressMessages(library(vegan))
read <- function(path) {
  m <- as.matrix(read.csv(path, check.names = FALSE)[, -1])
  dimnames(m) <- NULL
  m
}
genetic <- read(arguments[1])
geographic <- read(arguments[2])
habitat <- read(arguments[3])
set.seed(1)
elapsed <- system.time(result <- mantel.partial(genetic, geographic, habitat, permutations = 999))["elapsed"]
cat(elapsed, sprintf("%.17g", result$statistic), "\n")
"""


def write_data(folder, n):
    coordinates, genotypes, points = write_samples(folder, n)
    # Differences of a habitat value that follows x, with noise: correlated with distance, not
    # collinear with it.
    rng = random.Random(2)
    value = [x / 100 + rng.gauss(0, 2) for x, _ in points]
    habitat = os.path.join(folder, f"habitat{n}.csv")
    with open(habitat, "w", newline="") as out:
        out.write("," + ",".join(f"o{k + 1}" for k in range(n)) + "\n")
        for i in range(n):
            out.write(f"o{i + 1}," + ",".join(repr(abs(value[i] - value[j])) for j in range(n)) + "\n")
    return coordinates, genotypes, habitat


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default="build/release/cli/tessaloc-cli")
    parser.add_argument("--sizes", default="500")
    parser.add_argument("--repeat", type=int, default=3, help="runs of each program; the shortest counts")
    options = parser.parse_args()
    sizes = [int(n) for n in options.sizes.split(",") if n]

    print(f"processor vector extensions: {vector_extensions()}")
    with tempfile.TemporaryDirectory() as folder:
        script = os.path.join(folder, "partial.R")
        with open(script, "w") as out:
            out.write(R_PARTIAL)
        for n in sizes:
            coordinates, genotypes, habitat = write_data(folder, n)
            out_dir = os.path.join(folder, f"out{n}")
            os.makedirs(out_dir)
            files = ["--seed", "1,1", "--permutations", "999", "--pairs", "none", "--output-dir", out_dir,
                     coordinates, genotypes]
            partial = best_of(options.repeat, lambda: run_cli(
                options.cli, ["partialmantel", "--x", "straight", "--z", "matrix:" + habitat] + files))
            mantel = best_of(options.repeat, lambda: run_cli(options.cli, ["mantel"] + files))
            print(f"N = {n}: tessaloc-cli partialmantel {partial:.3f} s; mantel {mantel:.3f} s; "
                  f"ratio {partial / mantel:.2f}")
            with open(os.path.join(out_dir, "PartialMantel-Results.txt"), encoding="latin-1") as report:
                ours = float(re.search(r"given Z:  r = (\S+)", report.read()).group(1))
            run_cli(options.cli, ["distances", "--output-dir", out_dir, coordinates, genotypes])
            timed = subprocess.run(
                ["Rscript", script, os.path.join(out_dir, "GeneticDistances.csv"),
                 os.path.join(out_dir, "GeographicDistances.csv"), habitat],
                check=True, capture_output=True, text=True)
            vegan_time, vegan_r = (float(v) for v in timed.stdout.split()[:2])
            # The report writes r to 10 decimals: compare at that precision.
            agree = abs(ours - vegan_r) <= 6e-11 + 1e-10 * abs(vegan_r)
            print(f"N = {n}: vegan mantel.partial {vegan_time:.2f} s; tessaloc-cli partialmantel is "
                  f"1/{vegan_time / partial:.0f} of it; r {ours} against vegan's {vegan_r:.12f}"
                  f" ({'agree' if agree else 'DIFFER'})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
