#!/usr/bin/env bash
# Fetches freeglut 3.4.0's Debian source package into DIR/src with `apt-get source`, through a
# private apt configuration in DIR/apt (the machine's /etc/apt is left alone), and prints the
# source folder. Cached: once unpacked, a second run fetches nothing.
# Usage: scripts/freeglut-source.sh DIR
set -euo pipefail

DEPS="$(mkdir -p "${1:?deps dir}" && cd "$1" && pwd)"

find_source() { find "$DEPS/src" -maxdepth 1 -type d -name 'freeglut-3.4*' 2>/dev/null | head -n 1 || true; }
src="$(find_source)"
if [ -n "$src" ] && [ -f "$src/src/fg_geometry.c" ]; then
  echo "$src"
  exit 0
fi

# The machine's Debian mirror, as deb-src, in an apt configuration of our own.
APT="$DEPS/apt"
mkdir -p "$APT/lists/partial" "$APT/cache/archives/partial"
mirror="$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)"
mirror="${mirror:-http://deb.debian.org/debian}"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" \
  >"$APT/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$APT/sources.list" -o "Dir::Etc::SourceParts=-"
  -o "Dir::State::Lists=$APT/lists" -o "Dir::Cache=$APT/cache" -o "APT::Sandbox::User=root")
apt-get "${apt_opts[@]}" -q update >&2
rm -rf "$DEPS/src" && mkdir -p "$DEPS/src"
(cd "$DEPS/src" && apt-get "${apt_opts[@]}" -q source freeglut >&2)
src="$(find_source)"
if [ -z "$src" ]; then
  echo "freeglut 3.4 source not found after apt-get source" >&2
  exit 1
fi
echo "$src"
