#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/ unless told otherwise) and runs each for a while.
#   scripts/run-fuzzers.sh [seconds-per-target] [target...]
# Default: 60 seconds each for fuzz_open, fuzz_import, fuzz_helper and fuzz_propertybag (the CI set), two
# targets at a time.
# fuzz_freeimage (FreeImage in-process, to hunt library crashers) runs only when named.
#
# Every target carries on past what it finds (a crash, a timeout, a leak, memory running
# out): libFuzzer's fork mode goes on fuzzing in a fresh process and keeps the input in
# <build>/findings/<target>. Once every target has had its time, each finding is replayed
# once to see where it fails:
#  - in this program's code (or Qt's): the input is kept under fuzz/regressions/<target>/
#    and the run fails; fix it and move the input to tests/regressions/ to pin it;
#  - inside FreeImage (which cannot be fixed here): listed, kept in the findings folder,
#    and the run goes on; the import helper's process contains those (copy them to
#    tests/regressions/import/, where tst_containment proves it);
#  - not again on its replay (a timeout on a loaded machine): listed, kept in the
#    findings folder.
# Corpora grow in <build>/corpus/<target>; each target's log is <build>/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then targets=(fuzz_open fuzz_import fuzz_helper fuzz_propertybag); fi

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
# The helper's decode in-process: FreeImage's Photoshop and OpenEXR readers crash and run
# away on their own known inputs within seconds, which in one process stops the fuzzing
# each time; the helper's process contains those, and fuzz_freeimage hunts them.
mkdir -p "$seeds/helper"
find "$seeds/import" -maxdepth 1 -type f ! -name '*.psd' ! -name '*.exr' -exec cp {} "$seeds/helper/" \;

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Whose code a replayed finding fails in: its report's stack read from the top, the first
# frame that is FreeImage's or this checkout's decides (the sanitizer's, the C library's
# and other libraries' frames above them do not).
failing_frame() {
  grep -E '^ *#[0-9]+ 0x' | grep -E "libfreeimage|in .* $PWD/[^ (]*\.(cpp|h|c)\b" | head -1 || true
}

declare -A asan_of opts_of
status=0
for t in "${targets[@]}"; do
  case "$t" in
    fuzz_open) seed_dir="$seeds/open" ;;
    fuzz_import | fuzz_freeimage) seed_dir="$seeds/import" ;;
    fuzz_helper) seed_dir="$seeds/helper" ;;
    fuzz_propertybag) seed_dir="$seeds/propertybag" ;;
    *) echo "unknown target $t" >&2; exit 2 ;;
  esac
  corpus="$build/corpus/$t"
  findings="$build/findings/$t"
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings"
  regressions="tests/regressions/${t#fuzz_}"
  [ "$t" = fuzz_freeimage ] && regressions=tests/regressions/import
  extra=()
  [ -d "$regressions" ] && extra+=("$regressions")
  # A single allocation beyond 2 GB fails as it would under the editor's memory: the
  # code must survive the refusal, which libFuzzer's own malloc limit would not let it.
  opts=(-timeout=10 -rss_limit_mb=2560 -malloc_limit_mb=100000 -max_len=65536)
  asan="detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=2048"
  case "$t" in
    fuzz_freeimage)
      # The library's own leaks are known.
      asan="detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=2048" ;;
    fuzz_helper)
      # The helper's 1 GB memory cap: its own options say so (allocations above fail).
      asan="detect_leaks=1" ;;
    fuzz_import)
      # Each input costs a helper process; a few hundred runs a second at best.
      opts=(-timeout=15 -rss_limit_mb=2560 -malloc_limit_mb=100000 -max_len=65536) ;;
  esac
  asan_of[$t]="$asan"
  opts_of[$t]="${opts[*]}"
  # Two targets fuzz at a time, one a core.
  while (($(jobs -rp | wc -l) >= 2)); do wait -n || true; done
  echo "== $t: $seconds s"
  ASAN_OPTIONS="$asan" "$build/fuzz/$t" "${opts[@]}" -max_total_time="$seconds" -fork=1 -ignore_crashes=1 \
    -ignore_timeouts=1 -ignore_ooms=1 -artifact_prefix="$findings/" "$corpus" "$seed_dir" "${extra[@]}" \
    >"$build/$t.log" 2>&1 &
done
wait || true
for t in "${targets[@]}"; do
  echo "-- $t: $(grep -E '^#[0-9]+: cov:' "$build/$t.log" | tail -1 || true)"
done

# Where each finding fails, replayed alone.
for t in "${targets[@]}"; do
  findings="$build/findings/$t"
  kept="fuzz/regressions/$t"
  for input in "$findings"/*; do
    [ -f "$input" ] || continue
    name=$(basename "$input")
    read -r -a opts <<<"${opts_of[$t]}"
    report=$(ASAN_OPTIONS="${asan_of[$t]}" timeout 600 "$build/fuzz/$t" "${opts[@]}" -runs=1 "$input" 2>&1) &&
      { echo "-- $t: $name did not fail again on its replay (kept in $findings)"; continue; }
    frame=$(failing_frame <<<"$report")
    if [[ "$frame" == *libfreeimage* ]]; then
      echo "-- $t: $name fails inside FreeImage (kept in $findings; the helper's process contains it)"
      continue
    fi
    mkdir -p "$kept"
    cp "$input" "$kept/$name"
    echo "!! $t: $name fails in${frame:+ ${frame#*in }}; kept as $kept/$name" >&2
    status=1
  done
done
exit $status
