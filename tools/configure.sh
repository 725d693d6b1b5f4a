#!/usr/bin/env bash
# Configures one build tree with Ninja (its scheduling builds the trees about
# a tenth faster than make's). A tree configured with another generator is
# made again from nothing, as CMake cannot switch one.
#   tools/configure.sh BUILD_DIR [CMAKE ARGUMENTS...]
set -euo pipefail
dir=$1
shift
if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; then
  rm -rf "$dir"
fi
cmake -G Ninja -S . -B "$dir" "$@" >/dev/null
