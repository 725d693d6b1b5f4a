#!/usr/bin/env python3
"""Runs a command and holds its exit code and output against expectations.

  expect.py [--exit N] [--out REGEX]... [--err REGEX]... [--json EXPR]... [--repeat N] -- COMMAND...
  expect.py --table CASES.py --group G --platform P [--set NAME=VALUE]... [--accepted DIR] [--case NAMES]
            -- PROGRAM...
  expect.py --table CASES.py --registered G1;G2;...

The second form runs every case of group G for platform P from the case
table (tests/cli/cases.py describes it), PROGRAM followed by each case's
command with {NAME} filled in from --set, and reports every case that fails.
With --accepted, a case marked `accepted` also has its whole output held to
DIR/<case>.txt (support/accepted.py; {src} is masked). --case (or MD_CASE
in the environment) runs only the cases whose names match one of NAMES
(patterns such as check.fix*, space or comma separated). MD_STRESS_RUNS in
the environment caps how often a repeated case runs.

The third form fails when the table holds a group not in the list (the
groups tests/CMakeLists.txt runs): a case in an unregistered group would
never run.

--out and --err search standard output and error (dot matches newlines);
--json parses standard output as strict UTF-8 JSON and evaluates EXPR with
the value bound to `data`. --repeat runs the command N times, each of which
must meet every expectation. Prints what it ran and saw when anything is off.
"""
import fnmatch
import importlib.util
import json
import os
import re
import subprocess
import sys

import accepted


def run_table(options, program):
    settings, table, group, platform, accepted_dir = {}, None, None, None, None
    names = os.environ.get("MD_CASE", "")
    for i in range(0, len(options), 2):
        name, value = options[i], options[i + 1]
        if name == "--table":
            table = value
        elif name == "--group":
            group = value
        elif name == "--platform":
            platform = value
        elif name == "--accepted":
            accepted_dir = value
        elif name == "--case":
            names = value
        elif name == "--set":
            key, _, setting = value.partition("=")
            settings[key] = setting
        else:
            raise SystemExit("expect.py: unknown option " + name)
    spec = importlib.util.spec_from_file_location("cases", table)
    cases = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(cases)
    patterns = [n for n in re.split(r"[\s,]+", names) if n]
    runs_cap = int(os.environ.get("MD_STRESS_RUNS") or 0)
    failed, ran = [], 0
    for case in cases.CASES:
        if case.group() != group or platform not in case.on:
            continue
        if patterns and not any(fnmatch.fnmatchcase(case.name, p) for p in patterns):
            continue
        command = []
        for argument in case.command:
            command.append(argument.format(**settings))
        ran += 1
        repeats = case.repeat.get(platform, 1)
        for attempt in range(min(repeats, runs_cap) if runs_cap > 0 else repeats):
            runs = []
            if check(case.prefix + program + command, case.exit, case.out, case.err, case.json, case.name, runs):
                failed.append(case.name)
                break
            if accepted_dir and case.accepted:
                whole = accepted.document([(command,) + runs[0]], [settings.get("src", "")],
                                          [(settings.get("bin"), "{bin}"), (settings.get("data"), "{data}")])
                difference = accepted.compare(os.path.join(accepted_dir, case.name + ".txt"), whole)
                if difference:
                    print("%s: %s" % (case.name, difference))
                    failed.append(case.name)
                    break
    print("%d cases of %s: %d passed, %d failed %s" % (ran, group, ran - len(failed), len(failed), " ".join(failed)))
    return 1 if failed or (ran == 0 and not patterns) else 0


def unregistered_groups(table, registered):
    spec = importlib.util.spec_from_file_location("cases", table)
    cases = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(cases)
    missing = sorted({case.group() for case in cases.CASES} - set(registered.split(";")))
    for group in missing:
        print("group %s of %s is not registered: its cases never run" % (group, table))
    return 1 if missing else 0


def main(argv):
    if len(argv) == 4 and argv[0] == "--table" and argv[2] == "--registered":
        return unregistered_groups(argv[1], argv[3])
    split = argv.index("--")
    options, command = argv[:split], argv[split + 1:]
    if "--table" in options:
        return run_table(options, command)
    want_exit, outs, errs, checks, repeat = None, [], [], [], 1
    i = 0
    while i < len(options):
        name, value = options[i], options[i + 1]
        if name == "--exit":
            want_exit = int(value)
        elif name == "--out":
            outs.append(value)
        elif name == "--err":
            errs.append(value)
        elif name == "--json":
            checks.append(value)
        elif name == "--repeat":
            repeat = int(value)
        else:
            raise SystemExit("expect.py: unknown option " + name)
        i += 2
    for attempt in range(repeat):
        if check(command, want_exit, outs, errs, checks):
            if repeat > 1:
                print("failed in run %d of %d" % (attempt + 1, repeat))
            return 1
    return 0


def check(command, want_exit, outs, errs, checks, name=None, runs=None):
    """Runs `command` once and holds it to the expectations; 1 (and what was
    seen, printed) when any fails. `runs` receives (exit code, stdout, stderr)."""
    run = subprocess.run(command, capture_output=True, timeout=600)
    out = run.stdout.decode("utf-8", "replace")
    err = run.stderr.decode("utf-8", "replace")
    if runs is not None:
        runs.append((run.returncode, out, err))
    problems = []
    if want_exit is not None and run.returncode != want_exit:
        problems.append("exit code %d, expected %d" % (run.returncode, want_exit))
    problems += ["stdout lacks /%s/" % r for r in outs if not re.search(r, out, re.S)]
    problems += ["stderr lacks /%s/" % r for r in errs if not re.search(r, err, re.S)]
    if checks:
        try:
            data = json.loads(run.stdout.decode("utf-8", "strict"))
            problems += ["JSON fails: " + c for c in checks if not eval(c, {"data": data})]
        except (ValueError, UnicodeDecodeError) as e:
            problems.append("stdout is not UTF-8 JSON: %s" % e)
    if problems:
        print("%sran: %s\n--- stdout\n%s--- stderr\n%s---" % (name + ": " if name else "", " ".join(command), out, err))
        print("\n".join(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
