#!/usr/bin/env bash
# The README's CI step as a user runs it: a clean plugin passes, a plugin
# with a warning fails under --strict with its annotation, a release that
# breaks scripts fails.
#   ci_step_test.sh STEP WORK GOOD BAD RELEASE -- MDHOST...
set -u
step=$1 work=$2 good=$3 bad=$4 release=$5
shift 6
export MDHOST="$*"
mkdir -p "$work" && cd "$work" || exit 1
failed=0
expect() {  # expect CODE PATTERN -- environment...
  local code=$1 pattern=$2
  shift 3
  out=$(env "$@" sh "$step" 2>&1)
  got=$?
  if [ "$got" != "$code" ] || ! grep -Eq -- "$pattern" <<<"$out"; then
    echo "ci step with $*: exit $got (wanted $code), output lacks /$pattern/:"
    echo "$out"
    failed=1
  fi
}
expect 0 '' -- PLUGIN="$good" RELEASE=
[ -s mdhost.sarif ] || { echo "no SARIF log written"; failed=1; }
expect 1 '^::warning file=[^,]*,line=1,col=[0-9]+,title=MD310::' -- PLUGIN="$bad" RELEASE=
expect 1 '^::error file=[^,]*example_MD310_bad[^,]*,title=action_removed::' -- PLUGIN="$bad" RELEASE="$release"
[ $failed = 0 ] && echo "the CI step's verdicts are the exit codes'"
exit $failed
