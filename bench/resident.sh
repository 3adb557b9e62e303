#!/usr/bin/env bash
# The randomizer that stays running, beside the least program with a notification-area icon
# (tray_reference.exe), in one run, in a Wine prefix of its own (build/wine-bench):
#   1. its CPU time and its private memory after changes of a 24-megapixel photograph as the
#      wallpaper, and over a time without a change, as the reference's;
#   2. MXRandom.exe --next handed to it, from the command to the wallpaper set, beside the log-on run
#      of the same list and --next with none running, in turn round after round, so that the load of
#      a shared machine falls on all three alike.
# Both programs are measured stripped, as released: under Wine the debug information of an
# unstripped program is read into its memory.
#   bash bench/resident.sh [seconds idle, default 60] [rounds, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
. cmake/ensure-packages.sh
mx_ensure_packages
idle=${1:-60}
rounds=${2:-20}
build=$PWD/build/windows
dir=${MX_BENCH_DIR:-/dev/shm/mxbench}/resident
mkdir -p "$dir"
export WINEPREFIX=$PWD/build/wine-bench WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh test
selector='HKCU\Software\Kelbrant\Mosalux\Mosalux Selector'
interval() { wine reg add "$selector" /v "Change Interval" /d "$1" /f >/dev/null 2>&1; }
reference=
cleanup() {
  [ -z "$reference" ] || kill "$reference" 2>/dev/null || true
  wine "$dir/MXRandom.exe" --exit >/dev/null 2>&1 || true
  wine reg delete 'HKCU\Software\Kelbrant' /f >/dev/null 2>&1 || true
  wineserver -k
}
trap cleanup EXIT

# Three camera-like photographs (6000 x 4000, about 6 MB each), stretched over a 1920 x 1080 screen.
list="[START]\r\n[WAIT]\r\n[SHUT]\r\n[WALLPAPER]\r\n"
for seed in 7 8 9; do
  photo=$dir/camera$seed.jpg
  [ -f "$photo" ] || convert -size 6000x4000 -seed $seed plasma:fractal -blur 0x2 -attenuate 0.3 +noise Gaussian \
    -sampling-factor 2x2 -quality 92 "$photo"
  list+="Z:${photo//\//\\\\}, Stretched\r\n"
done
printf "$list" > "$dir/MXDATA.MXD"
for program in MXRandom.exe bench/windows/tray_reference.exe; do
  x86_64-w64-mingw32-objcopy --strip-all "$build/$program" "$dir/$(basename $program)"
done
rm -f "$dir/MXRandom.log"

# CPU time (user and system, in clock ticks) and private memory (kB) of a Wine process, from Linux.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
private_kb() { awk '/^Private_(Clean|Dirty):/ { kb += $2 } END { print kb }' "/proc/$1/smaps_rollup"; }
rss_kb() { awk '/^Rss:/ { print $2 }' "/proc/$1/smaps_rollup"; }
count() { local n; n=$(grep -c "$1" "$dir/MXRandom.log" 2>/dev/null) || true; echo "${n:-0}"; }
# The wallpapers set: a change's last line.
wait_changes() { for _ in $(seq 300); do [ "$(count '^.\{20\}Wallpaper: .*, set ')" -ge "$1" ] && return 0; sleep 0.1; done; return 1; }

echo "== idle: the randomizer after its log-on run and five --next, beside the reference"
interval 60
wine "$dir/MXRandom.exe" --screen 1920x1080 >/dev/null 2>&1 &
resident=$!
wine "$dir/tray_reference.exe" &
reference=$!
wait_changes 1
sleep 2
after_logon=$(private_kb $resident)
for _ in 1 2 3 4 5; do wine "$dir/MXRandom.exe" --next; done
wait_changes 6
sleep 2
after_next=$(private_kb $resident)
declare -A before
for p in $resident $reference; do before[$p]=$(ticks $p); done
sleep "$idle"
printf '| process | CPU ticks over %d s idle | private (kB) | RSS (kB) |\n|---|---:|---:|---:|\n' "$idle"
for p in $resident $reference; do
  name=$([ $p = $resident ] && echo "MXRandom.exe, after 6 changes" || echo "tray_reference.exe")
  printf '| %s | %d | %d | %d |\n' "$name" $(( $(ticks $p) - ${before[$p]} )) "$(private_kb $p)" "$(rss_kb $p)"
done
echo "(clock ticks of $(getconf CLK_TCK) a second; MXRandom.exe's private memory: $after_logon kB after its"
echo "log-on run, $after_next kB after five --next; changes logged: $(count '^.\{20\}Change '))"
kill $reference
reference=

echo
echo "== --next from the command to the wallpaper set, $rounds rounds"
cat > "$dir/stop.sh" <<STOP
wine "$dir/MXRandom.exe" --exit >/dev/null 2>&1
wine reg add '$selector' /v 'Change Interval' /d 0 /f >/dev/null 2>&1
STOP
# The first round starts it; the others find it running.
start_resident() {
  local n; n=$(count "Stays running")
  interval 60
  wine "$dir/MXRandom.exe" --resident --screen 1920x1080 </dev/null >/dev/null 2>&1 &
  for _ in $(seq 200); do
    [ "$(count "Stays running")" -gt "$n" ] && return 0
    kill -0 $! 2>/dev/null || return 0  # it returned at once: one was running already
    sleep 0.05
  done
  return 1
}
timed() {  # prints the command's time in microseconds
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
: > "$dir/next.txt"
# Each preparation's programs are let end for a moment, so that none is still going when the command
# is timed.
for round in $(seq -2 "$rounds"); do  # the first three rounds warm up
  bash "$dir/stop.sh"
  sleep 0.3
  logon=$(timed wine "$dir/MXRandom.exe" --screen 1920x1080)
  bash "$dir/stop.sh"
  sleep 0.3
  alone=$(timed wine "$dir/MXRandom.exe" --next --screen 1920x1080)
  start_resident
  sleep 0.3
  handed=$(timed wine "$dir/MXRandom.exe" --next)
  [ "$round" -lt 1 ] || echo "$logon $alone $handed" >> "$dir/next.txt"
done
python3 - "$dir/next.txt" <<'EOF'
import statistics, sys
rows = [list(map(int, line.split())) for line in open(sys.argv[1])]
names = ["log-on run, none running", "--next, none running", "--next, handed over"]
print("\n| command | median (ms) | mean ± σ (ms) | median of each round's difference to the log-on run (ms) |")
print("|---|---:|---:|---:|")
for i, name in enumerate(names):
    times = [r[i] / 1000 for r in rows]
    diff = statistics.median((r[i] - r[0]) / 1000 for r in rows)
    print("| %s | %.1f | %.1f ± %.1f | %+.1f |" % (name, statistics.median(times), statistics.mean(times),
                                                 statistics.stdev(times), diff))
EOF
echo
echo "What each change took inside the programs, from the log (decode, render, set):"
grep "Wallpaper: " "$dir/MXRandom.log" | tail -3
