#!/usr/bin/env bash
# What the build cannot hold to (mdhost's rooms and the seam are libraries
# that reach only the headers they link; see docs/architecture.md): the
# plugin includes nothing of mdhost's; inside the plugin (one library) the
# folders depend one way, module <- inspect <- actions, help; no product
# source file grows past 400 lines.
#   layout_check.sh SOURCE_DIR
set -uo pipefail
cd "$1"
status=0
crossing() {  # crossing FOLDER OTHER: includes in FOLDER of OTHER's files
  grep -rn --include='*.cpp' --include='*.h' --include='*.c' "#include \"$2/" "$1" &&
    { echo "$1/ must not include $2/ (see docs/architecture.md)"; status=1; }
}
crossing plugin mdhost
crossing plugin/module plugin/inspect
crossing plugin/module plugin/actions
crossing plugin/module plugin/help
crossing plugin/inspect plugin/actions
crossing plugin/inspect plugin/help
for f in $(find plugin platform mdhost -name '*.cpp' -o -name '*.h' -o -name '*.c'); do
  n=$(wc -l <"$f")
  [ "$n" -le 400 ] || { echo "$f: $n lines; split it by concern (at most 400)"; status=1; }
done
[ $status = 0 ] && echo "plugin/, platform/ and mdhost/ keep to their own files"
exit $status
