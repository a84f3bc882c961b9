#!/usr/bin/env bash
# Measures the Mantel test from the window program against the batch program on the same random
# microsatellite-style data (10 codominant loci of 8 alleles, 2 % missing, planar coordinates):
# N = 2 000 with 1 000 permutations and N = 10 000 with 99, or the sizes given. For each size it
# prints the batch program's whole run (wall time, peak memory) and what
# tessaloc_measure_mantel_window sees on a virtual display: "Go" to the results window drawn, the
# report page jumped through from its first line to its last and paged, the chart resized, the
# pair under the mouse found, the window program's peak memory.
#
#   bench/windows/measure_mantel_window.sh [N ...]     (after a release build; BUILD=dir to change)
#
# Needs Xvfb and GNU time. The data go to a temporary folder that is removed afterwards.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${BUILD:-$here/../../build/release}
cli=$build/cli/tessaloc-cli
measure=$build/bench/windows/tessaloc_measure_mantel_window
for program in "$cli" "$measure"; do
  [ -x "$program" ] || { echo "missing $program: build the release preset first" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is needed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time (/usr/bin/time) is needed" >&2; exit 1; }

work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# N individuals named I1..IN at random places in a 1 000 km square, and their genotypes.
generate() {
  awk -v n="$1" -v coords="$2" -v genotypes="$3" 'BEGIN {
    srand(2000 + n)
    print 10 > genotypes
    for (i = 1; i <= n; i++) {
      printf "\"I%d\",%.3f,%.3f\n", i, rand() * 1000, rand() * 1000 > coords
      line = "\"I" i "\""
      for (l = 1; l <= 10; l++) {
        if (rand() < 0.02) { line = line ",0\\0"; continue }
        line = line "," (100 + 2 * int(rand() * 8)) "\\" (100 + 2 * int(rand() * 8))
      }
      print line > genotypes
    }
    print ";" > coords
  }'
}

# The value of a field of GNU time's long report, in seconds or megabytes.
elapsed() { awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s }' "$1"; }
peak() { awk -F': ' '/Maximum resident set size/ { printf "%.1f\n", $2 / 1024 }' "$1"; }

# A display number no other X server uses: Xvfb picks it and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1600x1200x24 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
display=:$(head -n 1 "$work/display")

for n in "${@:-2000 10000}"; do
  permutations=1000
  [ "$n" -gt 2000 ] && permutations=99
  coords=$work/coords-$n.txt
  genotypes=$work/genotypes-$n.txt
  generate "$n" "$coords" "$genotypes"
  mkdir -p "$work/cli-$n"
  /usr/bin/time -v -o "$work/cli-$n.time" "$cli" mantel --seed 1,1 --permutations "$permutations" \
    --output-dir "$work/cli-$n" "$coords" "$genotypes" >/dev/null
  report=$(stat -c %s "$work/cli-$n/IBDResults.txt")
  rm -f "$work/cli-$n/IBDResults.txt"
  echo "== N = $n, $permutations permutations"
  echo "batch_run_s $(elapsed "$work/cli-$n.time")"
  echo "batch_peak_mb $(peak "$work/cli-$n.time")"
  echo "report_mb $(awk -v b="$report" 'BEGIN { printf "%.1f\n", b / 1e6 }')"
  (cd "$work" && DISPLAY=$display /usr/bin/time -v -o "$work/window-$n.time" "$measure" "$coords" "$genotypes" "$permutations")
  echo "window_program_peak_mb $(peak "$work/window-$n.time")"
done
