#!/usr/bin/env bash
# Fuzz smoke run: builds the libFuzzer targets of the file loaders with clang
# (build/fuzz) and runs each for a few seconds on its seed corpus. Exits
# non-zero on any crash, hang, leak or sanitizer report; skips (exit 0) when
# clang or libFuzzer is not installed. VANTREL_FUZZ_SECONDS sets the time per
# target (default 4). VANTREL_FUZZ_BUILD names a build folder already
# configured with VANTREL_FUZZ=ON (the test command's sanitizer build) to reuse.
# --probe only answers whether clang can build the targets (exit 0) or not.
# Long runs: see fuzz/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
probe_only=0
[ "${1:-}" = "--probe" ] && probe_only=1

if ! command -v clang >/dev/null 2>&1 || ! command -v clang++ >/dev/null 2>&1; then
  [ "$probe_only" = "1" ] && exit 1
  echo "fuzz-smoke: clang not found, skipped"
  exit 0
fi
probe_dir="$(mktemp -d)"
trap 'rm -rf "$probe_dir"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' > "$probe_dir/p.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe_dir/p.cpp" -o "$probe_dir/p" >/dev/null 2>&1; then
  [ "$probe_only" = "1" ] && exit 1
  echo "fuzz-smoke: clang cannot link libFuzzer (libclang-rt-dev missing?), skipped"
  exit 0
fi
[ "$probe_only" = "1" ] && exit 0

secs="${VANTREL_FUZZ_SECONDS:-4}"
build="${VANTREL_FUZZ_BUILD:-build/fuzz}"
if [ -z "${VANTREL_FUZZ_BUILD:-}" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g1 -O1" \
    -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target fuzz_all

# A small quarantine keeps freed memory in reuse: several times the
# executions per second of the default, with the same checks.
export ASAN_OPTIONS=quarantine_size_mb=16:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
targets=(ini txt_table pack bmp tga wave sound_table define_table res_lib anim_table pli bld_model bld_init timeline map scn_desc obj_list skill_tables model_tables item_tables role_record save trigger_scripts packets method_point)
failed=()
# Absolute corpus paths: targets move into their program folder while they
# run, and libFuzzer reads seed files one by one as it goes.
for t in "${targets[@]}"; do
  work="$probe_dir/$t"
  mkdir -p "$work/corpus" "$work/artifacts"
  if "$build/fuzz/fuzz_$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=0 -malloc_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$work/artifacts/" "$work/corpus" "$PWD/fuzz/corpus/$t" >"$work/log" 2>&1; then
    echo "fuzz-smoke: $t ok ($(grep -o 'number_of_executed_units: [0-9]*' "$work/log" | grep -o '[0-9]*$') executions)"
  else
    echo "fuzz-smoke: $t FAILED"
    tail -n 60 "$work/log"
    mkdir -p "$build/findings/$t"
    cp "$work"/artifacts/* "$build/findings/$t/" 2>/dev/null || true
    echo "fuzz-smoke: the input is kept in $build/findings/$t/"
    failed+=("$t")
  fi
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz-smoke: findings in: ${failed[*]}"
  exit 1
fi
echo "fuzz-smoke: all ${#targets[@]} targets ran clean"
