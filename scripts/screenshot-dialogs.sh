#!/usr/bin/env bash
# Pictures of the About box and of the settings window as template 5000 builds
# it (with the icons the window puts on its buttons), made from the library's
# resources under Wine on a virtual display, and of the live settings window
# opened through the library's exports (processing on, with a mask picture):
#   docs/about-box.png, docs/settings-window-template.png, docs/settings-window.png
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

# 24-bit bottom-up BMP to PNG, with the standard library only.
python3 - "$captures" "$root/docs" <<'PY'
import os, struct, sys, zlib

def bmp_to_png(source, target):
    data = open(source, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24 and height > 0
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = data[offset + y * stride: offset + y * stride + width * 3]
        rows.append(b"\0" + bytes(row[i + 2 - 2 * (i % 3)] for i in range(width * 3)))
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
    open(target, "wb").write(png)
    print(f"{target}: {width} x {height}")

captures, docs = sys.argv[1], sys.argv[2]
for name in ("about-box", "settings-window-template", "settings-window"):
    bmp_to_png(os.path.join(captures, name + ".bmp"), os.path.join(docs, name + ".png"))
PY
