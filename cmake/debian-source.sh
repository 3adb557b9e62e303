#!/usr/bin/env bash
# Unpacks a Debian source package, with Debian's patches applied, for the Windows build to compile:
#   debian-source.sh SOURCE-PACKAGE BINARY-PACKAGE DEST
# The version is the one of BINARY-PACKAGE installed here (the native build links that one), else
# the newest the sources offer. The folder DEST/SOURCE-PACKAGE is made once; later calls only print
# it. apt works in a private state under DEST/apt, with deb-src entries copied from the machine's
# own sources, so that the machine's package lists and caches are left exactly as they are.
set -euo pipefail
src=$1 bin=$2 dest=$3
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
out="$dest/$src"
if [ -f "$out/.unpacked" ]; then
  echo "$out"
  exit 0
fi

apt="$dest/apt"
mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d"
: > "$apt/sources.list"
# One-line entries: every "deb" line becomes a "deb-src" line.
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >> "$apt/sources.list"
fi
for f in /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >> "$apt/sources.list"
done
# deb822 entries: the same stanzas with Types: deb-src.
rm -f "$apt/sources.list.d/"*.sources
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" > "$apt/sources.list.d/$(basename "$f")"
done

opts=(-o "Dir::State=$apt/state" -o "Dir::Cache=$apt/cache"
      -o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
      -o "APT::Sandbox::User=root")
if [ -z "$(find "$apt/state/lists" -maxdepth 1 -name '*Sources*' -print -quit)" ]; then
  # A source that offers no deb-src index fails here without harm to the others.
  apt-get "${opts[@]}" update -qq >&2 || true
fi

version=$(dpkg-query -W -f='${source:Version}' "$bin" 2>/dev/null || true)
work=$(mktemp -d "$dest/.unpack.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The installed version first, then every version the indexes offer, newest first: a security
# archive may list a version whose files it no longer (or not yet) serves.
offered=$(apt-cache "${opts[@]}" showsrc "$src" 2>/dev/null | sed -n 's/^Version: //p' | sort -Vru)
(
  cd "$work"
  for v in $version $offered; do
    apt-get "${opts[@]}" source -qq "$src=$v" >&2 && exit 0
    rm -rf ./*
  done
  exit 1
)
unpacked=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
[ -n "$unpacked" ] || { echo "apt-get source $src unpacked nothing" >&2; exit 1; }
rm -rf "$out"
mv "$unpacked" "$out"
touch "$out/.unpacked"
echo "$out"
