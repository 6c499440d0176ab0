#!/usr/bin/env bash
# Runs the README's two commands as a new user meets them: in a fresh minimal Debian 12
# root (debootstrap --variant=minbase: no make, no git, /root mode 700), as root, on a clone
# of this checkout's HEAD in /root/torvane, in a clean environment without a display:
#   scripts/fresh-debian-test.sh
# The first command must leave out/window.png, the second must pass. Prints how long each
# step took and how much was downloaded. Needs root and the Debian mirror; installs
# debootstrap here if it is missing. The root lives in a fresh folder under /var/tmp and is
# removed at the end.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
checkout=$(cd "$here/.." && pwd)
mirror=http://deb.debian.org/debian

say() { echo "fresh-debian: $*"; }
fail() {
  echo "fresh-debian: $*" >&2
  exit 1
}
[ "$(id -u)" = 0 ] || fail "needs root (debootstrap, chroot, mounts)"
[ -z "$(git -C "$checkout" status --porcelain)" ] ||
  say "note: uncommitted changes are not tried, only HEAD"

if ! command -v debootstrap >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

base=$(mktemp -d /var/tmp/torvane-debian-XXXXXX)
chmod 755 "$base" # it becomes the root folder, which every user must be able to enter
# Everything started inside the root is stopped by its id, then the mounts go; rm never
# crosses into a mount that is somehow still there.
cleanup() {
  local proc
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$base" ] || continue
    say "still running in the root, stopped: $(tr '\0' ' ' <"$proc/cmdline" 2>/dev/null)"
    kill -9 "${proc#/proc/}" 2>/dev/null || true
  done
  for mount in tmp dev sys proc; do
    mountpoint -q "$base/$mount" && { umount -R "$base/$mount" || umount -R -l "$base/$mount"; }
  done
  rm -rf --one-file-system "$base"
}
trap cleanup EXIT

archives() { du -sb "$base/var/cache/apt/archives" | cut -f1; }
# The system itself: neither the clone (its build, its Wine prefixes) nor the downloads.
installed() {
  du -sb --one-file-system --exclude="$base/root/torvane" \
    --exclude="$base/var/cache/apt/archives" "$base" | cut -f1
}
mib() { echo "$(($1 / 1048576)) MiB"; }
started=$SECONDS

say "debootstrap --variant=minbase bookworm into $base"
debootstrap --variant=minbase bookworm "$base" "$mirror" >"$base.log" 2>&1 ||
  { tail -20 "$base.log" >&2; rm -f "$base.log"; fail "debootstrap failed"; }
rm -f "$base.log"
bootstrap_time=$((SECONDS - started)) bootstrap_bytes=$(archives) bare_bytes=$(installed)
rm -f "$base"/var/cache/apt/archives/*.deb

# As a fresh machine or a container image has it: the updates and security suites, and no
# services started by the packages it installs.
cat >"$base/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
printf '#!/bin/sh\nexit 101\n' >"$base/usr/sbin/policy-rc.d"
chmod 755 "$base/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$base/etc/resolv.conf"
mount -t proc proc "$base/proc"
mount --rbind /sys "$base/sys" && mount --make-rslave "$base/sys"
mount --rbind /dev "$base/dev" && mount --make-rslave "$base/dev"
mount -t tmpfs -o mode=1777 tmpfs "$base/tmp"

[ "$(stat -c %a "$base/root")" = 700 ] || fail "/root in the new root is not mode 700"
git clone -q --no-checkout "$checkout" "$base/root/torvane"
git -C "$base/root/torvane" checkout -q "$(git -C "$checkout" rev-parse HEAD)"

# A login shell's environment, nothing of this one's (no DISPLAY, no PATH additions).
in_root() {
  env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    TERM=dumb chroot "$base" bash -c "cd /root/torvane && $1" </dev/null
}
declare -A took
for which in run test; do
  command=$(bash "$here/readme-commands.sh" "$which")
  say "# $command"
  step=$SECONDS
  in_root "$command"
  took[$which]=$((SECONDS - step))
  if [ "$which" = run ]; then
    setup_bytes=$(archives) setup_installed=$(($(installed) - bare_bytes))
    in_root 'test "$(head -c 8 out/window.png | od -An -tx1 | tr -d " ")" = 89504e470d0a1a0a' ||
      fail "the first command left no picture in out/window.png"
  fi
done

say "debootstrap           ${bootstrap_time} s, $(mib "$bootstrap_bytes") downloaded"
say "first command (run)   ${took[run]} s, $(mib "$setup_bytes") of packages downloaded, $(mib "$setup_installed") installed"
say "second command (test) ${took[test]} s"
say "in all                $((SECONDS - started)) s; the root took $(du -sh --one-file-system "$base" | cut -f1) on disk"
