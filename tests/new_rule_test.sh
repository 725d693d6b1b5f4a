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
python3 "$src/tools/new_rule.py" MD316 "an action without an example" WARN --root "$scratch" >/dev/null
fail() { echo "new_rule.py: $*"; exit 1; }
grep -A1 '"MD315"' "$scratch/mdhost/contract/rules.h" |
  grep -q '^  X(kAnActionWithoutAnExample, "MD316", kWarn, "an action without an example", false) \\$' ||
  fail "the list entry is not after MD315"
printf '#include "mdhost/contract/rules.h"\nstatic_assert(sizeof host::rule::kAll / sizeof host::rule::kAll[0] == %d, "");\n' \
  $((before + 1)) >"$scratch/list.cpp"
g++ -std=c++17 -fsyntax-only -I"$scratch" "$scratch/list.cpp" || fail "the list does not compile with one more rule"
awk '/^### MD315 /{a=NR} /^### MD316 an action without an example$/{b=NR} /^## Registering/{c=NR} END{exit !(a<b && b<c)}' \
  "$scratch/docs/checks.md" || fail "the page's section is not after MD315's, in its group"
grep -q '^Severity: WARN\.$' "$scratch/docs/checks.md" && grep -q '`examples/MD316_fixed.c`' "$scratch/docs/checks.md" ||
  fail "the section lacks its severity or its examples"
for f in MD316_bad.c MD316_fixed.c accepted/native/MD316_bad.txt accepted/win/MD316_fixed.txt; do
  [ -s "$scratch/docs/examples/$f" ] || fail "no $f"
done
if python3 "$src/tools/new_rule.py" MD316 again WARN --root "$scratch" 2>/dev/null; then fail "took MD316 twice"; fi
python3 "$src/tools/new_rule.py" MD603 "another side by side" NOTE --root "$scratch" >/dev/null
printf '#include "mdhost/contract/rules.h"\nstatic_assert(sizeof host::rule::kAll / sizeof host::rule::kAll[0] == %d, "");\n' \
  $((before + 2)) >"$scratch/list.cpp"
g++ -std=c++17 -fsyntax-only -I"$scratch" "$scratch/list.cpp" || fail "the list does not compile after its last rule"
echo "new_rule.py writes the entry, the section, the stubs and their placeholders where they belong"
