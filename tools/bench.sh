#!/usr/bin/env bash
# Prints the benchmark figures, native (a Release build of its own) and under
# Wine (the Release Windows build), in one run.
#   bash tools/bench.sh [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
rounds=${1:-300}
bash tools/build.sh >/dev/null
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DMD_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)" --target query_benchmark >/dev/null
. "$here/tools/wine-session.sh"

echo "== native (Release)"
build/release/bin/query_benchmark build/release/bin/ModuleDetails.lmd build/release/bin/minimal_plugin.so \
  "$rounds" 5
echo "== Wine (Release)"
w=build/win32/bin
"$here/tools/wine-run.sh" "$w/query_benchmark.exe" "$(winepath -w "$w/ModuleDetails.lmd")" \
  "$(winepath -w "$w/minimal_plugin.dll")" "$rounds" 1

# scan finds Windows modules only, so isolation is measured under Wine.
echo "== Wine: isolation (mdhost scan of 300 plugins, in a worker against in-process)"
python3 bench/isolation_benchmark.py $w/minimal_plugin.dll 300 7 --windows-paths -- "$here/tools/wine-run.sh" \
  $w/mdhost.exe

# --jobs: check is measured whole (memory cycles and all), natively and under Wine.
echo "== native: --jobs (mdhost check of 40 plugins, --jobs 2 against --jobs 1)"
python3 bench/jobs_benchmark.py build/native/bin/minimal_plugin.so 40 5 -- build/native/bin/mdhost
echo "== Wine: --jobs (mdhost check of 20 plugins, --jobs 2 against --jobs 1)"
python3 bench/jobs_benchmark.py $w/minimal_plugin.dll 20 3 --windows-paths -- "$here/tools/wine-run.sh" $w/mdhost.exe
