#!/usr/bin/env bash
# Runs inside the throwaway Debian root of test-package.sh, as root:
#   package-check.sh /tmp/vorna_<version>_amd64.deb DISPLAY_NUMBER
# with the build's package-names.sh (the app id) and installed-files.txt (every file the package
# installs, relative to /usr) beside it.
# Installs the package as a user would, then plays it as an ordinary user from a folder that
# holds none of its files. Leaves the title screen in /tmp/title.xwd for the host to read.
set -euo pipefail
deb=$1
display=":$2"
# shellcheck source=/dev/null
. "$(dirname "$0")/package-names.sh"
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8

fail() {
  echo "package-check: $*" >&2
  exit 1
}

apt-get -q update >/tmp/apt.log 2>&1 || { cat /tmp/apt.log >&2; fail "apt-get update failed"; }
# Only what the package itself depends on: nothing recommended may be needed.
apt-get install -y -q --no-install-recommends "$deb" >>/tmp/apt.log 2>&1 ||
  { cat /tmp/apt.log >&2; fail "installing the package failed"; }
echo "installed: $(dpkg-query -W -f='${Package} ${Version} (${Section})' vorna)"
echo "depends:   $(dpkg-query -W -f='${Depends}' vorna)"

# What a desktop needs, where it looks for it.
mapfile -t installed <"$(dirname "$0")/installed-files.txt"
for f in "${installed[@]}"; do
  [ -s "/usr/$f" ] || fail "/usr/$f missing"
done
id=$VORNA_APP_ID
entry=/usr/share/applications/$id.desktop
grep -qx 'Exec=vorna' "$entry" || fail "menu entry does not start vorna"
grep -qx "Icon=$id" "$entry" || fail "menu entry names another icon"
echo "all ${#installed[@]} files in place: the game, its data, menu entry, icons, metadata, man page"

# The X server and the tools that drive the game: not the game's, only the test's.
apt-get install -y -q --no-install-recommends xvfb xdotool x11-apps >>/tmp/apt.log 2>&1 ||
  { cat /tmp/apt.log >&2; fail "installing Xvfb failed"; }

useradd --create-home player
# A login shell's PATH: the game must be found there by its bare name.
found=$(su - player -c 'command -v vorna') || fail "vorna is not on a user's PATH"
[ "$found" = /usr/games/vorna ] || fail "vorna found at $found"
version=$(su - player -c 'vorna --version')
echo "vorna --version: $version"
[ "$version" = "vorna $(dpkg-query -W -f='${Version}' vorna)" ] || fail "wrong version line"

Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done

# The game from an empty folder, its sound into a file. The state folder is the default one.
su - player -c "mkdir -p elsewhere && cd elsewhere && DISPLAY=$display SDL_AUDIODRIVER=disk \
  SDL_DISKAUDIOFILE=/home/player/sound.raw exec vorna >/home/player/out.txt 2>&1" &
game=$!
export DISPLAY=$display
win=$(timeout 60 xdotool search --sync --onlyvisible --classname '^vorna$' | head -n 1) ||
  fail "no game window: $(cat /home/player/out.txt)"
# The story crawl scrolls into view: wait until the window's 500 x 500 pixels hold text, dark
# pixels whose bytes are neither white's 0xff nor the pad byte's 0 (200 pixels, 3 bytes each).
text=0
for _ in $(seq 300); do
  xwd -silent -id "$win" >/tmp/title.xwd
  text=$(tail -c 1000000 /tmp/title.xwd | tr -d '\000\377' | wc -c)
  [ "$text" -ge 600 ] && break
  sleep 0.1
done
[ "$text" -ge 600 ] || fail "no text on the title screen"
xdotool key --window "$win" s
state=/home/player/.local/state/vorna/vorna.txt
for _ in $(seq 100); do
  [ -s "$state" ] && break
  sleep 0.1
done
[ -s "$state" ] || fail "no vorna.txt in the user's state folder"
[ ! -e /home/player/elsewhere/vorna.txt ] || fail "vorna.txt written in the working folder"
echo "maze file: $state ($(wc -l <"$state") lines); none in the working folder"
xdotool key --window "$win" q
status=0
wait "$game" || status=$?
[ "$status" -eq 0 ] || fail "the game ended with status $status: $(cat /home/player/out.txt)"
echo "game output: $(cat /home/player/out.txt)"

# Music: the disk driver's capture holds sound, not only silence.
[ -s /home/player/sound.raw ] || fail "no sound output captured"
loud=$(tr -d '\000' </home/player/sound.raw | wc -c)
echo "sound capture: $(stat -c %s /home/player/sound.raw) bytes, $loud non-zero"
[ "$loud" -gt 1000 ] || fail "the music did not play"

kill "$xvfb" 2>/dev/null || true
wait "$xvfb" 2>/dev/null || true
