#!/usr/bin/env bash
# Footprint and speed of the tray program, each figure beside its baseline
# or budget, in one table.  It reports; it never fails on a timing (the exit
# code is non-zero only when something could not be built or run).
#
#   tools/bench.sh             builds, measures and prints the table
#   tools/bench.sh --report    prints the table again from the last samples
#
# Environment: TESSARON_BUILD (the build tree, default <checkout>/build),
# BENCH_RUNS (measurements per figure, default 7; medians, minimum and
# maximum are shown), BENCH_JOBS (parallel build jobs, default 2),
# BENCH_EXTRA (words for further start-up cases of the baseline program,
# e.g. "ole32 comctl32 comdlg32": each library on its own; their samples
# are in samples.txt as start_*.baseline_<word>).
#
# What it does: sets up the machine (tools/setup-machine.sh), builds the
# Windows programs and the benchmark programs (bench/, cmake/win-bench.cmake)
# and the native micro-benchmark (bench/native), writes the test files (a
# TESSARON.QAL of 10,000 entries, a TESSARON.INI of 1 MB), runs the native
# micro-benchmark, then everything under Wine in a private X server and
# prefix (tools/wine-env.sh): the readers' micro-benchmark, and the probe
# that starts Tessaron and the one-icon baseline program and watches them
# from outside.  The table goes to standard output and to
# <build>/bench/results.md; the raw samples to <build>/bench/samples.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARON_BUILD:-$root/build}
runs=${BENCH_RUNS:-7}
jobs=${BENCH_JOBS:-2}
state=$build/bench
files=$state/files
samples=$state/samples.txt
windows=$build/windows-x64  # the 64-bit twin: it runs wherever Wine runs, so figures compare across machines
shipped=$build/windows-x86  # the sizes are those of the shipped programs

say() { echo "bench: $*" >&2; }
mkdir -p "$state"
log=$state/build.log

measure() {
  # ---------------------------------------------------------------- build
  "$root/tools/setup-machine.sh"
  say "building the Windows programs and the benchmark programs"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  # Only what the benchmark needs: not the unit tests or the fuzz targets.
  cmake --build "$build" --target windows -j "$jobs" >"$log" 2>&1 ||
    { cat "$log" >&2; exit 1; }
  cmake --build "$windows" --target bench_trayone bench_probe bench_core bench_tessaron_unstripped \
    -j "$jobs" >>"$log" 2>&1 ||
    { cat "$log" >&2; exit 1; }
  cmake -S "$root/bench/native" -B "$build/bench-native" -G Ninja >/dev/null
  cmake --build "$build/bench-native" -j "$jobs" >>"$log" 2>&1 ||
    { cat "$log" >&2; exit 1; }
  for f in Tessaron.exe TESSARON.HLP setup.exe Kelvey.exe bench/bench_probe.exe bench/bench_trayone.exe \
           bench/bench_core.exe bench/bench_tessaron_unstripped.exe; do
    [ -f "$windows/$f" ] || { say "$windows/$f was not built"; exit 1; }
  done
  corebench=$build/bench-native/corebench

  # ---------------------------------------------------------------- test files
  mkdir -p "$files"
  "$corebench" make-qal "$files/qal10000.txt" 10000
  "$corebench" make-qal "$files/qal3.txt" 3
  "$corebench" make-ini "$files/ini1mb.txt" 1048576
  : >"$samples"

  # ---------------------------------------------------------------- native
  say "native micro-benchmarks ($runs runs each)"
  "$corebench" qal "$files/qal10000.txt" "$runs" native >>"$samples"
  "$corebench" ini "$files/ini1mb.txt" "$runs" native >>"$samples"

  # ---------------------------------------------------------------- Wine
  # shellcheck source=tools/wine-env.sh
  source "$root/tools/wine-env.sh"
  prefix=$state/prefix
  finish() {
    session_stop "$prefix"
    xvfb_stop "$state"
  }
  trap finish EXIT
  say "starting a private X server and Wine prefix"
  xvfb_start "$state"
  prefix_create "$prefix" "$build/wine-template"
  export WINEPREFIX=$prefix
  session_start "$prefix"

  # The installed layout: the program and its help file in C:\Tessaron.
  mkdir -p "$prefix/drive_c/Tessaron" "$prefix/drive_c/Bench"
  cp "$windows/Tessaron.exe" "$windows/TESSARON.HLP" "$prefix/drive_c/Tessaron/"
  cp "$windows/bench/bench_probe.exe" "$windows/bench/bench_trayone.exe" "$windows/bench/bench_core.exe" \
    "$prefix/drive_c/Bench/"
  bench_bin='C:\Bench'

  say "readers under Wine ($runs runs each)"
  wine "$prefix/drive_c/Bench/bench_core.exe" qal "$(unix_to_windows "$files/qal10000.txt")" "$runs" wine |
    tr -d '\r' >>"$samples"
  wine "$prefix/drive_c/Bench/bench_core.exe" ini "$(unix_to_windows "$files/ini1mb.txt")" "$runs" wine |
    tr -d '\r' >>"$samples"

  say "start-up, menus and memory under Wine ($runs runs each; a few minutes)"
  # shellcheck disable=SC2086 # BENCH_EXTRA is a list of words
  timeout -k 5 1800 wine "$prefix/drive_c/Bench/bench_probe.exe" "$runs" 'C:\Tessaron\Tessaron.exe' \
    "$bench_bin\\bench_trayone.exe" "$(unix_to_windows "$files/qal10000.txt")" \
    "$(unix_to_windows "$files/qal3.txt")" "$(unix_to_windows "$files/ini1mb.txt")" ${BENCH_EXTRA:-} |
    tr -d '\r' >>"$samples"
  grep -q '^info done' "$samples" || { say "the probe did not finish; see $samples"; exit 1; }
  finish
  trap - EXIT

  # ---------------------------------------------------------------- sizes
  size_of() { stat -c %s "$1"; }
  {
    echo "size Tessaron.exe $(size_of "$shipped/Tessaron.exe")"
    echo "size setup.exe $(size_of "$shipped/setup.exe")"
    echo "size Kelvey.exe $(size_of "$shipped/Kelvey.exe")"
    echo "size TESSARON.HLP $(size_of "$shipped/TESSARON.HLP")"
    for doc in ReadMe.txt Tessaron.txt; do
      if [ -f "$root/docs/$doc" ]; then echo "size $doc $(size_of "$root/docs/$doc")"; else echo "size $doc 0"; fi
    done
    # The help pages setup installs on the NT family.
    echo "size help $(cat "$shipped"/dist/help/*.html | wc -c)"
    echo "load $(cut -d' ' -f1-3 /proc/loadavg) $(nproc)"
    echo "wine $(wine --version 2>/dev/null)"
  } >>"$samples"
}

if [ "${1:-}" = --report ]; then
  [ -s "$samples" ] || { say "no samples in $samples yet: run tools/bench.sh first"; exit 1; }
else
  measure
fi

# ---------------------------------------------------------------- the table
results=$state/results.md
awk '
function sortv(a, n,   i, j, t) {
  for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
}
function load(m,   i) { n = count[m]; for (i = 1; i <= n; i++) v[i] = val[m, i]; sortv(v, n); return n }
function med(m,   n) { n = load(m); if (n == 0) return ""; return (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
function lo(m) { load(m); return v[1] }
function hi(m,   n) { n = load(m); return v[n] }
# "median (min..max)" with a unit; "not measured" when there are no samples.
function stat(m, unit, digits,   f) {
  if (count[m] == 0) return "not measured"
  f = "%." digits "f"
  return sprintf(f " %s (" f "..." f ", n=%d)", med(m), unit, lo(m), hi(m), count[m])
}
# Paired differences a[i] - b[i], run by run, as a metric of their own.
function diff(name, a, b,   i) {
  if (count[a] == 0 || count[a] != count[b]) return
  for (i = 1; i <= count[a]; i++) val[name, i] = val[a, i] - val[b, i]
  count[name] = count[a]
}
function kb(bytes) { return sprintf("%.1f KB (%d bytes)", bytes / 1024, bytes) }
function budget(value, limit) {
  if (value == "") return "not measured"
  return value <= limit ? sprintf("met (%.0f%% of budget)", 100 * value / limit) \
                        : sprintf("**missed** by %.1f (%.0f%% of budget)", value - limit, 100 * value / limit)
}
$1 == "sample" { count[$2]++; val[$2, count[$2]] = $3 + 0 }
$1 == "size" { size[$2] = $3 + 0 }
$1 == "info" && $2 ~ /^wine\.qal\.menu_fill/ { for (i = 1; i <= NF; i++) if ($i == "pass") firstfill = $(i + 1) }
$1 == "info" && $2 ~ /^icons\./ { icons[substr($2, 7)] = $3 }
$1 == "load" { load1 = $2; cores = $5 }
$1 == "wine" { winever = $2 }
END {
  diff("delta_qal", "start_last_icon.tessaron_qal10000", "start_last_icon.tessaron")
  diff("delta_ini", "start_last_icon.tessaron_ini1mb", "start_last_icon.tessaron")
  diff("delta_libs", "start_last_icon.baseline_libraries", "start_last_icon.baseline")
  diff("delta_own", "start_last_icon.tessaron", "start_last_icon.baseline_libraries")
  diff("icon_span", "start_last_icon.tessaron", "start_first_icon.tessaron")
  diff("cpu_libs", "start_cpu.baseline_libraries", "start_cpu.baseline")
  diff("cpu_own", "start_cpu.tessaron", "start_cpu.baseline_libraries")
  diff("delta_mem", "mem_unix_private_dirty.tessaron", "mem_unix_private_dirty.baseline")

  footprint = size["Tessaron.exe"] + size["TESSARON.HLP"] + size["ReadMe.txt"] + size["Tessaron.txt"] + size["help"]
  t = med("start_last_icon.tessaron"); b = med("start_last_icon.baseline")

  printf "Tessaron benchmarks under %s: medians of n runs (min...max); " \
         "load average %s on %d cores at the end.\n\n", winever, load1, cores
  print "| Measure | Tessaron | Baseline or budget | Result |"
  print "|---|---|---|---|"
  printf "| Tessaron.exe (shipped, 32-bit; the sizes below too) | %s | budget <= 150 KB | %s |\n", kb(size["Tessaron.exe"]), budget(size["Tessaron.exe"] / 1024, 150)
  printf "| setup.exe | %s | no budget | - |\n", kb(size["setup.exe"])
  printf "| Installed footprint: Tessaron.exe, TESSARON.HLP (%.1f KB), ReadMe.txt, Tessaron.txt and, on the NT family, the help pages (%.1f KB) | %s | budget <= 225 KB (\"approximately 225 kilobytes\") | %s |\n", \
         size["TESSARON.HLP"] / 1024, size["help"] / 1024, kb(footprint), budget(footprint / 1024, 225)
  printf "| Kelvey.exe (goes to the Windows directory, not counted above) | %s | no budget | - |\n", kb(size["Kelvey.exe"])
  printf "| Process start to last tray icon added (%s icons) | %s | one-icon baseline %s; budget <= 1.2 x baseline = %.0f ms | %s (%.2f x baseline) |\n", \
         icons["tessaron"], stat("start_last_icon.tessaron", "ms", 0), stat("start_last_icon.baseline", "ms", 0), 1.2 * b, \
         budget(t, 1.2 * b), (b > 0 ? t / b : 0)
  printf "| - to the first tray icon | %s | one-icon baseline %s | %.2f x baseline |\n", \
         stat("start_first_icon.tessaron", "ms", 0), stat("start_last_icon.baseline", "ms", 0), \
         (b > 0 ? med("start_first_icon.tessaron") / b : 0)
  printf "| - from the first icon to the last (the icons beyond the baseline\047s one) / time inside Wine\047s tray for all icons | %s / %s | baseline inside the tray %s | - |\n", \
         stat("icon_span", "ms", 0), stat("start_in_tray.tessaron", "ms", 0), stat("start_in_tray.baseline", "ms", 0)
  tc = med("start_cpu.tessaron"); bc = med("start_cpu.baseline")
  printf "| - processor time the process used by then (depends less on the machine\047s load) | %s | one-icon baseline %s; 1.2 x baseline = %.0f ms | %s (%.2f x baseline) |\n", \
         stat("start_cpu.tessaron", "ms", 0), stat("start_cpu.baseline", "ms", 0), 1.2 * bc, budget(tc, 1.2 * bc), (bc > 0 ? tc / bc : 0)
  printf "| - of which the system library the baseline does not load (OLE32 with CoInitialize): time / processor time | %s / %s | baseline with them: %s / %s | - |\n", \
         stat("delta_libs", "ms", 0), stat("cpu_libs", "ms", 0), stat("start_last_icon.baseline_libraries", "ms", 0), stat("start_cpu.baseline_libraries", "ms", 0)
  printf "| - of which Tessaron\047s own start-up beyond that: time / processor time | %s / %s | - | - |\n", stat("delta_own", "ms", 0), stat("cpu_own", "ms", 0)
  printf "| Right-button release over the main icon to tray menu on screen | %s | budget <= 300 ms, 200 ms of it the program\047s own wait | %s |\n", \
         stat("menu.tray", "ms", 0), budget(med("menu.tray"), 300)
  printf "| Quick access menu from a TESSARON.QAL of 10,000 entries, at start-up under Wine (start with the list minus start without) | %s | budget <= 100 ms | %s |\n", \
         stat("delta_qal", "ms", 0), budget(med("delta_qal"), 100)
  printf "| - the same in a program of its own: a new menu filled (first pass in a fresh process: %.0f ms) | %s | budget <= 100 ms | %s |\n", \
         firstfill, stat("wine.qal.menu_fill", "ms", 1), budget(med("wine.qal.menu_fill"), 100)
  printf "| - a full menu emptied from its last item and filled again, as after an append or Clear | %s | budget <= 100 ms | %s |\n", \
         stat("wine.qal.menu_rebuild", "ms", 1), budget(med("wine.qal.menu_rebuild"), 100)
  printf "| - the same, emptied by removing item 0 until none is left | %s | budget <= 100 ms | %s |\n", \
         stat("wine.qal.menu_rebuild_from_top", "ms", 1), budget(med("wine.qal.menu_rebuild_from_top"), 100)
  printf "| - the portable reader alone under Wine (entries copied, no menu) | %s | budget <= 100 ms | %s |\n", \
         stat("wine.qal.copy", "ms", 1), budget(med("wine.qal.copy"), 100)
  printf "| - the portable reader alone, native (-Os) | %s | budget <= 100 ms | %s |\n", \
         stat("native.qal.copy", "ms", 2), budget(med("native.qal.copy"), 100)
  printf "| Quick access menu on screen after the right-button release, 3 entries / 10,000 entries | %s / %s | no budget (the tray menu\047s is 300 ms) | - |\n", \
         stat("menu.quick_short", "ms", 0), stat("menu.quick_10000", "ms", 0)
  printf "| Settings file of 1 MB, at start-up under Wine (start with the file minus start without) | %s | no budget | - |\n", stat("delta_ini", "ms", 0)
  printf "| - read in a program of its own under Wine: whole / getc only / parsing only | %s / %s / %s | no budget | - |\n", \
         stat("wine.ini", "ms", 0), stat("wine.ini_getc_only", "ms", 0), stat("wine.ini_parse_only", "ms", 0)
  printf "| - read natively (-Os): whole / getc only / parsing only | %s / %s / %s | no budget | - |\n", \
         stat("native.ini", "ms", 1), stat("native.ini_getc_only", "ms", 1), stat("native.ini_parse_only", "ms", 1)
  pt = med("mem_unix_private_dirty.tessaron"); pb = med("mem_unix_private_dirty.baseline")
  printf "| Private memory of the running program (pages its Wine process has written: Private_Dirty) | %s | one-icon baseline %s | +%.0f KB (%.2f x baseline) |\n", \
         stat("mem_unix_private_dirty.tessaron", "KB", 0), stat("mem_unix_private_dirty.baseline", "KB", 0), \
         med("delta_mem"), (pb > 0 ? pt / pb : 0)
  printf "| - the baseline with the libraries / Tessaron with the 10,000-entry quick access menu | %s / %s | - | - |\n", \
         stat("mem_unix_private_dirty.baseline_libraries", "KB", 0), stat("mem_unix_private_dirty.tessaron_qal10000", "KB", 0)
  printf "| - all private pages, clean ones included (these vary with what else runs) | %s | one-icon baseline %s | - |\n", \
         stat("mem_unix_private.tessaron", "KB", 0), stat("mem_unix_private.baseline", "KB", 0)
  printf "| Resident memory (working set) | %s | one-icon baseline %s | - |\n", \
         stat("mem_unix_rss.tessaron", "KB", 0), stat("mem_unix_rss.baseline", "KB", 0)
}' "$samples" >"$results"

{
  echo
  echo "Size details of the 64-bit twin's Tessaron.exe (sections; largest symbols of the unstripped build; library members linked):"
  echo
  echo '```'
  x86_64-w64-mingw32-size -A "$windows/Tessaron.exe" | awk 'NR > 2 && $2 > 0 { printf "%-8s %7d\n", $1, $2 }'
  echo "--"
  x86_64-w64-mingw32-nm --size-sort -S -C "$windows/bench/bench_tessaron_unstripped.exe" |
    awk '$3 != "N" && $3 != "n"' | tail -n 8 |
    awk 'function hex(h,   i, d) { d = 0; h = tolower(h)
           for (i = 1; i <= length(h); i++) d = d * 16 + index("0123456789abcdef", substr(h, i, 1)) - 1
           return d }
         { size = hex($2); $1 = $2 = ""; sub(/^ +/, ""); printf "%7d  %s\n", size, $0 }'
  echo "--"
  grep -E '^/[^ ]*\.a\([^)]*\)$' "$windows/bench/Tessaron.map" | sed -E 's|.*/(lib[^/]*\.a)\(.*|\1|' |
    sort | uniq -c | sort -rn | awk '{ printf "%4d members of %s\n", $1, $2 }'
  echo '```'
} >>"$results"

cat "$results"
say "table saved in $results; raw samples in $samples"
