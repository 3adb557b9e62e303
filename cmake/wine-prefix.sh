#!/usr/bin/env bash
# Makes (once) and starts the Wine prefix named by $WINEPREFIX.
#   wine-prefix.sh test   headless: the null graphics driver, a persistent wineserver, and the drive T:
#                         that the window tests use for their scratch drive roots
#   wine-prefix.sh run    a 1024 x 768 virtual desktop, for ./run
set -euo pipefail
mode=${1:-run}
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
if [ "$mode" = test ]; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_t"
  ln -sfn ../drive_t "$WINEPREFIX/dosdevices/t:"
  wineserver -p
else
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
fi
