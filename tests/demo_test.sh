#!/usr/bin/env bash
# The demo's mdhost steps (tools/demo_steps.sh) leave the build's program
# folder as they found it, the same names, sizes and hashes, and print the
# same twice in a row (the memory measured masked, as accepted outputs mask
# it). Standard output and error are compared each on its own: a worker
# writes its errors straight to standard error while mdhost passes its
# output on, so where the two meet in one stream is a matter of timing.
#   demo_test.sh SOURCE_DIR BIN_DIR DIST_DIR DEMO_PLUGINS_DIR
set -euo pipefail
src=$1 bin=$2 dist=$3 plugins=$4
snapshot() { (cd "$bin" && find . -type d | sort && find . -type f -exec sha256sum {} + | sort -k 2 &&
  find . -type f -printf '%s %p\n' | sort -k 2); }
masked() {
  python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import accepted
sys.stdout.write(accepted.masked(sys.stdin.read(), []))' "$src/tests/support"
}
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
# One run's output, masked, then its standard error after a marker line.
demo() {
  bash "$src/tools/demo_steps.sh" "$dist" "$plugins" 2>"$errors" | masked
  echo "== standard error"
  masked <"$errors"
}
before=$(snapshot)
first=$(demo)
second=$(demo)
after=$(snapshot)
status=0
if [ "$before" != "$after" ]; then
  echo "the demo changed the build's program folder:"
  diff <(echo "$before") <(echo "$after") | head -n 20
  status=1
fi
if [ "$first" != "$second" ]; then
  echo "the demo printed another thing the second time:"
  diff <(echo "$first") <(echo "$second") | head -n 20
  status=1
fi
for shown in "MD003" "MD004" "MD301" "MD501" "MD601" "MD602" "Greeter"; do
  case "$first" in *"$shown"*) ;; *) echo "the demo shows no $shown"; status=1 ;; esac
done
[ $status = 0 ] && echo "the demo left $bin as it was and printed the same twice"
exit $status
