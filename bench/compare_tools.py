"""What the comparison scripts under bench/ share: timing a program, the processor's vector
extensions. A script in a folder of bench/ imports it after putting bench/ on its path:

    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    import compare_tools
"""

import os
import random
import subprocess
import time


def best_of(runs, action):
    """The shortest of `runs` timings of `action()`, in seconds."""
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        action()
        best = min(best, time.perf_counter() - start)
    return best


def run_cli(cli, arguments):
    """Runs `cli` with `arguments`, its output discarded; fails when it fails."""
    subprocess.run([cli] + arguments, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def vector_extensions():
    """The processor's vector extensions that the program's kernels may use, from /proc/cpuinfo."""
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("flags"):
                    flags = set(line.split(":", 1)[1].split())
                    return " ".join(f for f in ("sse4_2", "avx", "avx2", "fma", "avx512f", "avx512bw") if f in flags)
    except OSError:
        pass
    return "unknown"


def write_samples(folder, n, loci=10, alleles=8, seed=1):
    """A data set of `n` observations in `folder`: planar coordinates uniform in 1000 x 1000 and data
    type 1 genotypes of `loci` loci with `alleles` alleles each. Returns the paths of the coordinate
    and the genotype file and the coordinates."""
    rng = random.Random(seed)
    coordinates = os.path.join(folder, f"coords{n}.txt")
    genotypes = os.path.join(folder, f"geno{n}.txt")
    points = []
    with open(coordinates, "w", newline="") as out:
        for k in range(n):
            points.append((rng.uniform(0, 1000), rng.uniform(0, 1000)))
            out.write(f"o{k + 1},{points[-1][0]:.4f},{points[-1][1]:.4f}\r\n")
        out.write(";\r\n")
    with open(genotypes, "w", newline="") as out:
        out.write(f"{loci}\r\n")
        for k in range(n):
            fields = [f"{100 + rng.randrange(alleles)}\\{100 + rng.randrange(alleles)}" for _ in range(loci)]
            out.write(f"o{k + 1}," + ",".join(fields) + "\r\n")
    return coordinates, genotypes, points
