#!/usr/bin/env bash
# End to end: kestrimo-host detect finds the generated clip's logo, writes a
# mask picture, an overlay and the settings (printed or stored in a settings
# file), and the plug-in run with those settings removes the logo; clips
# without a logo (exit 1) or that cannot tell one from the picture (exit 4)
# are refused with a message.
# usage: detect.sh CASE HOST PLUGIN PYTHON MAKE_CLIP CHECK WORKDIR [RUNNER...]
set -euo pipefail
case_name=$1 host=$2 plugin=$3 python=$4 make_clip=$5 check=$6 work=$7
shift 7
runner=("$@")

rm -rf "$work"
mkdir -p "$work"
cp "$host" "$plugin" "$work/"
cd "$work"
unset TELVARO_STORE_IN_USERS_FOLDER
exe=./$(basename "$host")

run() { "${runner[@]}" "$exe" "$@"; }
fail() { echo "FAIL ($case_name): $*" >&2; exit 1; }
magic() { [ "$(head -c ${#2} "$1")" = "$2" ] || fail "$1 is not a $3 file"; }
# expect CODE WORDS ARGS...: detect exits with CODE and stderr holds WORDS.
expect() {
  local code=$1 words=$2 rc=0
  shift 2
  run detect "$@" > out.txt 2> err.txt || rc=$?
  [ $rc -eq "$code" ] || fail "exit $rc, not $code, for $*: $(cat err.txt)"
  grep -q "$words" err.txt || fail "no '$words' for $*: $(cat err.txt)"
}

case $case_name in
  detect-print)
    "$python" "$make_clip" --frames 80 clip.y4m
    expect 0 "covers 100.0% of the logo" -i clip.y4m --mask logo.bmp --overlay overlay.png \
      --model model.png
    magic logo.bmp BM bitmap
    magic overlay.png $'\x89PNG' PNG
    magic model.png $'\x89PNG' PNG
    # The Windows build prints its lines with CR LF.
    tr -d '\r' < out.txt | grep -q '^MaskFileName=.*logo.bmp$' || fail "no picture in: $(cat out.txt)"
    # No model file is written here; the rebuild from earlier frames needs none.
    tr -d '\r' < out.txt | grep -q '^LogoSeeThrough=1$' || fail "no LogoSeeThrough: $(cat out.txt)"
    # Saved as it is printed, it works: a first-line section is never a channel.
    [ "$(head -1 out.txt | tr -d '\r')" = "[COMMON]" ] || fail "not [COMMON] first: $(cat out.txt)"
    cp out.txt logo.ini
    run --settings logo.ini -i clip.y4m -o out.y4m
    "$python" "$check" logo.ini clip.y4m out.y4m y4m 720 576 ;;
  detect-write)
    # Every third frame: the drawn gradient drifts a few levels a frame, too
    # little from one frame to the next to count as the picture changing.
    "$python" "$make_clip" --frames 48 --format bgr24 clip.bgr
    printf '[COMMON]\r\n[5]\r\nMaskPosX=300\r\nProcEnable=1\r\n[1]\r\nOpacity=20\r\nScreenBlur=2\r\n' > user.ini
    expect 0 "channel 1 of user.ini now uses the mask" \
      --format bgr24 --size 720x576 -i clip.bgr --write 1 --settings user.ini --key 255 --step 3
    [ ! -s out.txt ] || fail "settings printed although written: $(cat out.txt)"
    tr -d '\r' < user.ini > user.txt
    grep -A14 '^\[5\]' user.txt | grep -q '^MaskPosX=300$' || fail "channel 5 changed: $(cat user.txt)"
    grep -A14 '^\[1\]' user.txt | grep -q '^ScreenBlur=2$' || fail "channel 1 lost a value: $(cat user.txt)"
    grep -A14 '^\[1\]' user.txt | grep -q '^ColorKey=255$' || fail "no key colour: $(cat user.txt)"
    # The logo model beside the mask picture, named in the channel.
    grep -A16 '^\[1\]' user.txt | grep -q '^LogoModelFile=.*logo-model\.bmp$' ||
      fail "no logo model: $(cat user.txt)"
    magic logo-model.bmp BM bitmap
    run --settings user.ini --format bgr24 --size 720x576 -i clip.bgr -o out.bgr
    "$python" "$check" user.ini clip.bgr out.bgr bgr24 720 576 ;;
  detect-refuse)
    "$python" "$make_clip" --frames 40 clip.y4m
    expect 4 "too few frames" -i clip.y4m --frames 10
    # One frame over and over: nothing moves.
    "$python" - clip.y4m still.y4m <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
header, rest = data.split(b"\n", 1)
frame = rest[:rest.index(b"FRAME", 1)]
open(sys.argv[2], "wb").write(header + b"\n" + frame * 80)
PY
    expect 4 "still camera" -i still.y4m --mask still.bmp
    [ ! -e still.bmp ] || fail "a picture was written for a still clip"
    # Noise everywhere: nothing stays still.
    "$python" - noise.y4m <<'PY'
import random, sys
random.seed(5)
with open(sys.argv[1], "wb") as out:
    out.write(b"YUV4MPEG2 W160 H120 F25:1 C422\n")
    for _ in range(200):
        out.write(b"FRAME\n" + random.randbytes(160 * 120 * 2))
PY
    expect 1 "no logo" -i noise.y4m --mask noise.bmp
    expect 3 "cannot open input" -i missing.y4m
    [ ! -e noise.bmp ] || fail "a picture was written although no logo was found"
    expect 2 "needs --size" --format yuyv422 -i clip.y4m
    expect 2 "too large" --format yuyv422 --size 8192x4098 -i clip.y4m ;;
  *)
    fail "unknown case" ;;
esac
# Passed: the videos go, the texts stay for a look.
rm -f -- *.y4m *.bgr *.yuv "$(basename "$host")" "$(basename "$plugin")"
echo "ok: $case_name"
