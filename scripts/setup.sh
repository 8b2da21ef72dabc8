#!/usr/bin/env bash
# Installs what the two builds and their tests need on Debian 12, run as root.
# Idempotent: installs only the packages that are missing and creates the
# Wine prefix once.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3 python3-pil python3-markdown
  googletest libgtest-dev libbenchmark-dev libstb-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32 xvfb xauth
  g++-multilib qemu-user
  clang libclang-rt-14-dev
  python3-numpy ffmpeg opencv-doc python3-skimage fonts-dejavu-core
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  echo "setup: installing ${missing[*]:-(package lists)}" >&2
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails one index now and then: try again, then go
  # on with the lists that came (the install below says if a package is missing).
  for attempt in 1 2 3; do
    apt-get update -q && break
    echo "setup: package lists incomplete (attempt $attempt)" >&2
    sleep $((attempt * 10))
  done
  [ ${#missing[@]} -gt 0 ] && apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The posix-thread flavour of the cross compiler is the one the toolchain file names.
command -v i686-w64-mingw32-g++-posix >/dev/null

# One Wine prefix for the tests, made once.
source "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup: creating the Wine prefix $WINEPREFIX" >&2
  env LC_ALL=ru_RU.UTF-8 wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
