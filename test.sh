#!/usr/bin/env bash
# Sets up, builds, fuzzes for a bounded time and runs the whole test suite twice:
# a normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
source "$(dirname "$0")/tools/build-env.sh"
cd "$LUMORA_ROOT"

FUZZ_SECONDS=${LUMORA_FUZZ_SECONDS:-20}

lumora_install_packages
lumora_configure build/normal -DLUMORA_WERROR=ON
lumora_configure build/sanitize -DLUMORA_WERROR=ON -DLUMORA_SANITIZE=ON -DLUMORA_BENCH=OFF
lumora_configure build/fuzz CC=clang-14 CXX=clang++-14 -DLUMORA_WERROR=ON -DLUMORA_FUZZ=ON
lumora_build build/normal
lumora_build build/sanitize
lumora_build build/fuzz
lumora_link_bin

# Nothing a test does may reach the user's own prefix, even by accident.
export LUMORA_PREFIX="$LUMORA_ROOT/build/test-prefix"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0

for fuzzer in build/fuzz/fuzz/Fuzz*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  mkdir -p "build/fuzz/corpus/$name" "build/fuzz/artifacts"
  echo "== fuzzing $name for ${FUZZ_SECONDS}s"
  if ! "$fuzzer" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="build/fuzz/artifacts/$name-" \
       "build/fuzz/corpus/$name" "fuzz/corpus/$name" >"build/fuzz/$name.log" 2>&1; then
    echo "!! $name failed; its log ends:"
    tail -n 40 "build/fuzz/$name.log"
    status=1
  fi
done

echo "== tests (normal build)"
ctest --test-dir build/normal --output-on-failure -j "$(nproc)" || status=1
echo "== tests (sanitizer build)"
ctest --test-dir build/sanitize --output-on-failure -j "$(nproc)" || status=1
exit $status
