#!/usr/bin/env bash
# Times the bulletin reader's hot path against `grep -c .` on a generated
# feed-like bulletin file of about 100 MB, warm, best of several runs, then
# the start-up of the tool on two generated 100,000-line defaults files.
#
#   bench/run.sh            (make bench runs it after building)
#
# Settings: BUILD (build directory, default build), BENCH_DATA (where the
# file is made, default bench-data/, ignored by git), BENCH_MB (size, 100),
# BENCH_RUNS (runs per measurement, best taken, default 3).
#
# A further measurement is one more `measure LABEL COMMAND...` line below;
# each is reported with its time and its ratio to the grep baseline.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build}
BENCH_DATA=${BENCH_DATA:-bench-data}
BENCH_MB=${BENCH_MB:-100}
BENCH_RUNS=${BENCH_RUNS:-3}

mkdir -p "$BENCH_DATA"
DATA="$BENCH_DATA/feed_${BENCH_MB}mb.txt"
if [ ! -s "$DATA" ]; then
  echo "generating $DATA"
  "$BUILD/tools/parbench/bulletin_gen" "$DATA.tmp" "$BENCH_MB"
  mv "$DATA.tmp" "$DATA"
fi
echo "file: $DATA ($(wc -c <"$DATA") bytes, $(wc -l <"$DATA") lines)"
cat "$DATA" >/dev/null  # warm the page cache

# Runs a command BENCH_RUNS times after one warm-up run; prints the best
# wall time in seconds. Output goes to a file, not /dev/null: grep stops at
# its first match when it sees its output discarded.
OUT="$BENCH_DATA/last_output.txt"
best_time() {
  "$@" >"$OUT"
  local best="" t0 t1 t
  for _ in $(seq "$BENCH_RUNS"); do
    t0=$(date +%s.%N)
    "$@" >"$OUT"
    t1=$(date +%s.%N)
    t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

BASE=$(best_time grep -c . "$DATA")
printf '%-28s %8s s\n' "grep -c ." "$BASE"

measure() {
  local label=$1
  shift
  local t
  t=$(best_time "$@")
  awk -v l="$label" -v t="$t" -v b="$BASE" 'BEGIN { printf "%-28s %8.3f s   %5.2f x grep\n", l, t, (b > 0 ? t / b : 0) }'
}

measure "parbench (PAR_ reader)" "$BUILD/tools/parbench/parbench" "$DATA"

# The tool itself: the table of the last station of a GFS bulletin file,
# against grep -n finding that station's heading. The station is appended
# once, in a product of its own, with an identifier the generator never
# makes (it has a digit), so it is the only block of its name.
GFS="$BENCH_DATA/gfs_${BENCH_MB}mb.txt"
if [ ! -s "$GFS" ]; then
  cp "$DATA" "$GFS.tmp"
  printf '\001\r\r\n999 \r\r\nFOUS21 KWNO 010000\r\r\nMAVNE1\r\r\n' >>"$GFS.tmp"
  awk '/GFS MOS GUIDANCE/ { f = 1; sub(/K[A-Z][A-Z][A-Z]/, "K0LS") } f { print } f && /^\r*$/ { exit }' "$DATA" >>"$GFS.tmp"
  printf '\003\n' >>"$GFS.tmp"
  mv "$GFS.tmp" "$GFS"
fi
BASE=$(best_time grep -n "K0LS   GFS MOS" "$GFS")
printf '%-28s %8s s\n' "grep -n (last heading)" "$BASE"
QELMOS=("$BUILD/qelmos" -nc /dev/null -mo gfs -id K0LS "$GFS")
measure "qelmos (last station)" "${QELMOS[@]}"
grep -q "GFS MOS data for K0LS" "$OUT" || { echo "qelmos did not print the last station" >&2; exit 1; }
if [ -x /usr/bin/time ]; then
  /usr/bin/time -v "${QELMOS[@]}" 2>"$BENCH_DATA/time.txt" >"$OUT"
  awk -F': ' '/Maximum resident set size/ { printf "%-28s %8.1f MB peak memory\n", "qelmos (last station)", $2 / 1024 }' \
    "$BENCH_DATA/time.txt"
fi

# Defaults files: 100,000 distinct names meant for the tool (each is stored
# as a resource of its own), and IF blocks 100,000 deep. The tool reads the
# file as its search path and prints its help page. Both must take well
# under half a second: reading defaults is linear in their size.
NAMES="$BENCH_DATA/defaults_names.txt"
DEEP="$BENCH_DATA/defaults_deep.txt"
[ -s "$NAMES" ] || awk 'BEGIN { for (i = 0; i < 100000; i++) printf "qelmos.name%d: value%d\n", i, i }' >"$NAMES"
[ -s "$DEEP" ] || awk 'BEGIN { print "DEF t"; for (i = 0; i < 100000; i++) print "IF t"
  print "*model: gfs"; for (i = 0; i < 100000; i++) print "END" }' >"$DEEP"
for defs in "$NAMES" "$DEEP"; do
  BASE=$(best_time grep -c . "$defs")
  label="qelmos -df $(basename "$defs" .txt)"
  t=$(best_time "$BUILD/qelmos" -df "$defs" -h)
  printf '%-28s %8.3f s   (%s lines; grep -c . %s s)\n' "$label" "$t" "$(wc -l <"$defs")" "$BASE"
  if awk -v t="$t" 'BEGIN { exit !(t >= 0.5) }'; then echo "  slower than 0.5 s" >&2; fi
done
