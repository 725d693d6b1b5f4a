#!/usr/bin/env python3
"""Every rule's example pair in docs/examples/, as docs/checks.md shows it:
the plugin with the mistake gets exactly that rule, with the severity its
page states, and the same plugin fixed passes `check --strict` without it.
A rule of plugins side by side (MD6xx) is shown by `scan --strict` of the
example beside the plugin example.h makes alone. Every rule a plugin can
trigger has its pair.

The examples are checked together, one mdhost run per output format (text
and JSON), as an author checks a folder: each plugin's report must still be
its own. Load cycles are measured only where memory is the rule's subject.
With --accepted, what each rule says is held to DIR/MDnnn.txt
(support/accepted.py): the failing example's WARN, FAIL and NOTE lines and
verdict, the same findings as JSON, and the fixed example's verdict.
  rule_examples.py CHECKS_MD BIN_DIR SCRATCH SUFFIX [--unmeasured] [--only RULES]
                   [--accepted DIR --root ROOT] -- MDHOST...
--unmeasured (the sanitizer build, which keeps freed memory aside): no memory
is measured, and the examples of memory kept per load are left out. --only
(or MD_ONLY in the environment): rule IDs or patterns (MD3*), space or comma
separated. ROOT is the source tree as mdhost spells it, masked in the outputs
as the build folder is. The folders scan reads are made in SCRATCH (as mdhost
spells it), never in the build's."""
import fnmatch
import json
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
import accepted  # noqa: E402

checks, bin_dir, scratch, suffix = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
options = sys.argv[5:sys.argv.index("--")]
unmeasured = "--unmeasured" in options
accepted_dir = options[options.index("--accepted") + 1] if "--accepted" in options else None
root = options[options.index("--root") + 1] if "--root" in options else None
only = options[options.index("--only") + 1] if "--only" in options else os.environ.get("MD_ONLY", "")
only = [p.upper() for p in re.split(r"[\s,]+", only) if p]
mdhost = sys.argv[sys.argv.index("--") + 1:]
page = open(checks, encoding="utf-8").read()
examples = sorted(set(re.findall(r"<!-- example (MD[0-9]{3}) -->", page)))
if not examples:
    sys.exit("no examples in " + checks)
# No plugin shows these: mdhost's own failures (no worker, no memory, no Lua
# state), the passes of the calls MD102-MD105 and MD301 make, and a module
# held to a source document the author names (MD315, a command-line case).
WITHOUT_PAIR = {"MD007", "MD008", "MD402", "MD106", "MD302", "MD315"}
# The rules whose subject is memory kept per load: their examples are
# checked with load cycles, every other example with none.
MEMORY_RULES = {"MD501"}
examples_dir = checks.rsplit("/", 1)[0] + "/examples"


def selected(rule):
    return not only or any(fnmatch.fnmatchcase(rule, pattern) for pattern in only)


def unix(path):
    return path[2:] if re.match(r"^[A-Za-z]:/", path) else path


unix_bin, unix_scratch = unix(bin_dir), unix(scratch)


def mask(text):
    """The build's and scratch folders as {bin} and {scratch}, the sources
    as {root}, figures and addresses as support/accepted.py masks them."""
    return accepted.masked(text, [root] if root else [], [(bin_dir, "{bin}"), (scratch, "{scratch}")])


def rule_severities():
    """Each rule's own severity, as mdhost's rule list gives it (SARIF's
    rule table: the list itself, not the page's prose)."""
    module = "%s/example_example%s" % (bin_dir, suffix)
    run = subprocess.run(mdhost + ["check", "--format", "sarif", "--cycles", "0", module], capture_output=True,
                         timeout=300)
    levels = {"error": "FAIL", "warning": "WARN", "note": "NOTE", "none": "PASS"}
    rules = json.loads(run.stdout.decode("utf-8"))["runs"][0]["tool"]["driver"]["rules"]
    return ({r["id"]: levels[r["defaultConfiguration"]["level"]] for r in rules},
            {r["id"] for r in rules if r.get("properties", {}).get("fixable")})


def mended(rule):
    """The failing example's document, as its author would have it, after
    `check --fix`: the rule is quiet there."""
    module = "%s/example_%s_bad%s" % (bin_dir, rule, suffix)
    info = subprocess.run(mdhost + ["info", "--json", module], capture_output=True, timeout=300)
    document = "%s/%s_bad.xml" % (unix_scratch, rule)
    os.makedirs(unix_scratch, exist_ok=True)
    text = json.loads(info.stdout.decode("utf-8"))["plugins"][0]["action_xml"]
    # The module's own bytes, which JSON gave as the ANSI code page's
    # characters (a byte order mark stays one).
    try:
        data = text.encode("cp1252")
    except UnicodeEncodeError:
        data = text.encode("utf-8")
    with open(document, "wb") as f:
        f.write(data)
    program_path = "%s/%s_bad.xml" % (scratch, rule)
    subprocess.run(mdhost + ["check", "--fix", program_path], capture_output=True, timeout=300)
    after = subprocess.run(mdhost + ["check", "--json", program_path], capture_output=True, timeout=300)
    return rule not in {f["rule"] for f in json.loads(after.stdout.decode("utf-8"))["plugins"][0]["findings"]}


class Examined:
    """One plugin's outcome: its JSON report and its lines of the text output."""

    def __init__(self, report, lines):
        self.report, self.lines = report, lines

    def verdict(self):
        findings = self.report["findings"]
        problems = sorted({(f["rule"], f["severity"]) for f in findings if f["severity"] in ("WARN", "FAIL")})
        notes = {f["rule"] for f in findings if f["severity"] == "NOTE"}
        return self.report["passed"], problems, notes


def sections(text, paths):
    """check's text output split into each plugin's lines ("Checking PATH"
    opens a section), keeping those that are no PASS."""
    lines_of, current = {}, None
    for line in text.splitlines():
        if line.startswith("Checking ") and line[len("Checking "):] in paths:
            current = line[len("Checking "):]
            lines_of[current] = []
        elif current is not None and not line.startswith("PASS ") and not line.startswith("  | "):
            lines_of[current].append(line)
    return lines_of


def run_batch(arguments, paths):
    """One mdhost run per format over `paths`; each path's Examined, or a
    failure said."""
    text = subprocess.run(mdhost + arguments + paths, capture_output=True, timeout=600)
    data = subprocess.run(mdhost + arguments[:1] + ["--json"] + arguments[1:] + paths, capture_output=True,
                          timeout=600)
    try:
        reports = json.loads(data.stdout.decode("utf-8"))["plugins"]
    except (ValueError, KeyError) as error:
        failed.append("%s: no JSON (%s): %s" % (" ".join(arguments), error, data.stderr.decode("utf-8", "replace")))
        return {}
    lines_of = sections(text.stdout.decode("utf-8", "replace"), set(paths))
    return {r["path"]: Examined(r, lines_of.get(r["path"], [])) for r in reports}


def said(rule, bad, fixed, command):
    """What the rule says, as its accepted file holds it."""
    problems = [f for f in bad.report["findings"] if f["severity"] != "PASS"]
    out = "$ mdhost %s\n%s\n" % (command, "\n".join(bad.lines))
    out += json.dumps({"error": bad.report.get("error"), "findings": problems}, indent=2, sort_keys=True,
                      ensure_ascii=False) + "\n"
    out += "fixed: %s\n" % ("passed" if fixed.report["passed"] else "FAILED")
    return mask(out)


def scan_folder(rule, kind):
    """Side by side: a folder of the example and the plugin example.h makes."""
    folder = "scan_%s_%s" % (rule, kind)
    shutil.rmtree("%s/%s" % (unix_scratch, folder), ignore_errors=True)
    os.makedirs("%s/%s" % (unix_scratch, folder))
    shutil.copy("%s/example_example%s" % (unix_bin, suffix), "%s/%s/a_example.lmd" % (unix_scratch, folder))
    shutil.copy("%s/example_%s_%s%s" % (unix_bin, rule, kind, suffix), "%s/%s/b_%s.lmd" % (unix_scratch, folder, rule))
    return "%s/%s" % (scratch, folder)


def scanned(rule, kind):
    folder = scan_folder(rule, kind)
    arguments = ["scan", "--strict", "--timeout", "5"]
    text = subprocess.run(mdhost + arguments + [folder], capture_output=True, timeout=300)
    data = subprocess.run(mdhost + ["scan", "--json"] + arguments[1:] + [folder], capture_output=True, timeout=300)
    reports = json.loads(data.stdout.decode("utf-8"))["plugins"]
    merged = {"findings": [f for r in reports for f in r["findings"]], "passed": all(r["passed"] for r in reports),
              "error": None}
    lines = [line.strip() for line in text.stdout.decode("utf-8", "replace").splitlines()
             if re.match(r"\s*(WARN|FAIL|NOTE) ", line)]
    return Examined(merged, lines), " ".join(arguments + [folder])


failed, windows_only, output_differs = [], [], []
for rule in re.findall(r"\n### (MD[0-9]{3}) ", page):
    if selected(rule) and rule not in examples and rule not in WITHOUT_PAIR:
        failed.append("%s: its page shows no example pair" % rule)
# tools/new_rule.py's words, which a written page no longer holds.
for section in page.split("\n### ")[1:]:
    if selected(section[:5]) and "what mdhost calls or reads, and what it expects" in section:
        failed.append("%s: its page still holds the scaffold's words" % section[:5])
severities, fixable = rule_severities()
to_run = []
for rule in filter(selected, examples):
    if unmeasured and rule in MEMORY_RULES:
        windows_only.append(rule)  # counted with those not run here
        continue
    # The page shows the very sources that are built, a version resource too.
    for kind in ("bad", "fixed"):
        for extension, language in ((".c", "c"), (".rc", "rc")):
            path = "%s/%s_%s%s" % (examples_dir, rule, kind, extension)
            if extension == ".rc" and not os.path.exists(path):
                continue
            source = open(path, encoding="utf-8").read()
            if "```%s\n%s```" % (language, source) not in page:
                failed.append("%s: the page does not show %s as it is" % (rule, path))
    # Windows' own mistake (the build makes no native module of it), or
    # modules scan reads as Windows images.
    if suffix != ".dll" and (not os.path.exists("%s/example_%s_bad%s" % (bin_dir, rule, suffix))
                             or rule.startswith("MD6")):
        windows_only.append(rule)
        continue
    to_run.append(rule)


def module(rule, kind):
    return "%s/example_%s_%s%s" % (bin_dir, rule, kind, suffix)


# The plugins checked together: with load cycles where memory is the
# subject, without elsewhere.
outcomes, commands = {}, {}
base = ["check", "--strict", "--timeout", "5"]
for cycles, rules in ((["--cycles", "0"], [r for r in to_run if r not in MEMORY_RULES and not r.startswith("MD6")]),
                      ([], [r for r in to_run if r in MEMORY_RULES])):
    if not rules:
        continue
    if unmeasured:
        cycles = ["--cycles", "0"]
    paths = [module(r, k) for r in rules for k in ("bad", "fixed")]
    found = run_batch(base + cycles, paths)
    for r in rules:
        for k in ("bad", "fixed"):
            if module(r, k) in found:
                outcomes[(r, k)] = found[module(r, k)]
        commands[r] = " ".join(base + cycles + [module(r, "bad")])
for rule in to_run:
    if rule.startswith("MD6"):
        outcomes[(rule, "bad")], commands[rule] = scanned(rule, "bad")
        outcomes[(rule, "fixed")], _ = scanned(rule, "fixed")

for rule in to_run:
    if (rule, "bad") not in outcomes or (rule, "fixed") not in outcomes:
        failed.append("%s: no report of its examples" % rule)
        continue
    bad_outcome, fixed_outcome = outcomes[(rule, "bad")], outcomes[(rule, "fixed")]
    bad_passed, bad, bad_notes = bad_outcome.verdict()
    fixed_passed, fixed, fixed_notes = fixed_outcome.verdict()
    severity = severities.get(rule)
    if severity is None:
        failed.append("%s: not in mdhost's rule list" % rule)
        continue
    if unmeasured and rule == "MD003" and bad == [("MD005", "FAIL")]:
        bad = [(rule, severity)]  # the sanitizer ends the process itself on a crash
    if severity == "NOTE":
        if bad or rule not in bad_notes:
            failed.append("%s: the mistake gives %s and notes %s, not the note alone" % (rule, bad, sorted(bad_notes)))
    elif bad != [(rule, severity)] or bad_passed:
        failed.append("%s: the mistake gives %s, not %s" % (rule, bad, [(rule, severity)]))
    if rule in fixable and not mended(rule):
        failed.append("%s: check --fix leaves it in the failing example's document" % rule)
    if not fixed_passed or fixed or rule in fixed_notes:
        failed.append("%s: the fix gives %s, not a clean --strict check" % (rule, fixed + sorted(fixed_notes & {rule})))
    if accepted_dir:
        difference = accepted.compare(os.path.join(accepted_dir, rule + ".txt"),
                                      said(rule, bad_outcome, fixed_outcome, commands[rule]))
        if difference:
            output_differs.append(difference)
wrong = {f.split(":")[0] for f in failed}
print("\n".join(failed + output_differs))
count = len([r for r in examples if selected(r)])
print("%d rules shown failing and fixed: %d passed, %d failed, %d not run here"
      % (count, count - len(wrong) - len(windows_only), len(wrong), len(windows_only)))
if accepted_dir:
    print("%d outputs differ from those accepted in %s" % (len(output_differs), accepted_dir))
sys.exit(1 if failed or output_differs else 0)
