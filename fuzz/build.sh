#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into fuzz-build/ (ignored by git):
# the header matcher, the column scanner, the product reader and the
# fixed-grid reader.
#
#   fuzz/build.sh                 build the four targets
#   fuzz/build.sh run [SECONDS]   build, then run each target SECONDS (60)
#                                 on a copy of its seed corpus
#   fuzz/build.sh check [SECONDS] what `make test` runs: as run (10 s each),
#                                 one line a target, the log of a failure;
#                                 skipped with a message where FUZZ_CXX
#                                 (clang++) cannot build libFuzzer targets
set -euo pipefail
cd "$(dirname "$0")/.."

CXX=${FUZZ_CXX:-clang++}
OUT=${FUZZ_BUILD:-fuzz-build}
FLAGS=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined
       -fno-sanitize-recover=undefined -Isrc -Ifuzz)
TARGETS=(par_cmp_fuzz scanp_fuzz par_read_fuzz mos_grid_fuzz)
MODE=${1:-build}

# Whether $CXX is there and links a libFuzzer target.
can_fuzz() {
  command -v "$CXX" >/dev/null 2>&1 || return 1
  local probe ok=0
  probe=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }\n' >"$probe/p.cc"
  "$CXX" -fsanitize=fuzzer "$probe/p.cc" -o "$probe/p" >/dev/null 2>&1 || ok=1
  rm -rf "$probe"
  return $ok
}

if [ "$MODE" = check ] && ! can_fuzz; then
  echo "fuzz: skipped: $CXX cannot build libFuzzer targets (install clang to run them)"
  exit 0
fi

# The modules of src/ each target links: the base (which links alone) and
# what the target's code calls above it. The product reader names its file
# through the naming conventions, which read resources.
BASE="string system flag date mess paths mqueue"
declare -A MODULES=(
  [par_cmp_fuzz]="$BASE par_cmp"
  [scanp_fuzz]="$BASE scanp"
  [par_read_fuzz]="$BASE par_tool par_cmp files files_select resrc resrc_args resrc_convert def_read tools region cty_tool cty_read"
  [mos_grid_fuzz]="$BASE par_tool par_cmp files files_select resrc resrc_args resrc_convert def_read tools region cty_tool cty_read scanp mos_grid mos_grid_tables mos_grid_print mos_json mos_json_grid mos_csv mos_tool mos_print mos_read mos_read_upper mos_series mos_station"
)
# The libraries a target links beyond them: the product reader decompresses
# gzip files with zlib.
declare -A LIBS=(
  [par_read_fuzz]="-lz"
  [mos_grid_fuzz]="-lz"
)

mkdir -p "$OUT/obj"
for t in "${TARGETS[@]}"; do
  objs=()
  for m in ${MODULES[$t]}; do
    # Compiled again when the source or a header is newer than the object.
    src="src/$m.cc" obj="$OUT/obj/$m.o"
    if [ ! -e "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find src -name '*.h' -newer "$obj")" ]; then
      "$CXX" "${FLAGS[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" -c "$src" -o "$obj"
    fi
    objs+=("$obj")
  done
  "$CXX" "${FLAGS[@]}" "fuzz/$t.cc" "${objs[@]}" ${LIBS[$t]:-} -o "$OUT/$t"
  echo "built $OUT/$t"
done

if [ "$MODE" = run ] || [ "$MODE" = check ]; then
  secs=${2:-$([ "$MODE" = check ] && echo 10 || echo 60)}
  for t in "${TARGETS[@]}"; do
    corpus="$OUT/corpus/$t"
    mkdir -p "$corpus" "$OUT/findings/$t"
    cp -n fuzz/corpus/"${t%_fuzz}"/* "$corpus"/ 2>/dev/null || true
    args=(-max_total_time="$secs" -artifact_prefix="$OUT/findings/$t/" -print_final_stats=1 "$corpus")
    if [ "$MODE" = run ]; then
      echo "running $t for $secs s"
      "$OUT/$t" "${args[@]}"
      continue
    fi
    log="$OUT/$t.log"
    if ! "$OUT/$t" "${args[@]}" >"$log" 2>&1; then
      tail -n 40 "$log"
      echo "fuzz $t: FAILED after at most $secs s (log $log, input in $OUT/findings/$t/)"
      exit 1
    fi
    runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    echo "fuzz $t: ${runs:-?} runs in $secs s, no failure"
  done
fi
