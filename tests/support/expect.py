#!/usr/bin/env python3
"""Runs a command and holds its exit code and output against expectations.

  expect.py [--exit N] [--out REGEX]... [--err REGEX]... [--json EXPR]... [--repeat N] -- COMMAND...

--out and --err search standard output and error (dot matches newlines);
--json parses standard output as strict UTF-8 JSON and evaluates EXPR with
the value bound to `data`. --repeat runs the command N times, each of which
must meet every expectation. Prints what it ran and saw when anything is off.
"""
import json
import re
import subprocess
import sys


def main(argv):
    split = argv.index("--")
    options, command = argv[:split], argv[split + 1:]
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


def check(command, want_exit, outs, errs, checks):
    run = subprocess.run(command, capture_output=True, timeout=600)
    out = run.stdout.decode("utf-8", "replace")
    err = run.stderr.decode("utf-8", "replace")
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
        print("ran: %s\n--- stdout\n%s--- stderr\n%s---" % (" ".join(command), out, err))
        print("\n".join(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
