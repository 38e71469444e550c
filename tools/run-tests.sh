#!/bin/sh
# Installs what is missing, builds everything and runs all tests.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600
