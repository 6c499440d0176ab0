#!/usr/bin/env bash
# Shows on the real program, under Wine on real files, that each staged replacement is on
# the disk before it takes a game file's name: `torvane-cli.exe patch` runs under strace,
# and so does its wineserver, which makes the renames. Every "*.torvane-new" file must
# have been fsync'ed, the call returned, before the rename that gives it its new name.
#   scripts/durability-test.sh BUILD_DIR
# Runs inside scripts/wine-session.sh (ctest is run there).
# (Wine makes nothing of MOVEFILE_WRITE_THROUGH, so the renames' own write-through cannot
# be seen here; which moves ask for it is held by the native tests.)
set -euo pipefail

build=$(realpath -m "$1")
command -v strace >/dev/null || { echo "durability-test: strace is missing (make setup)"; exit 1; }

room=$(mktemp -d /tmp/torvane-durability-XXXXXX)
trap 'rm -rf "$room"' EXIT
mkdir -p "$room/game" "$room/tool/patch"
for f in War3.exe Game.dll Storm.dll War3Patch.mpq msvcn80.dll War3.mpq; do
  printf 'old %s\n' "$f" >"$room/game/$f"
done
# Larger than the copy's pieces in flight, so that writing goes on while the copy reads.
for f in game.dll storm.dll war3.exe war3patch.mpq; do
  head -c $((3 << 20)) /dev/urandom >"$room/tool/patch/$f"
done
cp "$build/cli/torvane-cli.exe" "$room/tool/"
sync

# The wineserver of this session's prefix: the one whose environment names it.
server=""
for pid in $(pgrep -x wineserver64 || pgrep -x wineserver || true); do
  if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
    server=$pid
  fi
done
[ -n "$server" ] || { echo "durability-test: no wineserver runs for $WINEPREFIX"; exit 1; }
strace -p "$server" -ttt -T -y -e trace=rename,renameat,renameat2 -o "$room/server.log" &
tracer=$!
sleep 1  # attached
set +e
strace -f -ttt -T -y -e trace=fsync,fdatasync -o "$room/cli.log" \
  wine "$room/tool/torvane-cli.exe" patch "Z:${room//\//\\}\\game\\War3.exe" --no-pause
code=$?
set -e
sleep 0.5
kill -INT "$tracer"
wait "$tracer" || true
[ "$code" = 0 ] || { echo "durability-test: torvane-cli exited with $code"; exit 1; }

python3 - "$room" <<'EOF'
import re, sys
room = sys.argv[1]
# "PID 1712345678.123456 fsync(7</path>) = 0 <0.000123>", or cut in two by another thread:
# "... fsync(7</path> <unfinished ...>" then "PID T <... fsync resumed>) = 0 <0.000123>".
flushed, pending = {}, {}
for line in open(f"{room}/cli.log"):
    m = re.match(r"(\d+) +([\d.]+) (?:fsync|fdatasync)\(\d+<([^>]*)>(.*)", line)
    if m:
        pid, start, path, rest = m.groups()
        done = re.search(r"= 0 <([\d.]+)>", rest)
        if done:
            flushed.setdefault(path, []).append(float(start) + float(done.group(1)))
        elif "unfinished" in rest:
            pending[pid] = path
        continue
    m = re.match(r"(\d+) +([\d.]+) <\.\.\. (?:fsync|fdatasync) resumed>.*= 0 <", line)
    if m and m.group(1) in pending:
        flushed.setdefault(pending.pop(m.group(1)), []).append(float(m.group(2)))
renames = []
for line in open(f"{room}/server.log"):
    m = re.match(r'([\d.]+) rename(?:at2?)?\(.*?"([^"]*\.torvane-new)", .*= 0', line)
    if m:
        renames.append((float(m.group(1)), m.group(2)))
failures = []
if len(renames) != 4:
    failures.append(f"{len(renames)} renames of staged files seen, not 4")
for at, path in renames:
    if not any(end <= at for end in flushed.get(path, [])):
        failures.append(f"{path} took its name without a flush before")
for failure in failures:
    print("durability-test:", failure)
if failures:
    sys.exit(1)
print(f"durability-test: {len(renames)} staged replacements, each flushed before its rename")
EOF
