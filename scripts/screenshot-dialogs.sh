#!/usr/bin/env bash
# Pictures of the About box and of the settings window as template 5000 builds
# it (with the icons the window puts on its buttons), made from the library's
# resources under Wine on a virtual display, and of the live settings window
# opened through the library's exports (processing on, with a mask picture):
#   docs/about-box.png, docs/settings-window-template.png, docs/settings-window.png,
# and of a logo search on a real-picture clip, while it collects and after it found:
#   docs/settings-window-finding.png, docs/settings-window-found.png
# Usage: scripts/screenshot-dialogs.sh [WIN32_BUILD_DIR]   (default build/win32)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/win32}" && pwd)"
captures="$(mktemp -d)"
trap 'rm -rf "$captures"' EXIT

# Wine sees the Linux root as drive Z:.
windows_captures="Z:${captures//\//\\}"
tests="AboutBox.ShowsTheNameTheVersionAndTheEmblem"
tests+=":SettingsWindowFromResources.IconButtonsTakeTheirIcons"
(cd "$build" && xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-run.sh" \
  kestrimo_window_tests.exe --library=KRD_Kestrimo.dll --capture-dir="$windows_captures" \
  --gtest_filter="$tests")
(cd "$build/tests/ui/windows/settingswindow" && xvfb-run -a -s "-screen 0 1024x768x24" \
  "$root/scripts/wine-run.sh" kestrimo_settings_window_test.exe --library=KRD_Kestrimo.dll \
  --capture-dir="$windows_captures" \
  --gtest_filter=SettingsWindow.EnableStatesFollowProcessingPictureAndShowMask)
clips="$captures/clips"
/usr/bin/python3 "$root/tests/detect/make-logo-corpus.py" --cases film-sd-mark-tl \
  --frames 340 --out "$clips" > /dev/null
(cd "$build/tests/ui/windows/settingswindow" && KESTRIMO_LOGO_CLIPS="$clips" \
  xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-run.sh" \
  kestrimo_settings_window_test.exe --library=KRD_Kestrimo.dll \
  --capture-dir="$windows_captures" --gtest_filter=LogoSearch.FindsTheLogoOfAFilmAndHidesIt)

# 24-bit bottom-up BMP to PNG, with Pillow (Debian's python3-pil).
/usr/bin/python3 - "$captures" "$root/docs" <<'PY'
import os, sys
from PIL import Image

def bmp_to_png(source, target):
    with Image.open(source) as picture:
        picture.convert("RGB").save(target, optimize=True)
        print(f"{target}: {picture.width} x {picture.height}")

captures, docs = sys.argv[1], sys.argv[2]
for name in ("about-box", "settings-window-template", "settings-window",
             "settings-window-finding", "settings-window-found"):
    bmp_to_png(os.path.join(captures, name + ".bmp"), os.path.join(docs, name + ".png"))
PY
