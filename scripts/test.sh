#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then a build under
# AddressSanitizer and UndefinedBehaviorSanitizer. Never needs a display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
jobs="$(nproc)"

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/test -j"$jobs"
ctest --test-dir build/test -j"$jobs" --output-on-failure --timeout 300

if [ "${VANTREL_SKIP_SANITIZE:-0}" != "1" ]; then
  export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  # -O1 keeps the sanitizers' reports exact and the run several times faster.
  cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF
  cmake --build build/asan -j"$jobs"
  ctest --test-dir build/asan -j"$jobs" --output-on-failure --timeout 600
fi
