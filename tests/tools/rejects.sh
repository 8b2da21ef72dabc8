#!/usr/bin/env bash
# End to end: what kestrimo-host refuses, with a message and the right exit code.
# usage: rejects.sh HOST PLUGIN NOT_A_PLUGIN OLD_PLUGIN WORKDIR [RUNNER...]
# PLUGIN is a working (stand-in) plug-in; NOT_A_PLUGIN lacks the two exports;
# OLD_PLUGIN reports another interface version.
set -euo pipefail
host=$1 plugin=$2 not_plugin=$3 old_plugin=$4 work=$5
shift 5
runner=("$@")

rm -rf "$work"
mkdir -p "$work"
cp "$host" "$plugin" "$not_plugin" "$old_plugin" "$work/"
cd "$work"
exe=./$(basename "$host")
good=./$(basename "$plugin")
printf 'plain text, no library\n' > text.dll
printf 'YUV4MPEG2 W64 H48 C420jpeg\nFRAME\n' > c420.y4m
printf 'raw bytes' > raw.bin

failures=0
# expect CODE WORDS ARGS...: the run exits with CODE and stderr holds WORDS.
expect() {
  local code=$1 words=$2 rc=0
  shift 2
  "${runner[@]}" "$exe" "$@" < /dev/null > out.bin 2> err.txt || rc=$?
  if [ $rc -ne "$code" ] || ! grep -qi -- "$words" err.txt; then
    echo "FAIL: $* -> exit $rc, expected $code with '$words'; stderr: $(cat err.txt)" >&2
    failures=$((failures + 1))
  fi
}

expect 1 "Telvaro_Plugin_Version" --plugin "./$(basename "$not_plugin")" -i c420.y4m
expect 1 "version 2" --plugin "./$(basename "$old_plugin")" -i c420.y4m
expect 1 "cannot load" --plugin ./text.dll -i c420.y4m
expect 1 "cannot load" --plugin ./missing.dll -i c420.y4m
expect 1 "4:2:2" --plugin "$good" -i c420.y4m
expect 1 "cannot open input" --plugin "$good" -i missing.y4m
expect 1 "cannot create output" --plugin "$good" --format bgr24 --size 2x2 -i raw.bin -o no/such/dir/out
expect 2 "--format" --plugin "$good" -i raw.bin
expect 2 "--size" --plugin "$good" --format bgr24 -i raw.bin
expect 2 "bad --size" --format bgr24 --size 0x5
expect 2 "unknown format" --format rgb48
expect 2 "unknown option" --frobnicate

[ $failures -eq 0 ] || exit 1
echo "ok: rejects"
