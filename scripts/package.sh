#!/usr/bin/env bash
# Makes the release package for Windows viewers: the 32-bit DLL of a win32
# build, stripped of its debug information, with the user guides, a readme
# with the terms, and SHA-256 sums (packaging/package.py says what is in it):
#   OUT_DIR/KRD_Kestrimo-<version>-win32.zip and its .sha256 beside it.
# Builds the win32-tool preset first when WIN32_BUILD_DIR has no DLL.
# Usage: scripts/package.sh [WIN32_BUILD_DIR [OUT_DIR]]   (default build/win32-tool, out)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build=${1:-$root/build/win32-tool}
out=${2:-$root/out}

if [ ! -f "$build/KRD_Kestrimo.dll" ]; then
  cmake --preset win32-tool -B "$build" >/dev/null
  cmake --build "$build" --target KRD_Kestrimo
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
i686-w64-mingw32-strip --strip-all -o "$work/KRD_Kestrimo.dll" "$build/KRD_Kestrimo.dll"
# The entries carry the time of the commit the package is made from.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
SOURCE_DATE_EPOCH=$stamp /usr/bin/python3 "$root/packaging/package.py" \
  --dll "$work/KRD_Kestrimo.dll" --version "$version" --docs "$root/docs" --out "$out"
