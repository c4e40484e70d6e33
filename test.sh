#!/usr/bin/env bash
# Installs what the tests need, builds, and runs on a private Xvfb display: the sanitizer
# build of the whole suite, the block-file fuzzer for a minute, the whole suite, the install
# and package check, the browser build in headless Chromium, and the Windows build under wine.
set -euo pipefail
cd "$(dirname "$0")"
source tools/lib.sh

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
command -v xdotool >/dev/null || need+=(xdotool)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v valgrind >/dev/null || need+=(valgrind)
command -v clang++ >/dev/null || need+=(clang)
compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
    need+=(libclang-rt-dev)
[ -f /usr/include/GL/glut.h ] || need+=(freeglut3-dev)
[ -f /usr/include/GL/glu.h ] || need+=(libglu1-mesa-dev)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# The Windows build (tools/windows.sh) and its run under wine (tools/windows_test.sh).
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
command -v dpkg-source >/dev/null || need+=(dpkg-dev)
command -v zip >/dev/null || need+=(zip)
command -v unzip >/dev/null || need+=(unzip)
command -v wine >/dev/null || need+=(wine)
installPackages "${need[@]}"

jobs=$(nproc)
failed=()

# Every build here treats warnings as errors, the page's too (web/build.sh reads VINCA_WERROR).
export VINCA_WERROR=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVINCA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
cmake -S . -B build-asan -G Ninja -DVINCA_SANITIZE=ON -DVINCA_BENCHMARKS=OFF -DVINCA_WERROR=ON \
    >/dev/null
cmake --build build-asan -j "$jobs"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVINCA_FUZZ=ON -DVINCA_TESTS=OFF \
    -DVINCA_BENCHMARKS=OFF -DVINCA_WERROR=ON >/dev/null
cmake --build build-fuzz --target block_file_fuzz

work=$(mktemp -d)
startXvfb
trap 'kill $XVFB_PID 2>/dev/null || true; rm -rf "$work"' EXIT
echo "Tests run on Xvfb display $DISPLAY"

# Sanitizers: every report goes to a file, and any file fails the stage. The GL driver is
# preloaded so that it is still mapped when the leak check runs at exit and its frames can
# be named by the suppressions; huge allocations return null as malloc does. Tests that run
# valgrind (memcheck, the mesh release at exit) cannot run sanitized binaries: they run in
# the main suite.
echo "== Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
mkdir "$work/san"
driver=$(compgen -G "/usr/lib/*/dri/swrast_dri.so" | head -n 1 || true)
if ! env LD_PRELOAD="$driver" \
    ASAN_OPTIONS="log_path=$work/san/asan:verify_asan_link_order=0:allocator_may_return_null=1" \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="log_path=$work/san/ubsan:print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE memcheck \
    >"$work/asan.log" 2>&1; then
    cat "$work/asan.log"
    failed+=("sanitizer suite")
fi
if compgen -G "$work/san/*" >/dev/null; then
    cat "$work"/san/*
    failed+=("sanitizer reports")
fi
grep -E "tests passed|Total Test time" "$work/asan.log" || true

# The fuzzer from a copy of the seed corpus; a crash, a leak or a hang ends it non-zero and
# leaves the input in build-fuzz/.
echo "== Fuzzing the block-file reader for 60 s"
cp -r fuzz/corpus "$work/corpus"
if ! build-fuzz/fuzz/block_file_fuzz "$work/corpus" -max_total_time=60 -timeout=5 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build-fuzz/ \
    >"$work/fuzz.log" 2>&1; then
    cat "$work/fuzz.log"
    failed+=(fuzzer)
fi
grep -E "^Done|number_of_executed_units" "$work/fuzz.log" || true

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED before the main suite: ${failed[*]}"
fi
echo "== Whole suite"
ctest --test-dir build --output-on-failure -j "$jobs" || failed+=(suite)
tools/check_install.sh || failed+=("install check")
web/test.sh || failed+=("browser test") # emscripten build of the page, driven in Chromium
echo "== Windows build under wine"
tools/windows_test.sh build || failed+=("Windows build")
# Seven stages: sanitizer suite, sanitizer reports, fuzzer, whole suite, install, browser,
# Windows.
[ ${#failed[@]} -eq 0 ] || echo "FAILED: ${failed[*]}"
echo "stages: $((7 - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
