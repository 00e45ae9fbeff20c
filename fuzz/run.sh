#!/usr/bin/env bash
# Runs every fuzz target for a bounded time from our own seeds.
#   fuzz/run.sh BUILD_DIR SECONDS
# The growing corpora live in fuzz/corpus-run/<target> (not committed);
# crashes land there too, as crash-* files. Fails when any target fails.
set -uo pipefail
build=${1:?build folder}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
seeds="$build/fuzz-seeds"
rm -rf "$seeds"
"$build/fuzz_seeds" "$seeds" || exit 1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for target in fuzz_3ds fuzz_spline_text fuzz_spline_binary fuzz_bmp fuzz_tga fuzz_jpeg; do
  corpus="$here/corpus-run/$target"
  mkdir -p "$corpus"
  echo "== $target: ${seconds}s"
  if ! "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix="$corpus/" -print_final_stats=1 "$corpus" "$seeds/$target" 2>"$corpus.log"; then
    tail -n 40 "$corpus.log"
    failed+=("$target")
  else
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units)' "$corpus.log" | tail -n 2
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets failed: ${failed[*]}"
  exit 1
fi
echo "every fuzz target ran clean"
