#!/usr/bin/env bash
# A fuzzing campaign: every fuzz target (tests/fuzz/fuzz_*.cpp) for SECONDS
# each, continuing from the corpus that earlier campaigns left in the build
# tree, then one table of what each target did.
#
#   tools/fuzz.sh [SECONDS] [--merge]     SECONDS defaults to 600
#
# --merge: afterwards, the fewest and smallest entries of each campaign
# corpus that reach code the checked-in seeds do not are copied into
# tests/fuzz/corpus/<target>/, where CTest replays them on every test run.
# "tools/fuzz.sh 0 --merge" merges what earlier campaigns found, and runs
# nothing.
#
# How it runs: each target is one libFuzzer process (a single thread, under
# AddressSanitizer and UndefinedBehaviorSanitizer) with a corpus of its own,
# <build>/fuzz-campaign/<target>/corpus, which also reads the checked-in
# seeds.  Targets share nothing, so FUZZ_JOBS of them run side by side
# (default: one per core): that changes only how soon the campaign ends,
# and, on a machine that other work also loads, the runs per second that
# the table shows.
#
# A finding (crash, failed property, timeout, out of memory) stops its
# target; the reproducer stays in <build>/fuzz-campaign/<target>/findings/
# and is named in the table (replay it: build/fuzz/<target> <file>), and the
# command fails.  Each target's output is in <build>/fuzz-campaign/<target>/log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARON_BUILD:-$root/build}
seconds=600
merge=
for argument in "$@"; do
  case $argument in
    --merge) merge=1 ;;
    *[!0-9]*|'') echo "usage: tools/fuzz.sh [SECONDS] [--merge]" >&2; exit 2 ;;
    *) seconds=$argument ;;
  esac
done
cores=$(nproc)
jobs=${FUZZ_JOBS:-$cores}

"$root/tools/setup-machine.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target fuzz >/dev/null

targets=()
for source in "$root"/tests/fuzz/fuzz_*.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
campaign=$build/fuzz-campaign
export ASAN_OPTIONS=detect_leaks=0

# Bounds on the input size where the default (the largest seed, at least
# 4,096 bytes) keeps a target under a million runs in ten minutes on a busy
# machine.  The script and settings readers get a little more than their
# longest line (2,047 characters), so that a line too long is still made;
# setup's paths a little more than their 512-byte buffers.  CTest's short
# runs keep the default.
campaign_options() {
  case $1 in
    fuzz_kelvey|fuzz_settings) echo -max_len=2200 ;;
    fuzz_setuppath) echo -max_len=700 ;;
  esac
}

# fuzz_one <target>: runs it and leaves "runs|per second|coverage|findings"
# in <dir>/result.
fuzz_one() {
  local target=$1 dir=$campaign/$1 log stamp begin status runs rate coverage found
  log=$dir/log
  stamp=$dir/started
  mkdir -p "$dir/corpus" "$dir/findings"
  : >"$stamp"
  begin=$(date +%s)
  status=0
  # shellcheck disable=SC2046 # no option, or one word
  "$build/fuzz/$target" $(campaign_options "$target") -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/findings/" \
    "$dir/corpus" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  # A target stopped by a finding reports no rate.
  [ "${rate:-0}" -gt 0 ] || rate=$(( ${runs:-0} / ($(date +%s) - begin + 1) ))
  coverage=$( (grep -o 'cov: [0-9]* ft: [0-9]*' "$log" || true) | tail -n 1 |
    sed 's/cov: \([0-9]*\) ft: \([0-9]*\)/\1 edges, \2 features/')
  found=$(find "$dir/findings" -type f -newer "$stamp" ! -name 'slow-unit-*' -printf '%P ' | sed 's/ $//')
  if [ -z "$found" ] && [ "$status" -ne 0 ]; then
    found="exit code $status, see $log"
  fi
  echo "${runs:-0}|${rate:-0}|${coverage:-none}|${found}" >"$dir/result"
}

run_campaign() {
  echo "fuzz: ${#targets[@]} targets, $seconds s each, $jobs at once on $cores cores" >&2
  for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    rm -f "$campaign/$target/result"
    fuzz_one "$target" &
  done
  wait

  # 1234567 as 1,234,567.
  group() { sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$1"; }

  total_runs=0
  total_findings=0
  echo "| Target | Runs | Runs per second | Coverage | Corpus | Findings |"
  echo "|---|---|---|---|---|---|"
  for target in "${targets[@]}"; do
    dir=$campaign/$target
    IFS='|' read -r runs rate coverage found <"$dir/result" || { runs=0; rate=0; coverage=none; found="did not run"; }
    corpus=$(find "$dir/corpus" -type f | wc -l)
    findings=0
    [ -n "$found" ] && findings=$(wc -w <<<"$found")
    case $found in "exit code"*|"did not run") findings=1 ;; esac
    total_runs=$((total_runs + runs))
    total_findings=$((total_findings + findings))
    printf '| %s | %s | %s | %s | %s | %s |\n' "$target" \
      "$(group "$runs")" "$(group "$rate")" "$coverage" "$corpus entries" \
      "${found:-none}"
  done
  echo "${#targets[@]} targets, $(group "$total_runs") runs, $total_findings findings"
}

total_findings=0
if [ "$seconds" -gt 0 ]; then
  run_campaign
fi
if [ -n "$merge" ]; then
  for target in "${targets[@]}"; do
    seeds=$root/tests/fuzz/corpus/$target
    before=$(find "$seeds" -type f | wc -l)
    rm -f "$campaign/$target/merge.txt"  # a merge of its own, not the rest of an old one
    # Edges only (no hit counts): an entry is kept when it reaches code that
    # the seeds and the entries kept before it do not.
    "$build/fuzz/$target" -merge=1 -use_counters=0 -merge_control_file="$campaign/$target/merge.txt" \
      "$seeds" "$campaign/$target/corpus" >"$campaign/$target/merge.log" 2>&1 ||
      { echo "fuzz: merging $target failed; see $campaign/$target/merge.log" >&2; exit 1; }
    echo "merge: $target: $(( $(find "$seeds" -type f | wc -l) - before )) entries added to tests/fuzz/corpus/$target"
  done
fi
[ "$total_findings" -eq 0 ]
