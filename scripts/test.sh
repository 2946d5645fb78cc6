#!/usr/bin/env bash
# Installs what is needed, builds with the address and undefined-behaviour sanitizers, runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
build="$root/build-test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_SANITIZE=ON
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
