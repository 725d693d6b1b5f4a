#!/usr/bin/env bash
# Accepts the outputs the tests hold mdhost to (what each rule example says,
# the command-line cases marked accepted, each format's rendering of the
# fixed reports) after a change meant to alter them: runs those tests with
# MD_ACCEPT=1, which writes the files instead of comparing, then lists what
# changed. Review it with git diff before committing. Builds first:
# tools/build.sh (or, with --native, the quick tier).
#   tools/accept-outputs.sh [--native] [--only MD310,MD3*] [--case check.fix*] [CTEST-REGEX]
# --only: those rules' examples alone; --case: those command-line cases
# alone; --native: the native tree only (no Wine; the Windows files stay).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
trees=(native win32) regex=
while [ $# -gt 0 ]; do
  case $1 in
    --native) trees=(native) ;;
    --only) export MD_ONLY=$2; shift ;;
    --case) export MD_CASE=$2; shift ;;
    *) regex=$1 ;;
  esac
  shift
done
if [ -z "$regex" ]; then
  regex='^(native|win)\.(rule_examples|cli\.)'
  [ -n "${MD_ONLY:-}" ] && [ -z "${MD_CASE:-}" ] && regex='^(native|win)\.rule_examples$'
  [ -n "${MD_CASE:-}" ] && [ -z "${MD_ONLY:-}" ] && regex='^(native|win)\.cli\.'
fi
for tree in "${trees[@]}"; do
  [ -d "build/$tree" ] || { echo "build first: bash tools/build.sh" >&2; exit 2; }
done
[ "${trees[*]}" = native ] || . "$here/tools/wine-session.sh"
for tree in "${trees[@]}"; do
  MD_ACCEPT=1 ctest --test-dir "build/$tree" -R "$regex" -LE stress --output-on-failure -j "$(nproc)" || true
done
# The formats' renderings of the fixed reports (a new rule joins SARIF's list).
[ -x build/native/bin/host_tests ] && MD_ACCEPT=1 build/native/bin/host_tests --gtest_filter='Emitters.*' >/dev/null
git status --short -- docs/examples/accepted tests/cli/accepted tests/mdhost/emitters
