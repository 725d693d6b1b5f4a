#!/usr/bin/env bash
# Soak run: COUNT GetInfo calls (default 100000) on a fixture plugin and on
# this plugin itself, native and under Wine, printing first and last memory
# and handle counts. Long: not part of the test command.
#   bash tools/soak.sh [COUNT]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
count=${1:-100000}
bash tools/build.sh >/dev/null
. "$here/tools/wine-session.sh"

n=build/native/bin
echo "== native"
$n/mdhost run $n/ModuleDetails.lmd tests/soak/soak.lua $n/ModuleDetails.lmd $n/fixture_plugin.so \
  $n/fixture_counter.so "$count"
w='build\win32\bin'
echo "== Wine"
"$here/tools/wine-run.sh" build/win32/bin/mdhost.exe run "$w\\ModuleDetails.lmd" 'tests\soak\soak.lua' \
  "$w\\ModuleDetails.lmd" "$w\\fixture_plugin.dll" "$w\\fixture_counter.dll" "$count"
