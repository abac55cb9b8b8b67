#!/usr/bin/env bash
# The bulletin reader's speed, warm, median of several runs, side by side
# with grep on the same files, and the tool's start-up on large defaults
# files:
#
# 1. the reader's hot path on a generated file of about 100 MB made mostly
#    of GFS MOS products: parbench against `grep -c .`, and qelmos printing
#    the last station against `grep -n` finding its heading;
# 2. a feed-like file (GFS MOS 2 % of the products, the rest the other
#    products of a text feed) for each size in BENCH_MB: `grep -c .`,
#    `grep -n` for the last GFS station's heading, qelmos for that station
#    without and with a header index, qelindex on the whole file, and
#    `qelindex -a` after one more product was appended, and every GFS
#    station as JSON Lines against `cat` of that output; with peak memory;
# 3. the tool reading two generated 100,000-line defaults files (distinct
#    names, and IF blocks 100,000 deep), each under half a second.
#
#   bench/run.sh                  (make bench runs it after building)
#   BENCH_MB="100 1000" make bench    (the feed-like file at 100 MB and 1 GB)
#
# Settings: BUILD (build directory, default build), BENCH_DATA (where the
# files are made, default bench-data/, ignored by git; delete it to start
# over), BENCH_MB (sizes of the feed-like file in MB, default 100; part 1
# uses the first), BENCH_RUNS (timed runs per measurement, after one
# warm-up run, default 5).
#
# A further measurement is one more `measure LABEL BASE COMMAND...` line;
# each is reported with its median time, its ratio to the baseline and its
# peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build}
BENCH_DATA=${BENCH_DATA:-bench-data}
BENCH_MB=${BENCH_MB:-100}
BENCH_RUNS=${BENCH_RUNS:-5}
TIMER="$BUILD/tools/parbench/benchtime"
GEN="$BUILD/tools/parbench/bulletin_gen"
QELMOS="$BUILD/qelmos"
QELINDEX="$BUILD/qelindex"
mkdir -p "$BENCH_DATA"

# Command output goes to a file, not /dev/null: grep stops at its first
# match when it sees its output discarded.
OUT="$BENCH_DATA/last_output.txt"

# measure LABEL BASE [-p PREP] COMMAND...: prints the median wall time,
# the ratio to BASE ("SECONDS@NAME" of a baseline, or "-" for none) and the
# peak memory, and sets T to the median.
T=0
measure() {
  local label=$1 base=$2
  shift 2
  local prep=()
  if [ "$1" = -p ]; then
    prep=(-p "$2")
    shift 2
  fi
  local r
  r=$("$TIMER" -n "$BENCH_RUNS" "${prep[@]}" -o "$OUT" -- "$@")
  T=${r% *}
  awk -v l="$label" -v t="$T" -v b="$base" -v k="${r#* }" 'BEGIN {
    ratio = ""
    if (b != "-") { split(b, p, "@"); ratio = sprintf("%5.2f x %s", t / p[1], p[2]) }
    printf "%-32s %8.1f ms  %-18s %5.1f MB peak\n", l, t * 1000, ratio, k / 1024 }'
}

# --- 1. The reader's hot path -------------------------------------------------
MB1=${BENCH_MB%% *}
DATA="$BENCH_DATA/feed_${MB1}mb.txt"
if [ ! -s "$DATA" ]; then
  echo "generating $DATA"
  "$GEN" "$DATA.tmp" "$MB1"
  mv "$DATA.tmp" "$DATA"
fi
echo "== $DATA ($(wc -c <"$DATA") bytes, $(wc -l <"$DATA") lines), median of $BENCH_RUNS"
cat "$DATA" >/dev/null  # warm the page cache

measure "grep -c ." - grep -c . "$DATA"
BASE="$T@grep -c ."
measure "parbench (PAR_ reader)" "$BASE" "$BUILD/tools/parbench/parbench" "$DATA"

# The tool itself: the table of the last station of a GFS bulletin file,
# against grep -n finding that station's heading. The station is appended
# once, in a product of its own, with an identifier the generator never
# makes (it has a digit), so it is the only block of its name.
add_last_station() {  # FROM TO: TO is FROM with the K0LS product after it
  cp "$1" "$2.tmp"
  printf '\001\r\r\n999 \r\r\nFOUS21 KWNO 010000\r\r\nMAVNE1\r\r\n' >>"$2.tmp"
  awk '/GFS MOS GUIDANCE/ { f = 1; sub(/K[A-Z][A-Z][A-Z]/, "K0LS") } f { print } f && /^\r*$/ { exit }' "$1" >>"$2.tmp"
  printf '\003\n' >>"$2.tmp"
  mv "$2.tmp" "$2"
}
GFS="$BENCH_DATA/gfs_${MB1}mb.txt"
[ -s "$GFS" ] || add_last_station "$DATA" "$GFS"
measure "grep -n (last heading)" - grep -n "K0LS   GFS MOS" "$GFS"
BASE="$T@grep -n"
measure "qelmos (last station)" "$BASE" "$QELMOS" -nc /dev/null -mo gfs -id K0LS "$GFS"
grep -q "GFS MOS data for K0LS" "$OUT" || { echo "qelmos did not print the last station" >&2; exit 1; }

# --- 2. Feed-like files, without and with a header index ----------------------
# Each lives in a directory of its own with a name convention file: type
# "plain" names the bulletin of 1 January 2014 00 UTC, "indexed" the same
# file with its header index beside it.
for MB in $BENCH_MB; do
  DIR="$BENCH_DATA/feed_like_${MB}mb"
  FEED="$DIR/14010100.feed"
  INDEX="$DIR/14010100.idx"
  mkdir -p "$DIR"
  printf 'plain   %%D/%%y%%m%%d%%h.feed  -                 0\nindexed %%D/%%y%%m%%d%%h.feed  %%D/%%y%%m%%d%%h.idx  0\n' \
    >"$DIR/name_conv"
  if [ ! -s "$FEED" ]; then
    echo "generating $FEED"
    "$GEN" -f "$DIR/base.tmp" "$MB"
    add_last_station "$DIR/base.tmp" "$FEED"
    rm -f "$DIR/base.tmp"
  fi
  cat "$FEED" >/dev/null
  "$QELINDEX" -o "$INDEX" "$FEED"
  awk -v size="$(wc -c <"$FEED")" -v f="$FEED" -v runs="$BENCH_RUNS" '
    function gfs(h) { return h ~ /^(FOPA21|FOUS2[1-6]|FOAK3[789])$/ }
    NR > 1 && was { bytes += $1 - at }
    { at = $1; was = gfs($2); n++; g += was }
    END { if (was) bytes += size - at
          printf "== %s (%d bytes, %d products, %d GFS MOS: %.1f %% of the products, %.0f %% of the bytes), median of %d\n",
                 f, size, n, g, 100 * g / n, 100 * bytes / size, runs }' "$INDEX"

  measure "grep -c ." - grep -c . "$FEED"
  GREP_C="$T@grep -c ."
  measure "grep -n (last GFS heading)" - grep -n "K0LS   GFS MOS" "$FEED"
  GREP_N="$T@grep -n"
  measure "qelmos K0LS, no index" "$GREP_N" "$QELMOS" -fp "$DIR" -dp "$DIR" -if plain -mo gfs -id K0LS 14010100
  cp "$OUT" "$DIR/table.txt"
  measure "qelmos K0LS, with the index" "$GREP_N" "$QELMOS" -fp "$DIR" -dp "$DIR" -if indexed -mo gfs -id K0LS 14010100
  grep -q "GFS MOS data for K0LS" "$OUT" && cmp -s "$OUT" "$DIR/table.txt" ||
    { echo "qelmos printed another table through the index" >&2; exit 1; }
  measure "qelindex (whole file)" "$GREP_C" "$QELINDEX" "$FEED"
  cmp -s "$OUT" "$INDEX" || { echo "qelindex wrote another index to standard output" >&2; exit 1; }
  # The index as it was before the K0LS product came: all but its last entry.
  BEFORE=$(($(wc -c <"$INDEX") - $(tail -n 1 "$INDEX" | wc -c)))
  cp "$INDEX" "$DIR/grown.idx"
  measure "qelindex -a (one product more)" - -p "truncate -s $BEFORE $DIR/grown.idx" \
    "$QELINDEX" -a -o "$DIR/grown.idx" "$FEED"
  cmp -s "$DIR/grown.idx" "$INDEX" || { echo "qelindex -a made another index" >&2; exit 1; }

  # Every GFS station as JSON Lines, against writing the same bytes (cat of
  # its own output into another file) and against grep -c . on the input.
  measure "qelmos -ou json -id all" "$GREP_C" "$QELMOS" -fp "$DIR" -dp "$DIR" -if plain -mo gfs -ou json -id all 14010100
  JSON_T=$T
  mv "$OUT" "$DIR/all.jsonl"
  measure "cat of that output (to a file)" - sh -c "cat '$DIR/all.jsonl' > '$DIR/copy.jsonl'"
  awk -v j="$JSON_T" -v c="$T" -v n="$(wc -l <"$DIR/all.jsonl")" -v b="$(wc -c <"$DIR/all.jsonl")" \
    'BEGIN { printf "  %d stations, %.0f MB of JSON: %.2f x cat\n", n, b / 1048576, j / c }'
  rm -f "$DIR/copy.jsonl" "$DIR/all.jsonl"
done

# --- 3. Defaults files ----------------------------------------------------------
# 100,000 distinct names meant for the tool (each is stored as a resource of
# its own), and IF blocks 100,000 deep. The tool reads the file as its
# search path and prints its help page. Both must take well under half a
# second: reading defaults is linear in their size.
NAMES="$BENCH_DATA/defaults_names.txt"
DEEP="$BENCH_DATA/defaults_deep.txt"
[ -s "$NAMES" ] || awk 'BEGIN { for (i = 0; i < 100000; i++) printf "qelmos.name%d: value%d\n", i, i }' >"$NAMES"
[ -s "$DEEP" ] || awk 'BEGIN { print "DEF t"; for (i = 0; i < 100000; i++) print "IF t"
  print "*model: gfs"; for (i = 0; i < 100000; i++) print "END" }' >"$DEEP"
echo "== defaults files of 100,000 lines, median of $BENCH_RUNS"
for defs in "$NAMES" "$DEEP"; do
  measure "grep -c . $(basename "$defs" .txt)" - grep -c . "$defs"
  measure "qelmos -df $(basename "$defs" .txt) -h" "$T@grep -c ." "$QELMOS" -df "$defs" -h
  if awk -v t="$T" 'BEGIN { exit !(t >= 0.5) }'; then echo "  slower than 0.5 s" >&2; fi
done
