#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/, apart from the test build) and prints
# the README's figures table: every hot path beside its floor from the same run, and the
# whole processes beside djpeg and vipsthumbnail. The run's raw output is kept in
# scripts/bench-results/. Figures are medians of repeated runs: the machine may be shared
# and single runs are noisy. The test command (scripts/run-tests.sh) never runs any of this.
#
#   scripts/run-benchmarks.sh [bench-table.py options, e.g. --reps 7 --runs 15]
# BENCH_BUILD=DIR uses (and builds) another build folder instead of build-bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BENCH_BUILD:-build-bench}"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
fi
CCACHE_BASEDIR="$PWD" nice cmake --build "$build" -j2 --target pictoria pictoria-import-helper pictoria-import-fast \
  bench_hotpaths bench_import bench_faces floor_c_window startup_probe >&2
mkdir -p scripts/bench-results
python3 scripts/bench-table.py "$build" "$@" | tee scripts/bench-results/table.md
