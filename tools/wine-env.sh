# Shell helpers for running the Windows programs under Wine: a private X
# server, a private Wine prefix and one Wine session kept alive between
# programs.  Sourced by tools/run.sh and tests/acceptance/harness.sh.
#
# Everything here acts only on what it started itself: the X server by its
# process id, the Wine session through its own WINEPREFIX.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine keeps per-user state under the home directory: make sure there is one
# even when the caller's environment names none (a bare CI runner).
if [ -z "${HOME:-}" ]; then
  HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
  export HOME
fi

# Poll a command until it succeeds or the time runs out (in tenths of a second).
wait_until() {
  local tenths=$1; shift
  while ! "$@" 2>/dev/null; do
    tenths=$((tenths - 1))
    if [ "$tenths" -le 0 ]; then return 1; fi
    sleep 0.1
  done
}

# Is pid still the X server that we started (and not a reused number)?
is_our_xvfb() {
  local pid=$1
  [ -n "$pid" ] && [ -r "/proc/$pid/cmdline" ] &&
    tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q '^Xvfb '
}

# xvfb_start <state dir>: starts Xvfb on a free display; exports DISPLAY and
# leaves the pid and display in <state dir>/xvfb.pid and xvfb.display.
xvfb_start() {
  local dir=$1 fdfile pid display
  mkdir -p "$dir"
  xvfb_stop "$dir"
  fdfile=$dir/xvfb.displayfd
  : >"$fdfile"
  # -displayfd lets the server pick a free display number and tell us.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    3>"$fdfile" >"$dir/xvfb.log" 2>&1 </dev/null &
  pid=$!
  echo "$pid" >"$dir/xvfb.pid"
  if ! wait_until 300 grep -q '[0-9]' "$fdfile"; then
    echo "Xvfb did not start; see $dir/xvfb.log" >&2
    xvfb_stop "$dir"
    return 1
  fi
  display=:$(tr -dc '0-9' <"$fdfile")
  echo "$display" >"$dir/xvfb.display"
  export DISPLAY=$display
}

# xvfb_use <state dir>: exports DISPLAY of the server started by xvfb_start.
xvfb_use() {
  local dir=$1
  is_our_xvfb "$(cat "$dir/xvfb.pid" 2>/dev/null)" || return 1
  DISPLAY=$(cat "$dir/xvfb.display")
  export DISPLAY
}

# xvfb_stop <state dir>: stops the server started by xvfb_start, if it runs.
xvfb_stop() {
  local dir=$1 pid
  pid=$(cat "$dir/xvfb.pid" 2>/dev/null) || return 0
  if is_our_xvfb "$pid"; then
    kill "$pid" 2>/dev/null || true
    wait_until 50 eval "! kill -0 $pid" || kill -9 "$pid" 2>/dev/null || true
  fi
  rm -f "$dir/xvfb.pid" "$dir/xvfb.display"
}

# prefix_stamp: what a ready prefix was made from; a different Wine rebuilds
# it.  Adding or removing a half of Wine (wine32:i386 beside the 64-bit one)
# leaves an older prefix unable to start ("could not load kernel32.dll"), so
# every installed Wine package and its version is part of the stamp.
prefix_stamp() {
  local packages
  packages=$(dpkg-query -W -f='${Package}:${Architecture}=${Version}\n' 'wine*' 'libwine*' 2>/dev/null |
    grep -v '=$' | LC_ALL=C sort | xargs)
  echo "$(wine --version 2>/dev/null) [$packages] fonts+desktop800x600 v1"
}

# prefix_create <prefix> <template>: a ready prefix at <prefix>, copied from
# <template>.  The template is made once (wineboot ~12 s, fonts, virtual
# desktop); copying it takes a fraction of a second.
prefix_create() {
  local prefix=$1 template=$2 stamp
  stamp=$(prefix_stamp)
  session_stop "$prefix"
  rm -rf "$prefix"
  mkdir -p "$(dirname "$template")"
  # Several prefixes may be made from one template at once (the twin's and
  # the shipped programs' runs): one of them makes it, the others wait.
  exec 9>"$template.lock"
  flock 9
  if [ "$(cat "$template/.tessaron-stamp" 2>/dev/null)" != "$stamp" ]; then
    echo "Creating the Wine prefix template $template (once per build tree)"
    session_stop "$template" 9>&-
    rm -rf "$template"
    mkdir -p "$(dirname "$template")"
    (
      export WINEPREFIX=$template
      wineboot -i >/dev/null 2>&1
      # This Wine does not look in its own font folder.
      mkdir -p "$template/drive_c/windows/Fonts"
      for f in /usr/share/wine/fonts/*; do
        ln -sf "$f" "$template/drive_c/windows/Fonts/$(basename "$f")"
      done
      # One virtual desktop for every program: captions, a taskbar with a
      # tray, and no window manager needed.
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
    ) 9>&-  # Wine's server outlives wineboot: it must not hold the lock
    session_stop "$template"
    if [ ! -f "$template/system.reg" ] || [ ! -d "$template/drive_c/windows" ] ||
       ! grep -q '^"Desktop"="Default"' "$template/user.reg"; then
      echo "wineboot did not make a usable prefix at $template" >&2
      flock -u 9
      exec 9>&-
      return 1
    fi
    echo "$stamp" >"$template/.tessaron-stamp"
  fi
  cp -a "$template" "$prefix"
  flock -u 9
  exec 9>&-
}

# session_start <prefix>: keeps a Wine session alive for this prefix (the
# server then outlives single programs), so later programs start quickly.
session_start() {
  WINEPREFIX=$1 wineserver -p >/dev/null 2>&1 </dev/null
}

# session_stop <prefix>: ends the Wine session of this prefix, and only it.
session_stop() {
  [ -d "$1" ] || return 0
  WINEPREFIX=$1 wineserver -k 2>/dev/null || true
  WINEPREFIX=$1 wineserver -w 2>/dev/null || true
}

# unix_to_windows <path>: the path as Wine's Z: drive shows it.
unix_to_windows() {
  printf 'Z:%s' "$1" | tr '/' '\\'
}
