#!/usr/bin/env bash
# 32-bit Windows programs on a machine whose kernel runs no 32-bit code:
# Debian's 32-bit Wine loader, unpacked into a private root (never installed
# system-wide, which would break the `wine` wrapper), runs under
# qemu-i386-static and talks to the system's 64-bit wineserver.
#
#   scripts/wine32.sh prepare ROOT
#       Makes ROOT once; made again when the system's Wine version changes.
#       Fails with the reason when it cannot be made.
#   scripts/wine32.sh run ROOT PROGRAM [ARGUMENTS]
#       Runs a 32-bit program (ctest's emulator of the win-i686 build). In
#       the prefix of the Wine session of the test command; without one, in
#       a fresh prefix of its own (scripts/wine-session.sh).
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)

fail() { echo "wine32: $*" >&2; exit 1; }

# The 32-bit loader, its libraries and what Wine's Unix side opens at run
# time (X11 and its extensions, FreeType, fontconfig; libgcc_s, which the C
# library loads when a thread ends). Fonts, X locale data and fontconfig's
# settings come from the host.
packages="wine32 wine32-preloader libwine libc6 libgcc-s1 libx11-6 libxcb1 libxau6 libxdmcp6 libbsd0 libmd0
  libxext6 libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1 libxcomposite1
  libfreetype6 libpng16-16 zlib1g libbrotli1 libfontconfig1 libexpat1"

prepare() {
  local root=$1 version stage deb p list=()
  command -v qemu-i386-static >/dev/null || fail "qemu-i386-static is missing (package qemu-user-static)"
  version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || fail "the 64-bit Wine (package wine64) is not installed"
  # Made again for another Wine or another package list.
  local stamp
  stamp=$(echo "$version" $packages)
  if [ "$(cat "$root/.wine-version" 2>/dev/null)" = "$stamp" ]; then
    return 0
  fi
  echo "wine32: preparing the 32-bit Wine $version in $root"
  stage=$root.stage
  rm -rf "$stage"
  mkdir -p "$stage/debs" "$stage/lists/partial" "$stage/cache/archives/partial" || fail "cannot write $stage"
  # apt with i386 as its only architecture and lists of its own, for
  # downloading only: the system's apt and dpkg stay without i386.
  local apt=(apt-get -qq -o APT::Architecture=i386 -o APT::Architectures::=i386
    -o Dir::State::Lists="$stage/lists" -o Dir::Cache="$stage/cache"
    -o Dir::State::status=/dev/null -o APT::Sandbox::User=root)
  "${apt[@]}" update || fail "apt-get update of the i386 package lists failed"
  # The loader must be the same build as the wineserver it talks to.
  for p in $packages; do
    case $p in wine32|wine32-preloader|libwine) list+=("$p=$version") ;; *) list+=("$p") ;; esac
  done
  (cd "$stage/debs" && "${apt[@]}" download "${list[@]}") ||
    fail "cannot download the i386 packages of Wine $version: ${list[*]}"
  for deb in "$stage/debs"/*.deb; do
    dpkg -x "$deb" "$stage/root" || fail "cannot unpack $deb"
  done
  local r=$stage/root lib=$stage/root/usr/lib
  # One library folder: /lib merged into /usr/lib, so that the loader finds
  # these libraries through the root's own cache and not the host's /lib32.
  cp -a "$r/lib/." "$lib/" && rm -rf "$r/lib" && ln -s usr/lib "$r/lib" || fail "cannot merge lib/ into usr/lib/"
  rm -rf "$r/usr/share/doc" "$r/usr/share/man" "$lib/i386-linux-gnu/wine/x86_64-windows"
  echo 'include /etc/ld.so.conf.d/*.conf' > "$r/etc/ld.so.conf"
  ldconfig -r "$r" || fail "ldconfig -r failed"
  # Wine's 32-bit PE libraries load zlib1.dll from beside them.
  cp /usr/i686-w64-mingw32/lib/zlib1.dll "$lib/i386-linux-gnu/wine/i386-windows/" ||
    fail "the 32-bit zlib1.dll is missing (package libz-mingw-w64)"
  # Wine starts a child process by executing "wine" or "wine64" from the
  # folder of its own loader, through "<loader>-preloader" when it is there.
  # The 64-bit loader is the system's; the 32-bit one goes through the static
  # i386 preloader under qemu (without the preloader Wine's start-up reserves
  # its address space in small pieces, which takes a minute under qemu).
  # Without a running wineserver the system's 64-bit one is started.
  local bin=$lib/wine
  ln -sf /usr/lib/wine/wine64 "$bin/wine64"
  ln -sf /usr/lib/wine/wineserver64 "$bin/wineserver"
  rm -f "$bin/wine-preloader"
  printf '#!/bin/sh\nexec qemu-i386-static -L "%s" "%s/usr/lib/wine/wine-preloader.static" "$@"\n' \
    "$root" "$root" > "$bin/wine-preloader"
  chmod +x "$bin/wine-preloader"
  rm -rf "$root" && mv "$r" "$root" && rm -rf "$stage" || fail "cannot move the root to $root"
  echo "$stamp" > "$root/.wine-version"
}

run() {
  local root=$1
  shift
  [ -f "$root/.wine-version" ] || fail "no 32-bit Wine root in $root (scripts/wine32.sh prepare $root)"
  if [ -z "${WINEPREFIX:-}" ]; then
    source "$src/scripts/wine-session.sh"
  fi
  # The driven tests' time limits (tests/driver) under emulation.
  export SETUP_TEST_TIME_SCALE=${SETUP_TEST_TIME_SCALE:-3}
  # The 64-bit wineboot fills only the 64-bit registry view; 32-bit programs
  # read HKLM\Software through the 32-bit one. Once a prefix (tests that run
  # side by side wait for the first): the folders a 32-bit Windows names
  # there (the program folders, the shell's folders for all users, the list
  # of installed programs), the shell's COM classes (shortcuts) and the
  # cryptography providers (the install log's digest), which the 32-bit
  # shell32 and rsaenh register.
  if [ ! -f "$WINEPREFIX/.wine32-view" ]; then
    exec 9>"$WINEPREFIX/.wine32-view.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/.wine32-view" ]; then
      local reg=$WINEPREFIX/drive_c/wine32-view folders='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
      printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\r\n%s\r\n%s\r\n%s\r\n' \
        '"ProgramFilesDir"="C:\\Program Files"' '"CommonFilesDir"="C:\\Program Files\\Common Files"' \
        '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall]' > "$reg.a.reg"
      { wine reg import 'C:\wine32-view.a.reg' /reg:32 &&
        wine reg export "$folders" 'C:\wine32-view.b.reg' /reg:64 /y &&
        wine reg import 'C:\wine32-view.b.reg' /reg:32 &&
        loader32 "$root" "$root/usr/lib/i386-linux-gnu/wine/i386-windows/regsvr32.exe" /s shell32.dll rsaenh.dll; } >/dev/null 2>&1 ||
        fail "cannot fill the 32-bit registry view"
      rm -f "$reg.a.reg" "$reg.b.reg"
      # A 32-bit program's system folder on a 64-bit Windows is syswow64,
      # which the 64-bit wineboot does not make: until it is there, Wine
      # lists the system folder empty for the 32-bit side and files written
      # into it fail, until a program that makes folders makes it.
      mkdir -p "$WINEPREFIX/drive_c/windows/syswow64" || fail "cannot make the 32-bit system folder"
      touch "$WINEPREFIX/.wine32-view"
    fi
    exec 9>&-
  fi
  loader32 "$root" "$@"
}

# Wine re-executes itself at start, which the kernel refuses for a 32-bit
# file. A prefix made by the 64-bit wineboot has no libraries in syswow64: the
# 32-bit side loads its builtin libraries from the root.
loader32() {
  local root=$1
  shift
  WINELOADERNOEXEC=1 WINEBOOTSTRAPMODE=1 "$src/scripts/wine-run.sh" --loader \
    qemu-i386-static -L "$root" "$root/usr/lib/wine/wine-preloader.static" "$root/usr/lib/wine/wine" \
    -- "$@"
}

case ${1:-} in
  prepare) [ $# -eq 2 ] || fail "usage: wine32.sh prepare ROOT"; prepare "$(realpath -m "$2")" ;;
  run) [ $# -ge 3 ] || fail "usage: wine32.sh run ROOT PROGRAM [ARGUMENTS]"; root=$(realpath -m "$2"); shift 2; run "$root" "$@" ;;
  *) fail "usage: wine32.sh prepare ROOT | run ROOT PROGRAM [ARGUMENTS]" ;;
esac
