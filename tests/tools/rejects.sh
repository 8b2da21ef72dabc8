#!/usr/bin/env bash
# End to end: what kestrimo-host refuses or warns of, with a message that
# points the right way and the right exit code; no row changes a file it was
# given or leaves an output behind a refusal, and no message line is told twice.
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
# 4:2:2 frames of 64 x 48, grey.
frames() { printf 'YUV4MPEG2 W64 H48 F25:1 C422\n'; for _ in $(seq "$1"); do printf 'FRAME\n'; head -c 6144 /dev/zero | tr '\0' '\200'; done; }
frames 2 > c422.y4m
frames 120 > long.y4m
ln -s c422.y4m link.y4m
ln c422.y4m hard.y4m
mkdir -p sub && ln -s ../c422.y4m sub/back.y4m
printf 'YUV4MPEG2 W63 H48 C422\nFRAME\n' > odd.y4m
printf '\0\0\0\x20ftypisom\0\0\2\0isomiso2avc1mp41' > clip.mp4
printf '\x1a\x45\xdf\xa3\x9f\x42\x86\x81\x01' > clip.mkv
: > empty.y4m
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' > pic.png
printf 'BM\x46\0\0\0\0\0\0\0\x36\0\0\0' > pic.bmp
printf '[COMMON]\n[1]\nProcEnable=1\nMaskFileName=%s/gone.bmp\n' "$PWD" > nomask.ini
printf '[COMMON]\n[1]\nProcEnable=1\nRectMaskSizeX=20000\nRectMaskSizeY=60\n' > huge.ini
LC_ALL=C awk 'BEGIN { srand(7); for (i = 0; i < 300; i++) printf "%c", int(rand() * 256) }' > random.ini
printf '\xff\xfe[\0C\0O\0M\0M\0O\0N\0]\0\r\0\n\0' > utf16.ini
given=(c422.y4m long.y4m odd.y4m clip.mp4 clip.mkv pic.png pic.bmp nomask.ini huge.ini random.ini utf16.ini)
sums=$(cksum "${given[@]}")

failures=0
absent=
stdout=file
# expect CODE WORDS ARGS...: the run exits with CODE and stderr holds WORDS
# (and not $absent, when set for the row).
expect() {
  local code=$1 words=$2 rc=0 problem=
  shift 2
  rm -f out.y4m
  if [ "$stdout" = closed ]; then
    "${runner[@]}" "$exe" "$@" < /dev/null 2> err.txt | head -c 1 > /dev/null || rc=$?
  else
    "${runner[@]}" "$exe" "$@" < /dev/null > out.bin 2> err.txt || rc=$?
  fi
  if [ $rc -ne "$code" ] || ! grep -qi -- "$words" err.txt; then
    problem="expected exit $code with '$words'"
  elif [ -n "$absent" ] && grep -qi -- "$absent" err.txt; then
    problem="'$absent' is told"
  elif [ -n "$(tr -d '\r' < err.txt | sort | uniq -d)" ]; then
    problem="a line is told twice"
  elif [ "$(cksum "${given[@]}")" != "$sums" ]; then
    problem="a given file changed"
  elif [ $rc -ne 0 ] && [ -e out.y4m ]; then
    problem="an output was made"
  fi
  if [ -n "$problem" ]; then
    echo "FAIL: $* -> exit $rc: $problem; stderr: $(cat err.txt)" >&2
    failures=$((failures + 1))
  fi
  absent= stdout=file
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
# The output is the input under any name: refused before it is opened.
expect 2 "same file as" --plugin "$good" -i c422.y4m -o c422.y4m
expect 2 "same file as" --plugin "$good" -i c422.y4m -o link.y4m
expect 2 "same file as" --plugin "$good" -i hard.y4m -o c422.y4m
expect 2 "same file as" --plugin "$good" -i sub/back.y4m -o ./hard.y4m
# Not a settings file: --save-settings and detect --write leave it as it is.
expect 1 "not a settings file (a PNG" --plugin "$good" --settings pic.png --save-settings -i c422.y4m -o out.y4m
expect 1 "not a settings file (a BMP" --plugin "$good" --settings pic.bmp --save-settings -i c422.y4m -o out.y4m
expect 1 "not a settings file (a Y4M" --plugin "$good" --settings long.y4m --save-settings -i c422.y4m -o out.y4m
expect 1 "not a settings file (binary" --plugin "$good" --settings random.ini --save-settings -i c422.y4m -o out.y4m
expect 3 "not a settings file (a PNG" detect -i c422.y4m --write 1 --settings pic.png --mask m.bmp
# A snapshot that cannot be written: refused before a frame is processed.
expect 1 "snapshot no/such/dir/s.png" --plugin "$good" -i c422.y4m -o out.y4m --snapshot 1:no/such/dir/s.png
# Mistakes in the settings: the run goes on, with one warning line each.
expect 0 "gone.bmp does not exist" --plugin "$good" --settings nomask.ini -i c422.y4m -o out.y4m
expect 0 "RectMaskSizeX=20000 is larger" --plugin "$good" --settings huge.ini -i c422.y4m -o out.y4m
expect 0 "not a settings file (binary" --plugin "$good" --settings random.ini -i c422.y4m -o out.y4m
expect 0 "not a settings file (UTF-16" --plugin "$good" --settings utf16.ini -i c422.y4m -o out.y4m
# Messages that point the way out.
absent="--size"
expect 1 "decode it with ffmpeg first" --plugin "$good" -i clip.mp4
expect 1 "decode it with ffmpeg first" --plugin "$good" --format yuyv422 --size 64x48 -i clip.mkv
expect 1 "input is empty" --plugin "$good" -i empty.y4m
expect 1 "crop=62:48" --plugin "$good" -i odd.y4m
absent="smaller --step"
expect 4 "too few frames" detect -i c422.y4m --step 1
stdout=closed
expect 1 "cannot write" --plugin "$good" -i long.y4m

[ $failures -eq 0 ] || exit 1
echo "ok: rejects"
