#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root) and runs the test stages asked
# for, each timed; all of them by default, in this order:
#   native  the native build and its tests
#   win32   the 32-bit Windows build, its tests under Wine (windows on Xvfb)
#   main    the main job's steps (scripts/main-steps.sh) on the native and
#           win32 builds: a real clip's logo found and taken out by both,
#           results and figures in out/ (the videos deleted once it passes);
#           builds kestrimo-host there first if the two stages did not run;
#           then the README's quick start as written
#   i686    the 32-bit Linux build, its unit and end-to-end tests under qemu
#           as a processor with SSE but no SSE2 (see the i686 test preset)
#   asan    the native build under AddressSanitizer and UndefinedBehaviorSanitizer
#   tsan    the native build under ThreadSanitizer, less the few tests its
#           runtime cannot host (see the tsan test preset's description)
#   fuzz    the libFuzzer targets, each for a bounded time over its seed corpus
#
#   bash scripts/test.sh              every stage
#   bash scripts/test.sh native win32
set -euo pipefail
cd "$(dirname "$0")/.."

all_stages=(native win32 main i686 asan tsan fuzz)
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=("${all_stages[@]}")
for stage in "${stages[@]}"; do
  [[ " ${all_stages[*]} " == *" $stage "* ]] || { echo "test: no stage '$stage' (${all_stages[*]})" >&2; exit 2; }
done

bash scripts/setup.sh

preset_stage() {
  cmake --preset "$1"
  cmake --build --preset "$1"
  ctest --preset "$1"
}

# The builds of the native and win32 stages (KESTRIMO_BUILD_ROOT, default
# build, holds them), with kestrimo-host and the plug-in built if missing.
main_stage() {
  local root=${KESTRIMO_BUILD_ROOT:-build} preset
  for preset in native win32; do
    [ -f "$root/$preset/CMakeCache.txt" ] || cmake --preset "$preset" -B "$root/$preset"
    cmake --build "$root/$preset" --target kestrimo-host
  done
  bash scripts/main-steps.sh --drop-clips "$root/native" "$root/win32"
  # The README's quick start, run as written (it builds the tool preset).
  bash tests/tools/readme-quick-start.sh
}

run_stage() {
  case "$1" in
    native|i686|asan|tsan) preset_stage "$1" ;;
    # Wine gets a virtual display for the tests that open windows.
    win32) cmake --preset win32 && cmake --build --preset win32 && xvfb-run -a ctest --preset win32 ;;
    main) main_stage ;;
    fuzz) bash scripts/fuzz.sh 30 ;;
  esac
}

times=()
for stage in "${stages[@]}"; do
  start=$SECONDS
  echo "test: stage $stage" >&2
  run_stage "$stage"
  times+=("$stage $((SECONDS - start)) s")
  echo "test: stage $stage passed in $((SECONDS - start)) s" >&2
done
printf 'test: %s\n' "${times[@]}" >&2
