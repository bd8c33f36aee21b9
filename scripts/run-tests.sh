#!/usr/bin/env bash
# Builds Pictoria and its tests (installing missing Debian packages first) and runs
# every test: unit and widget tests on the offscreen platform, end-to-end tests
# against the real binary under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
ctest --test-dir build --output-on-failure --timeout 600
