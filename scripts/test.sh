#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then a build under
# AddressSanitizer and UndefinedBehaviorSanitizer; then, when clang is there,
# a few seconds of fuzzing per file loader. Never needs a display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
jobs="$(nproc)"

# Optimised without debug information: the quickest build to compile on CI's
# two cores; asserts stay on.
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2"
cmake --build build/test -j"$jobs"
ctest --test-dir build/test -j"$jobs" --output-on-failure --timeout 300

# The fuzz targets need clang with libFuzzer. When it is there, one clang
# build under the sanitizers serves both the test suite and the fuzz targets
# (its libraries carry libFuzzer's coverage hooks, which cost the tests
# little): on CI's two cores a second full sanitizer build would cost minutes.
fuzz_ok=0
if [ "${VANTREL_SKIP_FUZZ:-0}" != "1" ] && bash scripts/fuzz-smoke.sh --probe; then
  fuzz_ok=1
fi

if [ "${VANTREL_SKIP_SANITIZE:-0}" != "1" ]; then
  export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan_suppressions.txt"
  # -O1 keeps the sanitizers' reports exact and the run several times faster;
  # line tables are all their stack traces need.
  if [ "$fuzz_ok" = "1" ]; then
    CC=clang CXX=clang++ cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g1 -O1" \
      -DVANTREL_FUZZ=ON -DVANTREL_BENCH=OFF
  else
    cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g1 -O1" -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF
  fi
  cmake --build build/asan -j"$jobs"
  ctest --test-dir build/asan -j"$jobs" --output-on-failure --timeout 600
fi

if [ "$fuzz_ok" = "1" ]; then
  if [ "${VANTREL_SKIP_SANITIZE:-0}" != "1" ]; then
    VANTREL_FUZZ_BUILD=build/asan bash scripts/fuzz-smoke.sh
  else
    bash scripts/fuzz-smoke.sh
  fi
elif [ "${VANTREL_SKIP_FUZZ:-0}" != "1" ]; then
  bash scripts/fuzz-smoke.sh
fi
