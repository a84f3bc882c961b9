#!/usr/bin/env bash
# Measures the peak memory of the two bootstraps against the number of threads: Monmonier's support
# (--bootstrap, one barrier search per replicate) and the autocorrelation's class intervals
# (--intervals with --bootstrap), on N individuals x L biallelic SNPs (default 2000 x 50), each on
# 1, 8 and 16 threads (or the counts given), with GNU time's maximum resident set size. Every
# report of one analysis must be the same for every thread count; the script checks it.
#
#   bench/monmonier/measure_bootstrap_memory.sh [TESSALOC_CLI] [FOLDER] [N] [L] [THREADS...]
#
# TESSALOC_CLI defaults to build/release/cli/tessaloc-cli (a build without sanitizers: their shadow
# memory would hide the figures); FOLDER (default: a new temporary folder) receives the data and the
# reports.
set -euo pipefail
cd "$(dirname "$0")/../.."

cli="${1:-build/release/cli/tessaloc-cli}"
folder="${2:-$(mktemp -d)}"
samples="${3:-2000}"
snps="${4:-50}"
shift $(( $# < 4 ? $# : 4 ))
threads=("$@")
[[ ${#threads[@]} -gt 0 ]] || threads=(1 8 16)
[[ -x "$cli" ]] || { echo "measure_bootstrap_memory: $cli not found" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "measure_bootstrap_memory: GNU time not found (Debian package time)" >&2; exit 1; }

if [[ ! -f "$folder/genotypes.txt" ]]; then
  echo "measure_bootstrap_memory: writing $samples x $snps SNPs to $folder"
  python3 bench/formats/make_snp_data.py "$folder" "$samples" "$snps"
fi
files=("$folder/coordinates.txt" "$folder/genotypes.txt")

for analysis in monmonier autocorrelation; do
  reference=""
  for count in "${threads[@]}"; do
    out="$folder/$analysis-$count"
    mkdir -p "$out"
    case "$analysis" in
      monmonier) run=(monmonier --bootstrap 32 --support "$out/support.csv")
        written=(monmonierresults.txt support.csv) ;;
      autocorrelation) run=(autocorrelation --permutations 9 --bootstrap 64 --intervals "$out/classes.csv")
        written=(SAA-Results.txt classes.csv) ;;
    esac
    /usr/bin/time -f "%M %e" -o "$out/time.txt" \
      "$cli" "${run[@]}" --seed 1,1 --threads "$count" --output-dir "$out" "${files[@]}" >/dev/null
    read -r kilobytes elapsed < "$out/time.txt"
    printf '%-16s %3d threads: peak %7.1f MB, %6.1f s\n' "$analysis" "$count" "$(echo "$kilobytes / 1024" | bc -l)" \
      "$elapsed"
    report=$(cd "$out" && cat "${written[@]}" | md5sum)
    [[ -z "$reference" || "$reference" == "$report" ]] ||
      { echo "measure_bootstrap_memory: the $analysis report differs on $count threads" >&2; exit 1; }
    reference="$report"
  done
done
