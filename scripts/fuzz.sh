#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) and runs each for SECONDS (default 30) over a copy of its seed
# corpus in fuzz/corpus/<target>/; new inputs go to the copy only. Prints the
# executions each target reached; exits non-zero when any target crashed,
# leaked or tripped a sanitizer (the crashing input is kept in the build
# folder and named in the output).
#
#   bash scripts/fuzz.sh [SECONDS]
#   KESTRIMO_FUZZ_BUILD=/tmp/somewhere bash scripts/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-30}
build=${KESTRIMO_FUZZ_BUILD:-$root/build/fuzz}
targets=(fuzz_settings fuzz_picture fuzz_settings_frame)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset fuzz -B "$build" "${launcher[@]}" >/dev/null
cmake --build "$build" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=0
for target in "${targets[@]}"; do
  work="$build/fuzz-run/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$root/fuzz/corpus/$target/"* "$work/corpus/"
  status=0
  "$build/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=3072 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" \
    >"$work/log" 2>&1 || status=$?
  runs=$(grep -E '^stat::number_of_executed_units:' "$work/log" | awk '{print $2}' | tail -1)
  echo "$target: ${runs:-0} executions in ${seconds} s"
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "$target FAILED (exit $status); log: $work/log" >&2
    grep -E 'ERROR|SUMMARY|differs|Test unit written' "$work/log" >&2 || tail -20 "$work/log" >&2
  fi
done
exit "$failed"
