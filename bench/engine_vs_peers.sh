#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Downloads one file from a private nginx on loopback with vumbrel-fetch and
# its peers (curl, wget, aria2c), side by side, via ../shared/bench/peers.sh.
#
# Usage: bench/engine_vs_peers.sh [unthrottled|throttled|both]   (default: both)
#   unthrottled: SIZE=256 MiB, N=7 runs per row, vumbrel-fetch on 2 connections
#   throttled:   RATE=20m per connection, SIZE=200 MiB, N=3, 2 connections
# Environment: BUILD (build dir with tools/vumbrel-fetch, default build),
# PEERS (path of peers.sh), and peers.sh's own SIZE, N, WARMUP, TOOLS.
# Installs nginx-light, aria2, wget, curl and time with apt-get when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-both}
BUILD=${BUILD:-build}
PEERS=${PEERS:-$(cd .. && pwd)/shared/bench/peers.sh}
[[ -x $PEERS || -f $PEERS ]] || PEERS=/work/shared/bench/peers.sh

need=()
for pair in nginx:nginx-light aria2c:aria2 wget:wget curl:curl /usr/bin/time:time; do
  command -v "${pair%%:*}" >/dev/null || need+=("${pair#*:}")
done
if ((${#need[@]})); then
  echo "engine_vs_peers: installing ${need[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

if [[ ! -x $BUILD/tools/vumbrel-fetch ]]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVUMBREL_BUILD_UI=OFF >/dev/null
  cmake --build "$BUILD" --target vumbrel-fetch
fi
fetch=$(realpath "$BUILD/tools/vumbrel-fetch")

if [[ $mode == unthrottled || $mode == both ]]; then
  SIZE=${SIZE:-256} N=${N:-7} TOOLS=${TOOLS:-"curl wget aria2-x1 aria2-x2 project cp curl-null"} \
    PROJECT_CMD="$fetch {url} {out} 2" bash "$PEERS"
fi
if [[ $mode == throttled || $mode == both ]]; then
  RATE=20m SIZE=200 N=${N_RATE:-3} TOOLS=${TOOLS_RATE:-"curl aria2-x2 project"} \
    PROJECT_CMD="$fetch {url} {out} 2" bash "$PEERS"
fi
