#!/usr/bin/env bash
# Prints one of the two commands the README starts with, exactly as written there (the
# first indented block, which must hold exactly two lines), so that what CI and the
# fresh-system check run can never drift from what a new user reads:
#   scripts/readme-commands.sh run     # sets everything up and runs the tool
#   scripts/readme-commands.sh test    # runs every test
set -euo pipefail

readme=$(cd "$(dirname "$0")/.." && pwd)/README.md
commands=$(awk '/^    [^ ]/ { found = 1; print substr($0, 5); next } found { exit }' "$readme")
[ "$(wc -l <<<"$commands")" = 2 ] || {
  echo "readme-commands: the README must start with exactly two commands, found:" >&2
  echo "$commands" >&2
  exit 1
}
case "${1:-}" in
  run) head -1 <<<"$commands" ;;
  test) tail -1 <<<"$commands" ;;
  *) echo "usage: readme-commands.sh run|test" >&2; exit 2 ;;
esac
