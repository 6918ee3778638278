#!/usr/bin/env bash
# Builds the configurations: host tools (Linux), the fuzz targets (Linux,
# clang), the 32-bit release program file and support library, and the
# 64-bit test build that runs under Wine.
# Usage: scripts/build.sh [build-folder] [--programs]
# --programs builds only what a setup program is made with: the build tool,
# and the engine, support library and uninstaller at both widths.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
targets=()
if [ "${2:-}" = --programs ]; then targets=(--target setupeng supportlib uninstx); fi
jobs=$(nproc)
"$src/scripts/install-packages.sh"

cmake -S "$src" -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$out/host" -j "$jobs" --target mksetup
else
  cmake --build "$out/host" -j "$jobs"
  # Fuzz targets (clang, libFuzzer with address and undefined-behaviour
  # checks); each runs SETUP_FUZZ_SECONDS in the tests.
  cmake -S "$src" -B "$out/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSETUP_FUZZ=ON \
    -DSETUP_HOST_TOOLS="$out/host" -DSETUP_FUZZ_SECONDS="${SETUP_FUZZ_SECONDS:-60}" >/dev/null
  cmake --build "$out/fuzz" -j "$jobs"
fi

for arch in i686 x86_64; do
  # A folder first configured with the -win32 compilers keeps them; the
  # tests need the -posix ones.
  if [ -d "$out/win-$arch/CMakeFiles" ] &&
     ! grep -qs -- -posix "$out/win-$arch"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    rm -rf "$out/win-$arch"
  fi
  cmake -S "$src" -B "$out/win-$arch" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-$arch.cmake" \
    -DSETUP_HOST_TOOLS="$out/host" >/dev/null
  cmake --build "$out/win-$arch" -j "$jobs" "${targets[@]}"
done
