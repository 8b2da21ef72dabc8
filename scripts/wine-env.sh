# Sourced by the scripts that run Wine: one quiet 32-bit prefix for the project.
# The ANSI code page (1251) comes from LC_ALL, which is set on the wine command
# itself (scripts/wine-run.sh) rather than in the calling shell.
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-kestrimo}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
