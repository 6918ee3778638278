#!/usr/bin/env bash
# Side by side (a figure, not a test): this engine against NSIS, the
# installer our users would most likely pick instead (Debian's nsis package,
# installed here when makensis is missing; nothing else needs it), and
# against the platform's floor (bench/floor_writer.cpp: the same files
# written from one plain blob, nothing else). Sets:
#   real   seven programs and libraries (about 2 MB), two shortcuts, two INI
#          values and two registry values
#   small  2000 files of 4 KiB in 20 folders
#   many   20000 files of 1 KiB in 200 folders
#   large  two files of 64 MiB, half of each compressible
# At 32 bits NSIS and ours run through the 32-bit Wine loader
# (scripts/wine32.sh), at 64 bits ours and the floor under the system's
# Wine; ours silently (-s), NSIS with /S, both built at their best (ours
# deflate level 9, NSIS zlib). One Wine session for the whole run, kept
# warm; each install PEER_BENCH_RUNS times (3 by default), the methods in
# turn and in the other order every second run; times are medians; every
# file installed is compared byte for byte with its source. The build tool
# against makensis: time, processor time (user and system, which the
# machine's other work disturbs less) and peak memory, medians and the
# largest of PEER_BENCH_BUILD_RUNS (3; the many set once: makensis takes
# about 10 ms of processor time a file). The machine's other work makes
# single times noisy: medians only.
# Usage: bench/peer_bench.sh [build-folder]; PEER_BENCH_SETS picks the sets
# ("real small many large" by default). The build folder holds
# host/buildtool/mksetup and win-i686/bin, win-x86_64/bin with setupeng.exe
# and supportlib.dll (and, for 64 bits, floor_writer.exe and
# liveness_probe.exe, which keeps Wine's desktop up); the 32-bit Wine
# root is PEER_BENCH_WINE32 (default: the folder's wine32-root).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath "${1:-$src/build}")
root32=$(realpath -m "${PEER_BENCH_WINE32:-$out/wine32-root}")
sets=${PEER_BENCH_SETS:-real small many large}
runs_each=${PEER_BENCH_RUNS:-3}
for f in host/buildtool/mksetup win-i686/bin/setupeng.exe win-i686/bin/supportlib.dll win-x86_64/bin/setupeng.exe \
         win-x86_64/bin/supportlib.dll win-x86_64/bin/floor_writer.exe win-x86_64/bin/liveness_probe.exe; do
  [ -f "$out/$f" ] || { echo "peer_bench: $out/$f is missing (scripts/build.sh $out)" >&2; exit 2; }
done
if ! command -v makensis >/dev/null; then
  apt-get install -y -q nsis >/dev/null || { echo "peer_bench: cannot install nsis" >&2; exit 2; }
fi
"$src/scripts/wine32.sh" prepare "$root32"

work=$(mktemp -d /tmp/peer-bench.XXXXXX)
cleanup_bench() { rm -rf "$work"; }
trap cleanup_bench EXIT

# Products, NSIS scripts, the reference trees and the floor's blobs. Data:
# text-like words and random bytes in pieces, as the install benchmark's.
python3 - "$work" "$src/tests/e2e/_SFX.DLG" $sets <<'EOF'
import glob, os, random, struct, sys
work, script, sets = sys.argv[1], sys.argv[2], sys.argv[3:]
rnd = random.Random(7)
words = [("".join(rnd.choice("etaoinshrdlucmfwyp") for _ in range(rnd.randint(2, 9)))).encode() for _ in range(500)]
text = b" ".join(rnd.choice(words) for _ in range(300000)).replace(b"  ", b"\r\n")
def content(size, seed, random_share=0.3):
    r = random.Random(seed)
    parts, have = [], 0
    while have < size:
        if r.random() < random_share:
            piece = r.randbytes(min(65536, size - have))
        else:
            at = r.randrange(len(text) - 65536)
            piece = text[at:at + min(r.randint(2048, 65536), size - have)]
        parts.append(piece)
        have += len(piece)
    return b"".join(parts)[:size]
def real_files():
    # Windows programs and libraries of about 2 MB together.
    found = sorted(glob.glob("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.[de][lx][le]"))
    chosen, total = [], 0
    for path in found:
        size = os.path.getsize(path)
        if 150000 <= size <= 500000 and total + size <= 2300000:
            chosen.append(path)
            total += size
        if len(chosen) == 7:
            break
    return [(os.path.basename(p), "bin" if i % 2 else "", open(p, "rb").read()) for i, p in enumerate(chosen)]
base = open(script).read()
shapes = {"small": (2000, 4096, 20), "many": (20000, 1024, 200), "large": (2, 64 << 20, 1)}
for kind in sets:
    if kind == "real":
        files = real_files()
    else:
        count, size, folders = shapes[kind]
        files = [("f%05d.dat" % i, "d%03d" % (i % folders),
                  content(size, i * 31 + size, 0.5 if kind == "large" else 0.3)) for i in range(count)]
    product, tree = os.path.join(work, kind), os.path.join(work, kind + "-tree")
    os.makedirs(product)
    records, blob = [], bytearray()
    target = "C:\\Bench %s" % kind
    nsis = ['Unicode true', 'SetCompressor zlib', 'Name "Bench %s"' % kind, 'OutFile "%s-nsis.exe"' % kind,
            'InstallDir "C:\\Bench nsis %s"' % kind, 'RequestExecutionLevel admin', 'Page instfiles',
            'Section']
    folder_now = None
    for name, folder, data in files:
        open(os.path.join(product, name), "wb").write(data)
        os.makedirs(os.path.join(tree, folder), exist_ok=True)
        open(os.path.join(tree, folder, name), "wb").write(data)
        fields = [""] * 25  # field 0 lies before the first bar
        fields[1], fields[5], fields[22], fields[23] = name, "0", name, "\\%s\\" % folder if folder else "\\"
        records.append("|".join(fields) + "\n")
        path = (folder + "\\" + name if folder else name).encode()
        blob += struct.pack("<H", len(path)) + path + struct.pack("<I", len(data)) + data
        if folder != folder_now:
            nsis.append('SetOutPath "$INSTDIR%s"' % ("\\" + folder if folder else ""))
            folder_now = folder
        nsis.append('File "%s"' % os.path.join(product, name))
    main = base.replace("DF=C:\\E2E Product", "DF=" + target).replace("\nNO=3\n", "\nNO=%d\n" % len(files))
    if kind == "real":
        shell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
        tool, lib = files[1], files[0]
        main += ("[GRP]\nNdx=2\n+1a=2\n+1b=%s\n+1c=Programs\n+1d=Bench real\n+1e=%%INSTDIR%%\\bin\\%s\n+1f=Tool.lnk\n"
                 "+1h=%%INSTDIR%%\\bin\n+2a=2\n+2b=%s\n+2c=Programs\n+2d=Bench real\n+2e=%%INSTDIR%%\\%s\n+2f=Library.lnk\n"
                 "[INI]\nNdx=2\n+1a=%%INSTDIR%%\\settings.ini\n+1b=Paths\n+1c=Home\n+1d=%%INSTDIR%%\n"
                 "+2a=%%INSTDIR%%\\settings.ini\n+2b=Paths\n+2c=Tool\n+2d=%%INSTDIR%%\\bin\\%s\n"
                 "[REG]\nNdx=2\n+1a=2\n+1b=Software\\Bench real\n+1c=Home\n+1d=%%INSTDIR%%\n"
                 "+2a=2\n+2b=Software\\Bench real\n+2c=Version\n+2d=1.0\n") % (shell, tool[0], shell, lib[0], tool[0])
        nsis += ['CreateDirectory "$SMPROGRAMS\\Bench real"',
                 'CreateShortCut "$SMPROGRAMS\\Bench real\\Tool.lnk" "$INSTDIR\\bin\\%s"' % tool[0],
                 'CreateShortCut "$SMPROGRAMS\\Bench real\\Library.lnk" "$INSTDIR\\%s"' % lib[0],
                 'WriteINIStr "$INSTDIR\\settings.ini" Paths Home "$INSTDIR"',
                 'WriteINIStr "$INSTDIR\\settings.ini" Paths Tool "$INSTDIR\\bin\\%s"' % tool[0],
                 'WriteRegStr HKCU "Software\\Bench real" Home "$INSTDIR"',
                 'WriteRegStr HKCU "Software\\Bench real" Version "1.0"']
    open(os.path.join(product, "_FILE1.SCR"), "w", newline="").write("".join(records))
    open(os.path.join(product, "_SFX.DLG"), "w", newline="").write(main.replace("\r\n", "\n").replace("\n", "\r\n"))
    open(os.path.join(work, kind + ".nsi"), "w").write("\n".join(nsis + ["SectionEnd", ""]))
    open(os.path.join(work, kind + ".blob"), "wb").write(blob)
    open(os.path.join(work, kind + ".count"), "w").write(str(len(files)))
EOF

# Time, processor time and peak memory of a command: "seconds seconds kilobytes".
measure() { /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>&1; awk '{print $1, $2 + $3, $4}' "$work/time"; }
median() { python3 -c "import sys; a=sorted(float(x) for x in sys.argv[1:]); print(a[len(a) // 2])" "$@"; }
largest() { python3 -c "import sys; print(max(int(x) for x in sys.argv[1:]))" "$@"; }
echo "build (native): medians, the two in turn; peak memory the largest"
printf '%-6s %9s %9s %6s %9s %9s %6s %12s %12s %6s\n' set mksetup makensis ratio "cpu ours" "cpu nsis" ratio \
  "mksetup KiB" "makensis KiB" ratio
for kind in $sets; do
  cp "$src"/sample/_PIC0.IMG "$src"/sample/_PIC1.IMG "$src"/sample/_PIC2.IMG "$src"/sample/_DLG.SCR "$work/$kind/"
  ours_t=() ours_c=() ours_m=() nsis_t=() nsis_c=() nsis_m=()
  build_runs=${PEER_BENCH_BUILD_RUNS:-3}
  [ $kind != many ] || build_runs=1
  for run in $(seq "$build_runs"); do
    for who in $( ((run % 2)) && echo "ours nsis" || echo "nsis ours"); do
      if [ $who = ours ]; then
        read -r t c m < <(measure "$out/host/buildtool/mksetup" build "$out/win-i686/bin/setupeng.exe" \
          "$out/win-i686/bin/supportlib.dll" "$work/$kind" "$work/$kind-ours32.exe")
        ours_t+=("$t") ours_c+=("$c") ours_m+=("$m")
      else
        read -r t c m < <(cd "$work" && measure makensis -V1 "$kind.nsi")
        nsis_t+=("$t") nsis_c+=("$c") nsis_m+=("$m")
      fi
    done
  done
  "$out/host/buildtool/mksetup" build "$out/win-x86_64/bin/setupeng.exe" "$out/win-x86_64/bin/supportlib.dll" \
    "$work/$kind" "$work/$kind-ours64.exe" >/dev/null 2>&1
  [ -f "$work/$kind-ours32.exe" ] && [ -f "$work/$kind-ours64.exe" ] && [ -f "$work/$kind-nsis.exe" ] ||
    { echo "peer_bench: $kind did not build" >&2; exit 1; }
  a=$(median "${ours_t[@]}") b=$(median "${nsis_t[@]}") c=$(largest "${ours_m[@]}") d=$(largest "${nsis_m[@]}")
  e=$(median "${ours_c[@]}") f=$(median "${nsis_c[@]}")
  printf '%-6s %8.2fs %8.2fs %6.2f %8.2fs %8.2fs %6.2f %12d %12d %6.2f\n' $kind "$a" "$b" "$(python3 -c "print($a / $b)")" \
    "$e" "$f" "$(python3 -c "print($e / max($f, 0.01))")" "$c" "$d" "$(python3 -c "print($c / $d)")"
done

source "$src/scripts/wine-session.sh"
trap 'stop_wine_session; cleanup_bench' EXIT
# Wine's desktop process stays up for the whole run (a program started
# while it goes waits seconds before its own code runs), and the 32-bit
# registry view is filled once, before any timing.
wine cmd /c exit >/dev/null 2>&1 || true
"$src/scripts/wine32.sh" run "$root32" cmd /c exit >/dev/null 2>&1 || true
wine "$out/win-x86_64/bin/liveness_probe.exe" "peer bench: no such window" 100000 > "$work/holder" 2>&1 & holder=$!
until grep -qs waiting "$work/holder"; do sleep 0.05; done
now() { date +%s.%N; }

# Installs with method $1 the set $2 into its folder; prints the seconds.
install() {
  local who=$1 kind=$2 dest t0 t1
  case $who in
    nsis32) dest="C:\\Bench nsis $kind" ;;
    floor64) dest="C:\\Bench floor $kind" ;;
    *) dest="C:\\Bench $kind" ;;
  esac
  local unix
  unix=$(winepath -u "$dest")
  rm -rf "$unix"
  wine reg delete 'HKCU\Software\Bench real' /f >/dev/null 2>&1 || true
  sync
  t0=$(now)
  case $who in
    ours32) "$src/scripts/wine32.sh" run "$root32" "$work/$kind-ours32.exe" -s >/dev/null 2>&1 ;;
    nsis32) "$src/scripts/wine32.sh" run "$root32" "$work/$kind-nsis.exe" /S "/D=$dest" >/dev/null 2>&1 ;;
    ours64) wine "$work/$kind-ours64.exe" -s >/dev/null 2>&1 ;;
    floor64) wine "$out/win-x86_64/bin/floor_writer.exe" "$(winepath -w "$work/$kind.blob")" "$dest" >/dev/null 2>&1 ;;
  esac
  t1=$(now)
  # Every file byte for byte; the real set's INI and registry values too.
  python3 - "$work/$kind-tree" "$unix" "$who" "$kind" <<'EOF' || { echo "peer_bench: $who $kind installed other bytes" >&2; exit 1; }
import filecmp, os, sys
tree, dest, who, kind = sys.argv[1:]
for folder, _, names in os.walk(tree):
    for name in names:
        want = os.path.join(folder, name)
        got = os.path.join(dest, os.path.relpath(want, tree))
        if not os.path.isfile(got) or not filecmp.cmp(want, got, shallow=False):
            sys.exit("%s: %s differs or is missing" % (who, got))
if kind == "real" and who != "floor64":
    ini = open(os.path.join(dest, "settings.ini"), "rb").read()
    if b"Home=" not in ini or b"Tool=" not in ini:
        sys.exit("%s: settings.ini lacks its values" % who)
EOF
  if [ $kind = real ] && [ $who != floor64 ]; then
    wine reg query 'HKCU\Software\Bench real' /v Version 2>/dev/null | grep -q 1.0 ||
      { echo "peer_bench: $who left no registry value" >&2; exit 1; }
  fi
  rm -rf "$unix"
  python3 -c "print($t1 - $t0)"
}

echo
echo "install under Wine: medians of $runs_each runs, the two of a width in turn, every file compared"
printf '%-6s %9s %9s %11s %9s %9s %13s\n' set "nsis 32" "ours 32" "ours / nsis" "floor 64" "ours 64" "floor / ours"
for kind in $sets; do
  declare -A times=()
  for run in $(seq "$runs_each"); do
    for pair in "nsis32 ours32" "floor64 ours64"; do
      set -- $pair
      ((run % 2)) && set -- $2 $1
      for who in "$@"; do times[$who]+=" $(install $who $kind)"; done
    done
  done
  n=$(median ${times[nsis32]}) o=$(median ${times[ours32]}) f=$(median ${times[floor64]}) p=$(median ${times[ours64]})
  printf '%-6s %8.2fs %8.2fs %11.2f %8.2fs %8.2fs %13.2f\n' $kind "$n" "$o" "$(python3 -c "print($o / $n)")" \
    "$f" "$p" "$(python3 -c "print($f / $p)")"
  unset times
done
kill $holder 2>/dev/null || true
