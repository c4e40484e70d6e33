#!/usr/bin/env bash
# Cross-builds the Windows program with Debian's mingw-w64 and packs it:
# build-windows/vinca-VERSION-win64.zip. One static vinca.exe that needs only Windows' own
# DLLs, linked with freeglut built here from Debian's source package (no Debian package
# ships freeglut for mingw). Prints the zip's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib.sh

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v zip >/dev/null || need+=(zip)
command -v dpkg-source >/dev/null || need+=(dpkg-dev)
installPackages "${need[@]}"

out=$PWD/build-windows
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
mkdir -p "$out"

# apt-get source needs deb-src entries: the same archives as the machine's deb entries.
sourcesEntry() {
    local list=/etc/apt/sources.list.d/vinca-deb-src.sources
    grep -rqsE '^(deb-src |Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ &&
        return 0
    if [ "$(id -u)" != 0 ]; then
        echo "apt-get source needs a deb-src entry; as root, add one for the archive in use" >&2
        exit 1
    fi
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"${list%.sources}.list"
    fi
    for f in /etc/apt/sources.list.d/*.sources; do
        if [ -f "$f" ] && [ "$f" != "$list" ]; then
            awk 'BEGIN { RS = ""; ORS = "\n\n" }
                /(^|\n)Types:[^\n]*deb([ \n]|$)/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }
                ' "$f"
        fi
    done >"$list"
    apt-get update -qq
}

# freeglut, static, under $out/freeglut. GL/glut.h is installed on Windows only with
# FREEGLUT_REPLACE_GLUT, and CMake's GLUT module looks for that header.
glut=$out/freeglut
if [ ! -f "$glut/include/GL/glut.h" ]; then
    sourcesEntry
    rm -rf "$out/freeglut-source" "$out/freeglut-build"
    mkdir "$out/freeglut-source"
    log=$out/freeglut-source.log
    if ! (cd "$out/freeglut-source" && apt-get source -qq freeglut >"$log" 2>&1); then
        cat "$log" >&2
        exit 1
    fi
    source=$(find "$out/freeglut-source" -mindepth 1 -maxdepth 1 -type d -name 'freeglut-*')
    cmake -S "$source" -B "$out/freeglut-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$glut" \
        -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
        -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON >/dev/null
    cmake --build "$out/freeglut-build" --target install >/dev/null
fi

# vinca itself: the program only, stripped.
cmake -S . -B "$out/vinca" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_FIND_ROOT_PATH="$glut" -DCMAKE_BUILD_TYPE=Release -DVINCA_TESTS=OFF \
    -DVINCA_BENCHMARKS=OFF -DVINCA_WERROR="${VINCA_WERROR:-OFF}" >/dev/null
cmake --build "$out/vinca" --target vinca >/dev/null
version=$(sed -n 's/^project(vinca VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=vinca-$version-win64
rm -rf "$out/$name" "$out/$name.zip"
mkdir -p "$out/$name/licences"
x86_64-w64-mingw32-strip -o "$out/$name/vinca.exe" "$out/vinca/vinca.exe"
cp data/blocks.txt data/blocks30.txt README.md "$out/$name/"
sed 's/$/\r/' data/vinca-sample.cmd >"$out/$name/vinca-sample.cmd" # cmd reads CR LF lines
cp LICENSE "$out/$name/LICENSE.txt"
# What is linked into vinca.exe: freeglut, mingw-w64's runtime and winpthreads (one Debian
# copyright file), and GCC's runtime libraries.
cp "$(find "$out/freeglut-source" -mindepth 2 -maxdepth 2 -name COPYING | head -n 1)" \
    "$out/$name/licences/freeglut.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$out/$name/licences/mingw-w64.txt"
cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright "$out/$name/licences/gcc-runtime.txt"
(cd "$out" && zip -qr -9 "$name.zip" "$name")
echo "$out/$name.zip"
