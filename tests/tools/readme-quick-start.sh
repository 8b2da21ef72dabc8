#!/usr/bin/env bash
# Runs the README's quick start as written, so that the README cannot drift
# from the tool: the indented block after each "<!-- quick start" comment
# under "## Quick start", from the repository root as a reader would. Every
# command must end with exit code 0, no run may say that removal is off, and
# every file the section's text names in backquotes (my.ini, out.y4m,
# check.png, ...) must be there afterwards.
#
# What the commands make at the root is removed again; the build folder
# they use (build/tool) is kept, so an existing one is reused and a missing
# one is built. Untracked files at the root before the run (leftovers of
# trying the quick start by hand, say) are refused rather than mixed with
# its outputs.
# usage: tests/tools/readme-quick-start.sh [README]   (default: the checkout's README.md)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
readme=$(realpath "${1:-$root/README.md}")
cd "$root"
start=$SECONDS

fail() { echo "FAIL (README quick start): $*" >&2; exit 1; }

# The section's text, and its marked blocks with continued lines joined.
section=$(awk '/^## / { inside = ($0 == "## Quick start"); next } inside' "$readme")
commands=$(printf '%s\n' "$section" | awk '
  /^<!-- quick start/ { marked = 1; next }
  marked && /^    / { line = line substr($0, 5)
                      if (line ~ /(\\|\||&&)[ \t]*$/) { sub(/\\[ \t]*$/, "", line); next }
                      print line; line = ""; next }
  marked && /^[ \t]*$/ { next }
  { marked = 0 }')
[ -n "$commands" ] || fail "no marked command block under '## Quick start' in $readme"
# Files named in the text (not in the commands): a path with a file extension.
named=$(printf '%s\n' "$section" | grep -v '^    ' | grep -o '`[^` ]*\.[a-z0-9]*`' | tr -d '`' | sort -u || true)
[ -n "$named" ] || fail "the quick start's text names no file to check"

untracked() { git -C "$root" ls-files --others --exclude-standard --directory | sed 's,/$,,' | grep -v / || true; }
before=$(untracked)
[ -z "$before" ] || fail "untracked files at the repository root, where the quick start writes: $(echo $before); move them away first"

log=$(mktemp)
cleanup() {
  local entry
  for entry in $(untracked); do
    # Only what the quick start names; anything else is told, not removed.
    if grep -qwF -- "$entry" <<< "$section"; then
      rm -rf -- "${root:?}/$entry"
    else
      echo "readme-quick-start: $entry appeared at the repository root during the run; left as it is" >&2
    fi
  done
  rm -f "$log"
}
trap cleanup EXIT

while IFS= read -r command; do
  echo "+ $command"
  rc=0
  bash -o pipefail -c "$command" > "$log" 2>&1 || rc=$?
  if grep -q 'removal is off' "$log"; then
    cat "$log" >&2
    fail "removal was off in: $command"
  fi
  [ $rc -eq 0 ] || { tail -n 20 "$log" >&2; fail "exit code $rc from: $command"; }
done <<< "$commands"

for file in $named; do
  [ -s "$file" ] || fail "$file, named in the quick start, was not made"
done
echo "ok: README quick start ($(printf '%s\n' "$commands" | wc -l) commands, $((SECONDS - start)) s)"
