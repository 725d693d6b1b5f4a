#!/usr/bin/env python3
"""Writes each rule's example pair into docs/checks.md from docs/examples/,
where the page has `<!-- example MDnnn -->`: the marker alone gets its
block, a block already there is written again from the sources. The test
rule_examples.py holds the page to the sources; this keeps it so.
  tools/example_pages.py [docs/checks.md]"""
import os
import re
import sys

checks = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "docs", "checks.md")
examples = os.path.join(os.path.dirname(checks), "examples")


def shown(rule, kind):
    name = "%s_%s" % (rule, kind)
    text = "```c\n%s```\n" % open(os.path.join(examples, name + ".c"), encoding="utf-8").read()
    rc = os.path.join(examples, name + ".rc")
    if os.path.exists(rc):
        text += "with its version resource, `examples/%s.rc`:\n```rc\n%s```\n" % (
            name, open(rc, encoding="utf-8").read())
    return text


def block(rule):
    # The paths are relative to the page: docs/examples/ beside docs/checks.md,
    # examples/ beside CHECKS.md in mdhost's folder.
    return ("<!-- example %s -->\n**Example**, `examples/%s_bad.c` (`examples/example.h` holds what every\n"
            "example shares, a plugin right in all else):\n%s**Fixed**, `examples/%s_fixed.c`:\n%s"
            % (rule, rule, shown(rule, "bad"), rule, shown(rule, "fixed")))


page = open(checks, encoding="utf-8").read()
written = re.sub(r"<!-- example (MD[0-9]{3}) -->\n(?:\*\*Example\*\*.*?\*\*Fixed\*\*[^\n]*\n```c\n.*?```\n"
                 r"(?:with its version resource[^\n]*\n```rc\n.*?```\n)?)?",
                 lambda m: block(m.group(1)), page, flags=re.S)
if written != page:
    open(checks, "w", encoding="utf-8").write(written)
