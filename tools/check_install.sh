#!/usr/bin/env bash
# The install and package check, run by test.sh on its Xvfb display (DISPLAY set): installs
# the build (BUILD_DIR, default build) into a temporary prefix, starts the installed program on
# the installed sample file, builds the .deb, and lints the man page and the desktop entry.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source tools/lib.sh
echo "== Install and package check"
buildDir=${BUILD_DIR:-build}

need=()
command -v desktop-file-validate >/dev/null || need+=(desktop-file-utils)
command -v groff >/dev/null || need+=(groff-base)
command -v mandoc >/dev/null || need+=(mandoc)
command -v dpkg-shlibdeps >/dev/null || need+=(dpkg-dev) # cpack's dependency list
command -v file >/dev/null || need+=(file)               # cpack's look for binaries
installPackages "${need[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$buildDir/CMakeCache.txt")
files="bin/vinca
share/applications/vinca.desktop
share/doc/vinca/LICENSE
share/doc/vinca/README.md
share/icons/hicolor/128x128/apps/vinca.png
share/man/man1/vinca.1
share/vinca/blocks.txt"

failed=()
# check NAME COMMAND...: passes when the command does; what it prints is shown under it.
check() {
    local name=$1 out
    shift
    if out=$("$@" 2>&1); then
        echo "ok    $name"
    else
        echo "FAIL  $name"
        failed+=("$name")
    fi
    [ -z "$out" ] || echo "$out" | sed 's/^/      /'
}
silent() { # fails when COMMAND fails or prints anything
    local out
    out=$("$@" 2>&1) && [ -z "$out" ] || { echo "$out"; return 1; }
}
runToQ() { # PROGRAM BLOCKFILE OUT: its console into OUT, q in its window, status 0
    timeout 30 "$1" "$2" >"$3" 2>/dev/null &
    local pid=$! window
    window=$(vincaWindow)
    [ -n "$window" ] && xdotool mousemove --window "$window" 250 250 key q
    wait "$pid" || { echo "status $?"; return 1; }
}
startInstalled() { # on its sample, the console bytes of the built program on the source's
    runToQ "$buildDir/vinca" data/blocks.txt "$work/built" &&
        runToQ "$prefix/bin/vinca" "$prefix/share/vinca/blocks.txt" "$work/out" || return 1
    [ -s "$work/built" ] && cmp "$work/built" "$work/out" || { od -c "$work/out" | head; return 1; }
}
debian() { # the .deb holds exactly the installed files under /usr and depends on GL, GLU, GLUT
    local deb depends
    cpack -G DEB --config "$buildDir/CPackConfig.cmake" -B "$work/deb" >"$work/cpack" 2>&1 ||
        { cat "$work/cpack"; return 1; }
    deb=$(ls "$work"/deb/vinca_"$version"_*.deb) || return 1
    dpkg-deb -c "$deb"
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    diff <(dpkg-deb -c "$deb" | awk '!/\/$/ {print $6}') <(sed 's|^|./usr/|' <<<"$files") &&
        grep -q 'libglut' <<<"$depends" && grep -q 'libglu' <<<"$depends" &&
        grep -Eq 'libgl1|libopengl0' <<<"$depends"
}

installPrefix() { cmake --install "$buildDir" --prefix "$prefix" >/dev/null; }

check "cmake --install into a temporary prefix" installPrefix
check "the installed files, no more" \
    diff <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) <(echo "$files")
check "--version prints vinca $version" \
    test "$("$prefix/bin/vinca" --version)" = "vinca $version"
check "installed vinca on the installed sample: the built one's banner, q, status 0" startInstalled
check "desktop entry runs the installed files in a terminal" test "$(grep -Fxc \
    -e "Exec=\"$prefix/bin/vinca\" \"$prefix/share/vinca/blocks.txt\"" -e Terminal=true \
    "$prefix/share/applications/vinca.desktop")" = 2
check "desktop-file-validate" silent desktop-file-validate "$prefix/share/applications/vinca.desktop"
check "groff -man -ww -z" silent groff -man -ww -z "$prefix/share/man/man1/vinca.1"
check "mandoc -T lint" silent mandoc -T lint "$prefix/share/man/man1/vinca.1"
check "icon is a 128 x 128 PNG" grep -q 'PNG image data, 128 x 128' \
    <(file "$prefix/share/icons/hicolor/128x128/apps/vinca.png")
check "cpack -G DEB: contents and Depends" debian

if [ ${#failed[@]} -eq 0 ]; then
    echo "Install check passed"
else
    echo "Install check FAILED: ${#failed[@]} checks (the FAIL lines above)"
    exit 1
fi
