#!/usr/bin/env bash
# The monitor tests on two real monitors. Wine takes its monitors from Xinerama when the X server has
# no RandR, so a nested X server (Xephyr) with two screens, on a virtual one (Xvfb), gives it
# 1920 x 1080 at 0, 0 (the primary) beside 1080 x 1920 at 1920, 0. The window tests' RealMonitors
# run there twice: as Windows 10, which spans the wallpaper file, and as Windows 7, which tiles it
# from the primary monitor's corner. The prefix is BUILD/wine-monitors, made on the first run.
#   bash tests/monitors/run.sh BUILD     (BUILD: the Windows tree)
# The two X displays are the first free ones from :140 up, or MX_TEST_DISPLAYS ("40 41").
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)

free() { [ ! -e "/tmp/.X$1-lock" ] && [ ! -e "/tmp/.X11-unix/X$1" ]; }
read -r host nested <<< "${MX_TEST_DISPLAYS:-}" || true
if [ -z "${nested:-}" ]; then
  host= nested=
  for n in $(seq 140 199); do
    free "$n" || continue
    if [ -z "$host" ]; then host=$n; else nested=$n; break; fi
  done
fi
[ -n "$nested" ] || { echo "no free X display from :140 to :199" >&2; exit 1; }

export WINEPREFIX="$build/wine-monitors" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
servers=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
# A server is up once its socket is there.
started() {
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$1" ] && return 0; sleep 0.1; done
  echo "the X server :$1 did not start" >&2
  return 1
}
Xvfb ":$host" -screen 0 3200x2000x24 -nolisten tcp >/dev/null 2>&1 &
servers+=($!)
started "$host"
DISPLAY=":$host" Xephyr ":$nested" +xinerama -extension RANDR -screen 1920x1080+0+0 -screen 1080x1920+1920+0 \
  -nolisten tcp >/dev/null 2>&1 &
servers+=($!)
started "$nested"

export DISPLAY=":$nested"
bash "$source/cmake/wine-prefix.sh" monitors
status=0
for version in win10 win7; do
  wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  spans=$([ "$version" = win10 ] && echo 1 || echo 0)
  output=$(MX_EXPECT_SPANS=$spans wine "$build/tests/window_tests.exe" --gtest_brief=1 --gtest_filter='RealMonitors.*' 2>&1) ||
    status=1
  echo "As $version:"
  echo "$output"
  # Skipped means the monitors were not there: a failure here.
  grep -q '^\[  PASSED  \] 1 test' <<< "$output" && ! grep -q 'SKIPPED' <<< "$output" || status=1
done
exit $status
