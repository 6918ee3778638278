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
# which reports its copy walk: ticks, time inside ticks and the whole walk.
# While the copy page is up, liveness_probe sends the wizard frame a message
# every 10 ms and reports the longest wait for an answer.
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
now() { date +%s.%N; }
rate() { python3 -c "import sys; a=[float(x) for x in sys.argv[1:]]; print('%9.1f files/s %8.1f MB/s' % (a[0]/a[2], a[1]/1e6/a[2]))" "$@"; }
title=$(sed -n 's/^TI=//p' "$src/tests/e2e/_SFX.DLG" | tr -d '\r')

for b in "${!builds[@]}"; do echo "engine $b: ${builds[$b]}"; done
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
  mkdir "$work/$kind-unzip"
  unzip -q "$work/$kind.zip" -d "$work/$kind-unzip"
  t4=$(now)
  unzip_s=$(python3 -c "print($t4 - $t3)")
  printf '%-6s %-34s %8.3f %s\n' $kind "mksetup verify (native)" "$(python3 -c "print($t3 - $t2)")" "$(rate $files $bytes "$(python3 -c "print($t3 - $t2)")")"
  printf '%-6s %-34s %8.3f %s\n' $kind "unzip (native)" "$unzip_s" "$(rate $files $bytes "$unzip_s")"
  rm -rf "$work/$kind-unzip"
  for b in "${!builds[@]}"; do
    runs $b $kind || continue
    figures=$work/$kind$b.fig
    installed=$(winepath -u "C:\\Bench $kind")
    rm -rf "$installed"
    # Wine starts once before the measured run, so that the run does not pay
    # for the prefix's first use.
    wine cmd /c exit >/dev/null 2>&1 || true
    liveness=$work/$kind$b.live
    if [ -n "$probe" ]; then wine "$probe" "$title" 600 > "$liveness" 2>&1 & probe_pid=$!; fi
    t0=$(now)
    SETUP_WALK_FIGURES=$(winepath -w "$figures") wine "$work/$kind-setup$b.exe" -s
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
    read -r ticks busy walk < <(sed 's/[a-z_]*=//g' "$figures" | tr -d '\r')
    whole=$(python3 -c "print($t1 - $t0)")
    walk_s=$(python3 -c "print($walk / 1e6)")
    printf '%-6s %-34s %8.3f %s\n' $kind "engine $b: setup -s under Wine, whole" "$whole" "$(rate $files $bytes "$whole")"
    printf '%-6s %-34s %8.3f %s\n' $kind "engine $b: setup copy walk" "$walk_s" "$(rate $files $bytes "$walk_s")"
    python3 -c "
w, busy, ticks, files = $walk / 1e6, $busy / 1e6, $ticks, $files
print('%-6s engine $b: %d ticks, %.3f s inside ticks, %.3f s between them; %.3f ms a file; walk %.3fx unzip files/s, whole run %.3fx unzip; longest wait of the frame %s ms'
      % ('$kind', ticks, busy, w - busy, 1000 * w / files, $unzip_s / w, $unzip_s / $whole, '$live'))"
    echo "$kind $b $walk_s $files" >> "$work/per-file"
  done
  rm -rf "$(winepath -u "C:\\Bench $kind")"
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
