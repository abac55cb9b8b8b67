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
#    names, and IF blocks 100,000 deep), each under half a second;
# 4. national files of the fixed-grid products as the whole product
#    arrives: an NBS run of 9,000 stations (about 30 MB), a GFS LAMP LAV run
#    of 1,800 and, with BENCH_NBM_DAY=1, a day of NBS (its 24 hourly runs
#    one after the other, about 700 MB): `grep -n` finding the last
#    station's station line against qelmos printing that station's table
#    (target: 1.5 x grep -n), every station as JSON Lines against `cat` of
#    that output into a file (target: 3 x cat), and the peak memory of each
#    (target: under 8 MB). A missed target is named on standard error.
#
#   bench/run.sh                  (make bench runs it after building)
#   BENCH_MB="100 1000" make bench    (the feed-like file at 100 MB and 1 GB)
#
# Settings: BUILD (build directory, default build), BENCH_DATA (where the
# files are made, default bench-data/, ignored by git; delete it to start
# over), BENCH_MB (sizes of the feed-like file in MB, default 100; part 1
# uses the first), BENCH_RUNS (timed runs per measurement, after one
# warm-up run, default 5), BENCH_NBM_DAY (1: part 4 on the day of NBS as
# well; it takes a few minutes and 8 GB of disk: the file and two copies
# of its 3.6 GB of JSON).
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
BENCH_NBM_DAY=${BENCH_NBM_DAY:-0}
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
# peak memory, and sets T to the median and K to the peak memory (KiB).
T=0
K=0
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
  K=${r#* }
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

# --- 4. National files of the fixed-grid products -------------------------------
# target WHAT VALUE LIMIT: names on standard error a value over its limit.
target() {
  awk -v w="$1" -v v="$2" -v l="$3" 'BEGIN { if (v > l) printf "  target missed: %s %.2f, at most %s\n", w, v, l }' >&2
}

# national FLAG FILE MODEL STATION_LINE RUN HEADER: the file that bulletin_gen
# FLAG writes, whose last block of every run is station K0LS, read as MODEL;
# STATION_LINE is the start of K0LS's station line for grep, RUN what
# follows the file's name to choose the last run ("#2026091923", or
# nothing), HEADER what the table of the last station begins with.
national() {
  local flag=$1 file="$BENCH_DATA/$2" model=$3 line=$4 run=$5 header=$6
  if [ ! -s "$file" ]; then
    echo "generating $file"
    "$GEN" "$flag" "$file.tmp"
    mv "$file.tmp" "$file"
  fi
  cat "$file" >/dev/null
  local blocks
  blocks=$(grep -c "GUIDANCE" "$file")
  echo "== $file ($(wc -c <"$file") bytes, $blocks station blocks), median of $BENCH_RUNS"
  measure "grep -n (last station line)" - grep -n "$line" "$file"
  local grep_n=$T
  measure "qelmos (last station)" "$grep_n@grep -n" "$QELMOS" -nc /dev/null -mo "$model" -id K0LS "$file$run"
  head -n 2 "$OUT" | tr '\n' ' ' | grep -q "^$header" ||
    { echo "qelmos did not print the last station's table" >&2; exit 1; }
  target "qelmos (last station) x grep -n" "$(awk -v t="$T" -v b="$grep_n" 'BEGIN { print t / b }')" 1.5
  target "qelmos (last station) peak MB" "$(awk -v k="$K" 'BEGIN { print k / 1024 }')" 8
  measure "qelmos -ou json -id all" - "$QELMOS" -nc /dev/null -mo "$model" -ou json -id all "$file"
  local json_t=$T json_k=$K
  mv "$OUT" "$BENCH_DATA/all.jsonl"
  [ "$(wc -l <"$BENCH_DATA/all.jsonl")" -eq "$blocks" ] && tail -n 1 "$BENCH_DATA/all.jsonl" | grep -q '^{"station":"K0LS"' ||
    { echo "qelmos did not write one object a station, K0LS's last" >&2; exit 1; }
  measure "cat of that output (to a file)" - sh -c "cat '$BENCH_DATA/all.jsonl' > '$BENCH_DATA/copy.jsonl'"
  awk -v j="$json_t" -v c="$T" -v b="$(wc -c <"$BENCH_DATA/all.jsonl")" \
    'BEGIN { printf "  %.0f MB of JSON: %.2f x cat\n", b / 1048576, j / c }'
  target "qelmos -ou json -id all x cat" "$(awk -v j="$json_t" -v c="$T" 'BEGIN { print j / c }')" 3
  target "qelmos -ou json -id all peak MB" "$(awk -v k="$json_k" 'BEGIN { print k / 1024 }')" 8
  rm -f "$BENCH_DATA/all.jsonl" "$BENCH_DATA/copy.jsonl"
}

national -n nbs_national.txt nbs "K0LS    NBM V5.0 NBS" "" "  NBM NBS V5.0 data for K0LS Initial time: 12Z 19 SEP 26"
national -l lav_national.txt lav "K0LS   GFS LAMP" "" "  GFS LAMP LAV data for K0LS Initial time: 2330Z  5 OCT 26"
if [ "$BENCH_NBM_DAY" = 1 ]; then
  national -d nbs_day.txt nbs "K0LS    NBM V5.0 NBS" "#2026091923" "  NBM NBS V5.0 data for K0LS Initial time: 23Z 19 SEP 26"
fi
