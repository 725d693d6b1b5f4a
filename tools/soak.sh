#!/usr/bin/env bash
# Soak run: COUNT GetInfo calls (default 100000) on a plain C fixture plugin
# and on this plugin itself, native and under Wine, printing first and last
# memory and handle counts and the loads and releases. Under Wine the handle
# count reads 0 (Wine does not count them) and memory is the working set.
#   bash tools/soak.sh [COUNT]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
count=${1:-100000}
bash tools/build.sh >/dev/null
. "$here/tools/wine-session.sh"

n=build/native/bin
echo "== native"
$n/mdhost run $n/ModuleDetails.lmd tests/soak/soak.lua $n/ModuleDetails.lmd $n/fixture_c_plugin.so \
  $n/fixture_counter.so "$count"
w=build/win32/bin
echo "== Wine"
"$here/tools/wine-run.sh" $w/mdhost.exe run "$(winepath -w $w/ModuleDetails.lmd)" \
  "$(winepath -w tests/soak/soak.lua)" "$(winepath -w $w/ModuleDetails.lmd)" \
  "$(winepath -w $w/fixture_c_plugin.dll)" "$(winepath -w $w/fixture_counter.dll)" "$count"
