#!/usr/bin/env bash
# Builds the release again from a copy of the sources in a folder of another
# name, at least two seconds after the first build, and compares every file
# that SHA256SUMS lists, both zips among them; the plugin stays within 48 KiB.
#   reproducible_build.sh SOURCE_DIR DIST_DIR
set -euo pipefail
source=$1 dist=$2
[ -f "$dist/SHA256SUMS" ] || { echo "no $dist/SHA256SUMS: build the release first"; exit 1; }
work=$(mktemp -d /tmp/md-elsewhere-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/another-checkout"
tar -C "$source" --exclude=./build --exclude=./dist -cf - . | tar -C "$work/another-checkout" -xf -
# A time stamp taken from the clock would differ now, whatever the second says.
age=$(( $(date +%s) - $(stat -c %Y "$dist/SHA256SUMS") ))
[ "$age" -ge 2 ] || sleep $((2 - age))
cd "$work/another-checkout"
bash tools/configure.sh out -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DMD_BUILD_TESTS=OFF
cmake --build out -j 2 --target ModuleDetails mdhost lua51 >/dev/null
bash tools/make_dist.sh out again
status=0
diff "$dist/SHA256SUMS" again/SHA256SUMS || status=1
files=$(awk '{print $2}' "$dist/SHA256SUMS")
for f in $files; do
  cmp "$dist/$f" "again/$f" || status=1
done
[ $status = 0 ] || { echo "the release differs between two builds of the same sources"; exit 1; }
echo "the same $(echo "$files" | wc -w) files from $source and from $work/another-checkout"
size=$(stat -c %s "$dist/ModuleDetails/ModuleDetails.lmd")
[ "$size" -le $((48 * 1024)) ] || { echo "the plugin is $size bytes, more than 48 KiB"; exit 1; }
