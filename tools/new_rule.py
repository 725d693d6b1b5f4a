#!/usr/bin/env python3
"""Starts a new rule: its entry in the rule list (mdhost/contract/rules.h),
its section in docs/checks.md after the last rule of its group, a failing
and a fixed example plugin to fill in (docs/examples/), and their accepted
outputs as placeholders. The tests fail until the rule is written: the
failing example must get exactly this rule, the fixed one pass --strict,
and `tools/accept-outputs.sh --only ID` must accept what the rule says after
review. A page that still holds the scaffold's words fails the tests.
  tools/new_rule.py ID TITLE SEVERITY [--fixable] [--root DIR]
ID is MDnnn, the next free number of its group (MD3nn: the action
document...); SEVERITY is PASS, NOTE, WARN or FAIL, what the mistake does in
the host; --fixable marks a rule that `check --fix` mends. Then: find it
where its group learns things (the hint printed), write the two examples
and the page."""
import os
import re
import subprocess
import sys

SEVERITIES = {"PASS": "kPass", "NOTE": "kNote", "WARN": "kWarn", "FAIL": "kFail"}
PLATFORMS = ("native", "win")
# Where each group's findings are made, for the hint printed at the end.
WHERE = {
    "0": "mdhost/examine/examination.cpp (the load and the module): sink.Add(rule::%s, text, subject)",
    "1": "mdhost/examine/getter_check.cpp (the getters' protocol): sink.Add(rule::%s, text, subject)",
    "2": "mdhost/examine/examination.cpp (versions): sink.Add(rule::%s, text, subject)",
    "3": "mdhost/examine/action_document.cpp (the document reader): Add(rule::%s, path, place, text, ...)",
    "4": "mdhost/examine/registration_check.cpp (the registration): sink.Add(rule::%s, text, subject)",
    "5": "mdhost/examine/examination.cpp (the release and what is left after it): sink.Add(rule::%s, ...)",
    "6": "mdhost/commands/scan_findings.cpp (plugins side by side): the report's findings, rule::%s",
}
# The scaffold's words, which a finished page no longer holds.
PLACEHOLDER = ("**Checks**: what mdhost calls or reads, and what it expects. **Why**: what the "
               "mistake does in the host. **Fix**: what the author writes instead.")


def fail(why):
    sys.exit("new_rule.py: " + why)


def constant(title):
    """"memory kept per load" -> kMemoryKeptPerLoad."""
    words = re.findall(r"[A-Za-z0-9]+", title.replace("'", ""))
    return "k" + "".join(w[0].upper() + w[1:] for w in words)


def add_to_list(path, rule, name, severity, title, fixable):
    text = open(path, encoding="utf-8").read()
    entries = re.findall(r'^  X\((k\w+), "(MD\d{3})",.*$', text, re.M)
    if any(r == rule for _, r in entries):
        fail("%s is in the rule list already" % rule)
    if any(n == name for n, _ in entries):
        fail("the list has a rule named %s already: give another title" % name)
    group = [r for _, r in entries if r[2] == rule[2]]
    after = max(group) if group else max(r for _, r in entries if r < rule)
    line = re.search(r'^  X\(k\w+, "%s",.*$' % after, text, re.M)
    entry = '  X(%s, "%s", %s, %s, %s)' % (name, rule, SEVERITIES[severity], '"%s"' % title.replace('"', '\\"'),
                                         "true" if fixable else "false")
    old = line.group(0)
    if old.endswith(" \\"):
        new = old + "\n" + entry + " \\"
    else:  # the last entry of the list
        new = old + " \\\n" + entry
    open(path, "w", encoding="utf-8").write(text.replace(old, new, 1))


def add_section(path, rule, severity, title):
    text = open(path, encoding="utf-8").read()
    headings = re.findall(r"^### (MD\d{3}) ", text, re.M)
    group = [r for r in headings if r[2] == rule[2]]
    after = max(group) if group else max(r for r in headings if r < rule)
    start = text.index("\n### %s " % after) + 1
    ends = [i for i in (text.find("\n### ", start), text.find("\n## ", start)) if i >= 0]
    end = min(ends) + 1 if ends else len(text)
    section = "### %s %s\n%s\nSeverity: %s.\n<!-- example %s -->\n\n" % (rule, title, PLACEHOLDER, severity, rule)
    open(path, "w", encoding="utf-8").write(text[:end] + section + text[end:])


def write_examples(examples, rule):
    stubs = {
        "bad": "/* The plugin example.h makes, with the one mistake %s finds: write it here\n"
               " * (define EXAMPLE_OWN_<NAME> to write an export yourself, or EXAMPLE_XML). */\n"
               '#include "example.h"\n' % rule,
        "fixed": "/* The same plugin with the mistake mended, as the page's Fix says. */\n"
                 '#include "example.h"\n',
    }
    for kind, text in stubs.items():
        path = os.path.join(examples, "%s_%s.c" % (rule, kind))
        if os.path.exists(path):
            fail(path + " exists already")
        open(path, "w", encoding="utf-8").write(text)
    for platform in PLATFORMS:
        accepted = os.path.join(examples, "accepted", platform, "%s.txt" % rule)
        os.makedirs(os.path.dirname(accepted), exist_ok=True)
        open(accepted, "w", encoding="utf-8").write(
            "not accepted yet: write the rule, build, and accept what it says after review with "
            "tools/accept-outputs.sh --only %s\n" % rule)


def main(argv):
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    if "--root" in argv:
        at = argv.index("--root")
        root = argv[at + 1]
        argv = argv[:at] + argv[at + 2:]
    fixable = "--fixable" in argv
    argv = [a for a in argv if a != "--fixable"]
    if len(argv) != 3:
        fail("takes ID TITLE SEVERITY (see its first lines)")
    rule, title, severity = argv[0].upper(), argv[1], argv[2].upper()
    if not re.fullmatch(r"MD[1-9]\d\d|MD00\d", rule):
        fail("the ID is MDnnn, as in the findings")
    if severity not in SEVERITIES:
        fail("the severity is PASS, NOTE, WARN or FAIL")
    if not title or "\n" in title:
        fail("the title is one line")
    checks = os.path.join(root, "docs", "checks.md")
    add_to_list(os.path.join(root, "mdhost", "contract", "rules.h"), rule, constant(title), severity, title, fixable)
    add_section(checks, rule, severity, title)
    write_examples(os.path.join(root, "docs", "examples"), rule)
    subprocess.run([sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)), "example_pages.py"),
                    checks], check=True)
    print("%s (rule::%s) is in the list, on the page and has its examples to write:\n"
          "  docs/examples/%s_bad.c, %s_fixed.c; the page's section in docs/checks.md;\n"
          "  where it is learnt: %s;\n  then MD_ONLY=%s bash tools/test.sh --quick and tools/accept-outputs.sh --only %s"
          % (rule, constant(title), rule, rule, WHERE[rule[2]] % constant(title), rule, rule))


if __name__ == "__main__":
    main(sys.argv[1:])
