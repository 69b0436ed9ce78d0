#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# run-fuzzer.sh FUZZER CORPUS_DIR WORK_DIR RUNS MAX_LEN
# Replays every seed and regression input, then fuzzes RUNS new inputs with a
# fixed seed (so a run in CI is repeatable). New inputs go to WORK_DIR, never
# into the committed corpus.
set -euo pipefail
fuzzer=$1 corpus=$2 work=$3 runs=$4 maxlen=$5
mkdir -p "$work"
shopt -s nullglob
inputs=("$corpus"/*)
if ((${#inputs[@]})); then
  "$fuzzer" -runs=0 "${inputs[@]}" >/dev/null 2>"$work/replay.log" || { cat "$work/replay.log"; exit 1; }
fi
exec "$fuzzer" -seed=1 -runs="$runs" -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/" "$work" "$corpus" 2>&1 | tail -n 3
