#!/usr/bin/env bash
# Installs what is missing, then configures and builds the Windows build (the
# product), assembles dist/ from it, builds the release again in another
# folder, and builds the native trees for the tests. MD_SKIP_SANITIZE=1
# leaves out the sanitizer and fuzzing trees.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash tools/setup.sh
jobs=$(nproc)
step() { echo "== $*"; }

step "Windows build (build/win32)"
bash tools/configure.sh build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DMD_WERROR=ON
cmake --build build/win32 -j "$jobs"

step "dist/: the plugin's folder, mdhost's folder, their zips and checksums"
bash tools/make_dist.sh build/win32 dist

step "the release again from a copy of the sources (build/win32/elsewhere), for win.reproducible"
bash tools/build_elsewhere.sh dist build/win32/elsewhere

step "native build (build/native)"
bash tools/configure.sh build/native -DCMAKE_BUILD_TYPE=Debug -DMD_WERROR=ON
cmake --build build/native -j "$jobs"
if [ "${MD_SKIP_SANITIZE:-}" != 1 ]; then
  step "sanitizer build (build/sanitize)"
  bash tools/configure.sh build/sanitize -DCMAKE_BUILD_TYPE=Debug -DMD_SANITIZE=ON -DMD_WERROR=ON -DCMAKE_C_COMPILER=gcc \
        -DCMAKE_CXX_COMPILER=g++
  cmake --build build/sanitize -j "$jobs"
  step "thread-sanitizer build (build/tsan): the worker's threads"
  bash tools/configure.sh build/tsan -DCMAKE_BUILD_TYPE=Debug -DMD_TSAN=ON -DMD_WERROR=ON
  cmake --build build/tsan -j "$jobs" --target worker_threads_tests
  step "fuzzing build (build/fuzz)"
  bash tools/configure.sh build/fuzz -DCMAKE_BUILD_TYPE=Debug -DMD_FUZZ=ON -DMD_WERROR=ON -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++
  cmake --build build/fuzz -j "$jobs" --target fuzzers
fi
