#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/ unless told otherwise) and runs each for a while.
#   scripts/run-fuzzers.sh [seconds-per-target] [target...]
# Default: 60 seconds each for fuzz_open, fuzz_import and fuzz_propertybag (the CI set).
# fuzz_freeimage (FreeImage in-process, to hunt library crashers) runs only when named.
# Corpora grow in <build>/corpus/<target>; findings land in <build>/findings/<target>.
# A target fails the script when it finds a crash, a leak or a timeout. fuzz_freeimage
# keeps going past its findings (-fork with -ignore_crashes): they are FreeImage's, to be
# replayed through the import helper (copy them to tests/regressions/import/).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then targets=(fuzz_open fuzz_import fuzz_propertybag); fi

# PICTORIA_FUZZ_BUILD names another clang tree to build them in (the test command's sanitizer
# tree); a tree configured before keeps its compiler and build type.
build="${PICTORIA_FUZZ_BUILD:-build-fuzz}"
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DPICTORIA_FUZZ=ON >/dev/null
else
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPICTORIA_FUZZ=ON \
    -DPICTORIA_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j2 --target "${targets[@]}" make_seeds

seeds="$build/seeds"
rm -rf "$seeds"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/make_seeds" "$seeds"

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for t in "${targets[@]}"; do
  case "$t" in
    fuzz_open) seed_dir="$seeds/open" ;;
    fuzz_import | fuzz_freeimage) seed_dir="$seeds/import" ;;
    fuzz_propertybag) seed_dir="$seeds/propertybag" ;;
    *) echo "unknown target $t" >&2; exit 2 ;;
  esac
  corpus="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$corpus" "$findings"
  regressions="tests/regressions/${t#fuzz_}"
  [ "$t" = fuzz_freeimage ] && regressions=tests/regressions/import
  extra=()
  [ -d "$regressions" ] && extra+=("$regressions")
  # A single allocation beyond 2 GB fails as it would under the editor's memory: the
  # code must survive the refusal, which libFuzzer's own malloc limit would not let it.
  opts=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -malloc_limit_mb=100000 -max_len=65536
        -artifact_prefix="$findings/" -print_final_stats=1)
  asan="detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=2048"
  if [ "$t" = fuzz_freeimage ]; then
    # The library's own leaks and crashes are known; carry on past them.
    opts+=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
    asan="detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=2048"
  elif [ "$t" = fuzz_import ]; then
    # Each input costs a helper process; a few hundred runs a second at best.
    opts+=(-timeout=15)
  fi
  echo "== $t: $seconds s"
  if ! ASAN_OPTIONS="$asan" "$build/fuzz/$t" "${opts[@]}" "$corpus" "$seed_dir" "${extra[@]}" \
      >"$build/$t.log" 2>&1; then
    echo "!! $t found a fault: see $build/$t.log and $findings/" >&2
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|^#[0-9]+ *DONE|INFO: fuzzed for" \
    "$build/$t.log" | tail -3 || true
done
exit $status
