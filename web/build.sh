#!/usr/bin/env bash
# Builds the browser version into build-web/: index.html there is the whole program, one
# self-contained page (the WebAssembly and the sample block file inlined).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib.sh

need=()
command -v emcc >/dev/null || need+=(emscripten)
command -v cmake >/dev/null || need+=(cmake)
installPackages "${need[@]}"

# VINCA_WERROR=ON in the environment (test.sh sets it) makes warnings errors.
emcmake cmake -S . -B build-web ${VINCA_WERROR:+-DVINCA_WERROR=$VINCA_WERROR} >/dev/null
cmake --build build-web -j "$(nproc)"

echo "Built build-web/index.html ($(stat -c %s build-web/index.html) bytes)."
echo "Open it from disk in a browser, or serve it and open http://localhost:8000/ :"
echo "  python3 -m http.server -d build-web 8000"
