#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ with clang (tree build-fuzz, the
# normal build is untouched) and runs each for a bounded time, starting from
# its seed corpus. Fails on the first crash, sanitizer report or broken rule.
#
#   scripts/fuzz-smoke.sh [seconds-per-target]     (default 25)
#
# The mutations start from a fixed seed (FUZZ_SEED, default 1), so CI tries
# the same inputs in the same order as a run here, as far as its time allows;
# FUZZ_SEED=0 lets libFuzzer pick one, as the longer runs of the README do.
#
# Findings are left in build-fuzz/findings/<target>/ (crash-*, the input that
# failed); run the target on that file to reproduce it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-25}"
build=build-fuzz

# clang and its fuzzer runtime are needed here only, not by the normal build.
scripts/install-deps.sh clang-14 libclang-rt-14-dev

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DQUILLON_FUZZ=ON -DQUILLON_SANITIZE=ON -DQUILLON_GUI=OFF -DQUILLON_BENCH=OFF \
  "${launcher[@]}" >/dev/null

targets=()
for src in fuzz/*.cpp; do targets+=("fuzz_$(basename "$src" .cpp)"); done
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
failed=()
for target in "${targets[@]}"; do
  name="${target#fuzz_}"
  work="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$work" "$findings"
  echo "== $target: ${seconds} s"
  if ! "$build/$target" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$work" "fuzz/corpus/$name" >"$build/$name.log" 2>&1; then
    tail -n 40 "$build/$name.log"
    failed+=("$target")
  else
    grep -E "^stat::number_of_executed_units|^Done" "$build/$name.log" || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs under $build/findings/)"
  exit 1
fi
echo "Fuzz smoke passed."
