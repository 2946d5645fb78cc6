#!/usr/bin/env bash
# Installs what is needed, builds with the address and undefined-behaviour sanitizers, starts a
# PostgreSQL server of the tests' own and runs every test (the server tests against it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
build="$root/build-test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_SANITIZE=ON
cmake --build "$build"
server=$(bash "$root/scripts/pg-server.sh" start)
server_dir=$(echo "$server" | head -n 1)
trap 'bash "$root/scripts/pg-server.sh" stop "$server_dir"' EXIT
export KESTREL_PG_TEST=$(echo "$server" | tail -n 1)
cd "$build"
ctest --output-on-failure -j "$(nproc)"
