#!/usr/bin/env bash
# Install benchmark (a figure, not a test; one run, side by side):
#   (a) 2000 files of 4 KiB in 20 folders, (b) four files of 64 MiB,
# each installed silently by a real setup program under 64-bit Wine, against
# the build tool's verify pass over the same setup program (every entry
# decoded and checked, nothing written) and unzip of the same files packed
# with zip -9 (decoded and written), both native.
# The setup programs are built on the measuring engine (setupeng_figures),
# which reports its copy walk: ticks, time inside ticks and the whole walk;
# the rest of the walk is time spent waiting for the 1 ms timer.
# Usage: bench/install_bench.sh [build-folder]; needs python3, zip, unzip.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
tool=$out/host/buildtool/mksetup
bin=$out/win-x86_64/bin
if [ ! -x "$tool" ] || [ ! -f "$bin/setupeng_figures.exe" ]; then "$src/scripts/build.sh" "$out"; fi
for t in python3 zip unzip; do command -v $t >/dev/null || { echo "install_bench: $t is needed" >&2; exit 2; }; done

work=$(mktemp -d /tmp/install-bench.XXXXXX)
cleanup_bench() { rm -rf "$work"; }
trap cleanup_bench EXIT

# Products: files of mixed text (words drawn from a small vocabulary) and
# random bytes, so that the deflate data holds all block kinds.
python3 - "$work" "$src/tests/e2e/_SFX.DLG" <<'EOF'
import os, random, sys
work, script = sys.argv[1], sys.argv[2]
rnd = random.Random(7)
words = [("".join(rnd.choice("etaoinshrdlucmfwyp") for _ in range(rnd.randint(2, 9)))).encode() for _ in range(500)]
text = b" ".join(rnd.choice(words) for _ in range(300000)).replace(b"  ", b"\r\n")
def content(size, seed):
    r = random.Random(seed)
    parts, have = [], 0
    while have < size:
        if r.random() < 0.3:
            piece = r.randbytes(min(4096, size - have))
        else:
            at = r.randrange(len(text) - 65536)
            piece = text[at:at + min(r.randint(2048, 65536), size - have)]
        parts.append(piece)
        have += len(piece)
    return b"".join(parts)[:size]
base = open(script).read()
for kind, count, size, folders in (("small", 2000, 4096, 20), ("large", 4, 64 << 20, 1)):
    product = os.path.join(work, kind)
    tree = os.path.join(work, kind + "-tree")
    os.makedirs(product)
    records = []
    for i in range(count):
        name = "f%04d.dat" % i
        folder = "d%02d" % (i % folders)
        data = content(size, i * 31 + size)
        open(os.path.join(product, name), "wb").write(data)
        os.makedirs(os.path.join(tree, folder), exist_ok=True)
        open(os.path.join(tree, folder, name), "wb").write(data)
        fields = [""] * 25  # field 0 lies before the first bar
        fields[1], fields[5], fields[22], fields[23] = name, "0", name, "\\%s\\" % folder
        records.append("|".join(fields) + "\n")
    open(os.path.join(product, "_FILE1.SCR"), "w", newline="").write("".join(records))
    main = base.replace("DF=C:\\E2E Product", "DF=C:\\Bench " + kind).replace("\nNO=3\n", "\nNO=%d\n" % count)
    open(os.path.join(product, "_SFX.DLG"), "w", newline="").write(main)
EOF
for kind in ${INSTALL_BENCH_SETS:-small large}; do
  cp "$src"/sample/_PIC0.IMG "$src"/sample/_PIC1.IMG "$src"/sample/_PIC2.IMG "$src"/sample/_DLG.SCR "$work/$kind/"
  "$tool" build "$bin/setupeng_figures.exe" "$bin/supportlib.dll" "$work/$kind" "$work/$kind-setup.exe" >/dev/null
  (cd "$work/$kind-tree" && zip -q -9 -r "$work/$kind.zip" .)
done

source "$src/scripts/wine-session.sh"
now() { date +%s.%N; }
rate() { python3 -c "import sys; a=[float(x) for x in sys.argv[1:]]; print('%9.1f files/s %8.1f MB/s' % (a[0]/a[2], a[1]/1e6/a[2]))" "$@"; }

printf '%-6s %-28s %8s %s\n' set method seconds "throughput"
for kind in ${INSTALL_BENCH_SETS:-small large}; do
  if [ $kind = small ]; then files=2000; bytes=$((2000 * 4096)); else files=4; bytes=$((4 * 64 << 20)); fi
  figures=$work/$kind.fig
  # Wine starts once before the measured run, so that the run does not pay
  # for the prefix's first use.
  wine cmd /c exit >/dev/null 2>&1 || true
  t0=$(now)
  SETUP_WALK_FIGURES=$(winepath -w "$figures") wine "$work/$kind-setup.exe" -s
  t1=$(now)
  installed=$(winepath -u "C:\\Bench $kind")
  [ "$(find "$installed" -name '*.dat' | wc -l)" = $files ] || { echo "install_bench: $kind setup did not install every file" >&2; exit 1; }
  read -r ticks busy walk < <(sed 's/[a-z_]*=//g' "$figures" | tr -d '\r')
  t2=$(now)
  "$tool" verify "$work/$kind-setup.exe"
  t3=$(now)
  mkdir "$work/$kind-unzip"
  unzip -q "$work/$kind.zip" -d "$work/$kind-unzip"
  t4=$(now)
  whole=$(python3 -c "print($t1 - $t0)")
  walk_s=$(python3 -c "print($walk / 1e6)")
  printf '%-6s %-28s %8.3f %s\n' $kind "setup -s under Wine, whole" "$whole" "$(rate $files $bytes "$whole")"
  printf '%-6s %-28s %8.3f %s\n' $kind "setup copy walk" "$walk_s" "$(rate $files $bytes "$walk_s")"
  printf '%-6s %-28s %8.3f %s\n' $kind "mksetup verify (native)" "$(python3 -c "print($t3 - $t2)")" "$(rate $files $bytes "$(python3 -c "print($t3 - $t2)")")"
  printf '%-6s %-28s %8.3f %s\n' $kind "unzip (native)" "$(python3 -c "print($t4 - $t3)")" "$(rate $files $bytes "$(python3 -c "print($t4 - $t3)")")"
  python3 -c "print('%-6s copy walk: %d ticks, %.3f s inside ticks, %.3f s waiting for the timer (%.0f%% of the walk, %.2f ms a tick)' % ('$kind', $ticks, $busy/1e6, ($walk-$busy)/1e6, 100.0*($walk-$busy)/$walk, ($walk-$busy)/1e3/$ticks))"
  rm -rf "$installed" "$work/$kind-unzip"
done
