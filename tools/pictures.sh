#!/usr/bin/env bash
# Makes the pictures the project holds, from the build in BUILD_DIR (default build), on a
# private Xvfb display:
#   screenshot      docs/screenshot.png, the start-up frame of the sample block file (the
#                   README's picture), and the icon data/vinca.png, the claw cut from it
#   demo            docs/demo.gif, one whole loading cycle of the sample block file
#   web             docs/web.png, the page in Chromium after one loading cycle (web/test.sh)
# and, only when named or with --oracles, the references the tests compare with, to be made
# anew only after a deliberate change of the picture:
#   first_frame     tests/data/first_frame.png, the start-up frame the page test expects
#   frame_feedback  tests/data/frame_feedback.bin, the frames the feedback test expects
# Usage: tools/pictures.sh [--oracles] [NAME...]; with no NAME, screenshot, demo and web.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib.sh
buildDir=${BUILD_DIR:-build}

names=()
for arg in "$@"; do
    case $arg in
    --oracles) names+=(first_frame frame_feedback) ;;
    screenshot | demo | web | first_frame | frame_feedback) names+=("$arg") ;;
    *)
        echo "Usage: tools/pictures.sh [--oracles] [screenshot|demo|web|first_frame|frame_feedback]..." >&2
        exit 2
        ;;
    esac
done
[ ${#names[@]} -gt 0 ] || names=(screenshot demo web)

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v import >/dev/null || need+=(imagemagick)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/GL/glut.h ] || need+=(freeglut3-dev)
[ -f /usr/include/GL/glu.h ] || need+=(libglu1-mesa-dev)
installPackages "${need[@]}"
[ -f "$buildDir/CMakeCache.txt" ] ||
    cmake -S . -B "$buildDir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$buildDir" --target vinca >/dev/null

startXvfb
vincaPid=
frames=$(mktemp -d)
cleanup() {
    [ -n "$vincaPid" ] && kill "$vincaPid" 2>/dev/null
    kill "$XVFB_PID" 2>/dev/null
    rm -rf "$frames"
}
trap cleanup EXIT

# startVinca: the program on the sample block file, its console in $frames/console; sets
# vincaPid and window.
startVinca() {
    "$buildDir/vinca" data/blocks.txt >"$frames/console" &
    vincaPid=$!
    window=$(vincaWindow)
    if [ -z "$window" ]; then
        echo "The vinca window did not appear" >&2
        exit 1
    fi
}
quitVinca() {
    xdotool mousemove --window "$window" 250 480 key q
    wait "$vincaPid" || true
    vincaPid=
}

# startFrame FILE: the start-up frame, grabbed as soon as the window is no longer blank.
startFrame() {
    local colours
    startVinca
    for _ in $(seq 1 50); do
        import -window "$window" -crop 500x500+0+0 +repage "$1"
        colours=$(convert "$1" -format '%k' info:)
        [ "$colours" -gt 1 ] && break
        sleep 0.1
    done
    quitVinca
    echo "Wrote $1 ($(convert "$1" -format '%wx%h' info:), $colours colours)"
}

screenshot() {
    mkdir -p docs
    startFrame docs/screenshot.png
    convert docs/screenshot.png -crop 400x400+40+0 +repage -resize 128x128 -strip data/vinca.png
    echo "Wrote data/vinca.png ($(convert data/vinca.png -format '%wx%h' info:))"
}

first_frame() {
    startFrame tests/data/first_frame.png
}

# The window grabbed every 100 ms of the program's own running time (it is stopped while a
# frame is grabbed, so a slow grab neither thins the frames nor slows the cycle), from the
# click on a block to the crane at rest again.
demo() {
    local output=docs/demo.gif i last
    repeat() { printf "%${2}s" | tr ' ' "$1"; }
    # Camera keys to a view from above the quay's near side: the crane, every block and, on
    # the right, the ship's deck. There the magenta block (-3, 0, 7) shows at this pixel.
    local viewKeys blockX=152 blockY=237
    viewKeys="$(repeat 4 14)$(repeat k 15)$(repeat 2 36)$(repeat o 18)jj666"
    startVinca
    xdotool mousemove --window "$window" 250 480 type --delay 5 "$viewKeys"
    sleep 1
    grab() {
        import -window "$window" -crop 500x400+0+0 +repage "$frames/$(printf %04d "$1").png"
    }
    grab 0
    xdotool mousemove --window "$window" "$blockX" "$blockY" click 1
    # Until "Operaci\xf3n completada ... Esperando nueva orden ;D", for a minute at most.
    for ((i = 1; i <= 600; i++)); do
        sleep 0.1
        kill -STOP "$vincaPid"
        grab "$i"
        kill -CONT "$vincaPid"
        grep -q "Esperando nueva orden" "$frames/console" && break
    done
    sleep 0.1
    last=$((i + 1))
    grab "$last"
    if ! grep -q "En camino" "$frames/console" || ! grep -q "Esperando nueva" "$frames/console"; then
        echo "No whole cycle: the click at $blockX, $blockY fetched no block, or it did not end:" >&2
        cat "$frames/console" >&2
        exit 1
    fi
    quitVinca
    # Ten frames a second; the still before the click shown for a second, the crane at rest
    # again for two.
    local args=(-delay 100 "$frames/0000.png" -delay 10)
    for ((i = 1; i < last; i++)); do
        args+=("$frames/$(printf %04d "$i").png")
    done
    convert "${args[@]}" -delay 200 "$frames/$(printf %04d "$last").png" -loop 0 +dither \
        -colors 64 -layers Optimize "$output"
    echo "Wrote $output: $((last + 1)) frames, $(($(stat -c %s "$output") / 1024)) KiB"
}

web() {
    web/test.sh --screenshot docs/web.png
}

frame_feedback() {
    cmake --build "$buildDir" --target frame_feedback_test >/dev/null
    VINCA_CAPTURE_FRAME_FEEDBACK=$PWD/tests/data/frame_feedback.bin \
        "$buildDir/tests/frame_feedback_test" --gtest_filter='FrameFeedback.*' | grep -F captured
}

for name in "${names[@]}"; do
    "$name"
done
