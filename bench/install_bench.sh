#!/usr/bin/env bash
# Install benchmark (a figure, not a test; one run, side by side):
#   small  2000 files of 4 KiB in 20 folders
#   many   20000 files of 1 KiB in 200 folders (as many files a folder as
#          small, so that the per-file cost shows what the product's size
#          does, not the folder's)
#   large  four files of 64 MiB
# each installed silently by a real setup program under 64-bit Wine, against
# the build tool's verify pass over the same setup program (every entry
# decoded and checked, nothing written) and unzip of the same files packed
# with zip -9 (decoded and written), both native.
# The setup programs are built on the measuring engine (setupeng_figures),
# which reports its copy walk (ticks, time inside ticks and the whole walk)
# and where the rest of the whole run went (Wine's start-up before WinMain,
# setup files and integrity check, on to the walk, after it).
# While the copy page is up, liveness_probe sends the wizard frame a message
# every 10 ms and reports the longest wait for an answer.
# Each set is installed INSTALL_BENCH_RUNS times (3 by default), unzip and
# the engines in turn; times are medians, the longest wait the largest.
# Usage: bench/install_bench.sh [build-folder[=set,set] ...]; with several
# build folders every set is installed by each one's engine and library in
# turn, or only the sets named behind the folder (the probe comes from the
# first folder that has one). INSTALL_BENCH_SETS picks the sets ("small
# many large" by default). Needs python3, zip, unzip.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
builds=() builds_sets=()
for arg in "${@:-$src/build}"; do
  builds+=("${arg%%=*}")
  if [[ $arg == *=* ]]; then builds_sets+=(",${arg#*=},"); else builds_sets+=(",small,many,large,"); fi
done
# Whether build $1 installs set $2.
runs() { [[ ${builds_sets[$1]} == *",$2,"* ]]; }
for out in "${builds[@]}"; do
  if [ ! -x "$out/host/buildtool/mksetup" ] || [ ! -f "$out/win-x86_64/bin/setupeng_figures.exe" ]; then
    "$src/scripts/build.sh" "$out"
  fi
done
probe=
for out in "${builds[@]}"; do
  if [ -z "$probe" ] && [ -f "$out/win-x86_64/bin/liveness_probe.exe" ]; then probe=$out/win-x86_64/bin/liveness_probe.exe; fi
done
for t in python3 zip unzip; do command -v $t >/dev/null || { echo "install_bench: $t is needed" >&2; exit 2; }; done
sets=${INSTALL_BENCH_SETS:-small many large}

work=$(mktemp -d /tmp/install-bench.XXXXXX)
cleanup_bench() { rm -rf "$work"; }
trap cleanup_bench EXIT

# Products: files of mixed text (words drawn from a small vocabulary) and
# random bytes, so that the deflate data holds all block kinds.
python3 - "$work" "$src/tests/e2e/_SFX.DLG" $sets <<'EOF'
import os, random, sys
work, script, sets = sys.argv[1], sys.argv[2], sys.argv[3:]
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
shapes = {"small": (2000, 4096, 20), "many": (20000, 1024, 200), "large": (4, 64 << 20, 1)}
for kind in sets:
    count, size, folders = shapes[kind]
    product = os.path.join(work, kind)
    tree = os.path.join(work, kind + "-tree")
    os.makedirs(product)
    records = []
    for i in range(count):
        name = "f%05d.dat" % i
        folder = "d%03d" % (i % folders)
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
for kind in $sets; do
  cp "$src"/sample/_PIC0.IMG "$src"/sample/_PIC1.IMG "$src"/sample/_PIC2.IMG "$src"/sample/_DLG.SCR "$work/$kind/"
  for b in "${!builds[@]}"; do
    runs $b $kind || continue
    out=${builds[$b]}
    "$out/host/buildtool/mksetup" build "$out/win-x86_64/bin/setupeng_figures.exe" "$out/win-x86_64/bin/supportlib.dll" \
      "$work/$kind" "$work/$kind-setup$b.exe" >/dev/null
  done
  (cd "$work/$kind-tree" && zip -q -9 -r "$work/$kind.zip" .)
done

source "$src/scripts/wine-session.sh"
# The Wine session sets its own exit trap: the work folder goes with it.
trap 'stop_wine_session; cleanup_bench' EXIT
# Wine's desktop process comes up with the first window of a prefix and
# goes a few seconds after the last one closed; a program that starts while
# it goes waits about ten seconds before its own code runs. A probe that
# never finds its window keeps the desktop up for the whole bench.
if [ -n "$probe" ]; then
  wine "$probe" "install bench: no such window" 100000 > "$work/holder" 2>&1 &
  until grep -qs waiting "$work/holder"; do sleep 0.05; done
fi
now() { date +%s.%N; }
rate() { python3 -c "import sys; a=[float(x) for x in sys.argv[1:]]; print('%9.1f files/s %8.1f MB/s' % (a[0]/a[2], a[1]/1e6/a[2]))" "$@"; }
median() { python3 -c "import sys; a=sorted(float(x) for x in sys.argv[1:]); print(a[len(a) // 2])" "$@"; }
title=$(sed -n 's/^TI=//p' "$src/tests/e2e/_SFX.DLG" | tr -d '\r')
runs_each=${INSTALL_BENCH_RUNS:-3}

# Every timed run starts alike: what the run before wrote is on the disk
# (sync), and nothing of the bench's own (winepath, the probe's start-up)
# runs inside the timing.
for b in "${!builds[@]}"; do echo "engine $b: ${builds[$b]}"; done
echo "each time the median of $runs_each runs (unzip and the engines in turn); the longest wait the largest of them"
printf '%-6s %-34s %8s %s\n' set method seconds "throughput"
for kind in $sets; do
  case $kind in
    small) files=2000; bytes=$((2000 * 4096)) ;;
    many) files=20000; bytes=$((20000 * 1024)) ;;
    large) files=4; bytes=$((4 * 64 << 20)) ;;
  esac
  t2=$(now)
  for b in "${!builds[@]}"; do runs $b $kind && break; done
  "${builds[$b]}/host/buildtool/mksetup" verify "$work/$kind-setup$b.exe"
  t3=$(now)
  printf '%-6s %-34s %8.3f %s\n' $kind "mksetup verify (native)" "$(python3 -c "print($t3 - $t2)")" "$(rate $files $bytes "$(python3 -c "print($t3 - $t2)")")"
  installed=$(winepath -u "C:\\Bench $kind")
  unzip_runs=()
  for b in "${!builds[@]}"; do : > "$work/$kind$b.runs"; done
  for run in $(seq "$runs_each"); do
    rm -rf "$work/$kind-unzip"
    mkdir "$work/$kind-unzip"
    sync
    t3=$(now)
    unzip -q "$work/$kind.zip" -d "$work/$kind-unzip"
    t4=$(now)
    unzip_runs+=("$(python3 -c "print($t4 - $t3)")")
    rm -rf "$work/$kind-unzip"
    for b in "${!builds[@]}"; do
      runs $b $kind || continue
      figures=$work/$kind$b.fig
      figures_w=$(winepath -w "$figures")
      rm -rf "$installed" "$figures"
      liveness=$work/$kind$b.live
      rm -f "$liveness"
      if [ -n "$probe" ]; then
        wine "$probe" "$title" 600 > "$liveness" 2>&1 & probe_pid=$!
        until grep -qs waiting "$liveness"; do sleep 0.05; done
      else
        wine cmd /c exit >/dev/null 2>&1 || true
      fi
      sync
      t0=$(now)
      SETUP_WALK_FIGURES=$figures_w wine "$work/$kind-setup$b.exe" -s
      t1=$(now)
      live="-"
      if [ -n "$probe" ]; then
        # The probe ends with the copy page; one that never saw it is stopped.
        for i in $(seq 50); do kill -0 $probe_pid 2>/dev/null || break; sleep 0.1; done
        kill $probe_pid 2>/dev/null || true
        wait $probe_pid 2>/dev/null || true
        live=$(tr -d '\r' < "$liveness" | sed -n 's/^longest_ms=\([0-9.]*\).*/\1/p')
      fi
      [ "$(find "$installed" -name '*.dat' | wc -l)" = $files ] || { echo "install_bench: $kind setup $b did not install every file" >&2; exit 1; }
      # One line a run: whole run, walk, time inside ticks, ticks, longest
      # wait, then (engines that report them) the parts of the whole run:
      # Wine's start-up to WinMain, setup files and integrity check, on to
      # the walk, after the walk to the exit.
      python3 -c "
import sys
t0, t1, live = float(sys.argv[1]), float(sys.argv[2]), sys.argv[3]
f = dict(a.split('=') for a in open(sys.argv[4]).read().split())
parts = ['-'] * 4
if 'walked_at' in f:
    m, c, w, e = (float(f[k]) for k in ('main_at', 'checked_at', 'walk_at', 'walked_at'))
    parts = ['%.6f' % x for x in (m - t0, c - m, w - c, t1 - e)]
print(t1 - t0, f['walk_us'], f['busy_us'], f['ticks'], live, *parts)" "$t0" "$t1" "${live:--}" "$figures" >> "$work/$kind$b.runs"
      rm -rf "$installed"
    done
  done
  unzip_s=$(median "${unzip_runs[@]}")
  printf '%-6s %-34s %8.3f %s\n' $kind "unzip (native)" "$unzip_s" "$(rate $files $bytes "$unzip_s")"
  for b in "${!builds[@]}"; do
    runs $b $kind || continue
    # Whole run and walk: medians; ticks and time inside them from the run
    # of the median walk; the longest wait over all runs.
    read -r whole walk busy ticks live parts < <(python3 -c "
import sys
rows = [l.split() for l in open(sys.argv[1])]
def median(i):
    a = sorted(float(r[i]) for r in rows)
    return a[len(a) // 2]
waits = [float(r[4]) for r in rows if r[4] != '-']
row = next(r for r in rows if float(r[1]) == median(1))
parts = 'Wine start-up %.3f s, setup files and integrity check %.3f s, on to the walk %.3f s, after the walk %.3f s' % tuple(
    median(i) for i in range(5, 9)) if rows[0][5] != '-' else ''
print(median(0), row[1], row[2], row[3], max(waits) if waits else '-', parts)" "$work/$kind$b.runs")
    walk_s=$(python3 -c "print($walk / 1e6)")
    printf '%-6s %-34s %8.3f %s\n' $kind "engine $b: setup -s under Wine, whole" "$whole" "$(rate $files $bytes "$whole")"
    printf '%-6s %-34s %8.3f %s\n' $kind "engine $b: setup copy walk" "$walk_s" "$(rate $files $bytes "$walk_s")"
    python3 -c "
w, busy, ticks, files = $walk / 1e6, $busy / 1e6, $ticks, $files
print('%-6s engine $b: %d ticks, %.3f s inside ticks, %.3f s between them; %.3f ms a file; walk %.3fx unzip files/s, whole run %.3fx unzip; longest wait of the frame %s ms'
      % ('$kind', ticks, busy, w - busy, 1000 * w / files, $unzip_s / w, $unzip_s / $whole, '$live'))"
    [ -z "$parts" ] || echo "$kind   engine $b: whole run (medians): $parts"
    echo "$kind $b $walk_s $files" >> "$work/per-file"
  done
done
# Per-file time of the many-file set against the small one, per engine.
python3 - "$work/per-file" <<'EOF'
import sys
rows = [l.split() for l in open(sys.argv[1])]
per = {(k, b): float(w) / int(n) for k, b, w, n in rows}
for b in sorted({b for _, b, _, _ in rows}):
    if ("small", b) in per and ("many", b) in per:
        print("engine %s: per-file time of 20000 x 1 KiB against 2000 x 4 KiB: %.3fx" % (b, per[("many", b)] / per[("small", b)]))
EOF
