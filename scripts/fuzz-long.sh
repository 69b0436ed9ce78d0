#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every fuzz target for longer: scripts/fuzz-long.sh [SECONDS_PER_TARGET]
# (default 600). Findings land in build-fuzz/fuzz/work/<target>/crash-*; copy a
# crashing input into fuzz/corpus/<target>/ as a regression case once fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVUMBREL_FUZZ=ON -DVUMBREL_SANITIZE=address -DVUMBREL_BUILD_UI=OFF -DVUMBREL_BUILD_TESTS=OFF \
  -DVUMBREL_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"
for fuzzer in build-fuzz/fuzz/fuzz_*; do
  [[ -x $fuzzer && -f $fuzzer ]] || continue
  name=$(basename "$fuzzer")
  work=build-fuzz/fuzz/long/$name
  mkdir -p "$work"
  echo "== $name: ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/" "$work" "fuzz/corpus/$name" 2>&1 | grep -E '^#|Done|ERROR|SUMMARY' | tail -n 2
done
