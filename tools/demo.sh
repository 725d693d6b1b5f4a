#!/usr/bin/env bash
# Builds everything and shows the plugin at work in the stand-in host under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash tools/build.sh >/dev/null

. "$here/tools/wine-session.sh"
run() { "$here/tools/wine-run.sh" "$@"; }

echo "== The plugin describes itself (mdhost info dist\\ModuleDetails\\ModuleDetails.lmd)"
run dist/host/mdhost.exe info 'dist\ModuleDetails\ModuleDetails.lmd'

echo
echo "== A script (examples/get_info.lua) asks GetInfo of this plugin and of a fixture plugin"
set +e
run dist/host/mdhost.exe run 'dist\ModuleDetails\ModuleDetails.lmd' 'examples\get_info.lua' \
  'dist\ModuleDetails\ModuleDetails.lmd' 'build\win32\bin\example_plugin.dll' 'no\such\plugin.lmd'
echo "(mdhost exit code: $?)"
