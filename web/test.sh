#!/usr/bin/env bash
# The browser test: installs what is missing (emscripten, Chromium, node, npm), builds
# build-web/, installs playwright-core, axe-core and Lighthouse from the lockfile, drives the
# page in headless Chromium and runs Lighthouse on it. Arguments go to test.mjs
# (--screenshot FILE); with any, Lighthouse is left out. Ends with one pass/fail line.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib.sh
start=$SECONDS
echo "== Browser build in headless Chromium"

need=()
command -v emcc >/dev/null || need+=(emscripten)
command -v cmake >/dev/null || need+=(cmake)
[ -x /usr/bin/chromium ] || need+=(chromium)
command -v node >/dev/null || need+=(nodejs)
command -v npm >/dev/null || need+=(npm)
command -v python3 >/dev/null || need+=(python3)
installPackages "${need[@]}"

# playwright-core (web/package-lock.json) runs on Node.js 20 or later only.
if [ "$(node -p 'process.versions.node.split(".")[0]')" -lt 20 ]; then
    echo "Browser test FAILED: playwright-core needs Node.js 20 or later, found $(node --version)"
    exit 1
fi
web/build.sh >/dev/null
(cd web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
if node web/test.mjs build-web "$@" && { [ $# -gt 0 ] || node web/lighthouse.mjs build-web; }; then
    echo "Browser test passed ($((SECONDS - start)) s)"
else
    echo "Browser test FAILED ($((SECONDS - start)) s)"
    exit 1
fi
