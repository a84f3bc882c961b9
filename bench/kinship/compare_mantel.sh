#!/usr/bin/env bash
# Times a whole `tessaloc-cli kinship` run (10 equal-width classes, 99 permutations, with and without
# the jackknife over the loci) beside a whole `tessaloc-cli mantel --permutations 99` on the same
# files: N = 1000 individuals x 20000 biallelic SNPs from a VCF (bench/formats/make_snp_data.py,
# about 1 % missing calls), and prints wall times, peak memory and the ratios to the Mantel test.
#
#   bench/kinship/compare_mantel.sh [TESSALOC_CLI] [FOLDER] [N] [L]
#
# TESSALOC_CLI defaults to the release build; FOLDER (default: a new temporary folder) receives the
# data and the outputs.
set -euo pipefail
cd "$(dirname "$0")/../.."

cli="${1:-build/release/cli/tessaloc-cli}"
folder="${2:-$(mktemp -d)}"
samples="${3:-1000}"
snps="${4:-20000}"
[[ -x "$cli" ]] || { echo "compare_mantel: $cli not found; build the release preset first" >&2; exit 1; }
if [[ ! -f "$folder/genotypes.vcf" ]]; then
  echo "compare_mantel: writing $samples x $snps SNPs to $folder"
  python3 bench/formats/make_snp_data.py "$folder" "$samples" "$snps"
fi

# Runs the command under /usr/bin/time -v; prints "seconds megabytes".
measure() {
  local log="$1"
  shift
  /usr/bin/time -v "$@" >"$log.out" 2>"$log"
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; ++i) s = s * 60 + t[i] }
              /Maximum resident set size/ { kb = $2 }
              END { printf "%.2f %.0f\n", s, kb / 1024 }' "$log"
}

files=("$folder/coordinates.txt" "$folder/genotypes.vcf")
mkdir -p "$folder/mantel" "$folder/kinship" "$folder/kinship-plain"
read -r mantel_s mantel_mb < <(measure "$folder/mantel/time.log" \
  "$cli" mantel --seed 1,1 --permutations 99 --pairs none --output-dir "$folder/mantel" "${files[@]}")
read -r plain_s plain_mb < <(measure "$folder/kinship-plain/time.log" \
  "$cli" kinship --seed 1,1 --permutations 99 --no-jackknife --output-dir "$folder/kinship-plain" "${files[@]}")
read -r kin_s kin_mb < <(measure "$folder/kinship/time.log" \
  "$cli" kinship --seed 1,1 --permutations 99 --output-dir "$folder/kinship" "${files[@]}")

printf '%-34s %9s %9s %12s\n' "run ($samples x $snps SNPs, VCF)" seconds MB "x Mantel"
printf '%-34s %9s %9s %12s\n' "mantel --permutations 99" "$mantel_s" "$mantel_mb" 1
printf '%-34s %9s %9s %12s\n' "kinship, no jackknife" "$plain_s" "$plain_mb" \
  "$(awk -v a="$plain_s" -v b="$mantel_s" 'BEGIN { printf "%.2f", a / b }')"
printf '%-34s %9s %9s %12s\n' "kinship with jackknife" "$kin_s" "$kin_mb" \
  "$(awk -v a="$kin_s" -v b="$mantel_s" 'BEGIN { printf "%.2f", a / b }')"
