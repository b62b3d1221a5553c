#!/usr/bin/env bash
# Installs what building and testing QDataType needs on a Debian machine:
# compilers, test and benchmark frameworks, GMP (test oracle and benchmark
# peer), libical (benchmark peer), ICU (locale data), the time-zone database,
# the locales the tests use, Doxygen (API reference) and the Debian packaging
# tools, and Python (the zone test vectors are made from the machine's tz
# database at build time). Safe to run repeatedly: it installs only what is missing.
set -euo pipefail

packages=(cmake make g++ clang-14 libclang-rt-14-dev
          libgtest-dev libgmock-dev libbenchmark-dev
          libgmp-dev libicu-dev libical-dev libabsl-dev tzdata locales
          doxygen dpkg-dev pkg-config file python3)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Locales used by the tests (comma decimal separators among them).
for loc in de_DE fr_FR en_US; do
  if ! locale -a 2>/dev/null | grep -qix "${loc}.utf8"; then
    echo "install-deps: generating ${loc}.UTF-8"
    as_root localedef -i "$loc" -f UTF-8 "${loc}.UTF-8"
  fi
done
