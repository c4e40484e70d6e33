#!/usr/bin/env bash
# Builds vinca and starts it on the sample block file, or on the block file given.
set -euo pipefail
file=$(realpath "${1:-$(dirname "$0")/data/blocks.txt}")
cd "$(dirname "$0")"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vinca
exec ./build/vinca "$file"
