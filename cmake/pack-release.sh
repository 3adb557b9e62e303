#!/usr/bin/env bash
# Strips the two programs of BUILD into OUT (keeping their debug information beside them) and makes
# the installer and the zip there: pack-release.sh BUILD OUT VERSION
set -euo pipefail
build=$1 out=$2 version=$3
root=$(cd "$(dirname "$0")/.." && pwd)
stage="$out/stage"
rm -rf "$stage" && mkdir -p "$stage"
for program in MXSelect MXRandom; do
  x86_64-w64-mingw32-objcopy --only-keep-debug "$build/$program.exe" "$out/$program.debug"
  x86_64-w64-mingw32-objcopy --strip-all --add-gnu-debuglink="$out/$program.debug" "$build/$program.exe" "$stage/$program.exe"
done
cp "$root/src/app/mxselect.ico" "$stage/"
makensis -V2 -DVERSION="$version" -DSOURCE="$(cd "$stage" && pwd)" \
  -DOUTFILE="$(cd "$out" && pwd)/MosaluxSelector-$version-setup.exe" "$root/installer/MosaluxSelector.nsi"
rm -f "$out/MosaluxSelector-$version.zip"
(cd "$stage" && zip -q -9 "../MosaluxSelector-$version.zip" MXSelect.exe MXRandom.exe)
