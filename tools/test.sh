#!/usr/bin/env bash
# Builds everything and runs every test (native and under Wine) with one
# ctest run. One wineserver serves the whole run and is ended afterwards, so
# nothing the tests start outlives this command.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash tools/build.sh

export WINEPREFIX=$("$here/tools/wine-prefix.sh")
export WINEDEBUG=-all
wineserver -k 2>/dev/null || true  # a stale server of this prefix
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first Windows program starts Wine's background services, which inherit
# its output handles: start them here, bound to nothing a runner waits on.
"$here/tools/wine-run.sh" cmd /c exit 0 </dev/null >/dev/null 2>&1

# One test tree over both builds, so the run ends with one summary.
cat > build/CTestTestfile.cmake <<'CTEST'
subdirs("native")
subdirs("sanitize")
subdirs("fuzz")
subdirs("win32")
CTEST
cd build
ctest --output-on-failure -j "$(nproc)" --timeout 600
