#!/usr/bin/env bash
# The selector's start with 10,000 and 100,000 entries in MXDATA.MXD beside a minimal Win32 window with
# one virtual list view of the same entries (bench/windows/list_reference.cpp), in one hyperfine run;
# then each program's own report of the time from its process's creation to its painted window and
# its peak working set (best of five); then editing a wallpaper list of 100,000 entries.
#   bash bench/lists.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. cmake/ensure-packages.sh
mx_ensure_packages hyperfine
dir=${MX_BENCH_DIR:-/dev/shm/mxlists}
# Both programs run as the release ships them: stripped, their debug information (23 MB of the
# selector's) not mapped at each start.
B=$dir/bin
mkdir -p "$B"
for program in selection_bench list_reference; do
  x86_64-w64-mingw32-objcopy --strip-all build/windows/bench/windows/$program.exe "$B/$program.exe"
done
export WINEPREFIX=$PWD/build/wine-test WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh test
trap 'wineserver -k' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# hyperfine splits its commands as a shell would: backslashes doubled.
winarg() { local p; p=$(winpath "$1"); printf '%s' "${p//\\/\\\\}"; }
sizes=(10000 100000)
# Each size in no order, as a script makes it, and as the selector saves it: each list in its order.
for n in "${sizes[@]}"; do
  mkdir -p "$dir/$n-unsorted" "$dir/$n-sorted"
  wine $B/selection_bench.exe file "$n" "$(winpath "$dir/$n-unsorted/MXDATA.MXD")"
  wine $B/selection_bench.exe save "$(winpath "$dir/$n-unsorted")" "$(winpath "$dir/$n-sorted/MXDATA.MXD")"
done
commands=()
for n in "${sizes[@]}"; do
  for order in unsorted sorted; do
    commands+=(-n "selector, $n entries ($order)" "wine $B/selection_bench.exe start $(winarg "$dir/$n-$order")")
  done
  commands+=(-n "reference, $n entries" "wine $B/list_reference.exe $(winarg "$dir/$n-unsorted/MXDATA.MXD")")
done
wine $B/list_reference.exe "$(winpath "$dir/10000-unsorted/MXDATA.MXD")" >/dev/null
hyperfine -N --warmup 2 --runs 15 --export-json "$dir/lists.json" "${commands[@]}"
python3 - "$dir/lists.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
print("\n| command | mean (ms) | median (ms) | fastest (ms) | median / the reference's |")
print("|---|---:|---:|---:|---:|")
for name, r in results.items():
    n = name.split(", ")[1].split(" ")[0]
    ref = results["reference, %s entries" % n]
    print("| %s | %.1f | %.1f | %.1f | %.2f |" % (name, 1000 * r["mean"], 1000 * r["median"], 1000 * r["min"],
                                              r["median"] / ref["median"]))
PY
echo
for n in "${sizes[@]}"; do
  for order in unsorted sorted; do
    echo "selector, $n entries ($order), best of five:"
    for i in 1 2 3 4 5; do wine $B/selection_bench.exe start "$(winpath "$dir/$n-$order")" | head -1; done | sort -n | head -1
  done
  echo "reference, $n entries, best of five:"
  for i in 1 2 3 4 5; do wine $B/list_reference.exe "$(winpath "$dir/$n-unsorted/MXDATA.MXD")"; done | sort -n | head -1
done
echo
wine $B/selection_bench.exe edit 100000 2>/dev/null
