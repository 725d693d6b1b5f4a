#!/usr/bin/env bash
# Prints the benchmark figures, native and under Wine, in one run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash tools/build.sh >/dev/null
export WINEPREFIX=$("$here/tools/wine-prefix.sh")
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
"$here/tools/wine-run.sh" cmd /c exit 0 </dev/null >/dev/null 2>&1

echo "== native: query against a bare cycle (fixture_plugin)"
build/native/bin/query_benchmark build/native/bin/fixture_plugin.so
echo "== Wine: query against a bare cycle (fixture_plugin.dll)"
"$here/tools/wine-run.sh" build/win32/bin/query_benchmark.exe 'Z:'"$(echo "$here/build/win32/bin/fixture_plugin.dll" | tr / '\\')" 300
