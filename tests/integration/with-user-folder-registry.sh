#!/usr/bin/env bash
# Runs a Windows program with HKLM\SOFTWARE\Telvaro\StoreInUsersFolder = 1 in
# Wine's registry, and removes the value again afterwards, also on failure
# (the key too, when this script made it).
#   with-user-folder-registry.sh WINE_RUNNER PROGRAM [ARGUMENTS...]
set -u
runner="$1"
shift
key='HKLM\SOFTWARE\Telvaro'

key_existed=0
"$runner" reg query "$key" >/dev/null 2>&1 && key_existed=1

cleanup() {
  if [ "$key_existed" = 1 ]; then
    "$runner" reg delete "$key" /v StoreInUsersFolder /f >/dev/null 2>&1
  else
    "$runner" reg delete "$key" /f >/dev/null 2>&1
  fi
}
trap cleanup EXIT

"$runner" reg add "$key" /v StoreInUsersFolder /t REG_DWORD /d 1 /f >/dev/null || exit 1
"$runner" "$@"
