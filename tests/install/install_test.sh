#!/usr/bin/env bash
# Installs, starts, reinstalls and uninstalls Mosalux Selector in a Wine prefix of its own, as a user
# would from the installer, with answer.exe playing the user at the message boxes:
#   install_test.sh BUILD_DIR (the Windows tree, holding both programs and answer.exe)
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="$build/wine-install" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
passes=0 failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
# Every program started here gets two minutes; one that takes longer fails its step instead of
# holding up the whole run.
wine_program=$(command -v wine)
wine() { timeout --kill-after=5 120 "$wine_program" "$@"; }
settle() { timeout 120 wineserver -w || { echo "FAILED: a program did not end"; failures=$((failures + 1)); wineserver -k; }; }
reg_has() { wine reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }

# A prefix of its own with the null graphics driver; made once, emptied of our traces on every run.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  settle
fi
# A crash ends with its backtrace on the error output instead of waiting in the crash dialog.
if ! grep -qi '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
fi
local_app=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
start_menu=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/Start\ Menu/Programs
dir="$local_app/Programs/Mosalux Selector"
entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\MosaluxSelector'
rm -rf "$dir" "$start_menu/Mosalux Selector.lnk" "$start_menu/Mosalux Selector"
wine reg delete 'HKCU\Software\Kelbrant' /f >/dev/null 2>&1 || true
wine reg delete "$entry" /f >/dev/null 2>&1 || true

out="$build/install-test"
bash "$root/cmake/pack-release.sh" "$build" "$out" 2.0.4b >/dev/null
setup="$out/MosaluxSelector-2.0.4b-setup.exe"
answer="$build/answer.exe"

echo "== silent install"
wine "$setup" /S; settle
for f in MXSelect.exe MXRandom.exe Uninstall.exe; do check "$f installed" test -f "$dir/$f"; done
for f in "Mosalux Selector" "Next Wallpaper"; do check "Start-menu shortcut $f" test -f "$start_menu/Mosalux Selector/$f.lnk"; done
check "entry: name" test "$(reg_value "$entry" DisplayName)" = "Mosalux Selector"
check "entry: version" test "$(reg_value "$entry" DisplayVersion)" = "2.0.4b"
for v in DisplayIcon UninstallString QuietUninstallString EstimatedSize; do check "entry: $v" reg_has "$entry" "$v"; done

echo "== the installed program saves beside itself"
wine "$answer" save-and-close & wine "$dir/MXSelect.exe"; wait; settle
check "MXDATA.MXD in the install folder" test -f "$dir/MXDATA.MXD"
check "the randomizer registered from there" test "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' Mosalux)" = "\"$(winepath -w "$dir")\\MXRandom.exe\""
printf '[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\nC:\\kept.bmp, Tiled\r\n' > "$dir/MXDATA.MXD"
cp "$dir/MXDATA.MXD" "$out/MXDATA.kept"

# The randomizer that stays running, with a change every hour: up once its log says so once more.
stays_running() { local n; n=$(grep -c "Stays running" "$dir/MXRandom.log" 2>/dev/null) || true; echo "${n:-0}"; }
wait_stays_running() {  # wait_stays_running COUNT
  for _ in $(seq 150); do [ "$(stays_running)" -ge "$1" ] && return 0; sleep 0.2; done
  return 1
}
start_resident() {
  local before; before=$(stays_running)
  wine reg add 'HKCU\Software\Kelbrant\Mosalux\Mosalux Selector' /v "Change Interval" /d 60 /f >/dev/null 2>&1
  wine "$dir/MXRandom.exe" --resident &
  check "the randomizer stays running" wait_stays_running $((before + 1))
}

echo "== installing over it keeps the lists, and ends and starts again the randomizer that stays running"
start_resident
before=$(stays_running)
wine "$setup" /S
check "MXDATA.MXD kept" cmp -s "$dir/MXDATA.MXD" "$out/MXDATA.kept"
check "the randomizer ended for the new files" grep -q "Ended, as asked" "$dir/MXRandom.log"
check "and runs again" wait_stays_running $((before + 1))
ended=0; wine "$dir/MXRandom.exe" --exit || ended=$?
check "--exit ends it" test $ended = 0
wait; settle

echo "== uninstall, the question answered No: nothing goes"
wine "$answer" Warning=no & wine "$dir/Uninstall.exe" /S; wait; settle
for f in MXSelect.exe MXRandom.exe Uninstall.exe MXDATA.MXD; do check "$f still there" test -f "$dir/$f"; done
check "entry still there" reg_has "$entry"
check "settings still there" reg_has 'HKCU\Software\Kelbrant\Mosalux'

echo "== uninstall from its window, answered No: it ends by itself, and nothing goes"
wine "$answer" Warning=no & wine "$dir/Uninstall.exe"; wait
# Left on a page that only Cancel closes, it would never end.
ended=yes; timeout 60 wineserver -w || ended=no
[ $ended = yes ] || wineserver -k
check "the uninstaller ended" test $ended = yes
for f in MXSelect.exe MXRandom.exe Uninstall.exe MXDATA.MXD; do check "$f still there" test -f "$dir/$f"; done
check "entry still there" reg_has "$entry"

echo "== uninstall, answered Yes: nothing of ours is left but Software\\Kelbrant"
# What a write killed half-way leaves goes too, and the randomizer's listings of folders.
touch "$dir/~MXDATA.MXD.1c-0.tmp" "$dir/~@MX!BACK.BMP.1c-1.tmp" "$dir/~MXD0f3a9k" "$dir/~@MX!Bq81c2v" \
  "$dir/MXRandom.cache" "$dir/~MXRando0f3a9k"
start_resident
wine "$answer" Warning=yes Information=ok & wine "$dir/Uninstall.exe" /S; wait; settle
check "install folder gone" test ! -e "$dir"
check "shortcuts gone" test ! -e "$start_menu/Mosalux Selector.lnk" -a ! -e "$start_menu/Mosalux Selector"
check "entry gone" bash -c "! wine reg query '$entry' >/dev/null 2>&1"
check "settings gone" bash -c "! wine reg query 'HKCU\\Software\\Kelbrant\\Mosalux' >/dev/null 2>&1"
check "Software\\Kelbrant kept" reg_has 'HKCU\Software\Kelbrant'
check "start-up value gone" bash -c "! wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v Mosalux >/dev/null 2>&1"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
