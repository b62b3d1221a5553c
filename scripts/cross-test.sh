#!/usr/bin/env bash
# Builds the library and its unit tests for another architecture with
# Debian's cross compiler and runs the tests under qemu-user:
#
#   bash scripts/cross-test.sh arm64    # little-endian, 64-bit ARM
#   bash scripts/cross-test.sh s390x    # big-endian, IBM Z
#
# What the target links against (ICU, GMP, GoogleTest) is the target's own
# Debian build:
#   - arm64: the multiarch -dev packages (dpkg --add-architecture arm64),
#     installed next to the host's;
#   - s390x: whose -dev packages multiarch refuses to install next to the
#     host's, a Debian bookworm root tree (mmdebstrap, packages extracted, no
#     scripts run, so nothing is ever mounted in it) under build/cross/, used
#     as the compiler's sysroot and as qemu's library prefix.
# The time-zone database is the target's own as well: the zone vectors are
# made from it at build time and the tests read it through TZDIR. For arm64
# that is the machine's /usr/share/zoneinfo (tzdata is one package for every
# architecture); for s390x the root tree's usr/share/zoneinfo, whose release
# may differ from the host's.
#
# Installs what it needs (apt, as root or through sudo). Build trees:
# build/cross-<arch>. CROSS_JOBS sets the build's parallelism (default: the
# number of processors).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
arch=${1:-}
jobs=${CROSS_JOBS:-$(nproc)}

case "$arch" in
  arm64) triplet=aarch64-linux-gnu; qemu="qemu-aarch64"; processor=aarch64 ;;
  s390x) triplet=s390x-linux-gnu; qemu="qemu-s390x"; processor=s390x ;;
  *) echo "usage: $0 arm64|s390x" >&2; exit 2 ;;
esac

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
apt_install() {  # packages...; installs those missing
  local missing=() p
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "cross-test: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

start=$(date +%s)
apt_install cmake make python3 tzdata locales "g++-$triplet" qemu-user

build=$root/build/cross-$arch
mkdir -p "$build"
toolchain=$build/toolchain.cmake
{
  echo "set(CMAKE_SYSTEM_NAME Linux)"
  echo "set(CMAKE_SYSTEM_PROCESSOR $processor)"
  echo "set(CMAKE_CXX_COMPILER $triplet-g++)"
  echo "set(CMAKE_LIBRARY_ARCHITECTURE $triplet)"
} >"$toolchain"

if [ "$arch" = arm64 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    as_root dpkg --add-architecture arm64
    as_root apt-get update -qq
  fi
  apt_install libc6:arm64 libicu-dev:arm64 libgmp-dev:arm64 libgtest-dev:arm64 libgmock-dev:arm64 libfmt-dev:arm64
  # The target's loader and libraries are in their multiarch places.
  echo "set(CMAKE_CROSSCOMPILING_EMULATOR $qemu)" >>"$toolchain"
  tzdir=/usr/share/zoneinfo
else
  apt_install mmdebstrap
  sysroot=$root/build/cross/s390x-root
  packages=libstdc++-12-dev,libicu-dev,libgmp-dev,libgtest-dev,libgmock-dev,tzdata
  stamp=$sysroot/.qdt-packages
  if [ "$(cat "$stamp" 2>/dev/null)" != "$packages" ]; then
    # The tree only ever comes from a tarball (mmdebstrap builds in its own
    # scratch directory and cleans it up), but check before removing it.
    if [ -d "$sysroot" ]; then
      if findmnt -rn -o TARGET | grep -q "^$sysroot\(/\|$\)"; then
        echo "cross-test: something is mounted under $sysroot; unmount it first" >&2
        exit 1
      fi
      rm -rf --one-file-system "$sysroot"
    fi
    mkdir -p "$sysroot"
    tarball=$root/build/cross/s390x-root.tar
    rm -f "$tarball"
    mmdebstrap --quiet --variant=extract --architectures=s390x --include="$packages" \
      bookworm "$tarball" http://deb.debian.org/debian
    tar -xf "$tarball" -C "$sysroot" --exclude='./dev/*'
    rm -f "$tarball"
    # Absolute links (lib*.so -> /lib/...) made relative, so that they point
    # into the tree.
    while IFS= read -r -d '' link; do
      ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$sysroot$(readlink "$link")")" "$link"
    done < <(find "$sysroot" -type l -lname '/*' -print0)
    echo "$packages" >"$stamp"
  fi
  # The C library reads compiled locales in its own byte order, so the
  # locales the tests use are compiled big-endian into the tree (qemu finds
  # them there before the machine's little-endian ones).
  for loc in de_DE fr_FR en_US; do
    out=$sysroot/usr/lib/locale/$loc.utf8
    [ -f "$out/LC_CTYPE" ] && continue
    mkdir -p "$out"
    localedef --big-endian --no-archive -i "$loc" -f UTF-8 "$out"
  done
  cat >>"$toolchain" <<EOF
set(CMAKE_SYSROOT $sysroot)
set(CMAKE_FIND_ROOT_PATH $sysroot)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR $qemu;-L;$sysroot)
EOF
  tzdir=$sysroot/usr/share/zoneinfo
fi
# Read by the build (the zone vectors) and by the tests alike.
export TZDIR=$tzdir
echo "cross-test: $arch, time-zone database $TZDIR ($(head -n1 "$TZDIR/tzdata.zi"))"

setup=$(($(date +%s) - start))
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQDT_WERROR=ON \
  -DQDT_BUILD_BENCH=OFF -DQDT_BUILD_EXAMPLES=OFF -DQDT_BUILD_FUZZ=OFF -DQDT_INSTALL=OFF >/dev/null
nice -n 5 cmake --build "$build" -j"$jobs"
built=$(($(date +%s) - start))
rc=0
(cd "$build" && nice -n 5 ctest --output-on-failure -j"$jobs" --timeout 1800) 2>&1 | tee "$build/ctest.log" || rc=$?
total=$(($(date +%s) - start))
echo "cross-test $arch: setup ${setup}s, build $((built - setup))s, tests $((total - built))s, total ${total}s"
grep -E 'tests passed' "$build/ctest.log" || true
exit $rc
