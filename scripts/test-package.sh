#!/usr/bin/env bash
# Installs the built vorna_*.deb into a throwaway Debian 12 root and plays it there: on the
# PATH, menu entry and icons in place, title text on screen, music playing, maze file in the
# user's state folder, a clean quit. Needs root (debootstrap, chroot) and a few minutes.
#
#   scripts/test-package.sh [BUILD_DIR]      (BUILD_DIR holds the .deb; default: build)
#   VORNA_TEST_CLEANUP_ONLY=1 ...            builds the root, mounts, starts a process inside,
#                                            then only checks that cleanup removes it all safely
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=VORNA_TEST_CLEANUP_ONLY bash "$0" "$build"
fi

deb=$(ls -t "$build"/vorna_*_amd64.deb 2>/dev/null | head -n 1 || true)
[ -n "$deb" ] || { echo "test-package: no vorna_*_amd64.deb in $build (run make package)" >&2; exit 1; }
for tool in debootstrap chroot /usr/bin/convert; do
  command -v "$tool" >/dev/null || { echo "test-package: $tool missing (make deps)" >&2; exit 1; }
done

mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
mirror=${mirror:-http://deb.debian.org/debian}
cache="$build/package-test"
mkdir -p "$cache/archives"

# Everything throwaway lives under $top: the Debian root, and debootstrap's download folder.
top=$(mktemp -d /var/tmp/vorna-root.XXXXXX)
root="$top/root"
# /proc/mounts escapes unusual characters; a plain path matches it byte for byte.
case "$top" in *[!A-Za-z0-9/._-]*) echo "test-package: unexpected path $top" >&2; exit 1 ;; esac

mounts_under_root() {
  awk -v r="$top" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/mounts
}

processes_in_root() {
  local p link
  for p in /proc/[0-9]*; do
    link=$(readlink "$p/root" 2>/dev/null) || continue
    if [ "$link" = "$top" ] || [ "${link#"$top"/}" != "$link" ]; then echo "${p#/proc/}"; fi
  done
}

# Never delete the root while anything is mounted in it: with /dev bound there, rm would
# delete the machine's own device nodes.
cleanup() {
  local status=$? pids m i
  trap - EXIT INT TERM
  set +e
  for i in 1 2 3 4 5; do
    pids=$(processes_in_root)
    [ -z "$pids" ] && break
    # shellcheck disable=SC2086
    kill -KILL $pids 2>/dev/null
    sleep 0.2
  done
  [ -n "$(processes_in_root)" ] && echo "test-package: processes still in $top" >&2
  for i in 1 2 3; do
    for m in $(mounts_under_root | awk '{ print length($0) " " $0 }' | sort -rn | cut -d' ' -f2-); do
      umount -l "$m" 2>/dev/null || echo "test-package: umount -l $m failed" >&2
    done
    [ -z "$(mounts_under_root)" ] && break
  done
  if [ -n "$(mounts_under_root)" ]; then
    echo "test-package: still mounted, NOT deleting $top:" >&2
    mounts_under_root >&2
    exit 1
  fi
  rm -rf --one-file-system "$top"
  echo "test-package: removed $top"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

step() { echo "== $* ($(date +%T))"; }

# A minimal Debian 12. Kept in the build tree for the next run: its packages, and the pristine
# root itself (unpacking it takes seconds, debootstrap minutes).
tarball="$cache/bookworm-minbase.tgz"
base="$cache/bookworm-minbase-root.tar"
if [ -s "$base" ]; then
  step "unpacking the pristine Debian 12 root into $root"
  mkdir "$root"
  tar -C "$root" --numeric-owner -xpf "$base"
else
  if [ ! -s "$tarball" ]; then
    step "downloading a minimal Debian 12 into $tarball"
    debootstrap --variant=minbase --make-tarball="$tarball.part" bookworm "$top/download" \
      "$mirror" >"$cache/debootstrap.log" 2>&1 || { cat "$cache/debootstrap.log" >&2; exit 1; }
    mv "$tarball.part" "$tarball"
  fi
  step "debootstrap --variant=minbase bookworm $root"
  debootstrap --variant=minbase --unpack-tarball="$tarball" bookworm "$root" "$mirror" \
    >"$cache/debootstrap.log" 2>&1 || { cat "$cache/debootstrap.log" >&2; exit 1; }
  [ -z "$(mounts_under_root)" ] || { echo "test-package: debootstrap left mounts" >&2; exit 1; }
  tar -C "$root" --numeric-owner -cpf "$base.part" . && mv "$base.part" "$base"
fi

rm -f "$root/etc/apt/sources.list"
cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"

if [ -n "${VORNA_TEST_CLEANUP_ONLY:-}" ]; then
  step "cleanup check: a process left running inside, then cleanup"
  chroot "$root" sleep 600 &
  sleep 1
  [ -n "$(processes_in_root)" ] || { echo "test-package: no process inside" >&2; exit 1; }
  exit 0
fi

cp "$deb" "$root/tmp/"
cp "$here/package-check.sh" "$build/packaging/package-names.sh" \
  "$build/packaging/installed-files.txt" "$root/tmp/"
cp "$cache"/archives/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true

# An X display number free on this machine: X servers listen on abstract sockets, which a
# chroot shares with the host.
display=""
for n in $(seq 140 240); do
  if [ ! -e "/tmp/.X$n-lock" ] && ! grep -q "/tmp/.X11-unix/X$n\$" /proc/net/unix; then
    display=$n
    break
  fi
done
[ -n "$display" ] || { echo "test-package: no free X display" >&2; exit 1; }

step "in the root: apt-get install ./$(basename "$deb"), then play"
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  bash /tmp/package-check.sh "/tmp/$(basename "$deb")" "$display"
cp "$root"/var/cache/apt/archives/*.deb "$cache/archives/" 2>/dev/null || true

# The title screen as the installed game drew it: white with dark text.
dark=$(/usr/bin/convert "$root/tmp/title.xwd" -colorspace gray -threshold 50% -negate \
  -format '%[fx:round(mean*w*h)]' info:)
echo "title screen: $dark dark pixels of 250000"
if [ "$dark" -lt 200 ] || [ "$dark" -gt 200000 ]; then
  echo "test-package: the installed game shows no text" >&2
  exit 1
fi
step "package test passed"
