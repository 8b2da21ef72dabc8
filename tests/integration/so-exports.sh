#!/usr/bin/env bash
# The native library exports the same two names as the DLL, and nothing else.
set -euo pipefail
library="$1"
exported=$(nm -D --defined-only "$library" | awk '{print $3}' | sort | tr '\n' ' ')
expected="Telvaro_Plugin_PR Telvaro_Plugin_Version "
if [ "$exported" != "$expected" ]; then
  echo "exports of $library: '$exported', expected '$expected'" >&2
  exit 1
fi
echo "$library exports exactly: $exported"
