#!/usr/bin/env bash
# Builds the plugin again from a copy of the sources in a folder of another
# name and compares the stripped module, byte for byte, with this build's;
# the module shipped stays within 48 KiB.
#   reproducible_build.sh SOURCE_DIR BUILT_MODULE STRIP
set -euo pipefail
source=$1 built=$2 strip=$3
work=$(mktemp -d /tmp/md-elsewhere-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/another-checkout"
tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$work/another-checkout" -xf -
cd "$work/another-checkout"
cmake -S . -B out -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DMD_BUILD_TESTS=OFF >/dev/null
cmake --build out -j 2 --target ModuleDetails >/dev/null
"$strip" -o "$work/here.lmd" "$built"
"$strip" -o "$work/there.lmd" out/bin/ModuleDetails.lmd
cmp "$work/here.lmd" "$work/there.lmd"
size=$(stat -c %s "$work/here.lmd")
echo "the same $size bytes from $source and from $work/another-checkout"
[ "$size" -le $((48 * 1024)) ] || { echo "the plugin is $size bytes, more than 48 KiB"; exit 1; }
