#!/usr/bin/env bash
# Builds everything and runs every test (native and under Wine) with one
# ctest run. One wineserver serves the whole run and is ended afterwards, so
# nothing the tests start outlives this command.
#   tools/test.sh           the whole suite
#   tools/test.sh --quick   the native tree alone, its quick tier (label quick)
# MD_ONLY=MD3* and MD_CASE=check.fix* narrow the rule examples and the
# command-line cases; MD_FUZZ_SECONDS and MD_STRESS_RUNS bound the fuzzers'
# time and the race probes' repeats (this command sets short ones).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
export MD_FUZZ_SECONDS=${MD_FUZZ_SECONDS:-5}
export MD_STRESS_RUNS=${MD_STRESS_RUNS:-5}

if [ "${1:-}" = --quick ]; then
  bash tools/setup.sh
  bash tools/configure.sh build/native -DCMAKE_BUILD_TYPE=Debug -DMD_WERROR=ON
  cmake --build build/native -j "$(nproc)"
  cd build/native
  exec ctest --output-on-failure -j "$(nproc)" -L quick --timeout 300
fi

bash tools/build.sh

. "$here/tools/wine-session.sh"

# One test tree over all builds, so the run ends with one summary.
cat > build/CTestTestfile.cmake <<'CTEST'
subdirs("native")
subdirs("sanitize")
subdirs("tsan")
subdirs("fuzz")
subdirs("win32")
CTEST
cd build
ctest --output-on-failure -j "$(nproc)" --timeout 600
