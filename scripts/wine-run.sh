#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix and code page 1251.
source "$(dirname "$(readlink -f "$0")")/wine-env.sh"
exec env LC_ALL=ru_RU.UTF-8 wine "$@"
