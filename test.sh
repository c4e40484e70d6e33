#!/usr/bin/env bash
# Installs what the tests need, builds, and runs the whole suite on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")"

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
command -v xdotool >/dev/null || need+=(xdotool)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/GL/glut.h ] || need+=(freeglut3-dev)
[ -f /usr/include/GL/glu.h ] || need+=(libglu1-mesa-dev)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" = 0 ]; then
        echo "Installing: ${need[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
    else
        echo "The tests need these packages; install them as root (apt-get install ${need[*]})" >&2
        exit 1
    fi
fi

jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

# A display of our own; -displayfd picks a free number.
displayFile=$(mktemp)
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$displayFile" 2>/dev/null &
xvfbPid=$!
trap 'kill $xvfbPid 2>/dev/null || true; rm -f "$displayFile"' EXIT
for _ in $(seq 1 100); do
    [ -s "$displayFile" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n 1 "$displayFile")"
echo "Tests run on Xvfb display $DISPLAY"

ctest --test-dir build --output-on-failure -j "$jobs"
