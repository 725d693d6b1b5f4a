#!/usr/bin/env python3
"""mdhost's outputs for CI systems, as those systems read them: SARIF from
check, scan, info and diff validates with the SARIF multitool (no error),
and says what the JSON says (one result per finding, each rule described,
a finding in the action document with its line and column as a region),
each file named relative to the repository's root (--root) with the base
SRCROOT, a file outside it by its absolute URI; the github form is one
workflow command per finding, each file as the repository names it, and a
diff's last says the release the change needs.
  ci_formats.py VALIDATOR BIN_DIR SUFFIX SRC WORK -- MDHOST..."""
import json
import os
import re
import shutil
import subprocess
import sys

validator, bin_dir, suffix, src, work = sys.argv[1:6]
mdhost = sys.argv[sys.argv.index("--") + 1:]
os.makedirs(work, exist_ok=True)
problems = []
examples = ["%s/example_%s%s" % (bin_dir, name, suffix) for name in ("MD310_bad", "MD314_bad", "MD301_bad")]
cycles = ["--cycles", "0"]


def run(arguments):
    done = subprocess.run(mdhost + arguments, capture_output=True, timeout=600)
    return done.returncode, done.stdout.decode("utf-8")


written = []  # each SARIF log, validated together at the end (the multitool takes seconds to start)


def validate(name, text):
    path = os.path.join(work, name + ".sarif")
    open(path, "w", encoding="utf-8").write(text)
    written.append((name, path))
    return json.loads(text)


def validate_all():
    env = dict(os.environ, DOTNET_SYSTEM_GLOBALIZATION_INVARIANT="1", DOTNET_CLI_TELEMETRY_OPTOUT="1")
    done = subprocess.run([validator, "validate"] + [path for _, path in written], capture_output=True, env=env,
                          timeout=600)
    output = done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace")
    if "Analysis completed successfully" not in output or "%d files scanned" % len(written) not in output:
        problems.append("the multitool did not read every log:\n" + output)
    for name, path in written:  # its errors begin with the log's path
        errors = [line for line in output.splitlines()
                  if line.startswith(path + "(") and re.search(r": error [A-Z]+[0-9]+:", line)]
        if errors:
            problems.append("%s: the multitool finds it invalid:\n%s" % (name, "\n".join(errors)))


# check: the same findings as the JSON, each a result of a described rule.
root = ["--root", src]
status_sarif, sarif_text = run(["check", "--format", "sarif"] + root + cycles + examples)
status_json, json_text = run(["check", "--json"] + cycles + examples)
log = validate("check", sarif_text)
plugins = json.loads(json_text)["plugins"]
run_ = log["runs"][0]
rules = run_["tool"]["driver"]["rules"]
if status_sarif != status_json or status_sarif != 1:
    problems.append("check: exit %d in SARIF, %d in JSON, not 1" % (status_sarif, status_json))
if len(log["runs"]) != 1 or run_["tool"]["driver"]["version"] != json.loads(json_text)["tool"]["version"]:
    problems.append("check: not one run of mdhost with its version")
if len(rules) < 40 or any(not r["helpUri"].endswith("#" + r["id"].lower() + "-" + re.sub(r"[^a-z0-9 -]", "", r["shortDescription"]["text"].lower()).replace(" ", "-")) for r in rules):
    problems.append("check: the rules lack their pages: %s" % rules[:2])
level = {"PASS": "none", "NOTE": "note", "WARN": "warning", "FAIL": "error"}
wanted = [(f["rule"], level[f["severity"]], f.get("line"), f.get("column")) for p in plugins for f in p["findings"]]
got = [(r["ruleId"], r["level"], r["locations"][0]["physicalLocation"].get("region", {}).get("startLine"),
        r["locations"][0]["physicalLocation"].get("region", {}).get("startColumn")) for r in run_["results"]]
if got != wanted:
    problems.append("check: the results %s are not the findings %s" % (got, wanted))
if not any(r[2] for r in got if r[0] == "MD314") or not any(r[2] for r in got if r[0] == "MD301"):
    problems.append("check: findings in the action document have no region")
base = run_.get("originalUriBaseIds", {}).get("SRCROOT", {}).get("uri", "")
if not (base.startswith("file:///") and base.endswith("/")):
    problems.append("check: the root SRCROOT is not declared: %r" % base)
for r in run_["results"]:
    if rules[r["ruleIndex"]]["id"] != r["ruleId"]:
        problems.append("check: %s points at rule %s" % (r["ruleId"], rules[r["ruleIndex"]]["id"]))
    artifact = r["locations"][0]["physicalLocation"]["artifactLocation"]
    if artifact.get("uriBaseId") != "SRCROOT" or not re.match(r"^build/[a-z0-9]+/bin/example_MD3", artifact["uri"]):
        problems.append("check: %s is not located in the repository: %s" % (r["ruleId"], artifact))
# A file outside the root keeps its absolute URI.
_, outside = run(["check", "--format", "sarif", "--root", src + "/docs"] + cycles + examples[:1])
artifact = validate("check_outside", outside)["runs"][0]["results"][0]["locations"][0]["physicalLocation"][
    "artifactLocation"]
if "uriBaseId" in artifact or not artifact["uri"].startswith("file:///"):
    problems.append("check: a file outside the root is not named by its absolute URI: %s" % artifact)

# A severity chosen shows as the result's level, the rule's own kept.
_, text = run(["check", "--format", "sarif", "--deny", "MD310"] + cycles + examples[:1])
chosen = [r for r in validate("check_deny", text)["runs"][0]["results"] if r["ruleId"] == "MD310"]
if [(r["level"], r["properties"]["default_severity"]) for r in chosen] != [("error", "WARN")]:
    problems.append("check --deny: %s" % chosen)

# info and scan validate too; diff's changes are results.
validate("info", run(["info", "--format", "sarif", examples[0]])[1])
# A folder of two plugins of one name, made here (never in the build's folder).
drive = bin_dir[:2] if re.match(r"^[A-Za-z]:", bin_dir) else ""
side_by_side = os.path.join(work, "side_by_side")
shutil.rmtree(side_by_side, ignore_errors=True)
os.makedirs(side_by_side)
for name in ("example", "MD601_bad"):
    shutil.copy("%s/example_%s%s" % (bin_dir[len(drive):], name, suffix), "%s/%s.lmd" % (side_by_side, name))
validate("scan", run(["scan", "--format", "sarif", drive + side_by_side])[1])
_, text = run(["scan", "--format", "github", "--root", drive + work, drive + side_by_side])
# (Natively, scan reads Windows modules alone: both files are MD001 there.)
if not re.search(r"^::(warning|error) file=side_by_side/(MD601_bad|example)\.lmd,title=MD(601|001)::", text, re.M):
    problems.append("scan --format github: the files are not the repository's: %s" % text)
diff_sides = [src + "/tests/mdhost/diff/old.xml", src + "/tests/mdhost/diff/new.xml"]
status, text = run(["diff", "--format", "sarif"] + root + diff_sides)
diff = validate("diff", text)
if status != 1 or len([r for r in diff["runs"][0]["results"] if r["level"] == "error"]) != 8:
    problems.append("diff: exit %d and %s" % (status, [r["level"] for r in diff["runs"][0]["results"]]))

# diff's annotations name the new side as the repository does and end with
# the verdict on the release.
status, text = run(["diff", "--format", "github"] + root + diff_sides)
last = text.splitlines()[-1] if text else ""
if status != 1 or not text.startswith("::error file=tests/mdhost/diff/new.xml,title=") or \
        not last.startswith("::error file=tests/mdhost/diff/new.xml,title=release::No version text on a document side; "
                            "scripts break, which needs a major release"):
    problems.append("diff --format github: exit %d:\n%s" % (status, text))

# github: one workflow command per finding that is no pass, with its place.
status, text = run(["check", "--format", "github"] + root + cycles + examples)
lines = text.splitlines()
annotations = [(p["path"], f) for p in plugins for f in p["findings"] if f["severity"] != "PASS"]
command = {"NOTE": "notice", "WARN": "warning", "FAIL": "error"}
if status != 1 or len(lines) != len(annotations):
    problems.append("github: exit %d, %d lines for %d findings:\n%s" % (status, len(lines), len(annotations), text))
for line, (path, f) in zip(lines, annotations):
    place = ",line=%d,col=%d" % (f["line"], f["column"]) if "line" in f else ""
    repository_path = re.sub(r"^.*?/(build/[a-z0-9]+/bin/)", r"\1", path.replace("\\", "/"))
    start = "::%s file=%s%s,title=%s::" % (command[f["severity"]], repository_path, place, f["rule"])
    if not line.startswith(start) or "\n" in line or "\r" in line:
        problems.append("github: %r is not %r..." % (line, start))

validate_all()
print("\n".join(problems) or "SARIF valid and true to the JSON; github annotations one per finding")
sys.exit(1 if problems else 0)
