#!/usr/bin/env bash
# Builds Pictoria and its tests (installing missing Debian packages first) and runs
# every test: unit and widget tests on the offscreen platform, end-to-end tests
# against the real binary under Xvfb. Every test but the end-to-end ones then runs a
# second time in a clang build with AddressSanitizer and UndefinedBehaviorSanitizer, and
# each fuzzer runs for a while.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/check-format.sh
bash scripts/check-includes.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPICTORIA_WERROR=ON
cmake --build build -j2
# The end-to-end tests run one at a time (each has its own X server); the others two at a time.
ctest --test-dir build --output-on-failure --timeout 600 -j2

# The second pass is one clang tree: AddressSanitizer and UndefinedBehaviorSanitizer over
# every test but the end-to-end ones (they drive the same code through the real window and
# would double the suite's time), and the libFuzzer targets built from the same objects.
if [ "${PICTORIA_SKIP_SANITIZERS:-0}" != "1" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPICTORIA_SANITIZE=ON \
    -DPICTORIA_FUZZ=ON -DPICTORIA_BUILD_BENCH=OFF -DPICTORIA_E2E_TESTS=OFF
  cmake --build build-sanitize -j2
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-sanitize --output-on-failure --timeout 900 -j2 -LE e2e
  fuzz_build=build-sanitize
else
  fuzz_build=build-fuzz
fi

# A short run of each fuzzer on the project's seed corpora.
if [ "${PICTORIA_SKIP_FUZZ:-0}" != "1" ]; then
  PICTORIA_FUZZ_BUILD="$fuzz_build" bash scripts/run-fuzzers.sh "${PICTORIA_FUZZ_SECONDS:-25}"
fi
