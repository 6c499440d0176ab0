#!/usr/bin/env bash
# Builds the release of this checkout's HEAD twice, in two fresh clones at different paths,
# one after the other (so at different times), the second under another time zone, umask
# and locale, and fails unless the two zips and their checksum files are the same bytes and
# neither program holds its build folder's path. Both builds run without a compiler
# launcher (ccache): the release must not depend on what a cache happens to hold.
#   scripts/reproducible-dist-test.sh
# Takes two full builds of both targets: about 11 minutes on 2 shared cores.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse HEAD)
work=$(mktemp -d /var/tmp/torvane-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
first=$work/a
second=$work/the/second/clone

fail() {
  echo "reproducible-dist-test: $*" >&2
  exit 1
}

# Whether FILE holds TEXT, as narrow (UTF-8) or as wide (UTF-16) characters.
holds() {
  python3 -c 'import sys
data, text = open(sys.argv[1], "rb").read(), sys.argv[2]
sys.exit(0 if text.encode() in data or text.encode("utf-16-le") in data else 1)' "$1" "$2"
}

build() {
  local clone=$1
  git clone -q "$root" "$clone"
  git -C "$clone" checkout -q --detach "$commit"
  env -u CMAKE_C_COMPILER_LAUNCHER -u CMAKE_CXX_COMPILER_LAUNCHER -u SOURCE_DATE_EPOCH \
    make -C "$clone" dist
  local cache
  for cache in "$clone"/build/win{64,32}/CMakeCache.txt; do
    ! grep -Eq '^CMAKE_(C|CXX)_COMPILER_LAUNCHER:[A-Z]+=.' "$cache" ||
      fail "$cache names a compiler launcher"
  done
  local exe
  for exe in "$clone"/build/win64/window/Torvane.exe "$clone"/build/win64/cli/torvane-cli.exe; do
    ! holds "$exe" "$clone" || fail "$exe holds its build path $clone"
  done
}

started=$SECONDS
build "$first"
(
  umask 077
  export TZ=Asia/Shanghai LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  build "$second"
)

zips=("$first"/dist/Torvane-*-win64.zip)
[ ${#zips[@]} = 1 ] && [ -f "${zips[0]}" ] || fail "no single zip in $first/dist"
name=$(basename "${zips[0]}")
for file in "$name" "$name.sha256"; do
  if ! cmp "$first/dist/$file" "$second/dist/$file"; then
    # Say which entry differs, to start the search there.
    mkdir "$work/a.unpacked" "$work/b.unpacked"
    python3 -m zipfile -e "$first/dist/$name" "$work/a.unpacked"
    python3 -m zipfile -e "$second/dist/$name" "$work/b.unpacked"
    diff -r "$work/a.unpacked" "$work/b.unpacked" || true
    fail "two builds of $commit gave different $file"
  fi
done
echo "reproducible-dist-test: two builds of $commit at two paths gave the same $name" \
  "($(cut -c1-16 "$first/dist/$name.sha256")...) in $((SECONDS - started)) s"
