#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages. Idempotent: a second
# run finds everything in place and installs nothing.
set -euo pipefail

packages=(
  build-essential cmake make ninja-build googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 xvfb xauth xdotool x11-apps imagemagick
  fonts-wqy-microhei fonts-wine locales python3 python3-yaml
  strace  # scripts/durability-test.sh
  librsvg2-bin icoutils  # rsvg-convert and icotool, for tools/draw_icons.sh
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine picks the ANSI code page and the message-box font from the locale the prefix is
# created under; without the generated locale LANG=zh_CN.UTF-8 silently does nothing.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating zh_CN.UTF-8"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
