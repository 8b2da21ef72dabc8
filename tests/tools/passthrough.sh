#!/usr/bin/env bash
# End to end: a generated clip through kestrimo-host and a plug-in library.
# usage: passthrough.sh CASE HOST PLUGIN PYTHON MAKE_CLIP WORKDIR [RUNNER...]
# The host and the plug-in are copied into WORKDIR, so the plug-in finds and
# writes its settings there and the host finds the plug-in beside itself.
set -euo pipefail
case_name=$1 host=$2 plugin=$3 python=$4 make_clip=$5 work=$6
shift 6
runner=("$@")

rm -rf "$work"
mkdir -p "$work"
cp "$host" "$plugin" "$work/"
cd "$work"
unset TELVARO_STORE_IN_USERS_FOLDER
exe=./$(basename "$host")
lib=./$(basename "$plugin")

run() { "${runner[@]}" "$exe" "$@"; }
fail() { echo "FAIL ($case_name): $*" >&2; exit 1; }
same() { cmp -s "$1" "$2" || fail "$2 differs from $1"; }

frames=12
case $case_name in
  y4m-pipe)
    "$python" "$make_clip" --frames $frames clip.y4m
    cat clip.y4m | run -inst:7 --channel 5 --name "test" | cat > out.y4m
    same clip.y4m out.y4m ;;
  y4m-file)
    "$python" "$make_clip" --frames $frames clip.y4m
    run -i clip.y4m -o out.y4m --switch 4:2 --switch 8:-3:other
    same clip.y4m out.y4m ;;
  bgr24)
    "$python" "$make_clip" --frames $frames --format bgr24 clip.bgr
    cat clip.bgr | run --format bgr24 --size 720x576 | cat > out.bgr
    same clip.bgr out.bgr ;;
  yuyv422)
    "$python" "$make_clip" --frames $frames --format yuyv422 clip.yuv
    run --format yuyv422 --size 720x576 -i clip.yuv -o out.yuv
    same clip.yuv out.yuv ;;
  truncated)
    "$python" "$make_clip" --frames 3 clip.y4m
    header=$(head -n 1 clip.y4m | wc -c)
    frame=$(( 6 + 720 * 576 * 2 ))
    head -c $(( header + 2 * frame + 1000 )) clip.y4m > cut.y4m
    head -c $(( header + 2 * frame )) clip.y4m > whole.y4m
    rc=0
    run -i cut.y4m -o out.y4m 2> err.txt || rc=$?
    [ $rc -eq 1 ] || fail "exit code $rc, expected 1"
    grep -q "frame 2" err.txt || fail "no report of the cut frame: $(cat err.txt)"
    same whole.y4m out.y4m ;;
  switches)
    # The recording stand-in: each frame's first byte is inverted, and the log
    # shows which channel every frame was sent for.
    "$python" "$make_clip" --frames 4 --width 64 --height 48 clip.y4m
    KESTRIMO_FAKE_PLUGIN_ECHO=1 run --plugin "$lib" -i clip.y4m -o out.y4m \
      --name "base" --switch 2:9:nine --switch 3:-4 --cpu-level 7 2> log.txt
    expected="version;descriptor;init;format 64x48 mode 0 cpu 7;frame 1 'base';frame 1 'base';"
    expected+="frame 9 'nine';frame -4 'base';done -4:1 424242:0;"
    grep -qF "$expected" log.txt || fail "plug-in saw: $(cat log.txt)"
    [ "$(wc -c < out.y4m)" -eq "$(wc -c < clip.y4m)" ] || fail "output size differs"
    cmp -s clip.y4m out.y4m && fail "the plug-in's changes are missing from the output"
    true ;;
  version)
    run --version | tr -d '\r' > version.txt
    tool=$(sed -n 's/^kestrimo-host \([0-9.]*\)$/\1/p' version.txt)
    [ -n "$tool" ] || fail "no tool version: $(cat version.txt)"
    # The plug-in's own record (the DLL's resource) says the same version.
    grep -qx "plug-in $tool (interface version 3): .*$(basename "$plugin")" version.txt ||
      fail "plug-in version: $(cat version.txt)" ;;
  first-run)
    # No settings: a notice, the summary, and no settings file left behind.
    "$python" "$make_clip" --frames $frames clip.y4m
    run -i clip.y4m -o out.y4m 2> err.txt
    same clip.y4m out.y4m
    [ ! -e Plugins ] || fail "a plain run left $(ls -R Plugins)"
    [ "$(grep -c 'removal is off for channel 1:' err.txt)" -eq 1 ] || fail "notice: $(cat err.txt)"
    grep -q -- '--settings FILE with ProcEnable=1' err.txt || fail "no advice: $(cat err.txt)"
    tail -n 1 err.txt | grep -q "^kestrimo-host: $frames frames in .* s (.* frames/s)" ||
      fail "no summary last: $(cat err.txt)"
    # The plug-in's own file switches channel 1 on: used, kept as it was, no
    # notice but for the channel it leaves off.
    mkdir Plugins
    printf '[COMMON]\r\n[1]\r\nProcEnable=1\r\n' > Plugins/KRD_Kestrimo.ini
    cp Plugins/KRD_Kestrimo.ini own.given
    run -i clip.y4m -o out.y4m 2> err.txt
    same own.given Plugins/KRD_Kestrimo.ini
    [ "$(ls Plugins)" = KRD_Kestrimo.ini ] || fail "files left in Plugins: $(ls Plugins)"
    grep -q 'removal is off' err.txt && fail "notice although removal is on: $(cat err.txt)"
    run -i clip.y4m -o out.y4m --switch 6:9 2> err.txt
    grep -q 'removal is off for channel 9:' err.txt || fail "no notice for channel 9: $(cat err.txt)"
    true ;;
  terminal)
    # A terminal cannot be faked under Wine: natively only, with script(1).
    if [ ${#runner[@]} -gt 0 ] || ! command -v script > /dev/null; then
      echo "skipped: no terminal here"; exit 77
    fi
    "$python" "$make_clip" --frames $frames clip.y4m
    rc=0
    script -qec "$exe -i clip.y4m" /dev/null > screen.txt || rc=$?
    [ $rc -eq 2 ] || fail "exit code $rc writing video to a terminal"
    grep -q -- "-o FILE" screen.txt || fail "no hint: $(cat screen.txt)"
    [ "$(wc -c < screen.txt)" -lt 1000 ] || fail "video on the terminal"
    # Progress on the terminal: frames, speed and, for a file, the time left.
    script -qec "$exe -i clip.y4m -o out.y4m" /dev/null > screen.txt
    grep -q "frame $frames of $frames (100%), .* frames/s, .* left" screen.txt ||
      fail "no progress: $(cat -v screen.txt)"
    same clip.y4m out.y4m ;;
  *)
    fail "unknown case" ;;
esac
# Passed: the videos go, the texts stay for a look.
rm -f -- *.y4m *.bgr *.yuv "$(basename "$host")" "$(basename "$plugin")"
echo "ok: $case_name"
