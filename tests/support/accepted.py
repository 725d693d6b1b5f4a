"""Accepted outputs: a command's whole output (exit code, standard output and
error), masked where it varies from one run or machine to the next, kept in
a file and compared with the file byte for byte. With MD_ACCEPT=1 in the
environment the files are written instead (tools/accept-outputs.sh), to be
reviewed with `git diff` and committed, as `cargo bless` and insta do.

What is masked: the build's folders where a test names them ({bin},
{data}, {scratch}); the folder the tests run from (the source tree, however it
is spelt: slashes, backslashes, JSON's doubled backslashes, a file URI) as
{root}; measured figures (memory, bytes kept per load) as {n}; places in a
module (Name.dll+0x14EB) as +0x{offset}, which move with any change of the
compiler or the example's sources, and addresses (at, reading or writing
0x{address}), which move with where the system put a module.
"""
import difflib
import os
import re


def _spellings(root):
    forward = root.replace("\\", "/").rstrip("/")
    back = forward.replace("/", "\\")
    # Longest first: a JSON-escaped spelling holds the plain one.
    return sorted({forward, back, back.replace("\\", "\\\\")}, key=len, reverse=True)


_FIGURES = [
    # MD501's measurement and the figures JSON reports.
    (re.compile(r"(memory kept per load and release: )-?[0-9.]+( KiB| bytes)"), r"\1{n}\2"),
    (re.compile(r"(\"(?:kept_per_load|[a-z_]+_bytes|[a-z_]+_per_load)\": )-?[0-9.e+-]+"), r"\1{n}"),
    (re.compile(r"\+0x[0-9A-Fa-f]+"), "+0x{offset}"),
    (re.compile(r"\b(at|reading|writing|executing) 0x[0-9A-Fa-f]{5,}"), r"\1 0x{address}"),
]


def masked(text, roots, named=()):
    """`named`: (folder, mask) pairs masked first, such as the build's
    program folder as {bin}, which lies below the root."""
    for folder, name in named:
        if folder:
            for spelling in _spellings(folder):
                text = text.replace(spelling, name)
    for root in roots:
        for spelling in _spellings(root):
            text = text.replace(spelling, "{root}")
    for pattern, replacement in _FIGURES:
        text = pattern.sub(replacement, text)
    return text


def document(runs, roots, named=()):
    """Several runs of mdhost as one accepted document: for each, the
    command (program left out), its exit code, stdout and stderr."""
    parts = []
    for command, code, out, err in runs:
        parts.append("$ mdhost %s\nexit %d\n--- stdout\n%s--- stderr\n%s" % (" ".join(command), code, out, err))
    return masked("".join(parts), roots, named)


def accepting():
    return os.environ.get("MD_ACCEPT") == "1"


def compare(path, actual):
    """None when `actual` is the accepted output in `path` (or was just
    written there, when accepting); otherwise what differs, as a diff."""
    if accepting():
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(actual)
        return None
    if not os.path.exists(path):
        return "%s: no accepted output (tools/accept-outputs.sh writes it)" % path
    with open(path, encoding="utf-8", newline="") as f:
        expected = f.read()
    if expected == actual:
        return None
    diff = difflib.unified_diff(expected.splitlines(True), actual.splitlines(True), path, "this run")
    return "%s differs from this run (tools/accept-outputs.sh accepts it after review):\n%s" % (path, "".join(diff))
