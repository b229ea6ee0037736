#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test:
# unit tests (ASan/UBSan), fuzz targets (bounded) and the Wine acceptance
# scenarios.  Usage: tools/test.sh [ctest arguments, e.g. -L unit]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARON_BUILD:-$root/build}

"$root/tools/setup-machine.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure --timeout 900 "$@"
