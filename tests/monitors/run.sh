#!/usr/bin/env bash
# The monitor tests on two real monitors. Wine takes its monitors from Xinerama when the X server has
# no RandR, so a nested X server (Xephyr) with two screens, on a virtual one (Xvfb), gives it
# 1920 x 1080 at 0, 0 (the primary) beside 1080 x 1920 at 1920, 0. The window tests' RealMonitors
# run there twice: as Windows 10, which spans the wallpaper file, and as Windows 7, which tiles it
# from the primary monitor's corner. The prefix is BUILD/wine-monitors, made on the first run.
#   bash tests/monitors/run.sh BUILD     (BUILD: the Windows tree)
# The two X displays are the first free ones from :140 up, or those of MX_TEST_DISPLAYS ("40 41").
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)

export WINEPREFIX="$build/wine-monitors" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
servers=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# Starts an X server (its command after the display) on the first of the displays given that it can
# take: another test run may take a display between a look and a start, so a display is ours only
# once its lock file holds our server's process. Sets `display`.
start_server() {
  local candidates=$1 n pid
  shift
  for n in $candidates; do
    [ -e "/tmp/.X$n-lock" ] && continue
    "$@" ":$n" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      if [ "$(tr -d ' \n' < "/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ] && [ -e "/tmp/.X11-unix/X$n" ]; then
        servers+=("$pid")
        display=$n
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
  done
  echo "no X display could be started of: $candidates" >&2
  return 1
}
read -r host nested <<< "${MX_TEST_DISPLAYS:-}" || true
start_server "${host:-$(seq 140 199)}" Xvfb -screen 0 3200x2000x24 -nolisten tcp
host=$display
export DISPLAY=":$host"
start_server "${nested:-$(seq $((host + 1)) 199)}" \
  Xephyr +xinerama -extension RANDR -screen 1920x1080+0+0 -screen 1080x1920+1920+0 -nolisten tcp
nested=$display

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
