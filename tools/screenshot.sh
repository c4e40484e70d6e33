#!/usr/bin/env bash
# Renders the start-up frame of the sample block file on a private Xvfb display and saves it
# as docs/screenshot.png, and the claw cut from it as the 128 x 128 icon data/vinca.png.
# BUILD_DIR chooses the build directory (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib.sh
buildDir=${BUILD_DIR:-build}
output=docs/screenshot.png
icon=data/vinca.png

buildForPictures "$buildDir"

startXvfb
vincaPid=
cleanup() {
    [ -n "$vincaPid" ] && kill "$vincaPid" 2>/dev/null
    kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT

"$buildDir/vinca" data/blocks.txt >/dev/null &
vincaPid=$!
window=$(vincaWindow)
if [ -z "$window" ]; then
    echo "The vinca window did not appear" >&2
    exit 1
fi

# The first frame is drawn once the window is mapped; capture until it is no longer blank.
mkdir -p docs
for _ in $(seq 1 50); do
    import -window "$window" -crop 500x500+0+0 +repage "$output"
    colours=$(convert "$output" -format '%k' info:)
    [ "$colours" -gt 1 ] && break
    sleep 0.1
done

xdotool windowfocus --sync "$window" key q
wait "$vincaPid" || true
vincaPid=
echo "Wrote $output ($(convert "$output" -format '%wx%h' info:), $colours colours)"
convert "$output" -crop 400x400+40+0 +repage -resize 128x128 -strip "$icon"
echo "Wrote $icon ($(convert "$icon" -format '%wx%h' info:))"
