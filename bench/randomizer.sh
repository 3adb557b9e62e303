#!/usr/bin/env bash
# The randomizer applying a 4000 x 3000 JPEG as a Mirror wallpaper on the test prefix's screen
# (1024 x 768, the null graphics driver), beside ImageMagick making the same mirrored, tiled bitmap
# from the same JPEG, in one hyperfine run; then the randomizer's peak memory for a 6000 x 4000 JPEG
# on a 3840 x 2160 screen. Arguments: the MXRandom.exe builds to measure (default: this tree's).
#   bash bench/randomizer.sh [build/windows/MXRandom.exe ...]
set -euo pipefail
cd "$(dirname "$0")/.."
exes=("$@")
[ ${#exes[@]} -gt 0 ] || exes=(build/windows/MXRandom.exe)
convert=/usr/bin/convert
dir=/dev/shm/mxbench
mkdir -p "$dir"
export WINEPREFIX=$PWD/build/wine-test WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh test
trap 'wine reg delete "HKCU\\Software\\Kelbrant" /f >/dev/null 2>&1 || true; wineserver -k' EXIT

# Synthetic photographs: fractal plasma, softened, at ImageMagick's quality 90 (baseline, 4:4:4).
for size in 4000x3000 6000x4000; do
  [ -f "$dir/photo$size.jpg" ] || "$convert" -size $size -seed 7 plasma:fractal -blur 0x2 -quality 90 "$dir/photo$size.jpg"
done

commands=()
for i in "${!exes[@]}"; do
  for size in 4000x3000 6000x4000; do
    run="$dir/run$i-$size"
    mkdir -p "$run"
    cp "${exes[$i]}" "$run/MXRandom.exe"
    printf '[START]\r\n[WAIT]\r\n[SHUT]\r\n[WALLPAPER]\r\nZ:%s, Mirror\r\n' "${dir//\//\\}\\photo$size.jpg" > "$run/MXDATA.MXD"
  done
  commands+=("wine $dir/run$i-4000x3000/MXRandom.exe --seed 1")
done
tile="( +clone -flop ) +append ( +clone -flip ) -append -write mpr:m +delete -size 1024x768 tile:mpr:m"
hyperfine -N --warmup 2 --runs 15 --export-markdown "$dir/randomizer.md" "${commands[@]}" \
  "$convert $dir/photo4000x3000.jpg $tile $dir/magick-tile.bmp" \
  "$convert $dir/photo4000x3000.jpg -crop 1024x768+0+0 +repage $dir/magick-crop.bmp"
for i in "${!exes[@]}"; do
  echo "same pixels as ImageMagick's (PSNR, dB): $("$convert" "$dir/run$i-4000x3000/@MX!BACK.BMP" "$dir/magick-tile.bmp" \
    -metric PSNR -compare -format '%[distortion]' info:)"
  for k in 1 2 3; do
    /usr/bin/time -f "${exes[$i]} 6000 x 4000 on 3840 x 2160: max RSS %M KiB, %e s" \
      wine "$dir/run$i-6000x4000/MXRandom.exe" --seed 1 --screen 3840x2160 >/dev/null
  done
done
