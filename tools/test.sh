#!/usr/bin/env bash
# Builds everything and runs every test (native and under Wine) with one
# ctest run. One wineserver serves the whole run and is ended afterwards, so
# nothing the tests start outlives this command.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash tools/build.sh

. "$here/tools/wine-session.sh"

# One test tree over all builds, so the run ends with one summary.
cat > build/CTestTestfile.cmake <<'CTEST'
subdirs("native")
subdirs("sanitize")
subdirs("tsan")
subdirs("fuzz")
subdirs("win32")
CTEST
cd build
ctest --output-on-failure -j "$(nproc)" --timeout 600
