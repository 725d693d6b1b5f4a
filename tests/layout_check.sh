#!/usr/bin/env bash
# The two products stay apart: the plugin includes nothing of mdhost's and
# mdhost nothing of the plugin's; inside mdhost, examine/ and report/ depend
# on contract/ and not on each other; no product source file grows past 400
# lines.
#   layout_check.sh SOURCE_DIR
set -uo pipefail
cd "$1"
status=0
crossing() {  # crossing FOLDER OTHER: includes in FOLDER of OTHER's files
  grep -rn --include='*.cpp' --include='*.h' --include='*.c' "#include \"$2/" "$1" &&
    { echo "$1/ must not include $2/ (see docs/architecture.md)"; status=1; }
}
crossing plugin mdhost
crossing mdhost plugin
crossing platform plugin
crossing platform mdhost
# Inside mdhost, examinations and reports meet only in mdhost/contract/.
crossing mdhost/examine mdhost/report
crossing mdhost/report mdhost/examine
crossing mdhost/contract mdhost/examine
crossing mdhost/contract mdhost/report
crossing mdhost/report mdhost/compare
crossing mdhost/compare mdhost/report
for f in $(find plugin platform mdhost -name '*.cpp' -o -name '*.h' -o -name '*.c'); do
  n=$(wc -l <"$f")
  [ "$n" -le 400 ] || { echo "$f: $n lines; split it by concern (at most 400)"; status=1; }
done
[ $status = 0 ] && echo "plugin/, platform/ and mdhost/ keep to their own files"
exit $status
