#!/usr/bin/env bash
# The Windows build under wine on an X display: tools/windows.sh's zip, unpacked, run by the
# suite's end-to-end checks that apply to it (through VINCA_PROGRAM), and closed as Windows
# closes a window. Usage: tools/windows_test.sh [LINUX_BUILD_DIR], default build, whose tests
# must be built; DISPLAY must be set (test.sh's Xvfb), else a private Xvfb is started.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib.sh
build=${1:-build}

need=()
command -v wine >/dev/null || need+=(wine)
command -v unzip >/dev/null || need+=(unzip)
installPackages "${need[@]}"
zip=$(tools/windows.sh | tail -n 1)

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
ownXvfb=
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"; [ -z "$ownXvfb" ] || kill "$ownXvfb"' EXIT
if [ -z "${DISPLAY:-}" ]; then
    startXvfb
    ownXvfb=$XVFB_PID
fi
unzip -q "$zip" -d "$work"
exe=$(find "$work" -name vinca.exe)
mkdir "$WINEPREFIX"
wineserver -p # kept for the whole stage: each start then takes a second or two, not five or more
wine wineboot --init >/dev/null 2>&1
# With no window manager, wine gives a window the keys only once X focuses it, not when asked
# by a manager's WM_TAKE_FOCUS.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f >/dev/null 2>&1
printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$exe" >"$work/vinca"
chmod +x "$work/vinca"
export VINCA_PROGRAM=$work/vinca

failed=()
check() {
    "$build/tests/$1" --gtest_filter="$2" --gtest_brief=1 || failed+=("$1")
}
check startup_test 'Startup.RefusesBeforeTheBanner:Startup.BadColour*'
check console_test 'Console.HelpAndVersion*:Console.WindowsConsoleShowsTheLetters'
check e2e_test 'OperationEndToEnd.WholeCycleByteForByteAndClickWhileBusy:*EndsMidOperation*/0'
check first_frame_test 'FirstFrame.*'

# The close button: taskkill without /f sends the window WM_CLOSE, as the button does.
"$VINCA_PROGRAM" data/blocks.txt >/dev/null 2>&1 &
vinca=$!
if [ -n "$(vincaWindow)" ]; then
    wine taskkill /im vinca.exe >/dev/null 2>&1
    status=0
    wait "$vinca" || status=$?
    [ "$status" = 0 ] || { echo "closed, it ended with status $status"; failed+=(close); }
else
    echo "no window"
    kill "$vinca"
    failed+=(close)
fi

[ ${#failed[@]} -eq 0 ] || { echo "FAILED under wine: ${failed[*]}"; exit 1; }
echo "Windows build passed under wine"
