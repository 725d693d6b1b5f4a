#!/usr/bin/env bash
# tools/new_rule.py on a copy of the rule list, the page and the examples: the
# entry lands in its group and the list still compiles with one more rule; the
# page's section lands after its group's last, with the examples' blocks; the
# stubs and placeholder outputs are written; an ID taken is refused.
#   new_rule_test.sh SOURCE_DIR SCRATCH
set -euo pipefail
src=$1 scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch/mdhost/contract" "$scratch/docs"
cp "$src/mdhost/contract/rules.h" "$src/mdhost/contract/severity.h" "$scratch/mdhost/contract/"
cp "$src/docs/checks.md" "$scratch/docs/" && cp -r "$src/docs/examples" "$scratch/docs/"
before=$(grep -c '^  X(k' "$scratch/mdhost/contract/rules.h")
# The last rule of a group and the next free ID after it, as the list has them now.
last() { grep -o "\"MD$1[0-9][0-9]\"" "$scratch/mdhost/contract/rules.h" | tr -d '"' | sort | tail -n 1; }
next() { printf 'MD%03d' $((10#${1#MD} + 1)); }
last3=$(last 3) && new3=$(next "$last3")
last6=$(last 6) && new6=$(next "$last6")
python3 "$src/tools/new_rule.py" "$new3" "an action without an example" WARN --fixable --root "$scratch" >/dev/null
fail() { echo "new_rule.py: $*"; exit 1; }
grep -A1 "\"$last3\"" "$scratch/mdhost/contract/rules.h" |
  grep -q "^  X(kAnActionWithoutAnExample, \"$new3\", kWarn, \"an action without an example\", true) \\\\\$" ||
  fail "the list entry is not after $last3, or not fixable"
printf '#include "mdhost/contract/rules.h"\nstatic_assert(sizeof host::rule::kAll / sizeof host::rule::kAll[0] == %d, "");\n' \
  $((before + 1)) >"$scratch/list.cpp"
g++ -std=c++17 -fsyntax-only -I"$scratch" "$scratch/list.cpp" || fail "the list does not compile with one more rule"
awk -v a="^### $last3 " -v b="^### $new3 an action without an example\$" \
  '$0 ~ a {x=NR} $0 ~ b {y=NR} /^## Registering/{z=NR} END{exit !(x<y && y<z)}' \
  "$scratch/docs/checks.md" || fail "the page's section is not after $last3's, in its group"
grep -q '^Severity: WARN\.$' "$scratch/docs/checks.md" && grep -q "\`examples/${new3}_fixed.c\`" "$scratch/docs/checks.md" ||
  fail "the section lacks its severity or its examples"
for f in "${new3}_bad.c" "${new3}_fixed.c" "accepted/native/$new3.txt" "accepted/win/$new3.txt"; do
  [ -s "$scratch/docs/examples/$f" ] || fail "no $f"
done
if python3 "$src/tools/new_rule.py" "$new3" again WARN --root "$scratch" 2>/dev/null; then fail "took $new3 twice"; fi
python3 "$src/tools/new_rule.py" "$new6" "another side by side" NOTE --root "$scratch" >/dev/null
printf '#include "mdhost/contract/rules.h"\nstatic_assert(sizeof host::rule::kAll / sizeof host::rule::kAll[0] == %d, "");\n' \
  $((before + 2)) >"$scratch/list.cpp"
g++ -std=c++17 -fsyntax-only -I"$scratch" "$scratch/list.cpp" || fail "the list does not compile after its last rule"
echo "new_rule.py writes the entry, the section, the stubs and their placeholders where they belong"
