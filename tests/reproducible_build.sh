#!/usr/bin/env bash
# The release built again from a copy of the sources in another folder, at
# least two seconds later, has the same bytes: every file that SHA256SUMS
# lists, both zips among them. The plugin stays within 48 KiB.
#   reproducible_build.sh SOURCE_DIR DIST_DIR WORK_DIR
# WORK_DIR keeps the second build (tools/build.sh makes it), so that this test
# compiles only what changed since.
set -euo pipefail
source=$1 dist=$2 work=$3
bash "$source/tools/build_elsewhere.sh" "$dist" "$work"
again=$work/dist
status=0
diff "$dist/SHA256SUMS" "$again/SHA256SUMS" || status=1
files=$(awk '{print $2}' "$dist/SHA256SUMS")
for f in $files; do
  cmp "$dist/$f" "$again/$f" || status=1
done
if [ $status != 0 ]; then
  echo "the release differs between two builds of the same sources"
  echo "(dist/ stamps the last commit's time: made before a commit, tools/build.sh makes it again)"
  exit 1
fi
echo "the same $(echo "$files" | wc -w) files from $source and from $work/another-checkout"
size=$(stat -c %s "$dist/ModuleDetails/ModuleDetails.lmd")
[ "$size" -le $((48 * 1024)) ] || { echo "the plugin is $size bytes, more than 48 KiB"; exit 1; }
