#!/usr/bin/env bash
# Times the same Mantel run, N = 5000 individuals x 200 biallelic SNPs and 999 permutations by
# default (or, with ANALYSIS autocorrelation, a spatial autocorrelation run with its class table and
# 200 bootstrap resamples of the loci; with ANALYSIS monmonier, three barriers and 100 bootstrap
# replicates of their support), once in one process and once shared between the processes of `mpirun -np K`, each process
# on one thread (--threads 1), in turn, REPEATS times; checks that every report is the same, byte for
# byte, and prints each pair of times with their ratio, the load of the machine before each run, and
# the processor's vector extensions. The tessaloc-cli must be built with MPI (-DTESSALOC_WITH_MPI=ON,
# as the release preset is). As root, OpenMPI needs OMPI_ALLOW_RUN_AS_ROOT=1 and
# OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 in the environment.
#
#   bench/mpi/compare_processes.sh [TESSALOC_CLI] [FOLDER] [N] [L] [PERMUTATIONS] [PROCESSES] [REPEATS] [ANALYSIS]
#
# TESSALOC_CLI defaults to build/release/cli/tessaloc-cli; FOLDER (default: a new temporary folder)
# receives the data and the reports. The Mantel report leaves the pairs out (--pairs none), so that
# writing it does not weigh on the times.
set -euo pipefail
cd "$(dirname "$0")/../.."

cli="${1:-build/release/cli/tessaloc-cli}"
folder="${2:-$(mktemp -d)}"
samples="${3:-5000}"
snps="${4:-200}"
permutations="${5:-999}"
processes="${6:-2}"
repeats="${7:-3}"
analysis="${8:-mantel}"
[[ -x "$cli" ]] || { echo "compare_processes: $cli not found; build it with -DTESSALOC_WITH_MPI=ON" >&2; exit 1; }
command -v mpirun >/dev/null || { echo "compare_processes: mpirun not found (Debian package openmpi-bin)" >&2; exit 1; }

if [[ ! -f "$folder/genotypes.txt" ]]; then
  echo "compare_processes: writing $samples x $snps SNPs to $folder"
  python3 bench/formats/make_snp_data.py "$folder" "$samples" "$snps"
fi
case "$analysis" in
  mantel)
    run=(mantel --threads 1 --seed 1,1 --permutations "$permutations" --pairs none)
    outputs=(IBDResults.txt) ;;
  autocorrelation)
    run=(autocorrelation --threads 1 --seed 1,1 --permutations "$permutations" --bootstrap 200)
    outputs=(SAA-Results.txt classes.csv) ;;
  monmonier)
    run=(monmonier --threads 1 --seed 1,1 --barriers 3 --bootstrap 100)
    outputs=(monmonierresults.txt support.csv) ;;
  *) echo "compare_processes: ANALYSIS is mantel, autocorrelation or monmonier, not $analysis" >&2; exit 1 ;;
esac
files=("$folder/coordinates.txt" "$folder/genotypes.txt")

# The option of the autocorrelation's class table or of the barriers' support table, for the run
# writing into $1.
table() {
  case "$analysis" in
    autocorrelation) echo "--intervals $1/classes.csv" ;;
    monmonier) echo "--support $1/support.csv" ;;
  esac
}

seconds() {
  local started ended
  started=$(date +%s.%N)
  "$@" >/dev/null
  ended=$(date +%s.%N)
  echo "$ended - $started" | bc -l
}

echo "processor: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(nproc) cores," \
  "$(grep -o -w 'avx2\|fma\|avx512f\|avx512bw' /proc/cpuinfo | sort -u | xargs)"
echo "$analysis: N = $samples, L = $snps, $permutations permutations, $processes processes"
printf '%-6s %-12s %10s %10s %8s\n' run load one-process shared ratio
for ((r = 1; r <= repeats; ++r)); do
  mkdir -p "$folder/one-$r" "$folder/shared-$r"
  load=$(cut -d' ' -f1 /proc/loadavg)
  one=$(seconds "$cli" "${run[@]}" $(table "$folder/one-$r") --output-dir "$folder/one-$r" "${files[@]}")
  shared=$(seconds mpirun --oversubscribe -np "$processes" "$cli" "${run[@]}" $(table "$folder/shared-$r") \
    --output-dir "$folder/shared-$r" "${files[@]}" 2>/dev/null)
  for output in "${outputs[@]}"; do
    cmp "$folder/one-$r/$output" "$folder/shared-$r/$output"
  done
  printf '%-6s %-12s %10.2f %10.2f %8.2f\n' "$r" "$load" "$one" "$shared" "$(echo "$one / $shared" | bc -l)"
done
echo "every report the same: yes"
