#!/usr/bin/env bash
# Builds everything (showing its progress) and shows the plugin at work in
# the stand-in host under Wine, and mdhost on a plugins folder of its own
# (tools/demo_steps.sh): nothing under build/ changes while it runs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
echo "== Set-up (tools/setup.sh: packages and sources; its output in build/setup.log)"
mkdir -p build
bash tools/setup.sh >build/setup.log 2>&1 || { tail -n 30 build/setup.log; exit 1; }
tail -n 1 build/setup.log
echo "== Building (tools/build.sh: the Windows build and dist/, the native build)"
MD_SKIP_SANITIZE=1 bash tools/build.sh 2>&1 | grep -E '^==|^\[ *[0-9]+%\] (Linking|Built target)|error:' || true
[ -f dist/mdhost/mdhost.exe ] || { echo "the build failed: run tools/build.sh to see why"; exit 1; }

. "$here/tools/wine-session.sh"

bash "$here/tools/demo_steps.sh"
echo
echo "== The packages: dist/$(cd dist && ls *.zip | tr "\n" " ")checked against dist/SHA256SUMS"
(cd dist && sha256sum -c SHA256SUMS)
