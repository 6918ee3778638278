#!/usr/bin/env bash
# Installs the Debian 12 packages that the build and the tests need, when any
# is missing (as root, or through sudo); does nothing when all are there.
# scripts/build.sh (so scripts/run-sample.sh and scripts/test.sh) and .ci/run
# call it, so a fresh machine needs no step before them.
set -euo pipefail
packages="cmake ninja-build g++ clang libclang-rt-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick qemu-user-static
  googletest libbenchmark-dev zlib1g-dev libdeflate-dev libz-mingw-w64-dev"
missing=()
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q " installed$" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
