#!/usr/bin/env bash
# Installs what is needed, builds with the address and undefined-behaviour sanitizers, starts a
# PostgreSQL server of the tests' own and runs every test twice: first with each test's books in a
# database file (the server tests against the server), then with every test's books on the server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
build="$root/build-test"
# Line tables only (-g1): a sanitizer report still names files and lines, and the many test programs
# compile and link faster than with full debug information. The libraries compile in batches of
# sources (a build from scratch; see cmake/BuildSpeed.cmake).
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 \
    -DKESTREL_SANITIZE=ON -DKESTREL_UNITY_BUILD=ON
cmake --build "$build"
server=$(bash "$root/scripts/pg-server.sh" start)
server_dir=$(echo "$server" | head -n 1)
trap 'bash "$root/scripts/pg-server.sh" stop "$server_dir"' EXIT
export KESTREL_PG_TEST=$(echo "$server" | tail -n 1)
cd "$build"
# Both suites run to the end; the run fails when a test of either failed. CTest starts the longest
# tests first (their times from the tests' COST or from the suite before).
failed=0
ctest --output-on-failure -j "$(nproc)" || failed=1

# The same suite with the books on the server (the package's test installs the package, which does not
# depend on where the books are: it runs once, above).
KESTREL_TEST_ENGINE=postgresql ctest --output-on-failure -j "$(nproc)" -LE package || failed=1
exit "$failed"
