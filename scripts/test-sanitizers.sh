#!/usr/bin/env bash
# Builds the test suite with AddressSanitizer and UndefinedBehaviorSanitizer in
# ./build-asan and runs it. Any memory error, undefined behaviour or leak of
# our own fails the test that hit it; leaks that belong to the libraries we
# use are named in scripts/lsan.supp. Extra arguments go to ctest.
# Expects the dependencies installed (scripts/install-deps.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/step-times.sh"
build="${LANTERNLEAF_ASAN_BUILD_DIR:-$here/build-asan}"

# -O1 with line tables only: the sanitizers' own checks dominate the run
# time, so more optimisation buys little and costs build time, and full debug
# information would make the objects several times larger. The tests need the
# program and the probe, not the benchmarks.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" \
    -DLANTERNLEAF_SANITIZE=ON \
    -DLANTERNLEAF_BENCHMARKS=OFF
fi
step_begin
cmake --build "$build" --parallel "$(nproc)"
step_end "sanitizer build"

cd "$build"
export QT_QPA_PLATFORM=offscreen
# Errors end the program with a report; leaks are checked at exit.
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1
# Undefined behaviour also stops the program (the build has
# -fno-sanitize-recover=undefined as well) and says where.
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
step_begin
status=0
ctest --output-on-failure --parallel "$(nproc)" "$@" || status=$?
step_end "sanitizer tests"
exit $status
