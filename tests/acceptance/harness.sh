#!/usr/bin/env bash
# Runs the acceptance scenarios under Wine; CTest calls it (see acceptance.cmake).
#
#   harness.sh start <state dir> <Windows build dir> [twin|shipped]
#       starts a private Xvfb, makes the Wine prefix <state dir>/prefix and
#       keeps one Wine session alive for it (the CTest fixture's set-up).
#       "shipped" is the shipped 32-bit build: where this machine cannot run
#       32-bit programs, it says why and exits with 77 (CTest's skipped),
#       and so does every run of that state dir
#   harness.sh run <state dir> <scenario> [<drives> [<dpi>]]
#       cleans the prefix, gives it the drives the scenario asks for
#       ("d:cdrom a:floppy:missing" ...) and the display's DPI (96 unless
#       given), copies the programs in and runs driver.exe <scenario>;
#       exits with the driver's result
#   harness.sh stop <state dir>
#       ends the Wine session of the prefix and stops the Xvfb (the fixture's
#       clean-up); after a skipped start it exits with 77 too
#
# Only what was started here is ever stopped: the X server by its process
# id, the Wine session through this prefix's WINEPREFIX.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../tools/wine-env.sh
source "$here/../../tools/wine-env.sh"

usage() {
  echo "usage: harness.sh start <state dir> <Windows build dir> [twin|shipped] | run <state dir> <scenario> [<drives> [<dpi>]] | stop <state dir>" >&2
  exit 2
}

[ $# -ge 2 ] || usage
command=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
prefix=$state/prefix
template=$(dirname "$state")/wine-template

# Everything on C: that the fresh prefix holds; the rest is scenario leftovers.
take_manifest() {
  (cd "$prefix/drive_c" && find . -mindepth 1 | LC_ALL=C sort) >"$state/manifest"
}

session_restart() {
  session_stop "$prefix"
  session_start "$prefix"
}

clean_prefix() {
  (cd "$prefix/drive_c" && find . -mindepth 1 | LC_ALL=C sort) |
    LC_ALL=C comm -13 "$state/manifest" - |
    while IFS= read -r path; do rm -rf "${prefix:?}/drive_c/$path"; done
  if [ -d "$state/drives" ]; then
    find "$state/drives" -mindepth 2 -maxdepth 2 -exec rm -rf {} + 2>/dev/null || true
  fi
}

# What the Wine session is made with: the drives beyond the prefix's own
# (C: and Z:), as "letter:type[:missing]" words, and the display's DPI.
# Wine reads the drive list and the DPI when its session starts, so a
# change of either restarts the session.
#
# At 96 DPI the session shows the dialogs as Windows 95, 98 and ME do:
# there "MS Shell Dlg", the programs' dialog font, is "MS Sans Serif".  A
# scaled display is the NT family's, where it is "Microsoft Sans Serif", a
# scalable face with the widths of "MS Sans Serif", whose design follows
# Helvetica's.  Wine has neither; Debian's "Liberation Sans", with the
# widths of Arial and so of Helvetica, stands in for it (Wine's own choice,
# Tahoma, is wider: it cuts some 20 of the programs' texts that the
# original face leaves whole).
configure_session() {
  local drives dpi wanted current word letter type missing
  # shellcheck disable=SC2086 # one word per drive
  drives=$(for word in $1; do echo "$word"; done | tr 'A-Z' 'a-z' | LC_ALL=C sort | xargs)
  dpi=${2:-96}
  case $dpi in *[!0-9]*|'') echo "harness: bad DPI '$dpi'" >&2; return 1 ;; esac
  wanted="${drives:-C: and Z: only}, $dpi DPI"
  current=$(cat "$state/session.current" 2>/dev/null || true)
  [ "$wanted" = "$current" ] && return 0
  echo "harness: session: $wanted"
  session_stop "$prefix"
  # Half done is unknown: the next run configures again.
  rm -f "$state/session.current"
  for link in "$prefix"/dosdevices/*; do
    case $(basename "$link") in
      c:|z:|com*|lpt*) ;;
      *) rm -f "$link" ;;
    esac
  done
  # Back to the fresh registry, then the drive types and the display.  A
  # key given again in a registry file takes the values given last.
  cp "$template/system.reg" "$prefix/system.reg"
  {
    printf '\n[Software\\\\Wine\\\\Drives] 0\n'
    for word in $drives; do
      IFS=: read -r letter type missing <<<"$word"
      case $letter in [a-y]) ;; *) echo "harness: bad drive letter in '$word'" >&2; return 1 ;; esac
      case $type in hd|floppy|cdrom|network|ramdisk) ;; *) echo "harness: bad drive type in '$word'" >&2; return 1 ;; esac
      case $missing in ''|missing) ;; *) echo "harness: bad drive option in '$word'" >&2; return 1 ;; esac
      printf '"%s:"="%s"\n' "$letter" "$type"
    done
    printf '\n[System\\\\CurrentControlSet\\\\Hardware Profiles\\\\Current\\\\Software\\\\Fonts] 0\n"LogPixels"=dword:%08x\n' "$dpi"
    if [ "$dpi" = 96 ]; then face="MS Sans Serif"; else face="Liberation Sans"; fi
    printf '\n[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\FontSubstitutes] 0\n"MS Shell Dlg"="%s"\n' "$face"
  } >>"$prefix/system.reg"
  printf '\n[Control Panel\\\\Desktop] 0\n"LogPixels"=dword:%08x\n' "$dpi" >>"$prefix/user.reg"
  mkdir -p "$state/drives"
  for word in $drives; do
    IFS=: read -r letter type missing <<<"$word"
    if [ "$missing" = missing ]; then
      # A link to nothing stands for a drive without a disc.
      ln -sfn "$state/drives/$letter-absent" "$prefix/dosdevices/$letter:"
    else
      mkdir -p "$state/drives/$letter"
      ln -sfn "$state/drives/$letter" "$prefix/dosdevices/$letter:"
    fi
  done
  printf '%s' "$wanted" >"$state/session.current"
  session_start "$prefix"
}

copy_programs() {
  local bin=$1
  mkdir -p "$prefix/drive_c/Tessaron" "$prefix/drive_c/rec"
  cp "$bin/Tessaron.exe" "$prefix/drive_c/Tessaron/Tessaron.exe"
  cp "$bin/recorder.exe" "$prefix/drive_c/rec/recorder.exe"
}

# Why the shipped 32-bit programs cannot run here, or nothing when they can.
# The answer of tools/setup-machine.sh's probe is kept in the build tree.
shipped_cannot_run() {
  local answer
  answer=$(cat "$(dirname "$state")/kernel32.txt" 2>/dev/null || "$here/../../tools/probe-kernel32.sh")
  if [ "$answer" != yes ]; then
    echo "${answer#no: }"
  elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    echo "Debian's 32-bit Wine (wine32:i386) is not installed; tools/setup-machine.sh installs it"
  fi
}

# A skipped run: the reason, and CTest's skipped state.
skip_code=77

# After a skipped start every later step of that state dir is skipped too.
skip_after_skipped_start() {
  if [ -f "$state/skip" ]; then
    echo "harness: $1: $(cat "$state/skip")"
    exit $skip_code
  fi
}

case $command in
start)
  [ $# -ge 3 ] && [ $# -le 4 ] || usage
  mode=${4:-twin}
  case $mode in twin|shipped) ;; *) usage ;; esac
  rm -f "$state/skip"
  if [ "$mode" = shipped ]; then
    why=$(shipped_cannot_run)
    if [ -n "$why" ]; then
      printf '%s\n' "$why" >"$state/skip"
      echo "harness: the shipped programs' scenarios are skipped on this machine: $why"
      exit $skip_code
    fi
  fi
  bin=$(cd "$3" && pwd)
  for program in Tessaron.exe driver.exe recorder.exe; do
    [ -f "$bin/$program" ] || { echo "harness: $bin/$program is missing; build first" >&2; exit 1; }
  done
  # What the scenarios start must be what the distribution ships.
  for pair in Tessaron.exe:Tessaron.ex_ TESSARON.HLP:Tessaron.hl_ setup.exe:setup.exe Kelvey.exe:Kelvey.ex_; do
    if ! cmp -s "$bin/${pair%%:*}" "$bin/dist/${pair#*:}"; then
      echo "harness: $bin/${pair%%:*} differs from the distribution's ${pair#*:}" >&2
      exit 1
    fi
  done
  # A run that was interrupted may have left its session and server behind.
  session_stop "$prefix"
  xvfb_stop "$state"
  xvfb_start "$state" || exit 1
  prefix_create "$prefix" "$template" || { xvfb_stop "$state"; exit 1; }
  echo "$bin" >"$state/bin"
  rm -f "$state/session.current"
  rm -rf "$state/drives"
  configure_session "" "" || { xvfb_stop "$state"; exit 1; }
  # The first program of a session starts Wine's services and the desktop;
  # do it now, so that the manifest sees what they create.
  # Wine's services inherit the output of the program that started them and
  # outlive it: never let them hold CTest's pipe.
  if ! WINEPREFIX=$prefix wine "$bin/driver.exe" --warm-up >"$state/warm-up.log" 2>&1; then
    cat "$state/warm-up.log"
    echo "harness: Wine does not start" >&2
    exit 1
  fi
  take_manifest
  echo "harness: Wine prefix $prefix ready on display $DISPLAY"
  ;;
run)
  [ $# -ge 3 ] && [ $# -le 5 ] || usage
  scenario=$3
  drives=${4:-}
  dpi=${5:-}
  skip_after_skipped_start "$scenario skipped"
  if ! xvfb_use "$state" || [ ! -f "$state/manifest" ]; then
    echo "harness: the acceptance X server and prefix are not running; run the fixture acceptance.start (ctest -L acceptance does)" >&2
    exit 1
  fi
  bin=$(cat "$state/bin")
  export WINEPREFIX=$prefix
  configure_session "$drives" "$dpi" || exit 1
  export ACCEPTANCE_DPI=${dpi:-96}
  clean_prefix
  copy_programs "$bin"
  export TESSARON_BIN
  TESSARON_BIN=$(unix_to_windows "$bin")
  # Wine takes its ANSI code page from the locale, which glibc must have:
  # made once per build tree from the locales package's sources.
  if [ -n "${ACCEPTANCE_LOCALE:-}" ]; then
    locales=$state/locales
    if [ ! -f "$locales/$ACCEPTANCE_LOCALE/LC_CTYPE" ]; then
      mkdir -p "$locales"
      localedef -i "${ACCEPTANCE_LOCALE%%.*}" -f "${ACCEPTANCE_LOCALE#*.}" "$locales/$ACCEPTANCE_LOCALE" >/dev/null 2>&1
      [ -f "$locales/$ACCEPTANCE_LOCALE/LC_CTYPE" ] || { echo "harness: cannot make the locale $ACCEPTANCE_LOCALE" >&2; exit 1; }
    fi
    export LC_ALL=$ACCEPTANCE_LOCALE LOCPATH=$locales
  fi
  mkdir -p "$state/logs"
  # Named as its test, so that each DPI's run of a scenario keeps its own.
  log=$state/logs/$scenario${dpi:+_${dpi}dpi}.log
  # Through a file: programs that Wine starts on the way must not hold
  # CTest's pipe open after the driver has ended.
  run_driver() {
    timeout -k 5 "${ACCEPTANCE_SCENARIO_SECONDS:-100}" wine "$bin/driver.exe" "$scenario"
  }
  run_driver >"$log" 2>&1
  result=$?
  # The driver names its scenario before anything else.  Nothing at all
  # means Wine did not start it (seen once in some 400 starts): the
  # scenario has not run, so start it once more, and say so in its log.
  if [ $result -ne 0 ] && [ ! -s "$log" ]; then
    echo "harness: Wine did not start driver.exe (exit code $result, no output); starting it again" >"$log.retry"
    session_restart
    clean_prefix
    copy_programs "$bin"
    run_driver >>"$log.retry" 2>&1
    result=$?
    mv "$log.retry" "$log"
  fi
  cat "$log"
  if [ $result -ne 0 ]; then
    [ $result -eq 124 ] && echo "harness: scenario $scenario timed out"
    # Nothing of a failed scenario may reach the next one.
    session_restart
  fi
  exit $result
  ;;
stop)
  [ $# -eq 2 ] || usage
  # A skipped start started nothing to stop.
  skip_after_skipped_start "nothing to stop, the run was skipped"
  session_stop "$prefix"
  xvfb_stop "$state"
  echo "harness: stopped"
  ;;
*)
  usage
  ;;
esac
