#!/usr/bin/env bash
# Runs the README's two commands as a new user would, on a fresh Debian 12:
# builds a minimal bookworm root tree (mmdebstrap, variant apt: apt and the
# essential packages, nothing else, with the current updates and security
# fixes), copies the working tree in (without build/ and .git/), and runs
#   bash scripts/example.sh
#   bash scripts/test.sh
# inside it (chroot, /proc and /dev mounted, a clean environment), printing
# each command's result and time. The project's own scripts must install
# everything else, so a missing install step shows here.
#
# Downloads several hundred MB and takes about as long as the test command
# itself; not part of it. Run it before changing dependencies or test data.
#
#   bash scripts/fresh-machine-check.sh [ROOT]     (default /var/tmp/qdt-fresh-machine)
#
# Needs root. The tree is removed when done, but only once nothing is mounted
# inside it any more (a bound /dev would take the host's device files with
# it); KEEP_ROOT=1 keeps it for a look afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
root=${1:-/var/tmp/qdt-fresh-machine}
root=$(realpath -m "$root")
case "$root" in
  / | /var | /var/tmp | /tmp | "$src" | "$src"/*) echo "fresh-machine-check: refusing root tree $root" >&2; exit 2 ;;
esac
[ "$(id -u)" = 0 ] || { echo "fresh-machine-check: needs root (chroot, mount)" >&2; exit 2; }

# Everything mounted at or below the tree, deepest first.
mounts_inside() {
  awk -v r="$root" '$5 == r || index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
cleanup() {
  local m
  for m in $(mounts_inside); do umount "$m" 2>/dev/null || umount -l "$m" || true; done
  if [ -n "$(mounts_inside)" ]; then
    echo "fresh-machine-check: still mounted under $root, left in place:" >&2
    mounts_inside >&2
  elif [ "${KEEP_ROOT:-0}" = 1 ]; then
    echo "fresh-machine-check: root tree kept at $root"
  elif [ -d "$root" ]; then
    rm -rf --one-file-system "$root"
  fi
}

if [ -e "$root" ]; then
  [ -z "$(mounts_inside)" ] || { echo "fresh-machine-check: $root has mounts inside; unmount them first" >&2; exit 2; }
  rm -rf --one-file-system "$root"
fi
trap cleanup EXIT

if ! command -v mmdebstrap >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap
fi

echo "== root tree: Debian bookworm, variant apt"
start=$(date +%s)
mmdebstrap --quiet --variant=apt bookworm "$root"
echo "   made in $(($(date +%s) - start)) s"

mkdir -p "$root/src"
tar -C "$src" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$root/src" -xf -
cp /etc/resolv.conf "$root/etc/resolv.conf"  # the chroot's apt needs names
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"

declare -A result seconds
for command in example test; do
  echo "== bash scripts/$command.sh"
  start=$(date +%s)
  rc=0
  env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 TERM=dumb \
    chroot "$root" bash -c "cd /src && bash scripts/$command.sh" >"$root/$command.log" 2>&1 || rc=$?
  seconds[$command]=$(($(date +%s) - start))
  if [ $rc -eq 0 ]; then result[$command]=green; else result[$command]="red (exit $rc)"; fi
  tail -n 25 "$root/$command.log"
  [ $rc -eq 0 ] || { mkdir -p "$src/build" && cp "$root/$command.log" "$src/build/fresh-$command.log"; }
done

echo
echo "== fresh machine (tzdata $(chroot "$root" dpkg-query -W -f='${Version}' tzdata 2>/dev/null || echo none))"
failed=0
for command in example test; do
  printf '   bash scripts/%s.sh: %s in %s s\n' "$command" "${result[$command]}" "${seconds[$command]}"
  [ "${result[$command]}" = green ] || failed=1
done
exit $failed
