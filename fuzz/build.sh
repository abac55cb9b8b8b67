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

mkdir -p "$OUT/obj"
LIB=()
for src in src/*.cc; do
  [ "$src" = src/main.cc ] && continue
  obj="$OUT/obj/$(basename "${src%.cc}").o"
  if [ ! -e "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find src -name '*.h' -newer "$obj")" ]; then
    "$CXX" "${FLAGS[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" -c "$src" -o "$obj"
  fi
  LIB+=("$obj")
done
for t in "${TARGETS[@]}"; do
  "$CXX" "${FLAGS[@]}" "fuzz/$t.cc" "${LIB[@]}" -o "$OUT/$t"
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
