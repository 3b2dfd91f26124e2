#!/usr/bin/env bash
# Builds the tool and shows it at work.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
cmake -S "$root" -B build/demo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDS_BUILD_TESTS=OFF \
  -DDS_BUILD_BENCH=OFF >/dev/null
cmake --build build/demo -j"$(nproc)" >/dev/null

set +e
build/demo/driver/datenschleuse
echo "(exit code $?)"
