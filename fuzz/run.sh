#!/usr/bin/env bash
# Builds the fuzzers (when needed) and runs each for SECONDS, one after the
# other, on a working corpus seeded from fuzz/seeds. Prints one line per
# fuzzer: executions, coverage (cov, ft) and findings.
#
#   fuzz/run.sh SECONDS [name[=SECONDS]...]   (default: every fuzzer)
#
# A fuzzer also stops once it has made RUNS executions (default 1,000,000):
# past that, a fast target gains little from the rest of its time.
#
# Environment: BUILD_DIR (default build-fuzz), JOBS (default 2), NICE (default 5),
# RUNS (default 1000000; 0 means no limit).
# Findings land in $BUILD_DIR/findings/<name>/, logs in $BUILD_DIR/logs/.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
all=(fb2 fb2_meta epub mobi zip rar comic pdf library)

[ $# -ge 1 ] && [[ $1 =~ ^[0-9]+$ ]] || { echo "usage: $0 SECONDS [name[=SECONDS]...] (${all[*]})" >&2; exit 2; }
default_seconds=$1
shift
names=()
declare -A budget=()
for arg in "$@"; do
  n=${arg%%=*}
  names+=("$n")
  if [[ $arg == *=* ]]; then budget[$n]=${arg#*=}; fi
done
[ ${#names[@]} -gt 0 ] || names=("${all[@]}")

build=${BUILD_DIR:-$root/build-fuzz}
jobs=${JOBS:-2}
nice=${NICE:-5}
max_runs=${RUNS:-1000000}

# Largest input per fuzzer: far above the seeds, small enough that one input
# never costs more than a fraction of a second.
declare -A maxlen=([fb2]=65536 [fb2_meta]=65536 [epub]=32768 [mobi]=65536 [zip]=16384
  [rar]=16384 [comic]=16384 [pdf]=65536 [library]=32768)

for n in "${names[@]}"; do
  [ -n "${maxlen[$n]:-}" ] || { echo "unknown fuzzer: $n (known: ${all[*]})" >&2; exit 2; }
done

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DLANTERNLEAF_FUZZ=ON -DLANTERNLEAF_DEVELOPER=ON \
    -DLANTERNLEAF_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    $(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache) \
    >/dev/null
fi
targets=()
for n in "${names[@]}"; do targets+=(--target "fuzz_$n"); done
nice -n "$nice" cmake --build "$build" -j"$jobs" "${targets[@]}" >"$build/fuzz-build.log" 2>&1 ||
  { tail -30 "$build/fuzz-build.log" >&2; exit 1; }

# No fill of new blocks: it only costs time (uninitialised reads are not
# what AddressSanitizer finds).
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1:max_malloc_fill_size=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

mkdir -p "$build/logs"
printf '%-9s %12s %8s %7s %7s %8s  %s\n' fuzzer executions seconds cov ft corpus findings
for n in "${names[@]}"; do
  corpus=$build/corpus/$n
  findings=$build/findings/$n
  mkdir -p "$corpus" "$findings"
  # The committed seeds join the working corpus (never the other way round).
  [ -d "$here/seeds/$n" ] && cp -n "$here/seeds/$n"/* "$corpus/" 2>/dev/null || true
  log=$build/logs/$n.log
  : >"$log"
  seconds=${budget[$n]:-$default_seconds}
  start=$(date +%s)
  execs=0
  runs=0
  # libFuzzer stops at the first finding; go on with the rest of the time
  # (a few restarts at most, so one quick crash cannot spin).
  while :; do
    now=$(date +%s)
    left=$((seconds - (now - start)))
    [ "$left" -gt 0 ] && [ "$runs" -lt 6 ] || break
    [ "$max_runs" -eq 0 ] || [ "$execs" -lt "$max_runs" ] || break
    runs=$((runs + 1))
    limit=()
    [ "$max_runs" -eq 0 ] || limit=(-runs=$((max_runs - execs)))
    (cd "$findings" && nice -n "$nice" "$build/fuzz/fuzz_$n" -max_total_time="$left" "${limit[@]}" -timeout=10 \
      -rss_limit_mb=2048 -max_len="${maxlen[$n]}" -dict="$here/$n.dict" -print_final_stats=1 \
      -artifact_prefix="$findings/" "$corpus") >>"$log" 2>&1 || true
    e=$(grep -a 'stat::number_of_executed_units' "$log" | tail -1 | awk '{print $2}')
    execs=$((execs + ${e:-0}))
  done
  elapsed=$(($(date +%s) - start))
  last=$(grep -aE '^#[0-9]+.*cov: ' "$log" | tail -1)
  cov=$(sed -nE 's/.*cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.*ft: ([0-9]+).*/\1/p' <<<"$last")
  size=$(find "$corpus" -type f | wc -l)
  found=$(cd "$findings" && ls -1 2>/dev/null | grep -E '^(crash|leak|timeout|oom|slow-unit)-' | tr '\n' ' ' || true)
  printf '%-9s %12s %8s %7s %7s %8s  %s\n' "$n" "$execs" "$elapsed" "${cov:-?}" "${ft:-?}" "$size" "${found:-none}"
done
# Homes of fuzzer processes that died (a crash skips their clean-up).
for d in /dev/shm/lanternleaf-fuzz-*; do
  [ -d "$d" ] || continue
  pid=${d##*-}
  kill -0 "$pid" 2>/dev/null || rm -rf "$d"
done
