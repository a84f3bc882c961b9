#!/usr/bin/env bash
# Times a whole `tessaloc-cli mantel --permutations 99` on N = 1000 individuals x 20000 biallelic
# SNPs, once from a VCF file and once from the program's own genotype file with the same calls, beside
# `plink1.9 --vcf FILE --distance square ibs` on the same VCF, and reports wall time, peak memory and
# the ratios. It does so with every distance kernel the processor has (forced one after another with
# TESSALOC_DISTANCE_KERNEL), checks that all of them write the same report, and prints the
# processor's vector extensions beside the figures. plink1.9 (Debian package plink1.9) is needed for
# this measurement only.
#
#   bench/formats/compare_plink.sh [TESSALOC_CLI] [FOLDER] [N] [L] [REPEATS]
#
# TESSALOC_CLI defaults to the release build (build/release/cli/tessaloc-cli); FOLDER (default: a
# new temporary folder) receives the data and the outputs. With REPEATS (default 1) above 1 every
# command runs that many times, in turn, and the shortest time counts: on a busy machine the
# shortest run is the one least disturbed.
set -euo pipefail
cd "$(dirname "$0")/../.."

cli="${1:-build/release/cli/tessaloc-cli}"
folder="${2:-$(mktemp -d)}"
samples="${3:-1000}"
snps="${4:-20000}"
repeats="${5:-1}"
command -v plink1.9 >/dev/null || { echo "compare_plink: plink1.9 not found (Debian package plink1.9)" >&2; exit 1; }
[[ -x "$cli" ]] || { echo "compare_plink: $cli not found; build the release preset first" >&2; exit 1; }

if [[ ! -f "$folder/genotypes.vcf" ]]; then
  echo "compare_plink: writing $samples x $snps SNPs to $folder"
  python3 bench/formats/make_snp_data.py "$folder" "$samples" "$snps"
fi

# The kernels the processor has, fastest first, as `--version` lists them.
read -r -a kernels < <("$cli" --version | sed -n 's/.*(this processor: \(.*\))$/\1/p')
[[ ${#kernels[@]} -gt 0 ]] || { echo "compare_plink: $cli --version names no kernel" >&2; exit 1; }

# Runs the command under /usr/bin/time -v; prints "seconds megabytes".
measure() {
  local log="$1"
  shift
  /usr/bin/time -v "$@" >"$log.out" 2>"$log"
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; ++i) s = s * 60 + t[i] }
              /Maximum resident set size/ { kb = $2 }
              END { printf "%.2f %.0f\n", s, kb / 1024 }' "$log"
}

declare -A seconds megabytes
# Keeps the shortest time of a run named $1 (and the peak memory of that run).
record() {
  local name="$1" s="$2" mb="$3"
  if [[ -z "${seconds[$name]:-}" ]] || awk -v a="$s" -v b="${seconds[$name]}" 'BEGIN { exit !(a < b) }'; then
    seconds[$name]="$s"
    megabytes[$name]="$mb"
  fi
}

for ((round = 1; round <= repeats; ++round)); do
  mkdir -p "$folder/plink"
  read -r s mb < <(measure "$folder/plink/time.log" \
    plink1.9 --vcf "$folder/genotypes.vcf" --distance square ibs --allow-extra-chr --out "$folder/plink/ibs")
  record plink "$s" "$mb"
  for kernel in "${kernels[@]}"; do
    for format in vcf own; do
      genotypes="$folder/genotypes.txt"
      [[ "$format" == vcf ]] && genotypes="$folder/genotypes.vcf"
      out="$folder/$kernel-$format"
      mkdir -p "$out"
      read -r s mb < <(measure "$out/time.log" env TESSALOC_DISTANCE_KERNEL="$kernel" \
        "$cli" mantel --permutations 99 --seed 1,1 --output-dir "$out" "$folder/coordinates.txt" "$genotypes")
      record "$kernel-$format" "$s" "$mb"
    done
  done
done

# Every kernel and both formats must give the same report (the genotype file's name aside).
reference="$folder/${kernels[0]}-vcf/IBDResults.txt"
for kernel in "${kernels[@]}"; do
  if ! cmp -s "$reference" "$folder/$kernel-vcf/IBDResults.txt" ||
    ! cmp -s "$reference" <(sed "s|genotypes.txt|genotypes.vcf|" "$folder/$kernel-own/IBDResults.txt"); then
    echo "compare_plink: the Mantel reports of $kernel differ from those of ${kernels[0]}" >&2
    exit 1
  fi
done

echo "processor: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores," \
  "flags: $(grep -o -w -E 'sse4_2|avx|avx2|fma|avx512f|avx512bw' /proc/cpuinfo | sort -u | tr '\n' ' ')"
echo "load average before the last run: $(cut -d' ' -f1-3 /proc/loadavg); shortest of $repeats run(s)"
printf '%-52s %9s %9s\n' "run ($samples x $snps SNPs)" "seconds" "peak MB"
printf '%-52s %9s %9s\n' "plink1.9 --distance square ibs (VCF)" "${seconds[plink]}" "${megabytes[plink]}"
for kernel in "${kernels[@]}"; do
  for format in vcf own; do
    printf '%-52s %9s %9s\n' "tessaloc-cli mantel --permutations 99 ($format, $kernel)" \
      "${seconds[$kernel-$format]}" "${megabytes[$kernel-$format]}"
  done
done
for kernel in "${kernels[@]}"; do
  awk -v k="$kernel" -v p="${seconds[plink]}" -v v="${seconds[$kernel-vcf]}" -v o="${seconds[$kernel-own]}" 'BEGIN {
    printf "%-9s VCF run / plink: %5.2f (target at most 4), own-format run / VCF run: %4.2f (target at most 1.5)\n",
      k, v / p, o / v }'
done
if [[ -n "${seconds[portable-vcf]:-}" && -n "${seconds[avx2-vcf]:-}" ]]; then
  awk -v p="${seconds[portable-vcf]}" -v a="${seconds[avx2-vcf]}" -v po="${seconds[portable-own]}" \
    -v ao="${seconds[avx2-own]}" 'BEGIN {
    printf "portable / avx2: VCF run %.2f, own-format run %.2f (target at most 3)\n", p / a, po / ao }'
fi
