#!/usr/bin/env python3
"""No innocent plugin is charged with a hostile one's fault, by any route a
plugin can take: a timer a helper module sets into itself and the plugin
frees at release, a timer and a wait made through functions asked for by
name, a
thread in a freed helper, records forged into every pipe before ending the
process, workflow commands printed. Each hostile plugin lies just before an
innocent one, in check's list and in scan's order, with one worker and two;
each gets its own finding, every innocent passes, and nothing the plugins
print starts a line of mdhost's output. A fault in a plugin's release
(DllMain's or a TLS callback's detach) is its crash, even where the loader
swallows it, unless a handler of its own takes it. What a plugin changes for the whole
process (the unhandled-exception filter, a vectored handler, the
floating-point control word) is its own finding and is put back: the crash of the plugin after it is
still a crash with its place.

    blame_test.py BIN_DIR SCRATCH_DIR -- MDHOST..."""
import json
import os
import shutil
import subprocess
import sys

bin_dir, scratch = sys.argv[1], sys.argv[2]
mdhost = sys.argv[sys.argv.index("--") + 1:]
# Each hostile plugin and the rule its fault is (None: it passes).
HOSTILE = {"helper_timer": "MD503", "gpa_timer": "MD503", "wait": "MD503", "helper_thread": "MD502",
           "forger": "MD005", "printer": None, "fpu": "MD504", "filter": "MD504", "vectored": "MD504", "vectored_removed": None,
           "crasher": "MD003",
           "detach_crash": "MD003", "tls_crash": "MD003", "detach_try": None, "ldr_timer": "MD503",
           "walk_timer": "MD503", "tp_timer": "MD503", "rtl_timer": "MD503", "pool_wait": "MD503"}
# Timers and waits set by routes no import hook sees: each checked alone too.
ALONE = ["ldr_timer", "walk_timer", "tp_timer", "rtl_timer", "pool_wait"]
# Who follows whom: an innocent plugin after each, the crasher after the
# filter and the vectored handler (which would turn its crash into a hang).
AFTER = {"filter": "crasher", "vectored": "crasher", "vectored_removed": "crasher", "crasher": "innocent"}
failures = []

shutil.rmtree(scratch, ignore_errors=True)
plugins = os.path.join(scratch, "plugins")
os.makedirs(plugins)
shutil.copy(os.path.join(bin_dir, "hostile_helper.dll"), plugins)
order = []
SOURCE = {"innocent": "example_plugin.dll", "crasher": "example_MD003_bad.dll"}
for n, kind in enumerate(k for k in HOSTILE if k != "crasher"):
    while kind:
        name = f"{n:02}_{len(order)}_{kind}.dll"
        shutil.copy(os.path.join(bin_dir, SOURCE.get(kind, f"hostile_{kind}.dll")), os.path.join(plugins, name))
        order.append(name)
        kind = AFTER.get(kind, "innocent") if kind != "innocent" else None


def run(arguments):
    done = subprocess.run(mdhost + arguments, capture_output=True, cwd=plugins)
    for stream, name in ((done.stdout, "stdout"), (done.stderr, "stderr")):
        for line in stream.decode("utf-8", "replace").splitlines():
            if line.startswith("::"):
                failures.append(f"{' '.join(arguments)}: a line of {name} starts with '::': {line!r}")
    return done


# Each mode's FAIL rules per plugin: no verdict depends on --jobs or the command.
verdicts = {}


def judge(arguments):
    done = run(arguments + ["--json"])
    try:
        reports = json.loads(done.stdout)["plugins"]
    except (ValueError, KeyError) as error:
        failures.append(f"{' '.join(arguments)}: no JSON ({error}): {done.stderr!r}")
        return
    label = " ".join(arguments)
    for report in reports:
        name = report["path"].replace("\\", "/").rsplit("/", 1)[-1]
        kind = name.split("_", 2)[-1][:-len(".dll")]
        rules = {f["rule"] for f in report["findings"] if f["severity"] == "FAIL"}
        verdicts.setdefault(name, {})[" ".join(arguments[:3])] = sorted(rules)
        if kind == "innocent" and (not report["passed"] or rules):
            failures.append(f"{label}: innocent {name} charged with {sorted(rules)}")
        elif kind == "innocent" and report.get("name") != "Fixture Plugin":
            failures.append(f"{label}: innocent {name} has a report not its own (named {report.get('name')!r})")
        elif kind in HOSTILE and HOSTILE[kind] is None and rules:
            failures.append(f"{label}: {name} charged with {sorted(rules)}, though it keeps to the contract")
        elif kind in HOSTILE and HOSTILE[kind] and (HOSTILE[kind] not in rules or rules & ({"MD004", "MD005"} - {HOSTILE[kind]})):
            failures.append(f"{label}: {name} not charged with {HOSTILE[kind]} but {sorted(rules)}")
        elif kind == "printer" and "::stop-commands::" not in (report.get("output") or ""):
            failures.append(f"{label}: {name}'s output not shown with its report")


# No memory is measured: load cycles are no part of any verdict here.
for jobs in ("1", "2"):
    judge(["check", "--jobs", jobs, "--cycles", "0"] + order)
    judge(["scan", "--jobs", jobs, "."])
run(["check", "--jobs", "2", "--cycles", "0"] + order)  # the text output, for the '::' lines alone
for kind in ALONE:
    judge(["check", "--cycles", "0", next(name for name in order if name.endswith(f"_{kind}.dll"))])
for name, by_mode in sorted(verdicts.items()):
    if len({tuple(rules) for rules in by_mode.values()}) > 1:
        failures.append(f"{name}: the verdict depends on the mode: {by_mode}")

for failure in failures:
    print("FAILED  " + failure)
if not failures:
    print("every hostile plugin charged, no innocent one")
sys.exit(1 if failures else 0)
