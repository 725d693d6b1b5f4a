#!/usr/bin/env bash
# Every C and C++ source is as .clang-format writes it (Debian 12's
# clang-format 14): prints the files that are not, with what would change.
#   format_check.sh SOURCE_DIR
set -uo pipefail
cd "$1"
files=$(git ls-files '*.c' '*.cpp' '*.h' 2>/dev/null || find plugin platform mdhost tests fuzz bench -name '*.c' -o -name '*.cpp' -o -name '*.h')
# One clang-format for all: the per-file loop below runs only when it fails.
if echo "$files" | xargs clang-format --dry-run --Werror 2>/dev/null; then
  echo "$(echo "$files" | wc -w) files formatted as .clang-format says"
  exit 0
fi
status=0
for f in $files; do
  if ! clang-format --dry-run --Werror "$f" 2>/dev/null; then
    echo "$f: not as .clang-format writes it (clang-format -i $f):"
    clang-format "$f" | diff "$f" - | head -n 20
    status=1
  fi
done
[ $status = 0 ] && echo "$(echo "$files" | wc -w) files formatted as .clang-format says"
exit $status
