#!/usr/bin/env bash
# Accepts the whole outputs the tests hold mdhost to (each rule example's
# check, text and JSON; the command-line cases marked accepted), after a
# change meant to alter them: runs those tests with MD_ACCEPT=1, which
# writes the files instead of comparing, then lists what changed. Review it
# with git diff before committing. Builds first: tools/build.sh.
#   tools/accept-outputs.sh [CTEST-REGEX]   (default: every such test)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
[ -d build/native ] && [ -d build/win32 ] || { echo "build first: bash tools/build.sh" >&2; exit 2; }
. "$here/tools/wine-session.sh"
for tree in native win32; do
  MD_ACCEPT=1 ctest --test-dir "build/$tree" -R "${1:-^(native|win)\.(rule_examples|cli\.)}" -LE stress \
    --output-on-failure -j "$(nproc)" || true
done
git status --short -- docs/examples/accepted tests/cli/accepted
