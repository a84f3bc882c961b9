#!/usr/bin/env python3
"""Times R ecodist's MRM beside tessaloc-cli mmrr on the same data, in one run.

For N = 500 observations (data type 1, 10 loci, planar coordinates) it writes a data set and two more
predictor matrices (the square root of the straight-line distances and differences of a habitat value),
lets `tessaloc-cli distances` build the genetic and geographic matrices, times ecodist's MRM of the
genetic distances on the three predictors with 999 permutations on exactly those matrices (inside R,
reading excluded), and times a whole `tessaloc-cli mmrr` run with the same three predictors (reading,
distances, 999 permutations, report).

Needs R with Debian's r-cran-ecodist and a release build:
    cmake --preset release && cmake --build --preset release
    python3 bench/matrixregression/compare_ecodist.py [build/release/cli/tessaloc-cli] [N ...]
"""

import math
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import compare_tools  # noqa: E402

MRM_TIMING = r"""
suppressMessages(library(ecodist))
args <- commandArgs(trailingOnly = TRUE)
readDist <- function(file) {
    m <- as.matrix(read.csv(file, row.names = 1, check.names = FALSE))
    as.dist(m)
}
genetic <- readDist(args[1])
x1 <- readDist(args[2])
x2 <- readDist(args[3])
x3 <- readDist(args[4])
elapsed <- system.time(fit <- MRM(genetic ~ x1 + x2 + x3, nperm = 999))[["elapsed"]]
cat(elapsed, "\n")
cat(fit$r.squared[1], "\n")
"""


def write_data(folder, n, seed=1):
    """The data set of compare_tools.write_samples and two more predictor matrices over its
    observations: the square roots of their straight-line distances and the differences of a habitat
    value drawn for each."""
    coordinates, genotypes, points = compare_tools.write_samples(folder, n, seed=seed)
    names = [f"o{k + 1}" for k in range(n)]
    rng = random.Random(seed + 1)
    habitat = [rng.uniform(0, 100) for _ in range(n)]

    def write_matrix(path, value):
        with open(path, "w") as out:
            out.write("," + ",".join(names) + "\n")
            for i in range(n):
                out.write(names[i] + "," + ",".join(repr(value(i, j)) for j in range(n)) + "\n")

    # The square roots are of the coordinates as written, so that they match the program's distances.
    written = [(float(f"{x:.4f}"), float(f"{y:.4f}")) for x, y in points]
    root = os.path.join(folder, f"root{n}.csv")
    write_matrix(root, lambda i, j: math.sqrt(math.dist(written[i], written[j])))
    differences = os.path.join(folder, f"habitat{n}.csv")
    write_matrix(differences, lambda i, j: abs(habitat[i] - habitat[j]))
    return coordinates, genotypes, root, differences


def main():
    cli = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/release/cli/tessaloc-cli")
    sizes = [int(a) for a in sys.argv[2:]] or [500]
    with tempfile.TemporaryDirectory() as folder:
        script = os.path.join(folder, "mrm.R")
        with open(script, "w") as out:
            out.write(MRM_TIMING)
        print(f"vector extensions: {compare_tools.vector_extensions()}")
        print(f"{'N':>6} {'ecodist MRM (s)':>16} {'tessaloc-cli mmrr, whole run (s)':>34} {'ratio':>7}")
        for n in sizes:
            coordinates, genotypes, root, differences = write_data(folder, n)
            compare_tools.run_cli(cli, ["distances", "--output-dir", folder, coordinates, genotypes])
            r = subprocess.run(["Rscript", script, os.path.join(folder, "GeneticDistances.csv"),
                                os.path.join(folder, "GeographicDistances.csv"), root, differences],
                               check=True, capture_output=True, text=True)
            mrm_time = float(r.stdout.split()[0])
            best = compare_tools.best_of(3, lambda: compare_tools.run_cli(
                cli, ["mmrr", "--seed", "1,1", "--permutations", "999", "--predictor", "straight", "--predictor",
                      "matrix:" + root, "--predictor", "matrix:" + differences, "--output-dir", folder,
                      coordinates, genotypes]))
            with open(os.path.join(folder, "MMRR-Results.txt")) as report:
                r2 = next(line for line in report if line.startswith("R2 = "))
            print(f"{n:>6} {mrm_time:>16.3f} {best:>34.3f} {best / mrm_time:>7.4f}"
                  f"   (MRM R2 {float(r.stdout.split()[1]):.10f}, tessaloc {r2.strip()})")


if __name__ == "__main__":
    main()
