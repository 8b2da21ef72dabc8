#!/usr/bin/env bash
# End to end: kestrimo-host --settings with the real plug-in removes the
# generated clip's logo, puts the plug-in's own settings back, leaves the
# given file alone (or, with --save-settings, replaces it), and writes a
# before/after snapshot.
# usage: settings.sh CASE HOST PLUGIN PYTHON MAKE_CLIP CHECK WORKDIR [RUNNER...]
# The host and the plug-in are copied into WORKDIR, whose Plugins folder is
# where the plug-in keeps its settings file.
set -euo pipefail
case_name=$1 host=$2 plugin=$3 python=$4 make_clip=$5 check=$6 work=$7
shift 7
runner=("$@")

rm -rf "$work"
mkdir -p "$work/user"
cp "$host" "$plugin" "$work/"
cd "$work"
unset TELVARO_STORE_IN_USERS_FOLDER
exe=./$(basename "$host")
own=Plugins/KRD_Kestrimo.ini
backup=$own.kestrimo-host-backup

run() { "${runner[@]}" "$exe" "$@"; }
fail() { echo "FAIL ($case_name): $*" >&2; exit 1; }
same() { cmp -s "$1" "$2" || fail "$2 differs from $1"; }

# Channel 1: a 76 x 66 frame area centred on (110, 95), around the logo at
# x 80..140, y 70..120 of a 720 x 576 clip. The first line is a section of
# its own: a section on the file's first line is not read as a channel.
printf '[COMMON]\r\n[1]\r\nMaskPosX=117\r\nMaskPosY=95\r\nRectMaskSizeX=81\r\nRectMaskSizeY=66\r\nProcEnable=1\r\n' \
  > user/logo.ini
cp user/logo.ini logo.given
make_own() { mkdir -p Plugins; printf '[COMMON]\r\nDlgWndPosX=7\r\n' > "$own"; cp "$own" own.given; }
own_back() {
  same own.given "$own"
  [ ! -e "$backup" ] || fail "the backup is left behind"
}

case $case_name in
  settings-y4m)
    make_own
    "$python" "$make_clip" --frames 6 clip.y4m
    cat clip.y4m | run --settings user/logo.ini --snapshot 4:snap.png -inst: | cat > out.y4m
    own_back
    same logo.given user/logo.ini
    "$python" "$check" user/logo.ini clip.y4m out.y4m y4m 720 576 snap.png ;;
  settings-bgr24)
    # No settings folder before: none after.
    "$python" "$make_clip" --frames 4 --format bgr24 clip.bgr
    run --format bgr24 --size 720x576 -i clip.bgr -o out.bgr --settings user/logo.ini \
      --snapshot 0:first.png --snapshot 3:last.png
    [ ! -e Plugins ] || fail "the Plugins folder made for the run is left behind"
    same logo.given user/logo.ini
    "$python" "$check" user/logo.ini clip.bgr out.bgr bgr24 720 576 last.png
    "$python" "$check" user/logo.ini clip.bgr out.bgr bgr24 720 576 first.png ;;
  settings-save)
    make_own
    "$python" "$make_clip" --frames 2 clip.y4m
    run -i clip.y4m -o out.y4m --settings user/logo.ini --save-settings
    own_back
    # The plug-in's save: COMMON with the window position, channel 1 with every key.
    grep -q '^DlgWndPosX=-100' user/logo.ini || fail "user file not rewritten: $(cat user/logo.ini)"
    grep -q '^ProcEnable=1' user/logo.ini || fail "channel 1 lost its setting"
    grep -q '^ColorKey=16744448' user/logo.ini || fail "channel 1 saved without its defaults"
    [ "$(ls user)" = logo.ini ] || fail "files left beside the user's file: $(ls user)"
    "$python" "$check" user/logo.ini clip.y4m out.y4m y4m 720 576 ;;
  settings-refuse)
    "$python" "$make_clip" --frames 2 clip.y4m
    # A backup left by a killed run: refused, nothing touched, no output made.
    make_own
    printf 'original\r\n' > "$backup"
    rc=0
    run -i clip.y4m -o out.y4m --settings user/logo.ini 2> err.txt || rc=$?
    [ $rc -eq 1 ] || fail "exit code $rc with a backup present"
    grep -q "move it back" err.txt || fail "no advice: $(cat err.txt)"
    [ "$(cat "$backup")" = "$(printf 'original\r\n')" ] || fail "the backup was touched"
    same own.given "$own"
    [ ! -e out.y4m ] || fail "output made although the settings were refused"
    rm "$backup"
    rc=0
    run -i clip.y4m -o out.y4m --settings user/missing.ini 2> err.txt || rc=$?
    [ $rc -eq 1 ] && grep -q "missing.ini" err.txt || fail "missing file: exit $rc, $(cat err.txt)"
    own_back
    # A snapshot beyond the end: the video is whole, the run reports the miss.
    rc=0
    run -i clip.y4m -o out.y4m --snapshot 5:late.png 2> err.txt || rc=$?
    [ $rc -eq 1 ] && grep -q "late.png" err.txt || fail "missed snapshot: exit $rc, $(cat err.txt)"
    same clip.y4m out.y4m
    [ ! -e late.png ] || fail "late.png written" ;;
  *)
    fail "unknown case" ;;
esac
# Passed: the videos go, the texts stay for a look.
rm -f -- *.y4m *.bgr *.yuv "$(basename "$host")" "$(basename "$plugin")"
echo "ok: $case_name"
