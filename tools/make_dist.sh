#!/usr/bin/env bash
# Assembles what a release ships from a Windows build: the plugin's folder,
# mdhost's folder, a zip of each and their checksums. The same commit gives
# the same bytes wherever and whenever it is built: every step that stamps a
# time takes the last commit's (SOURCE_DATE_EPOCH).
#   make_dist.sh BUILD_DIR DIST_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$1 dist=$2
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
export SOURCE_DATE_EPOCH
version=$(cat "$build/version.txt")
rm -rf "$dist"
cmake --install "$build" --prefix "$dist" --component plugin --strip >/dev/null
cmake --install "$build" --prefix "$dist" --component host --strip >/dev/null
python3 "$here/tools/make_zip.py" "$dist/ModuleDetails-$version-win32.zip" "$dist" ModuleDetails
python3 "$here/tools/make_zip.py" "$dist/mdhost-$version-win32.zip" "$dist" mdhost
# Every file by the path it has once unpacked (the folders are named so).
(cd "$dist" && { ls *.zip; find ModuleDetails mdhost -type f | LC_ALL=C sort; } | xargs sha256sum >SHA256SUMS)
