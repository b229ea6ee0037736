#!/usr/bin/env bash
# Runs the whole acceptance suite again and again (on the 64-bit twin, and
# on the shipped 32-bit programs where this machine runs them), each run
# from fresh Wine prefixes, and counts how often each scenario failed.
#
#   tools/soak.sh [RUNS] [--load]     RUNS defaults to 20
#
# --load: the first run shares the machine with another build that keeps
# both cores busy (a clean build of this checkout in <build>/soak-load,
# started again whenever it finishes, stopped when the run ends).
#
# Prints one line per run, then one line per scenario that failed at least
# once and the overall count; fails when any run failed.  Each run's CTest
# output is kept as <build>/soak/run-<n>.log, and the driver's log of every
# scenario that failed as <build>/soak/run-<n>/<scenario>.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARON_BUILD:-$root/build}
runs=20
load=
for argument in "$@"; do
  case $argument in
    --load) load=1 ;;
    *[!0-9]*|'') echo "usage: tools/soak.sh [RUNS] [--load]" >&2; exit 2 ;;
    *) runs=$argument ;;
  esac
done
[ "$runs" -ge 1 ] || { echo "soak: RUNS must be at least 1" >&2; exit 2; }

"$root/tools/setup-machine.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build"
out=$build/soak
rm -rf "$out"
mkdir -p "$out"

# The other build: in a process group of its own, so that stopping it stops
# its compilers too.
load_pid=
start_load() {
  local tree=$build/soak-load
  set -m
  (
    while :; do
      rm -rf "$tree"
      cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null 2>&1 &&
        cmake --build "$tree" -j 2 >/dev/null 2>&1 || sleep 1
    done
  ) &
  load_pid=$!
  set +m
  echo "soak: run 1 shares the machine with a build of both cores (process group $load_pid)"
}
stop_load() {
  [ -n "$load_pid" ] || return 0
  kill -- "-$load_pid" 2>/dev/null || true
  wait "$load_pid" 2>/dev/null || true
  load_pid=
}
trap stop_load EXIT

declare -A failures=()
failed_runs=0
retries=0
started=$(date +%s)
for run in $(seq 1 "$runs"); do
  [ "$run" -eq 1 ] && [ -n "$load" ] && start_load
  log=$out/run-$run.log
  begin=$(date +%s)
  # The fixtures acceptance.start and shipped.start make fresh prefixes for
  # every run.
  ctest --test-dir "$build" -L '^(acceptance|shipped)$' --timeout 900 --output-on-failure >"$log" 2>&1 || true
  # Scenarios that Wine did not start at the first try (the harness starts
  # them again): counted, not failed.
  retried=$( (grep -l "^harness: Wine did not start" "$build"/{acceptance,shipped}/logs/*.log 2>/dev/null || true) | wc -l)
  retries=$((retries + retried))
  stop_load
  load_note=
  [ "$run" -eq 1 ] && [ -n "$load" ] && load_note=", under load"
  # "  12/63 Test  #70: shipped.name ....   Passed    1.2 sec"; anything but
  # Passed (Failed, Timeout, Not Run, Exception) is a failure, and Skipped
  # (the shipped run on a machine that runs no 32-bit programs) is neither.
  mapfile -t bad < <(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \(\(acceptance\|shipped\)\.[^ ]*\) .*/\1 &/p' "$log" |
    grep -v ' Passed \| Skipped ' | cut -d' ' -f1)
  total=$(grep -c '^ *[0-9]*/[0-9]* Test *#[0-9]*: \(acceptance\|shipped\)\..* Passed ' "$log" || true)
  if [ "$total" -eq 0 ]; then
    bad=(no-tests-ran)
  fi
  if [ ${#bad[@]} -gt 0 ]; then
    failed_runs=$((failed_runs + 1))
    mkdir -p "$out/run-$run"
    for name in "${bad[@]}"; do
      failures[$name]=$(( ${failures[$name]:-0} + 1 ))
      cp "$build/${name%%.*}/logs/${name#*.}.log" "$out/run-$run/$name.log" 2>/dev/null || true
    done
  fi
  echo "run $run: $total tests passed, ${#bad[@]} failed${bad:+ (${bad[*]})}, $retried started again, $(( $(date +%s) - begin )) s$load_note"
done

echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "| Scenario | Failed runs |"
  echo "|---|---|"
  for name in $(printf '%s\n' "${!failures[@]}" | LC_ALL=C sort); do
    echo "| $name | ${failures[$name]} of $runs |"
  done
fi
scenarios=$(grep -c '^ *[0-9]*/[0-9]* Test *#[0-9]*: \(acceptance\|shipped\)\.' "$out/run-1.log" || true)
skipped=$(grep -c '^ *[0-9]*/[0-9]* Test *#[0-9]*: shipped\..* Skipped ' "$out/run-1.log" || true)
note=
[ "$skipped" -gt 0 ] && note=", $skipped skipped (the shipped programs cannot run here)"
echo "$(( scenarios - skipped - ${#failures[@]} )) of $scenarios tests passed in every run$note"
echo "$runs runs of the acceptance suite in $(( ($(date +%s) - started) / 60 )) min, $failed_runs with a failure, $retries scenarios that Wine did not start at the first try"
[ "$failed_runs" -eq 0 ]
