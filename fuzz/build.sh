#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into fuzz-build/ (ignored by git):
# the header matcher, the column scanner and the product reader.
#
#   fuzz/build.sh                 build the three targets
#   fuzz/build.sh run [SECONDS]   build, then run each target SECONDS (60)
#                                 on a copy of its seed corpus
set -euo pipefail
cd "$(dirname "$0")/.."

CXX=${FUZZ_CXX:-clang++}
OUT=${FUZZ_BUILD:-fuzz-build}
FLAGS=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined
       -fno-sanitize-recover=undefined -Isrc -Ifuzz)
TARGETS=(par_cmp_fuzz scanp_fuzz par_read_fuzz)

# The modules of src/ each target links: the base (which links alone) and
# what the target's code calls above it. The product reader names its file
# through the naming conventions, which read resources.
BASE="string system flag date mess paths mqueue"
declare -A MODULES=(
  [par_cmp_fuzz]="$BASE par_cmp"
  [scanp_fuzz]="$BASE scanp"
  [par_read_fuzz]="$BASE par_tool par_cmp files files_select resrc resrc_args resrc_convert def_read tools region cty_tool cty_read"
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
  "$CXX" "${FLAGS[@]}" "fuzz/$t.cc" "${objs[@]}" -o "$OUT/$t"
  echo "built $OUT/$t"
done

if [ "${1:-}" = run ]; then
  secs=${2:-60}
  for t in "${TARGETS[@]}"; do
    corpus="$OUT/corpus/$t"
    mkdir -p "$corpus" "$OUT/findings/$t"
    cp -n fuzz/corpus/"${t%_fuzz}"/* "$corpus"/ 2>/dev/null || true
    echo "running $t for $secs s"
    "$OUT/$t" -max_total_time="$secs" -artifact_prefix="$OUT/findings/$t/" -print_final_stats=1 "$corpus"
  done
fi
