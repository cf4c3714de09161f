#!/usr/bin/env bash
# The benchmark: builds tenmaru (the Release `default` preset) and the programs of bench/ (the
# `bench` preset, which has the same flags), makes the inputs into build/bench-inputs/ when they
# are missing, then measures tenmaru, the reference pass and sed on each input and prints the
# figures. It takes one to two minutes on a 2-core machine, the first run some seconds more for
# the build and the inputs.
#
#   bench/run.sh
#   BENCH_RUNS=5 bench/run.sh    # measured runs per program and input (9 by default)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"

corpus="$repo/../shared/corpus"
if [[ ! -d "$corpus" ]]; then
  echo "FAILED: the corpus folder $corpus is not there" >&2
  exit 1
fi

mkdir -p build
log=build/bench-build.log
echo "Building (log in $log) ..."
if ! {
  cmake --preset default &&
    cmake --build --preset default --target tenmaru &&
    cmake --preset bench &&
    cmake --build --preset bench
} >"$log" 2>&1; then
  cat "$log" >&2
  echo "FAILED: the build did not succeed" >&2
  exit 1
fi

python3 bench/make_inputs.py build/bench-inputs "$corpus"
echo

exec python3 bench/bench.py "$repo" build/default build/bench
