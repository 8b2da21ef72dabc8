#!/usr/bin/env bash
# The emulated processor of the i686 tests runs SSE and stops on SSE2: the
# probe's SSE instructions run, its one SSE2 instruction ends it with SIGILL.
# Without this, a test run that never met an SSE2 instruction would prove
# nothing.
# Usage: check-emulated-cpu.sh PROBE EMULATOR...
set -uo pipefail
probe=$1
shift
ulimit -c 0

if ! "$@" "$probe" sse >/dev/null; then
  echo "the emulated processor refuses the probe's SSE instructions" >&2
  exit 1
fi
"$@" "$probe" sse2 >/dev/null 2>&1
status=$?
if [ "$status" -ne $((128 + 4)) ]; then
  echo "the probe's SSE2 instruction ended with status $status, not SIGILL" >&2
  exit 1
fi
echo "the emulated processor runs SSE and stops on SSE2 with SIGILL"
