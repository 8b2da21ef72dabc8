#!/usr/bin/env bash
# Pictures of the About box and of the settings window as template 5000 builds
# it (with the icons the window puts on its buttons), made from the library's
# resources under Wine on a virtual display, and of the live settings window
# opened through the library's exports (processing on, with a mask picture):
#   docs/about-box.png, docs/settings-window-template.png, docs/settings-window.png,
# and of a logo search on a real-picture clip, while it collects and after it found:
#   docs/settings-window-finding.png, docs/settings-window-found.png
#
# With --guide, the pictures of the user guides instead: the live window as a
# viewer sees it, the host program and the library installed as a viewer
# installs them, in C:\Program Files\Telvaro with the DLL in its Plugins
# folder (a folder made in the Wine prefix's drive C: for the run and removed
# after it), so that the paths the window shows are a viewer's:
#   docs/guide-settings-window.png, docs/guide-finding.png, docs/guide-found.png
#
# Usage: scripts/screenshot-dialogs.sh [--guide] [WIN32_BUILD_DIR]   (default build/win32)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
guide=0
if [ "${1:-}" = "--guide" ]; then
  guide=1
  shift
fi
build="$(cd "${1:-$root/build/win32}" && pwd)"
captures="$(mktemp -d)"
program_dir=""
cleanup() {
  rm -rf "$captures"
  if [ -n "$program_dir" ]; then rm -rf "$program_dir"; fi
}
trap cleanup EXIT

# Wine sees the Linux root as drive Z:.
windows_captures="Z:${captures//\//\\}"
settings_window_dir="$build/tests/ui/windows/settingswindow"
library=KRD_Kestrimo.dll
if [ "$guide" = 1 ]; then
  source "$root/scripts/wine-env.sh"
  telvaro="$WINEPREFIX/drive_c/Program Files/Telvaro"
  if [ -e "$telvaro" ]; then
    echo "screenshot-dialogs: $telvaro is there already; remove it first" >&2
    exit 1
  fi
  program_dir="$telvaro"
  mkdir -p "$program_dir/Plugins"
  cp "$settings_window_dir/kestrimo_settings_window_test.exe" "$program_dir/"
  cp "$build/KRD_Kestrimo.dll" "$program_dir/Plugins/"
  settings_window_dir="$program_dir"
  library='C:\Program Files\Telvaro\Plugins\KRD_Kestrimo.dll'
else
  tests="AboutBox.ShowsTheNameTheVersionAndTheEmblem"
  tests+=":SettingsWindowFromResources.IconButtonsTakeTheirIcons"
  (cd "$build" && xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-run.sh" \
    kestrimo_window_tests.exe --library=KRD_Kestrimo.dll --capture-dir="$windows_captures" \
    --gtest_filter="$tests")
fi
(cd "$settings_window_dir" && xvfb-run -a -s "-screen 0 1024x768x24" \
  "$root/scripts/wine-run.sh" kestrimo_settings_window_test.exe --library="$library" \
  --capture-dir="$windows_captures" \
  --gtest_filter=SettingsWindow.EnableStatesFollowProcessingPictureAndShowMask)
clips="$captures/clips"
/usr/bin/python3 "$root/tests/detect/make-logo-corpus.py" --cases film-sd-mark-tl \
  --frames 340 --out "$clips" > /dev/null
(cd "$settings_window_dir" && KESTRIMO_LOGO_CLIPS="$clips" \
  xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-run.sh" \
  kestrimo_settings_window_test.exe --library="$library" \
  --capture-dir="$windows_captures" --gtest_filter=LogoSearch.FindsTheLogoOfAFilmAndHidesIt)

# 24-bit bottom-up BMP to PNG, with Pillow (Debian's python3-pil).
/usr/bin/python3 - "$captures" "$root/docs" "$guide" <<'PY'
import os, sys
from PIL import Image

def bmp_to_png(source, target):
    with Image.open(source) as picture:
        picture.convert("RGB").save(target, optimize=True)
        print(f"{target}: {picture.width} x {picture.height}")

captures, docs, guide = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
if guide:
    names = {"settings-window": "guide-settings-window",
             "settings-window-finding": "guide-finding",
             "settings-window-found": "guide-found"}
else:
    names = {name: name for name in ("about-box", "settings-window-template", "settings-window",
                                     "settings-window-finding", "settings-window-found")}
for capture, picture in names.items():
    bmp_to_png(os.path.join(captures, capture + ".bmp"), os.path.join(docs, picture + ".png"))
PY
