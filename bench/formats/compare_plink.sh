#!/usr/bin/env bash
# Times a whole `tessaloc-cli mantel --permutations 99` on N = 1000 individuals x 20000 biallelic
# SNPs, once from a VCF file and once from the program's own genotype file with the same calls, beside
# `plink1.9 --vcf FILE --distance square ibs` on the same VCF, and reports wall time, peak memory and
# the ratios. plink1.9 (Debian package plink1.9) is needed for this measurement only.
#
#   bench/formats/compare_plink.sh [TESSALOC_CLI] [FOLDER] [N] [L]
#
# TESSALOC_CLI defaults to the release build (build/release/cli/tessaloc-cli); FOLDER (default: a
# new temporary folder) receives the data and the outputs.
set -euo pipefail
cd "$(dirname "$0")/../.."

cli="${1:-build/release/cli/tessaloc-cli}"
folder="${2:-$(mktemp -d)}"
samples="${3:-1000}"
snps="${4:-20000}"
command -v plink1.9 >/dev/null || { echo "compare_plink: plink1.9 not found (Debian package plink1.9)" >&2; exit 1; }
[[ -x "$cli" ]] || { echo "compare_plink: $cli not found; build the release preset first" >&2; exit 1; }

if [[ ! -f "$folder/genotypes.vcf" ]]; then
  echo "compare_plink: writing $samples x $snps SNPs to $folder"
  python3 bench/formats/make_snp_data.py "$folder" "$samples" "$snps"
fi
mkdir -p "$folder/vcf" "$folder/own" "$folder/plink"

# Runs the command under /usr/bin/time -v; prints "seconds megabytes".
measure() {
  local log="$1"
  shift
  /usr/bin/time -v "$@" >"$log.out" 2>"$log"
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; ++i) s = s * 60 + t[i] }
              /Maximum resident set size/ { kb = $2 }
              END { printf "%.2f %.0f\n", s, kb / 1024 }' "$log"
}

read -r plink_s plink_mb < <(measure "$folder/plink/time.log" \
  plink1.9 --vcf "$folder/genotypes.vcf" --distance square ibs --allow-extra-chr --out "$folder/plink/ibs")
read -r vcf_s vcf_mb < <(measure "$folder/vcf/time.log" \
  "$cli" mantel --permutations 99 --seed 1,1 --output-dir "$folder/vcf" "$folder/coordinates.txt" "$folder/genotypes.vcf")
read -r own_s own_mb < <(measure "$folder/own/time.log" \
  "$cli" mantel --permutations 99 --seed 1,1 --output-dir "$folder/own" "$folder/coordinates.txt" "$folder/genotypes.txt")

if ! cmp -s "$folder/vcf/IBDResults.txt" <(sed "s|genotypes.txt|genotypes.vcf|" "$folder/own/IBDResults.txt"); then
  echo "compare_plink: the two Mantel reports differ" >&2
  exit 1
fi

printf '%-44s %9s %9s\n' "run ($samples x $snps SNPs)" "seconds" "peak MB"
printf '%-44s %9s %9s\n' "plink1.9 --distance square ibs (VCF)" "$plink_s" "$plink_mb"
printf '%-44s %9s %9s\n' "tessaloc-cli mantel --permutations 99 (VCF)" "$vcf_s" "$vcf_mb"
printf '%-44s %9s %9s\n' "tessaloc-cli mantel --permutations 99 (own)" "$own_s" "$own_mb"
awk -v p="$plink_s" -v v="$vcf_s" -v o="$own_s" 'BEGIN {
  printf "VCF run / plink: %.2f (target at most 5)\nown-format run / VCF run: %.2f (target at most 2)\n", v / p, o / v }'
