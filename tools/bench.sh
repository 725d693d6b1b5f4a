#!/usr/bin/env bash
# Prints the benchmark figures, native and under Wine, in one run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash tools/build.sh >/dev/null
. "$here/tools/wine-session.sh"

echo "== native: query against a bare cycle (fixture_plugin)"
build/native/bin/query_benchmark build/native/bin/fixture_plugin.so
echo "== Wine: query against a bare cycle (fixture_plugin.dll)"
"$here/tools/wine-run.sh" build/win32/bin/query_benchmark.exe 'Z:'"$(echo "$here/build/win32/bin/fixture_plugin.dll" | tr / '\\')" 300
