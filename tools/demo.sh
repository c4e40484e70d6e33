#!/usr/bin/env bash
# Records one whole loading cycle of the sample block file on a private Xvfb display, from the
# click on a block to the crane at rest again, and writes it as docs/demo.gif: the window
# grabbed every 100 ms while the program runs, ten frames a second of the real cycle.
# BUILD_DIR chooses the build directory (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib.sh
buildDir=${BUILD_DIR:-build}
output=docs/demo.gif

repeat() { printf "%${2}s" | tr ' ' "$1"; }
# Camera keys to a view from above the quay's near side: the crane, every block and, on the
# right, the ship's deck. There the magenta block (-3, 0, 7) shows at window pixel x, y.
viewKeys="$(repeat 4 14)$(repeat k 15)$(repeat 2 36)$(repeat o 18)jj666"
blockX=152 blockY=237

buildForPictures "$buildDir"

startXvfb
SECONDS=0
frames=$(mktemp -d)
vincaPid=
cleanup() {
    [ -n "$vincaPid" ] && kill "$vincaPid" 2>/dev/null
    kill "$XVFB_PID" 2>/dev/null
    rm -rf "$frames"
}
trap cleanup EXIT

"$buildDir/vinca" data/blocks.txt >"$frames/console" &
vincaPid=$!
window=$(vincaWindow)
if [ -z "$window" ]; then
    echo "The vinca window did not appear" >&2
    exit 1
fi
xdotool mousemove --window "$window" 250 480 type --delay 5 "$viewKeys"
sleep 1

# The program runs 100 ms at a time and is stopped while its window is grabbed, so the frames
# are ten a second of its own running time however long a grab takes; until "Operaci\xf3n
# completada ... Esperando nueva orden ;D", for a minute at most.
grab() {
    import -window "$window" -crop 500x400+0+0 +repage "$frames/$(printf %04d "$1").png"
}
grab 0
xdotool mousemove --window "$window" "$blockX" "$blockY" click 1
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
xdotool mousemove --window "$window" 250 480 key q
wait "$vincaPid" || true
vincaPid=

# Ten frames a second; the still before the click shown for a second, the crane at rest again
# for two.
args=(-delay 100 "$frames/0000.png" -delay 10)
for ((i = 1; i < last; i++)); do
    args+=("$frames/$(printf %04d "$i").png")
done
convert "${args[@]}" -delay 200 "$frames/$(printf %04d "$last").png" -loop 0 +dither \
    -colors 64 -layers Optimize "$output"
echo "Wrote $output: $((last + 1)) frames, $(($(stat -c %s "$output") / 1024)) KiB"
