#!/usr/bin/env python3
"""Every rule's example pair in docs/examples/, as docs/checks.md shows it:
the plugin with the mistake gets exactly that rule, with the severity its
page states, and the same plugin fixed passes `check --strict` without it.
A rule of plugins side by side (MD6xx) is shown by `scan --strict` of the
example beside the plugin example.h makes alone. Every rule a plugin can
trigger has its pair. With --accepted, each example's whole output (text and
JSON) is held to its accepted file in DIR (support/accepted.py).
  rule_examples.py CHECKS_MD BIN_DIR SCRATCH SUFFIX [--unmeasured] [--accepted DIR --root ROOT] -- MDHOST...
--unmeasured (the sanitizer build, which keeps freed memory aside): no memory
is measured, and the examples of memory kept per load are left out. ROOT is
the source tree as mdhost spells it, masked in the outputs. The folders scan
reads are made in SCRATCH (as mdhost spells it), never in the build's."""
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
mdhost = sys.argv[sys.argv.index("--") + 1:]
page = open(checks, encoding="utf-8").read()
examples = sorted(set(re.findall(r"<!-- example (MD[0-9]{3}) -->", page)))
if not examples:
    sys.exit("no examples in " + checks)
# No plugin shows these: mdhost's own failures (no worker, no memory, no Lua
# state), the passes of the calls MD102-MD105 and MD301 make, and a module
# held to a source document the author names (MD315, a command-line case).
WITHOUT_PAIR = {"MD007", "MD008", "MD402", "MD106", "MD302", "MD315"}
examples_dir = checks.rsplit("/", 1)[0] + "/examples"
def unix(path):
    return path[2:] if re.match(r"^[A-Za-z]:/", path) else path


unix_bin, unix_scratch = unix(bin_dir), unix(scratch)


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


severities, fixable = rule_severities()


def mended(rule):
    """The failing example's document, as its author would have it, after
    `check --fix`: the rule is quiet there."""
    module = "%s/example_%s_bad%s" % (bin_dir, rule, suffix)
    info = subprocess.run(mdhost + ["info", "--json", module], capture_output=True, timeout=300)
    document = "%s/%s_bad.xml" % (unix_scratch, rule)
    os.makedirs(unix_scratch, exist_ok=True)
    with open(document, "w", encoding="utf-8", newline="") as f:
        f.write(json.loads(info.stdout.decode("utf-8"))["plugins"][0]["action_xml"])
    program_path = "%s/%s_bad.xml" % (scratch, rule)
    subprocess.run(mdhost + ["check", "--fix", program_path], capture_output=True, timeout=300)
    after = subprocess.run(mdhost + ["check", "--json", program_path], capture_output=True, timeout=300)
    return rule not in {f["rule"] for f in json.loads(after.stdout.decode("utf-8"))["plugins"][0]["findings"]}


def findings(command, module, name):
    cycles = ["--cycles", "0"] if unmeasured and command == "check" else []
    # A step may take 5 s: the examples answer at once, and the hang is told sooner.
    arguments = [command, "--strict", "--timeout", "5"] + cycles + [module]
    runs = []
    for extra in ([], ["--json"]):
        line = arguments[:1] + extra + arguments[1:]
        run = subprocess.run(mdhost + line, capture_output=True, timeout=300)
        runs.append((line, run.returncode, run.stdout.decode("utf-8", "replace"), run.stderr.decode("utf-8", "replace")))
    if accepted_dir:
        difference = accepted.compare(os.path.join(accepted_dir, name + ".txt"), accepted.document(runs, [root]))
        if difference:
            output_differs.append(difference)
    plugins = json.loads(runs[1][2])["plugins"]
    problems, notes, passed = [], set(), True
    for plugin in plugins:
        problems += sorted({(f["rule"], f["severity"]) for f in plugin["findings"] if f["severity"] in ("WARN", "FAIL")})
        notes |= {f["rule"] for f in plugin["findings"] if f["severity"] == "NOTE"}
        passed = passed and plugin["passed"]
    return passed and bool(plugins), problems, notes


def check(rule, kind):
    module = "example_%s_%s%s" % (rule, kind, suffix)
    if not rule.startswith("MD6"):
        return findings("check", "%s/%s" % (bin_dir, module), "%s_%s" % (rule, kind))
    # Side by side: a folder of the example and the plugin example.h makes.
    folder = "scan_%s_%s" % (rule, kind)
    shutil.rmtree("%s/%s" % (unix_scratch, folder), ignore_errors=True)
    os.makedirs("%s/%s" % (unix_scratch, folder))
    shutil.copy("%s/example_example%s" % (unix_bin, suffix), "%s/%s/a_example.lmd" % (unix_scratch, folder))
    shutil.copy("%s/%s" % (unix_bin, module), "%s/%s/b_%s.lmd" % (unix_scratch, folder, rule))
    return findings("scan", "%s/%s" % (scratch, folder), "%s_%s" % (rule, kind))


failed, windows_only, output_differs = [], [], []
for rule in re.findall(r"\n### (MD[0-9]{3}) ", page):
    if rule not in examples and rule not in WITHOUT_PAIR:
        failed.append("%s: its page shows no example pair" % rule)
for rule in examples:
    if unmeasured and rule == "MD501":
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
    if suffix != ".dll" and ("(Windows)" in open("%s/%s_bad.c" % (examples_dir, rule), encoding="utf-8").read()
                             or rule.startswith("MD6")):
        windows_only.append(rule)  # Windows' own mistake, or modules scan reads as Windows images
        continue
    bad_passed, bad, bad_notes = check(rule, "bad")
    fixed_passed, fixed, fixed_notes = check(rule, "fixed")
    severity = severities[rule]
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
wrong = {f.split(":")[0] for f in failed}
print("\n".join(failed + output_differs))
print("%d rules shown failing and fixed: %d passed, %d failed, %d not run here"
      % (len(examples), len(examples) - len(wrong) - len(windows_only), len(wrong), len(windows_only)))
if accepted_dir:
    print("%d whole outputs differ from those accepted in %s" % (len(output_differs), accepted_dir))
sys.exit(1 if failed or output_differs else 0)
