#!/usr/bin/env bash
# The release package as a viewer gets it: made by scripts/package.sh from a
# win32 build, its checksum file matching the zip, unpacked, every file's
# sum in SHA256SUMS.txt right, nothing missing or extra, the DLL without
# debug information, every picture the guides show inside, and the packed
# DLL loaded through its exports under Wine by the exports test (32-bit x86,
# only system DLLs imported, the host's calls answered).
# usage: check-package.sh SOURCE_DIR WIN32_BUILD_DIR EXPORTS_TEST_EXE WORKDIR
set -euo pipefail
source_dir=$1 build=$2 exports_test=$3 work=$4
rm -rf "$work"
mkdir -p "$work"
fail() { echo "package: $*" >&2; exit 1; }

bash "$source_dir/scripts/package.sh" "$build" "$work/out"
zip=$(ls "$work"/out/KRD_Kestrimo-*-win32.zip)
(cd "$work/out" && sha256sum -c --quiet "$(basename "$zip").sha256") || fail "the zip's checksum file does not match"

/usr/bin/python3 -m zipfile -e "$zip" "$work/unpacked"
folder="$work/unpacked/$(basename "$zip" .zip)"
[ -d "$folder" ] || fail "the zip holds no folder $(basename "$folder")"
# The sums name every other file, and nothing else is there.
(cd "$folder" && tr -d '\r' < SHA256SUMS.txt | sha256sum -c --quiet) || fail "SHA256SUMS.txt does not match"
listed=$(tr -d '\r' < "$folder/SHA256SUMS.txt" | sed 's/^[0-9a-f]* \*//' | sort)
present=$(cd "$folder" && find . -type f ! -name SHA256SUMS.txt | sed 's|^\./||' | sort)
[ "$listed" = "$present" ] || fail "SHA256SUMS.txt lists $listed but the folder holds $present"
for name in KRD_Kestrimo.dll README.txt guide-ru.html guide-en.html; do
  [ -s "$folder/$name" ] || fail "$name is missing"
done
for page in "$folder"/guide-*.html; do
  grep -o 'src="pictures/[^"]*"' "$page" | sed 's/^src="//; s/"$//' | while read -r picture; do
    [ -f "$folder/$picture" ] || fail "$(basename "$page") shows $picture, which is not in the package"
  done
done

dll="$folder/KRD_Kestrimo.dll"
if i686-w64-mingw32-objdump -h "$dll" | grep -q '\.debug'; then fail "the DLL carries debug information"; fi
size=$(stat -c %s "$dll")
[ "$size" -lt 2000000 ] || fail "the DLL is $size bytes"

# The exports test beside the packed DLL, which it loads by name.
mkdir -p "$work/run"
cp "$dll" "$exports_test" "$work/run/"
(cd "$work/run" && "$source_dir/scripts/wine-run.sh" "$(basename "$exports_test")" --library=KRD_Kestrimo.dll)
echo "package: $(basename "$zip"), DLL $size bytes, passed"
rm -rf "$work/unpacked" "$work/run"
