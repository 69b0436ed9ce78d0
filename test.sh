#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test: the normal build
# (with the Qt window, offscreen), then the suite under ASan+UBSan, then the
# concurrency tests under ThreadSanitizer, then short fixed-length runs of the
# libFuzzer targets (clang, ASan+UBSan).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

passed=0
failed=0
summary=()

run_suite() {  # name build-dir ctest-args...
  local name=$1 dir=$2
  shift 2
  local log="$dir/ctest.log" rc=0
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" 2>&1 | tee "$log" || rc=$?
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  elif ((rc != 0)); then
    failed=$((failed + 1))
  fi
  summary+=("$name: ${line:-ctest exit $rc}")
  return 0
}

build() {  # dir target cmake-args...
  local dir=$1 target=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" --target "$target"
}

build build all -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite normal build

# Sanitizer builds: -O1 with line tables only, which keeps stack traces and
# builds much faster than a full debug build.
san_flags=(-DCMAKE_BUILD_TYPE= "-DCMAKE_CXX_FLAGS=-O1 -g1")
build build-asan all "${san_flags[@]}" -DVUMBREL_SANITIZE=address -DVUMBREL_BUILD_UI=OFF \
  -DVUMBREL_BUILD_BENCH=OFF
run_suite asan+ubsan build-asan -LE nosan

build build-tsan concurrency_tests "${san_flags[@]}" -DVUMBREL_SANITIZE=thread -DVUMBREL_BUILD_UI=OFF \
  -DVUMBREL_BUILD_BENCH=OFF
run_suite tsan build-tsan -L concurrency

build build-fuzz fuzzers -DCMAKE_CXX_COMPILER=clang++-14 "${san_flags[@]}" -DVUMBREL_FUZZ=ON \
  -DVUMBREL_SANITIZE=address -DVUMBREL_BUILD_UI=OFF -DVUMBREL_BUILD_TESTS=OFF -DVUMBREL_BUILD_BENCH=OFF
run_suite fuzz build-fuzz -L fuzz

echo
printf '%s\n' "${summary[@]}"
echo "all suites: $passed passed, $failed failed"
((failed == 0))
