#!/usr/bin/env python3
"""Times scikit-bio's mantel beside tessaloc-cli on the same data, in one run.

For N = 500, 1000 and 2000 observations (data type 1, 10 loci, planar coordinates) it writes a data
set, lets `tessaloc-cli distances` build the two matrices, times scikit-bio's Pearson Mantel test
with 999 permutations on exactly those matrices, and times a whole `tessaloc-cli mantel` run
(reading, distances, 999 permutations, report). It also measures the peak memory of a
`tessaloc-cli mantel` run at N = 10 000.

Needs Debian's python3-skbio (apt-get install python3-skbio) and a release build:
    cmake --preset release && cmake --build --preset release
    /usr/bin/python3 bench/mantel/compare_skbio.py [build/release/cli/tessaloc-cli]
"""

import os
import random
import resource
import subprocess
import sys
import tempfile
import time

import numpy as np
from skbio import DistanceMatrix
from skbio.stats.distance import mantel

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from compare_tools import best_of  # noqa: E402


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


def read_matrix(path):
    with open(path, newline="") as csv:
        rows = csv.read().split("\r\n")[1:-1]
    return np.array([[float(v) for v in row.split(",")[1:]] for row in rows])


def main():
    cli = sys.argv[1] if len(sys.argv) > 1 else "build/release/cli/tessaloc-cli"
    cli = os.path.abspath(cli)
    with tempfile.TemporaryDirectory() as folder:
        print(f"{'N':>6} {'skbio mantel (s)':>17} {'tessaloc-cli mantel, whole run (s)':>36}")
        for n in (500, 1000, 2000):
            coordinates, genotypes = write_data(folder, n)
            subprocess.run([cli, "distances", "--output-dir", folder, coordinates, genotypes], check=True,
                           stdout=subprocess.DEVNULL)
            genetic = DistanceMatrix(read_matrix(os.path.join(folder, "GeneticDistances.csv")))
            geographic = DistanceMatrix(read_matrix(os.path.join(folder, "GeographicDistances.csv")))
            runs = 3 if n <= 1000 else 1
            skbio_time = best_of(runs, lambda: mantel(genetic, geographic, method="pearson", permutations=999))
            cli_time = best_of(runs, lambda: subprocess.run(
                [cli, "mantel", "--seed", "1,1", "--permutations", "999", "--output-dir", folder, coordinates,
                 genotypes], check=True, stdout=subprocess.DEVNULL))
            print(f"{n:>6} {skbio_time:>17.3f} {cli_time:>36.3f}")

        coordinates, genotypes = write_data(folder, 10000)
        before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        start = time.perf_counter()
        subprocess.run([cli, "mantel", "--seed", "1,1", "--permutations", "9", "--output-dir", folder, coordinates,
                        genotypes], check=True, stdout=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        print(f"N = 10000, 9 permutations: {elapsed:.1f} s, peak memory {max(peak, before) / 1024:.0f} MB")


if __name__ == "__main__":
    main()
