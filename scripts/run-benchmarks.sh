#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/, apart from the test build) and prints
# the README's figures table: every hot path beside its floor from the same run.
# Figures are medians of repeated runs: the machine may be shared and single runs are noisy.
# The test command (scripts/run-tests.sh) never runs any of this.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target pictoria pictoria-import-helper pictoria-import-fast bench_hotpaths bench_import bench_faces floor_c_window startup_probe >&2
mkdir -p scripts/bench-results
python3 scripts/bench-table.py build-bench "$@" | tee scripts/bench-results/table.md
