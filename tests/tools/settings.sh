#!/usr/bin/env bash
# End to end: kestrimo-host --settings with the real plug-in removes the
# generated clip's logo, puts the plug-in's own settings back, leaves the
# given file alone (or, with --save-settings, replaces it, keeping the file
# names it gives), and writes a before/after snapshot. A run that is stopped
# by a closed terminal or killed outright leaves nothing that a later run
# would use silently, and two runs in one program folder do not mix.
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
  [ ! -e "$own.kestrimo-host-run" ] || fail "the run's marker is left behind"
}
# start_held ARGS...: a run in the background that has placed its settings
# and processed the first frame of clip.y4m, waiting for the rest until
# `release`; its process id in $held.
start_held() {
  rm -f go held.y4m
  trap 'touch go' EXIT  # a failed check lets a held run end too
  local first=$(( $(head -1 clip.y4m | wc -c) + 6 + 720 * 576 * 2 ))
  # The tool itself last in the pipeline (not a function, which would run
  # in a subshell of its own), so that $! is its process.
  { head -c $first clip.y4m; while [ ! -e go ]; do sleep 0.1; done; tail -c +$((first + 1)) clip.y4m; } |
    "${runner[@]}" "$exe" "$@" -o held.y4m 2> held.txt &
  held=$!
  for _ in $(seq 300); do
    [ -s held.y4m ] && return 0
    sleep 0.1
  done
  fail "the held run did not start: $(cat held.txt)"
}
release() { touch go; }

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
    "$python" "$check" user/logo.ini clip.y4m out.y4m y4m 720 576
    # File names the plug-in could not load this time stay in the user's file.
    printf '[COMMON]\r\n[1]\r\nMaskFileName=%s\r\nLogoModelFile=%s\r\nProcEnable=1\r\n' \
      "$PWD/away/logo.bmp" "$PWD/away/logo-model.bmp" > user/away.ini
    run -i clip.y4m -o out.y4m --settings user/away.ini --save-settings 2> err.txt
    tr -d '\r' < user/away.ini > away.txt
    grep -q "^MaskFileName=$PWD/away/logo.bmp$" away.txt || fail "picture dropped: $(cat away.txt)"
    grep -q "^LogoModelFile=$PWD/away/logo-model.bmp$" away.txt || fail "model dropped: $(cat away.txt)"
    grep -q '^ColorKey=16744448' away.txt || fail "not the plug-in's save: $(cat away.txt)" ;;
  settings-leftover)
    "$python" "$make_clip" --frames 3 clip.y4m
    printf '[COMMON]\r\n[2]\r\nProcEnable=1\r\n' > user/other.ini
    # A second run while one is under way: refused, and the first one's
    # settings do not stay, with or without a file of the plug-in's own.
    for own_file in yes no; do
      rm -rf Plugins
      [ $own_file = no ] || make_own
      start_held --settings user/logo.ini
      rc=0
      run -i clip.y4m -o second.y4m --settings user/other.ini 2> err.txt || rc=$?
      [ $rc -eq 1 ] && grep -q "another kestrimo-host run" err.txt || fail "second run: exit $rc, $(cat err.txt)"
      release
      wait $held || fail "the held run failed: $(cat held.txt)"
      if [ $own_file = yes ]; then own_back; else [ ! -e Plugins ] || fail "Plugins left: $(ls -a Plugins)"; fi
    done
    # Killed outright: the next run puts the plug-in's own file back first.
    for own_file in yes no; do
      rm -rf Plugins
      [ $own_file = no ] || make_own
      start_held --settings user/logo.ini
      kill -KILL $held
      release
      wait $held 2> /dev/null || true
      same logo.given "$own"
      run -i clip.y4m -o out.y4m 2> err.txt || fail "run after a kill: $(cat err.txt)"
      grep -q "earlier run was stopped" err.txt || fail "nothing told: $(cat err.txt)"
      if [ $own_file = yes ]; then own_back; else [ ! -e Plugins ] || fail "Plugins left: $(ls -a Plugins)"; fi
    done
    # The terminal closed (SIGHUP, natively): stopped as by Ctrl-C, all put back.
    if [ ${#runner[@]} -eq 0 ]; then
      make_own
      start_held --settings user/logo.ini
      kill -HUP $held
      release
      rc=0
      wait $held || rc=$?
      [ $rc -eq 1 ] && grep -q interrupted held.txt || fail "SIGHUP: exit $rc, $(cat held.txt)"
      own_back
    fi ;;
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
