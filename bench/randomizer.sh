#!/usr/bin/env bash
# The randomizer applying a 24-megapixel camera-like JPEG (6000 x 4000) as the wallpaper in each of
# the five styles on a 1920 x 1080 and a 3840 x 2160 screen, beside djpeg decoding the whole file,
# in one hyperfine run; then its peak memory for that JPEG on the 3840 x 2160 screen, per style.
# Arguments: the MXRandom.exe builds to measure (default: this tree's).
#   bash bench/randomizer.sh [build/windows/MXRandom.exe ...]
set -euo pipefail
cd "$(dirname "$0")/.."
. cmake/ensure-packages.sh
mx_ensure_packages hyperfine
exes=("$@")
[ ${#exes[@]} -gt 0 ] || exes=(build/windows/MXRandom.exe)
convert=/usr/bin/convert
djpeg=${MX_DJPEG:-/usr/bin/djpeg}
dir=${MX_BENCH_DIR:-/dev/shm/mxbench}
mkdir -p "$dir"
export WINEPREFIX=$PWD/build/wine-test WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh test
trap 'wine reg delete "HKCU\\Software\\Kelbrant" /f >/dev/null 2>&1 || true; wineserver -k' EXIT

# A camera-like photograph: soft shapes with sensor grain, 4:2:0, quality 92 (about 6 MB).
photo=$dir/camera6000x4000.jpg
[ -f "$photo" ] || "$convert" -size 6000x4000 -seed 7 plasma:fractal -blur 0x2 -attenuate 0.3 +noise Gaussian \
  -sampling-factor 2x2 -quality 92 "$photo"

styles=("Centred" "Stretched" "Tiled" "Fit 2 Screen" "Mirror")
commands=()
for i in "${!exes[@]}"; do
  for s in "${!styles[@]}"; do
    run="$dir/run$i-$s"
    mkdir -p "$run"
    cp "${exes[$i]}" "$run/MXRandom.exe"
    printf '[START]\r\n[WAIT]\r\n[SHUT]\r\n[WALLPAPER]\r\nZ:%s, %s\r\n' "${photo//\//\\}" "${styles[$s]}" > "$run/MXDATA.MXD"
  done
  mkdir -p "$dir/empty$i"
  cp "${exes[$i]}" "$dir/empty$i/MXRandom.exe"
done
label() { [ "$1" -eq 0 ] || printf ' (%s)' "${exes[$1]}"; }
for screen in 1920x1080 3840x2160; do
  for i in "${!exes[@]}"; do
    for s in "${!styles[@]}"; do
      commands+=(-n "$screen ${styles[$s]}$(label "$i")" "wine $dir/run$i-$s/MXRandom.exe --seed 1 --screen $screen")
    done
  done
done
for i in "${!exes[@]}"; do
  commands+=(-n "no selection file$(label "$i")" "wine $dir/empty$i/MXRandom.exe")
done
# The prefix's own processes are still starting for a few seconds after it is made or started; the
# first commands would pay for them.
wine "$dir/empty0/MXRandom.exe" >/dev/null
sleep 5
hyperfine -N --warmup 3 --runs 15 --export-json "$dir/randomizer.json" "${commands[@]}" \
  -n djpeg "$djpeg -outfile /dev/null $photo"
python3 - "$dir/randomizer.json" <<'EOF'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
djpeg = next(r for r in results if r["command"] == "djpeg")
print("\n| command | mean ± σ (ms) | / djpeg | median (ms) | / djpeg | fastest (ms) | / djpeg |")
print("|---|---:|---:|---:|---:|---:|---:|")
for r in results:
    print("| %s | %.1f ± %.1f | %.2f | %.1f | %.2f | %.1f | %.2f |" % (
        r["command"], 1000 * r["mean"], 1000 * r["stddev"], r["mean"] / djpeg["mean"], 1000 * r["median"],
        r["median"] / djpeg["median"], 1000 * r["min"], r["min"] / djpeg["min"]))
EOF

echo
for i in "${!exes[@]}"; do
  echo "${exes[$i]} imports: $(x86_64-w64-mingw32-objdump -p "${exes[$i]}" | awk '/DLL Name/ {print $3}' | tr '\n' ' ')"
done
for i in "${!exes[@]}"; do
  for s in "${!styles[@]}"; do
    for k in 1 2 3; do
      /usr/bin/time -f "${exes[$i]} ${styles[$s]} on 3840 x 2160: max RSS %M KiB, %e s" \
        wine "$dir/run$i-$s/MXRandom.exe" --seed 1 --screen 3840x2160 >/dev/null
    done
  done
  /usr/bin/time -f "${exes[$i]} with no selection file: max RSS %M KiB" wine "$dir/empty$i/MXRandom.exe" >/dev/null
done
