#!/usr/bin/env bash
# Builds and runs the benchmarks: the desktop's on an Xvfb display of their own (500x500
# window, Mesa's llvmpipe), then the page's frame in headless Chromium's CPU renderer, 500 x 500
# and 1000 x 1000 (bench/page_bench.mjs), in the same run. Arguments go to vinca_bench (--reps
# N, --picks N, --cycles N, --startups N, --only frames|pick|cycle|startup|page; with --only,
# only that section runs). With --callgrind first, it profiles the display pass and the display
# list instead and prints the top entries and the instruction counts per frame.
# BUILD_DIR picks the build directory (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib.sh

callgrind=0
if [ "${1:-}" = "--callgrind" ]; then
    callgrind=1
    shift
fi

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/GL/glut.h ] || need+=(freeglut3-dev)
[ -f /usr/include/GL/glu.h ] || need+=(libglu1-mesa-dev)
[ -f /usr/include/X11/Xlib.h ] || need+=(libx11-dev)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
if [ "$callgrind" = 1 ]; then
    command -v valgrind >/dev/null || need+=(valgrind)
fi
installPackages "${need[@]}"

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVINCA_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target vinca_bench

# A display of our own with a black root (-br), so an undrawn window never looks drawn.
startXvfb -br
outDir=$(mktemp -d)
trap 'kill $XVFB_PID 2>/dev/null || true; rm -rf "$outDir"' EXIT

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg)"

if [ "$callgrind" = 0 ]; then
    only=$(echo "$*" | sed -n 's/.*--only \([a-z]*\).*/\1/p')
    [ "$only" = page ] || "$build/bench/vinca_bench" "$@"
    if [ -z "$only" ] || [ "$only" = page ]; then
        need=()
        [ -x /usr/bin/chromium ] || need+=(chromium)
        command -v node >/dev/null || need+=(nodejs)
        command -v npm >/dev/null || need+=(npm)
        installPackages "${need[@]}"
        web/build.sh >/dev/null
        (cd web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
        echo
        echo "The page's frame, headless Chromium's CPU renderer, frame-rate limit off:"
        node bench/page_bench.mjs build-web
    fi
    exit 0
fi

# Rasterizing on the calling thread puts the whole frame in the one profiled thread.
frames=20
for what in display list; do
    LP_NUM_THREADS=0 valgrind --tool=callgrind --callgrind-out-file="$outDir/$what.out" \
        --toggle-collect='*profiledFrames*' \
        "$build/bench/vinca_bench" --profile "$what" --frames "$frames" 2>"$outDir/$what.log"
    total=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$outDir/$what.log")
    echo "$what: $total instructions over $frames frames, $((total / frames)) per frame"
done
echo
echo "Display pass, top entries by own cost:"
callgrind_annotate "$outDir/display.out" 2>/dev/null | sed -n '/file:function/,$p' | sed -n 3,22p
echo
echo "Display pass, own cost by object (??? is code the driver compiled at run time):"
callgrind_annotate --threshold=100 --auto=no "$outDir/display.out" 2>/dev/null |
    awk '/file:function/ { on = 1; getline; next } on && NF == 0 { exit } on { print }' |
    awk '{ ir = $1; gsub(",", "", ir); obj = $NF ~ /^\[/ ? $NF : "(inlined from a header)"
           sum[obj] += ir; total += ir }
         END { for (o in sum) printf "%15.0f  %5.2f%%  %s\n", sum[o], 100 * sum[o] / total, o }' |
    sort -rn | head -8
echo
echo "Display pass, the program's own functions (inclusive):"
callgrind_annotate --inclusive=yes "$outDir/display.out" 2>/dev/null |
    grep -F 'vinca_bench]' | grep -vE ':main |below main|profiledFrames' | head -20
