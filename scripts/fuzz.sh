#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, -fsanitize=fuzzer,address,undefined) and
# runs each over its seed corpus, then prints per target the executions, the
# edges reached and the findings. Exits non-zero when any target finds anything.
#
#   scripts/fuzz.sh [--seconds S | --runs N] [target ...]
#
#   --seconds S   run each target for S seconds (default 60)
#   --runs N      run each target over its corpus plus N new inputs (used by CI)
#   target        fuzz_fast_reader, fuzz_writer, ... (default: all)
#
# Seeds are read from fuzz/corpus/<corpus>/ (committed files); new inputs go to build-fuzz/corpus/<target>/
# and the findings of the last run to build-fuzz/findings/<target>/ (copy a finding into
# the seed corpus once it is fixed, so that every later run replays it).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh

seconds=60 runs="" targets=()
while (( $# )); do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

declare -A corpus_of=(
  [fuzz_fast_reader]=maps [fuzz_mem_reader]=maps [fuzz_edit_reader]=maps
  [fuzz_prj]=project [fuzz_colorlib]=colorlib [fuzz_legend]=legend
  [fuzz_symbol]=symbol [fuzz_writer]=writer [fuzz_feature_reader]=maps [fuzz_geojson_import]=geojson)
(( ${#targets[@]} )) || targets=(fuzz_fast_reader fuzz_mem_reader fuzz_edit_reader fuzz_prj
                                 fuzz_colorlib fuzz_legend fuzz_symbol fuzz_writer fuzz_feature_reader
                                 fuzz_geojson_import)

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERRIX_BUILD_FUZZ=ON \
  -DTERRIX_BUILD_TESTS=OFF -DTERRIX_BUILD_TOOLS=ON -DTERRIX_BUILD_GDAL=OFF > /dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
limits=(-rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=25 -print_final_stats=1)
if [[ -n "$runs" ]]; then limits+=(-runs="$runs" -max_total_time=300); else limits+=(-max_total_time="$seconds"); fi

failed=0
printf '%-18s %12s %8s %8s %9s\n' target executions edges features findings > "$build/fuzz-summary.txt"
for t in "${targets[@]}"; do
  seeds_dir="fuzz/corpus/${corpus_of[$t]}"
  work="$build/corpus/$t" findings="$build/findings/$t" log="$build/logs/$t.log"
  rm -rf "$findings"  # findings of an earlier run are not this run's
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  echo "== $t over $seeds_dir ($(ls "$seeds_dir" | wc -l) seeds)"
  status=0
  "$build/fuzz/$t" "${limits[@]}" -artifact_prefix="$findings/" "$work" "$seeds_dir" > "$log" 2>&1 || status=$?
  # A target that fails on its first input prints no statistics: "?" then.
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  found=$(find "$findings" -type f | wc -l)
  printf '%-18s %12s %8s %8s %9s\n' "$t" "${execs:-?}" "${edges:-?}" "${features:-?}" "$found" >> "$build/fuzz-summary.txt"
  if (( status != 0 || found > 0 )); then
    failed=1
    echo "$t: exit status $status, findings in $findings; the report:"
    grep -A40 -m1 'ERROR\|finding:\|answered the unknown\|runtime error' "$log" || tail -40 "$log"
  fi
done
cat "$build/fuzz-summary.txt"
exit $failed
