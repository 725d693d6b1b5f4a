#!/usr/bin/env python3
"""Every rule's example pair in docs/examples/, as docs/checks.md shows it:
the plugin with the mistake gets exactly that rule, with the severity its
page states, and the same plugin fixed passes `check --strict`.
  rule_examples.py CHECKS_MD BIN_DIR SUFFIX [--unmeasured] -- MDHOST...
--unmeasured (the sanitizer build, which keeps freed memory aside): no memory
is measured, and the examples of memory kept per load are left out."""
import json
import re
import subprocess
import sys

checks, bin_dir, suffix = sys.argv[1], sys.argv[2], sys.argv[3]
unmeasured = "--unmeasured" in sys.argv[4:sys.argv.index("--")]
mdhost = sys.argv[sys.argv.index("--") + 1:]
page = open(checks, encoding="utf-8").read()
examples = sorted(set(re.findall(r"<!-- example (MD[0-9]{3}) -->", page)))
if not examples:
    sys.exit("no examples in " + checks)


def severity_of(rule):
    section = page[page.index("\n### " + rule + " "):]
    section = section[:min(i for i in (section.find("\n### ", 1), section.find("\n## ", 1), len(section)) if i >= 0)]
    stated = re.search(r"\*\*(PASS|NOTE|WARN|FAIL)\*\*|Severity: (PASS|NOTE|WARN|FAIL)", section)
    return stated.group(1) or stated.group(2)


def check(module):
    cycles = ["--cycles", "0"] if unmeasured else []
    # A step may take 5 s: the examples answer at once, and the hang is told sooner.
    run = subprocess.run(mdhost + ["check", "--strict", "--json", "--timeout", "5"] + cycles + [module],
                         capture_output=True, timeout=300)
    plugin = json.loads(run.stdout.decode("utf-8"))["plugins"][0]
    problems = sorted({(f["rule"], f["severity"]) for f in plugin["findings"] if f["severity"] in ("WARN", "FAIL")})
    if plugin["error"]:
        problems.append((plugin["error"]["rule"], "FAIL"))
    return plugin["passed"], problems


failed, windows_only = [], []
for rule in examples:
    if unmeasured and rule == "MD501":
        windows_only.append(rule)  # counted with those not run here
        continue
    # The page shows the very sources that are built.
    for kind in ("bad", "fixed"):
        path = "%s/examples/%s_%s.c" % (checks.rsplit("/", 1)[0], rule, kind)
        source = open(path, encoding="utf-8").read()
        if "```c\n" + source + "```" not in page:
            failed.append("%s: the page does not show %s as it is" % (rule, path))
    if "(Windows)" in open("%s/examples/%s_bad.c" % (checks.rsplit("/", 1)[0], rule), encoding="utf-8").read() \
            and suffix != ".dll":
        windows_only.append(rule)  # the mistake is Windows' own; its page's source is still held to the file
        continue
    bad_passed, bad = check("%s/example_%s_bad%s" % (bin_dir, rule, suffix))
    fixed_passed, fixed = check("%s/example_%s_fixed%s" % (bin_dir, rule, suffix))
    want = [(rule, severity_of(rule))]
    if unmeasured and rule == "MD003" and bad == [("MD005", "FAIL")]:
        bad = want  # the sanitizer ends the process itself on a crash
    if bad != want or bad_passed:
        failed.append("%s: the mistake gives %s, not %s" % (rule, bad, want))
    if not fixed_passed or fixed:
        failed.append("%s: the fix gives %s, not a clean --strict check" % (rule, fixed))
wrong = {f.split(":")[0] for f in failed}
print("\n".join(failed))
print("%d rules shown failing and fixed: %d passed, %d failed, %d not run here"
      % (len(examples), len(examples) - len(wrong) - len(windows_only), len(wrong), len(windows_only)))
sys.exit(1 if failed else 0)
