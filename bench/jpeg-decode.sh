#!/usr/bin/env bash
# Decoding the 4000 x 3000 JPEG, in one run: the native build's reader_bench (the wallpaper decoder
# from memory and from the file, djpeg's whole process and its start-up on the same file), then
# decode_file in-process, natively and the Windows build under Wine, on that file again.
# Needs the trees build/bench (MX_BENCH=ON) and build/windows; see bench/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
jpeg=/dev/shm/mx_bench_photo.jpg
rm -f "$jpeg"
trap 'rm -f "$jpeg"' EXIT
MX_BENCH_JPEG=$jpeg build/bench/bench/reader_bench --benchmark_filter='Jpeg|Djpeg' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_out=build/bench/jpeg_decode.json \
  --benchmark_out_format=json >/dev/null
python3 bench/ratios.py build/bench/jpeg_decode.json
echo
echo "decode_file, native:    $(build/bench/bench/decode_file "$jpeg" 20)"
export WINEPREFIX=$PWD/build/wine-test WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh test
echo "decode_file, Wine:      $(wine build/windows/bench/windows/decode_file.exe "Z:${jpeg//\//\\}" 20 | tr -d '\r')"
wineserver -k
