#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test:
# unit tests (ASan/UBSan), fuzz targets (bounded) and the Wine acceptance
# scenarios, on the 64-bit twin and on the shipped 32-bit programs where
# this machine's kernel runs 32-bit programs.  Ends with one line that says
# whether the shipped programs ran, and if not, why.
# Usage: tools/test.sh [ctest arguments, e.g. -L unit]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARON_BUILD:-$root/build}

"$root/tools/setup-machine.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build"
cd "$build"

# What the shipped programs' run did in this run of CTest: its fixture
# leaves a reason when it skips, and each scenario a log.
shipped=$build/shipped
since=$(mktemp)
trap 'rm -f "$since"' EXIT
result=0
ctest --output-on-failure --timeout 900 "$@" || result=$?

if [ -f "$shipped/skip" ] && [ "$shipped/skip" -nt "$since" ]; then
  echo "Shipped 32-bit programs: not run, their scenarios were skipped: $(cat "$shipped/skip")"
else
  ran=$(find "$shipped/logs" -name '*.log' -newer "$since" 2>/dev/null | wc -l)
  if [ "$ran" -gt 0 ]; then
    echo "Shipped 32-bit programs: ran $ran scenarios under Debian's 32-bit Wine (wine32:i386), as the 64-bit twin's run does"
  else
    echo "Shipped 32-bit programs: not run, this selection of tests holds none of label shipped"
  fi
fi
exit $result
