#!/usr/bin/env bash
# Regenerates the committed seed corpora (fuzz/seeds/<fuzzer>/) with the seed
# maker, which builds small books of every format through the fixture builders
# of the tests. Needs the fuzz build (fuzz/run.sh configures it) and the rar
# tool for the RAR seeds.
#
#   fuzz/make-seeds.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-fuzz}

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DLANTERNLEAF_FUZZ=ON -DLANTERNLEAF_DEVELOPER=ON \
    -DLANTERNLEAF_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
nice -n "${NICE:-5}" cmake --build "$build" -j"${JOBS:-2}" --target fuzz_make_seeds >/dev/null
# Leaks of the libraries' own caches at exit are no concern of the seeds.
ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/fuzz_make_seeds" "$here/seeds"
du -sh "$here/seeds"
for d in "$here"/seeds/*/; do printf '%-10s %3d files\n' "$(basename "$d")" "$(ls "$d" | wc -l)"; done
