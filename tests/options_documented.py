#!/usr/bin/env python3
"""Holds the README's and the mdhost text's option lists to mdhost's own
option table, as `mdhost --help` prints it: every option, its value and the
commands that take it, and no option that mdhost does not have; their exit
codes to the usage's, word for word; and their --format entries to the
formats each command takes, as mdhost names them when refusing another.
  options_documented.py README MDHOST_TXT -- MDHOST..."""
import re
import subprocess
import sys

readme, text = sys.argv[1], sys.argv[2]
command = sys.argv[sys.argv.index("--") + 1:]
usage = subprocess.run(command + ["--help"], capture_output=True, check=True).stdout.decode("utf-8")
options = re.findall(r"^  (--?[a-z-]+)( [A-Za-z|\[\],.]+)? +\(([a-z, ]+)\) ", usage, re.M)
if len(options) < 5:
    sys.exit("too few options in the usage:\n" + usage)
readme_text = open(readme, encoding="utf-8").read()
mdhost_text = open(text, encoding="utf-8").read()
problems = []
for name, value, commands in options:
    spelled = name + value
    if "- `%s` (%s):" % (spelled, commands) not in readme_text:
        problems.append("README lacks '- `%s` (%s):'" % (spelled, commands))
    if not re.search(r"^  %s \(%s\)$" % (re.escape(spelled), re.escape(commands)), mdhost_text, re.M):
        problems.append("%s lacks '  %s (%s)'" % (text, spelled, commands))
codes = re.findall(r"^  ([0-9])  (.+)$", usage, re.M)
if len(codes) < 4:
    problems.append("too few exit codes in the usage")
for code, meaning in codes:
    if "\n    %s  %s\n" % (code, meaning) not in readme_text:
        problems.append("README lacks exit code '%s  %s'" % (code, meaning))
    if "\n  %s  %s\n" % (code, meaning) not in mdhost_text:
        problems.append("%s lacks exit code '%s  %s'" % (text, code, meaning))
# The formats, as mdhost lists them when refusing one it does not have.
formats = set()
for name in ("check", "doc"):
    refused = subprocess.run(command + [name, "--format", "?", "x"], capture_output=True).stderr.decode("utf-8")
    listed = re.search(r"--format takes ([a-z, ]+) or ([a-z]+)", refused)
    if not listed:
        problems.append("%s --format ? is not refused with the formats it takes: %s" % (name, refused))
        continue
    formats.update(listed.group(1).split(", ") + [listed.group(2)])
readme_entry = re.search(r"^- `--format FORMAT`.*?(?=^- `|^$)", readme_text, re.M | re.S)
text_entry = re.search(r"^  --format FORMAT .*?(?=^  -)", mdhost_text, re.M | re.S)
for fmt in sorted(formats):
    if not readme_entry or "`%s`" % fmt not in readme_entry.group(0):
        problems.append("README's --format entry lacks `%s`" % fmt)
    if not text_entry or not re.search(r"\b%s\s+\(" % fmt, text_entry.group(0)):
        problems.append("%s's --format entry lacks '%s (...)'" % (text, fmt))
known = {name for name, _, _ in options}
for listed in re.findall(r"^- `(--?[a-z-]+)", readme_text, re.M):
    if listed not in known:
        problems.append("README lists %s, which mdhost does not take" % listed)
print("\n".join(problems) or "%d options documented alike" % len(options))
sys.exit(1 if problems else 0)
