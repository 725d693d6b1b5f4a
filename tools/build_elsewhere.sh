#!/usr/bin/env bash
# Builds the release again from a copy of the sources in a folder of another
# name, at least two seconds after DIST was made, and assembles it in
# WORK/dist. The copy is made afresh each time but keeps the files' times,
# and WORK/out stays: a second run compiles only what changed.
#   build_elsewhere.sh DIST_DIR WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dist=$1 work=$2
[ -f "$dist/SHA256SUMS" ] || { echo "no $dist/SHA256SUMS: build the release first"; exit 1; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
rm -rf "$work/another-checkout"
mkdir "$work/another-checkout"
tar -C "$here" --exclude=./build --exclude=./dist -cf - . | tar -C "$work/another-checkout" -xf -
# A time stamp taken from the clock would differ now, whatever the second says.
age=$(($(date +%s) - $(stat -c %Y "$dist/SHA256SUMS")))
[ "$age" -ge 2 ] || sleep $((2 - age))
cd "$work/another-checkout"
bash tools/configure.sh "$work/out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DMD_BUILD_TESTS=OFF
cmake --build "$work/out" -j "$(nproc)" --target ModuleDetails mdhost lua51 >/dev/null
bash tools/make_dist.sh "$work/out" "$work/dist"
