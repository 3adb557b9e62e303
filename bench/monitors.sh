#!/usr/bin/env bash
# The randomizer's log-on run on two monitors, 1920 x 1080 and 3840 x 2160 beside it (as --monitors
# gives them), with a 24-megapixel camera-like JPEG (6000 x 4000) in each of the six styles:
# "Same Picture on Every Monitor" with one entry, and "A Picture for Each Monitor" with two such
# photographs, one per monitor. One hyperfine run holds the whole processes beside djpeg decoding
# the whole file; then each run again, paired with a djpeg run, for the program's own work from its
# log (decoded + rendered + the file written, and the whole "set" with the system's part) as ratios;
# then its peak memory per run. Given several builds, it measures each in the same runs, the paired
# ones build after build within each repetition.
#   bash bench/monitors.sh [build/windows/MXRandom.exe ...]
set -euo pipefail
cd "$(dirname "$0")/.."
. cmake/ensure-packages.sh
mx_ensure_packages hyperfine
exes=("${@:-build/windows/MXRandom.exe}")
djpeg=${MX_DJPEG:-/usr/bin/djpeg}
dir=${MX_BENCH_DIR:-/dev/shm/mxbench-monitors}
monitors=1920x1080+0+0,3840x2160+1920+0
mkdir -p "$dir"
export WINEPREFIX=$PWD/build/wine-test WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh test
trap 'wine reg delete "HKCU\\Software\\Kelbrant" /f >/dev/null 2>&1 || true; wineserver -k' EXIT

# Camera-like photographs: soft shapes with sensor grain, 4:2:0, quality 92 (about 6 MB each).
for seed in 7 11; do
  [ -f "$dir/camera$seed.jpg" ] || /usr/bin/convert -size 6000x4000 -seed $seed plasma:fractal -blur 0x2 \
    -attenuate 0.3 +noise Gaussian -sampling-factor 2x2 -quality 92 "$dir/camera$seed.jpg"
done
photo=$dir/camera7.jpg
windows() { printf 'Z:%s' "${1//\//\\}"; }

styles=("Centred" "Stretched" "Tiled" "Fit 2 Screen" "Mirror" "Fill")
ways=(same each)
way_value=(0 1)
setting="wine reg add 'HKCU\\Software\\Kelbrant\\Mosalux\\Mosalux Selector' /v 'Wallpaper Monitors' /f /d"
# Each build's run folder, and the name its commands get (the build's number after the first).
folder() { echo "$dir/$([ "$1" = 0 ] || echo "build$1-")$2-$3"; }
named() { echo "$2 $3$([ "$1" = 0 ] || echo " (build $1)")"; }
commands=()
for w in "${!ways[@]}"; do
  for s in "${!styles[@]}"; do
    for b in "${!exes[@]}"; do
      run=$(folder "$b" "${ways[$w]}" "$s")
      mkdir -p "$run"
      cp "${exes[$b]}" "$run/MXRandom.exe"
      rm -f "$run/MXRandom.log"
      {
        printf '[WALLPAPER]\r\n%s, %s\r\n' "$(windows "$photo")" "${styles[$s]}"
        [ "${ways[$w]}" = same ] || printf '%s, %s\r\n' "$(windows "$dir/camera11.jpg")" "${styles[$s]}"
      } > "$run/MXDATA.MXD"
      commands+=(--prepare "$setting ${way_value[$w]}" -n "$(named "$b" "${ways[$w]}" "${styles[$s]}")"
                 "wine $run/MXRandom.exe --seed 1 --monitors $monitors")
    done
  done
done
# The prefix's own processes are still starting for a few seconds after it is made or started; the
# first commands would pay for them.
wine "$(folder 0 same 0)/MXRandom.exe" --dry-run >/dev/null
sleep 5
for w in "${!ways[@]}"; do for s in "${!styles[@]}"; do for b in "${!exes[@]}"; do
  rm -f "$(folder "$b" "${ways[$w]}" "$s")/MXRandom.log"
done; done; done
hyperfine -N --warmup 2 --runs 10 --export-json "$dir/monitors.json" "${commands[@]}" \
  --prepare true -n djpeg "$djpeg -outfile /dev/null $photo"

# The program's own work from its log, each run paired with a djpeg run just before it, so that the
# ratios hold while the machine's load changes: the median of 10 ratios per run.
now() { date +%s%N; }
for w in "${!ways[@]}"; do
  wine reg add 'HKCU\Software\Kelbrant\Mosalux\Mosalux Selector' /v 'Wallpaper Monitors' /d "${way_value[$w]}" /f >/dev/null 2>&1
  for s in "${!styles[@]}"; do
    for b in "${!exes[@]}"; do rm -f "$(folder "$b" "${ways[$w]}" "$s")"/{MXRandom.log,djpeg.txt}; done
    for k in $(seq 11); do
      for b in "${!exes[@]}"; do
        run=$(folder "$b" "${ways[$w]}" "$s")
        start=$(now)
        "$djpeg" -outfile /dev/null "$photo"
        echo $(( ($(now) - start) / 1000 )) >> "$run/djpeg.txt"
        wine "$run/MXRandom.exe" --seed 1 --monitors $monitors >/dev/null
      done
    done
  done
done
python3 - "$dir" <<'PYTHON'
import json, re, statistics, sys, os
d = sys.argv[1]
styles = ["Centred", "Stretched", "Tiled", "Fit 2 Screen", "Mirror", "Fill"]
def folder(name):
    way, style = name.split(" ", 1)
    build = ""
    if style.endswith(")"):
        style, number = style[:-1].split(" (build ")
        build = "build%s-" % number
    return os.path.join(d, "%s%s-%d" % (build, way, styles.index(style)))
results = json.load(open(os.path.join(d, "monitors.json")))["results"]
djpeg = 1000 * next(r for r in results if r["command"] == "djpeg")["median"]
print("\n| run | whole process, median (ms) | / djpeg | own work: decoded + rendered + written, median (ms) | "
      "/ djpeg, paired | with the system's part (set), median (ms) | / djpeg, paired |")
print("|---|---:|---:|---:|---:|---:|---:|")
for r in results:
    if r["command"] == "djpeg":
        continue
    run = folder(r["command"])
    log = open(os.path.join(run, "MXRandom.log"), errors="replace").read()
    paired = [int(x) / 1000 for x in open(os.path.join(run, "djpeg.txt")).read().split()]
    own, total = [], []
    for line in log.split(" Wallpaper: monitor 1:")[1:]:
        n = lambda what: sum(int(x) for x in re.findall(what + r" (\d+) ms", line))
        own.append(n("decoded") + n("rendered") + n("written"))
        total.append(n("decoded") + n("rendered") + n("set"))
    # The first pair warms up.
    own, total, paired = own[1:], total[1:], paired[1:]
    m = 1000 * r["median"]
    print("| %s | %.1f | %.2f | %.0f | %.2f | %.0f | %.2f |" % (
        r["command"], m, m / djpeg, statistics.median(own), statistics.median([o / p for o, p in zip(own, paired)]),
        statistics.median(total), statistics.median([t / p for t, p in zip(total, paired)])))
print("| djpeg | %.1f | 1.00 | %.0f (paired runs) | | | |" % (djpeg, statistics.median(
    [int(x) / 1000 for r in results if r["command"] != "djpeg"
     for x in open(os.path.join(folder(r["command"]), "djpeg.txt")).read().split()[1:]])))
PYTHON

echo
for w in "${!ways[@]}"; do
  wine reg add 'HKCU\Software\Kelbrant\Mosalux\Mosalux Selector' /v 'Wallpaper Monitors' /d "${way_value[$w]}" /f >/dev/null 2>&1
  for s in "${!styles[@]}"; do
    for b in "${!exes[@]}"; do
      for k in 1 2 3; do
        /usr/bin/time -f "$(named "$b" "${ways[$w]}" "${styles[$s]}"): max RSS %M KiB, %e s" \
          wine "$(folder "$b" "${ways[$w]}" "$s")/MXRandom.exe" --seed 1 --monitors $monitors >/dev/null
      done
    done
  done
done
