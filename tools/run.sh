#!/usr/bin/env bash
# Sets up the machine, builds, and runs Tessaron under Wine.
#
# With a display (DISPLAY set): Wine's desktop opens there with Tessaron in
# its notification area; the script ends when Tessaron ends ("Exit" in its
# menu) or on Ctrl-C.
# Without one: Tessaron runs under a private Xvfb; the script opens the tray
# menu, writes PNG screenshots of the tray and of the tray menu into the
# build tree, says where, and stops.
#
# Everything it starts (Xvfb, the Wine session of its own prefix) it stops.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARON_BUILD:-$root/build}

"$root/tools/setup-machine.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target windows-x64

# shellcheck source=wine-env.sh
source "$root/tools/wine-env.sh"
bin=$build/windows-x64  # the 64-bit twin: it runs wherever Wine runs
state=$build/run
prefix=$state/prefix
shots=$build/screenshots
mkdir -p "$state"

headless=
if [ -z "${DISPLAY:-}" ]; then headless=1; fi

stop_everything() {
  session_stop "$prefix"
  if [ -n "$headless" ]; then xvfb_stop "$state"; fi
}
trap stop_everything EXIT
trap 'exit 130' INT TERM

if [ -n "$headless" ]; then
  xvfb_start "$state"
fi
prefix_create "$prefix" "$build/wine-template"
export WINEPREFIX=$prefix
session_start "$prefix"

# Installed as setup installs it: the program with its help file beside it.
mkdir -p "$prefix/drive_c/Tessaron"
cp "$bin/Tessaron.exe" "$prefix/drive_c/Tessaron/"
if [ -f "$bin/TESSARON.HLP" ]; then cp "$bin/TESSARON.HLP" "$prefix/drive_c/Tessaron/"; fi

if [ -z "$headless" ]; then
  echo "Tessaron runs in Wine's desktop on $DISPLAY: right-click its icon in the tray"
  echo "at the lower right; \"Exit\" in its menu ends it."
  wine 'C:\Tessaron\Tessaron.exe' >"$state/tessaron.log" 2>&1 || true
  exit 0
fi

# Takes a screenshot once the screen has stopped changing (the tray paints
# its icons a moment after the program added them).
screenshot() {
  local out=$1 previous="" current tries=0
  while :; do
    /usr/bin/import -display "$DISPLAY" -window root -crop 800x600+0+0 +repage \
      -define png:exclude-chunks=date,time "$out"
    current=$(md5sum <"$out")
    tries=$((tries + 1))
    if [ "$current" = "$previous" ] || [ $tries -ge 20 ]; then break; fi
    previous=$current
    sleep 0.3
  done
}

mkdir -p "$shots"
wine "$bin/driver.exe" --start-tessaron 'C:\Tessaron\Tessaron.exe' >"$state/driver.log" 2>&1 ||
  { cat "$state/driver.log"; exit 1; }
screenshot "$shots/tray.png"
wine "$bin/driver.exe" --open-tray-menu >>"$state/driver.log" 2>&1 ||
  { cat "$state/driver.log"; exit 1; }
screenshot "$shots/tray-menu.png"
echo "Screenshots of Tessaron under Wine:"
echo "  $shots/tray.png"
echo "  $shots/tray-menu.png"
