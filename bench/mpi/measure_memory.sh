#!/usr/bin/env bash
# Peak memory of a permutation test in one process and in each process of `mpirun -np K`, for a
# growing number of replicates: with the processes exchanging tail counts (not every replicate's
# statistics) the figures do not grow with the replicates. Runs ANALYSIS (mantel by default; mmrr
# with PREDICTORS straight-line predictors; autocorrelation) on the microsatellite example, each
# process on one thread, and prints the peak resident memory of each process in MB, as GNU time
# reports it. The tessaloc-cli must be built with MPI; as root, OpenMPI needs
# OMPI_ALLOW_RUN_AS_ROOT=1 and OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 in the environment.
#
#   bench/mpi/measure_memory.sh [TESSALOC_CLI] [ANALYSIS] [PROCESSES] [PREDICTORS] [REPLICATES...]
#
# TESSALOC_CLI defaults to build/release/cli/tessaloc-cli, PROCESSES to 2, PREDICTORS to 60, the
# replicate counts to 100000 1000000 10000000. A sanitizer build (the test preset) runs too, with
# ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=0 (MPI's own allocations would fail the runs, and
# freed memory held in quarantine would grow with the replicates), at a larger but as flat figure.
set -euo pipefail
cd "$(dirname "$0")/../.."

cli="${1:-build/release/cli/tessaloc-cli}"
analysis="${2:-mantel}"
processes="${3:-2}"
predictors="${4:-60}"
shift $(($# < 4 ? $# : 4))
counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(100000 1000000 10000000)
[[ -x "$cli" ]] || { echo "measure_memory: $cli not found; build it with -DTESSALOC_WITH_MPI=ON" >&2; exit 1; }
command -v mpirun >/dev/null || { echo "measure_memory: mpirun not found (Debian package openmpi-bin)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "measure_memory: GNU time not found (Debian package time)" >&2; exit 1; }

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
options=(--threads 1 --seed 1,1 --output-dir "$folder")
case "$analysis" in
  mantel) options+=(--pairs none) ;;
  mmrr)
    # Random matrices of the example's observations, one file per predictor.
    python3 - "$folder" "$predictors" <<'PYTHON'
import random, sys
folder, count = sys.argv[1], int(sys.argv[2])
names = [line.split(",")[0].strip().strip("\"") for line in open("examples/microsatellites/coordinates.txt")]
names = [name for name in names if name and name != ";"]
random.seed(1)
for k in range(count):
    n = len(names)
    m = [[0.0] * n for _ in range(n)]
    for i in range(n):
        for j in range(i + 1, n):
            m[i][j] = m[j][i] = random.random()
    with open(f"{folder}/predictor{k}.csv", "w") as out:
        out.write("," + ",".join(names) + "\n")
        for i in range(n):
            out.write(names[i] + "," + ",".join(repr(v) for v in m[i]) + "\n")
PYTHON
    for ((k = 0; k < predictors; ++k)); do options+=(--predictor "matrix:$folder/predictor$k.csv"); done ;;
  autocorrelation) options+=(--bootstrap 0) ;;
  *) echo "measure_memory: ANALYSIS is mantel, mmrr or autocorrelation, not $analysis" >&2; exit 1 ;;
esac
files=(examples/microsatellites/coordinates.txt examples/microsatellites/genotypes.txt)

echo "analysis $analysis; peak memory in MB: one process, then each of $processes processes"
for count in "${counts[@]}"; do
  alone=$(/usr/bin/time -f "%M" "$cli" "$analysis" "${options[@]}" --permutations "$count" "${files[@]}" \
    2>&1 >/dev/null | tail -1)
  # Each process's figure goes to a file of its own (OpenMPI numbers them), not to the shared stderr.
  mpirun -np "$processes" bash -c 'exec /usr/bin/time -f "%M" -o "$0.$OMPI_COMM_WORLD_RANK" "$@"' \
    "$folder/peak" "$cli" "$analysis" "${options[@]}" --permutations "$count" "${files[@]}" >/dev/null 2>&1 || true
  shared=$(for ((p = 0; p < processes; ++p)); do grep -E '^[0-9]+$' "$folder/peak.$p"; done | tr '\n' ' ')
  echo "$count $alone $shared" | LC_ALL=C awk '{ printf "%12s replicates: %6.1f |", $1, $2 / 1024
    for (k = 3; k <= NF; ++k) printf " %6.1f", $k / 1024; printf "\n" }'
done
