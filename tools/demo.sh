#!/usr/bin/env bash
# Records one whole loading cycle of the sample block file on a private Xvfb display, from the
# click on a block to the crane at rest again, and writes it as docs/demo.gif: the window
# grabbed over and over while the program runs, about ten frames a second of the real cycle,
# each shown for as long as it really lasted. BUILD_DIR chooses the build directory (default
# build).
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

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v import >/dev/null || need+=(imagemagick)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/GL/glut.h ] || need+=(freeglut3-dev)
[ -f /usr/include/GL/glu.h ] || need+=(libglu1-mesa-dev)
installPackages "${need[@]}"

if [ ! -x "$buildDir/vinca" ]; then
    cmake -S . -B "$buildDir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$buildDir" --target vinca >/dev/null

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

# Each frame is named by the time its grab started, in milliseconds.
now() { echo $((${EPOCHREALTIME/./} / 1000)); }
grab() {
    import -window "$window" -crop 500x500+0+0 +repage "$frames/$(now).png"
}
grab
xdotool mousemove --window "$window" "$blockX" "$blockY" click 1
# A grab started every 100 ms, two at most under way, until "Operaci\xf3n completada ...
# Esperando nueva orden ;D", for a minute at most.
lanes=("" "")
next=$(now)
for ((i = 0; SECONDS < 60; i++)); do
    grep -q "Esperando nueva orden" "$frames/console" && break
    [ -z "${lanes[i % 2]}" ] || wait "${lanes[i % 2]}"
    grab &
    lanes[i % 2]=$!
    next=$(($(now) > next + 100 ? $(now) : next + 100))
    pause=$((next - $(now)))
    [ $pause -le 0 ] || sleep "0.$(printf %03d $pause)"
done
for pid in "${lanes[@]}"; do [ -z "$pid" ] || wait "$pid"; done
grab
if ! grep -q "En camino" "$frames/console" || ! grep -q "Esperando nueva" "$frames/console"; then
    echo "No whole cycle: the click at $blockX, $blockY fetched no block, or it did not end:" >&2
    cat "$frames/console" >&2
    exit 1
fi
xdotool mousemove --window "$window" 250 480 key q
wait "$vincaPid" || true
vincaPid=

# Frames at least 100 ms apart; each shown until the next one kept (in hundredths of a
# second), the still before the click for a second and the crane at rest for two; the empty
# bottom of the window cut off.
mapfile -t times < <(ls "$frames" | sed -n 's/\.png$//p' | sort -n)
kept=("${times[0]}")
for t in "${times[@]:1}"; do
    [ $((t - kept[-1])) -ge 100 ] && kept+=("$t")
done
args=(-delay 100 "$frames/${kept[0]}.png")
for ((i = 1; i < ${#kept[@]} - 1; i++)); do
    args+=(-delay $(((kept[i + 1] - kept[i] + 5) / 10)) "$frames/${kept[i]}.png")
done
args+=(-delay 200 "$frames/${kept[-1]}.png")
convert "${args[@]}" -crop 500x400+0+0 +repage -loop 0 +dither -colors 64 -layers Optimize "$output"
echo "Wrote $output: ${#kept[@]} frames over $(((kept[-1] - kept[0]) / 1000)) s," \
    "$(($(stat -c %s "$output") / 1024)) KiB"
