#!/usr/bin/env python3
"""mdhost where the author works, on the files an author has (a scratch copy
of tests/mdhost/documents/ as src/actions.xml, beside an mdhost.toml):
- the document checked alone, each finding at actions.xml:LINE:COLUMN and
  in JSON as file, line, column; a document of valid Defaults passes;
- the module checked with --document on its source's lines, and a module
  built from another document (MD315);
- --fix --diff writes nothing; --fix changes only the misspelt tokens (byte
  for byte), and those rules are quiet afterwards; an unsafe fix is made
  only with --unsafe-fixes; a global mdhost.toml declares is no finding;
- [[ignore]] by rule and action, and an entry that matched nothing (a NOTE
  on its line);
- a baseline: written, then only a new fault fails, and an entry no longer
  found is said;
- github annotations name the repository's files (relative, forward slashes),
  the repository found from a subfolder by its .git.
  author_files_test.py SOURCE_DIR SCRATCH MODULE_MD310 -- MDHOST...
MODULE_MD310 is the rule example with a misspelt type, as mdhost spells it."""
import json
import os
import re
import shutil
import subprocess
import sys

source, scratch, module = sys.argv[1], sys.argv[2], sys.argv[3]
mdhost = sys.argv[sys.argv.index("--") + 1:]
shutil.rmtree(scratch, ignore_errors=True)
os.makedirs(os.path.join(scratch, "src"))
# The author's repository: its own, not the project's that holds the scratch folder.
os.makedirs(os.path.join(scratch, ".git"))
original = open(os.path.join(source, "tests", "mdhost", "documents", "greeter.xml"), "rb").read()
problems = []


def write(name, data):
    with open(os.path.join(scratch, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


def read(name):
    return open(os.path.join(scratch, name), "rb").read()


def run(*arguments):
    done = subprocess.run(mdhost + list(arguments), capture_output=True, cwd=scratch, timeout=300)
    return done.returncode, done.stdout.decode("utf-8", "replace").replace("\r\n", "\n"), done.stderr.decode(
        "utf-8", "replace")


def expect(what, condition, seen=""):
    if not condition:
        problems.append("%s\n%s" % (what, seen))


doc = "src/actions.xml"
write(doc, original)
shutil.copy(os.path.join(source, "tests", "mdhost", "documents", "valid_defaults.xml"),
            os.path.join(scratch, "src", "valid.xml"))

# The document alone: its own lines and columns, as compilers print them.
code, out, _ = run("check", "--strict", doc)
expect("check --strict of the document alone", code == 1 and
       re.search(r"^src[/\\]actions\.xml:8:76: WARN  MD310 /ActionTemplates/Action\[1\]/Arguments/Arg\[1\]/Type: "
                 r'"strng" is neither', out, re.M) and
       re.search(r"^src[/\\]actions\.xml:9:4: WARN  MD311 [^\n]*\"hello world\", which is no Lua expression", out,
                 re.M) and
       re.search(r"^src[/\\]actions\.xml:15:37: WARN  MD313 ", out, re.M), out)
code, out, _ = run("check", "--json", doc)
findings = json.loads(out)["plugins"][0]["findings"]
expect("JSON: file, line, column", [(f["rule"], f["file"].replace("\\", "/"), f["line"], f["column"])
                                    for f in findings if "line" in f] ==
       [("MD310", doc, 8, 76), ("MD311", doc, 9, 4), ("MD313", doc, 15, 37)], out)
code, out, _ = run("check", "--strict", "src/valid.xml")
expect("every kind of valid Default passes", code == 0, out)

# The module on its source's lines, and on another's.
code, out, _ = run("info", "--json", module)
write("src/md310.xml", json.loads(out)["plugins"][0]["action_xml"] + "\n")
code, out, _ = run("check", "--cycles", "0", "--document", "src/md310.xml", module)
expect("--document places the module's findings on the source's lines",
       re.search(r"^src[/\\]md310\.xml:1:[0-9]+: WARN  MD310 ", out, re.M) and "MD315" not in out, out)
# document = in the module's mdhost.toml places them alike, named as --document names them.
module_file = module[2:] if module[:2].upper() == "Z:" else module  # as this script finds it under Wine
module_here = "plugin" + os.path.splitext(module)[1]
shutil.copy(module_file, os.path.join(scratch, module_here))
if os.path.exists(os.path.join(os.path.dirname(module_file), "lua5.1.dll")):  # its import, beside it as the host has it
    shutil.copy(os.path.join(os.path.dirname(module_file), "lua5.1.dll"), scratch)
write("mdhost.toml", 'document = "src/md310.xml"\n')
code, out, _ = run("check", "--cycles", "0", module_here)
expect("document = names the source as --document does",
       re.search(r"^src[/\\]md310\.xml:1:[0-9]+: WARN  MD310 ", out, re.M) and "MD315" not in out, out)
os.remove(os.path.join(scratch, "mdhost.toml"))
code, out, _ = run("check", "--cycles", "0", "--document", doc, module)
expect("a module built from another document", re.search(
    r"WARN  MD315 the module's action document is not src[/\\]actions\.xml: they differ from line 1 on", out), out)

# --fix --diff writes nothing; --fix changes the misspelt tokens alone.
done = subprocess.run(mdhost + ["check", "--fix", "--diff", doc], capture_output=True, cwd=scratch, timeout=300)
patch = done.stdout
expect("--fix --diff writes nothing", read(doc) == original)
expect("--fix --diff prints the patch alone, the report on standard error",
       patch.startswith(b"--- a/src/actions.xml\n+++ b/src/actions.xml\n@@ ") and b"Checking" not in patch and
       b"Checking" in done.stderr and b"+\t\t\t<Default>\"hello world\"</Default>" in patch, patch)
code, out, _ = run("check", "--strict", "--fix", doc)
wanted = original.replace(b"<Type>strng</Type>", b"<Type>string</Type>").replace(
    b"<Default>hello world</Default>", b"<Default>\"hello world\"</Default>")
expect("--fix changes only the misspelt tokens, byte for byte", read(doc) == wanted, read(doc))
expect("--fix says what it fixed, and those rules are quiet afterwards",
       "src/actions.xml:8:76: fixed MD310 strng -> string" in out.replace("\\", "/") and
       re.search(r"fixed MD311 hello world -> \"hello world\"", out) and "MD310 /" not in out and
       "MD311 /" not in out and "MD313" in out, out)

# The patch applies as printed (git apply, patch -p1) and gives what --fix writes.
if shutil.which("git"):
    write("fix.patch", patch)
    write(doc, original)
    # As in the author's own repository: not the project's, whose build holds the scratch folder.
    alone = dict(os.environ, GIT_CEILING_DIRECTORIES=os.path.dirname(os.path.abspath(scratch)))
    applied = subprocess.run(["git", "apply", "fix.patch"], cwd=scratch, capture_output=True, env=alone)
    expect("git apply takes the patch and gives what --fix wrote", applied.returncode == 0 and read(doc) == wanted,
           applied.stderr)
    write(doc, wanted)

# --fix leaves what the author allowed or accepted as it is.
for config in ('[rules]\nMD310 = "allow"\n', '[[ignore]]\nrule = "MD310"\nreason = "the host reads strng"\n'):
    write(doc, original)
    write("mdhost.toml", config)
    run("check", "--fix", doc)
    expect("--fix leaves MD310 alone under " + config.split("\n")[0],
           b"<Type>strng</Type>" in read(doc), read(doc))
    os.remove(os.path.join(scratch, "mdhost.toml"))
write(doc, wanted)

# A lone word's fix is unsafe: said, not made, unless asked for; a global
# the project declares is no finding at all.
lone = (b"<ActionTemplates><Action><Name>G.Hi</Name><Description>d</Description><ReturnValueType>string"
        b"</ReturnValueType><Arguments><Arg><Name>Who</Name><Description>d</Description><Type>string</Type>"
        b"<Default>World</Default><Required>0</Required></Arg><Arg><Name>Cfg</Name><Description>d</Description>"
        b"<Type>string</Type><Default>Config</Default><Required>0</Required></Arg></Arguments></Action>"
        b"</ActionTemplates>\n")
write("src/lone.xml", lone)
write("mdhost.toml", 'globals = ["Config"]\n')
code, out, _ = run("check", "src/lone.xml")
expect("a declared global is no MD311, another lone word is", out.count("WARN  MD311") == 1 and "Who is World" in out, out)
done = subprocess.run(mdhost + ["check", "--fix", "src/lone.xml"], capture_output=True, cwd=scratch, timeout=300)
expect("--fix leaves an unsafe fix unmade and says so", read("src/lone.xml") == lone and
       b"1 unsafe fix not made" in done.stderr and b"--unsafe-fixes" in done.stderr, done.stderr)
code, out, _ = run("check", "--fix", "--unsafe-fixes", "src/lone.xml")
expect("--unsafe-fixes makes it, and says it was unsafe",
       read("src/lone.xml") == lone.replace(b"<Default>World</Default>", b'<Default>"World"</Default>') and
       re.search(r'fixed MD311 World -> "World" \(unsafe fix\)', out) and "MD311 /" not in out, out)
os.remove(os.path.join(scratch, "mdhost.toml"))

# [[ignore]] by rule and action; an entry that took nothing is a NOTE.
write("mdhost.toml", '[[ignore]]\nrule = "MD313"\naction = "Greeter.Wave"\nreason = "counted in its note"\n\n'
                     '[[ignore]]\nrule = "MD305"\n')
code, out, _ = run("check", "--strict", doc)
expect("[[ignore]] accepts the finding it names", code == 0 and "PASSED: 0 problems (1 accepted)" in out and
       re.search(r"mdhost\.toml:6:1: NOTE  MD305 this \[\[ignore\]\] entry matched no finding", out), out)
code, out, _ = run("check", "--json", doc)
data = json.loads(out)
expect("JSON lists the accepted finding apart, with its reason",
       [(s["rule"], s["reason"]) for s in data["plugins"][0]["suppressed"]] == [("MD313", "counted in its note")] and
       [n["rule"] for n in data["notes"]] == ["MD305"] and data["summary"]["findings"]["WARN"] == 0, out)
os.remove(os.path.join(scratch, "mdhost.toml"))

# A baseline: what is there now is accepted, a new fault fails, and an entry
# no longer found is said.
write(doc, original)
code, out, _ = run("check", "--strict", "--write-baseline", "baseline.json", doc)
expect("--write-baseline", code == 1 and len(json.loads(read("baseline.json"))["findings"]) == 3, read("baseline.json"))
code, out, _ = run("check", "--strict", "--baseline", "baseline.json", doc)
expect("the baseline's findings are accepted", code == 0, out)
write(doc, original.replace(b"<Type>number</Type>", b"<Type>numbr</Type>").replace(
    b"<Default>hello world</Default>", b"<Default>\"hello world\"</Default>"))
code, out, _ = run("check", "--strict", "--baseline", "baseline.json", doc)
expect("a new fault fails; the gone one is said", code == 1 and re.search(r"WARN  MD310 [^\n]*\"numbr\"", out) and
       not re.search(r"WARN  MD310 [^\n]*\"strng\"", out) and
       re.search(r"NOTE  MD311 in the baseline but no longer found \(src/actions\.xml", out), out)

# No output onto a file read: each refused (exit 2), the file as it was.
write(doc, original)
write("mdhost.toml", "[rules]\n")
for arguments, victim in ((["doc", "-o", doc, doc], doc),
                          (["check", "--write-baseline", "mdhost.toml", doc], "mdhost.toml"),
                          (["check", "--write-baseline", doc, doc], doc),
                          (["check", "--baseline", "baseline.json", "--write-baseline", "baseline.json", doc],
                           "baseline.json")):
    before = read(victim)
    code, out, err = run(*arguments)
    expect("%s is refused and leaves %s as it was" % (" ".join(arguments), victim),
           code == 2 and read(victim) == before and "a file this check reads" in err + out or "the file doc reads" in err,
           err)
os.remove(os.path.join(scratch, "mdhost.toml"))
if os.name == "posix" and not mdhost[0].endswith("wine-run.sh") and "wine" not in " ".join(mdhost):
    # A fix stopped by a file-size limit leaves the document whole; one made
    # through a link writes the link's target and keeps the link.
    write(doc, original + b"<!--" + b"x" * 20000 + b"-->\n")
    before = read(doc)
    subprocess.run(["sh", "-c", 'ulimit -f 8 && exec "$@"', "sh"] + mdhost + ["check", "--fix", doc], cwd=scratch,
                   capture_output=True, timeout=300)
    expect("a fix stopped half way leaves the document whole", read(doc) == before)
    write(doc, original)
    os.symlink("actions.xml", os.path.join(scratch, "src", "linked.xml"))
    run("check", "--fix", "src/linked.xml")
    expect("a fix through a link writes its target and keeps the link",
           os.path.islink(os.path.join(scratch, "src", "linked.xml")) and b"<Type>string</Type>" in read(doc))
    os.remove(os.path.join(scratch, "src", "linked.xml"))
    write(doc, original)

# github: the repository's own names, whatever the working folder: from
# its src folder too (the nearest folder holding .git is the root).
code, out, _ = run("check", "--format", "github", "--root", ".", doc)
expect("github names the file as the repository does", "::warning file=src/actions.xml,line=8,col=76,title=MD310::"
       in out, out)
done = subprocess.run(mdhost + ["check", "--format", "github", "actions.xml"], capture_output=True,
                      cwd=os.path.join(scratch, "src"), timeout=300)
expect("from a subfolder, github still names the repository's file",
       b"::warning file=src/actions.xml,line=8,col=76,title=MD310::" in done.stdout, done.stdout)
# As git does, no repository is looked for in a ceiling folder: the working folder is the root.
done = subprocess.run(mdhost + ["check", "--format", "github", "actions.xml"], capture_output=True,
                      cwd=os.path.join(scratch, "src"), timeout=300,
                      env=dict(os.environ, GIT_CEILING_DIRECTORIES=os.path.abspath(scratch)))
expect("a ceiling folder is no repository", b"::warning file=actions.xml,line=8,col=76," in done.stdout, done.stdout)

print("\n".join(problems) or "the author's files: places, --document, --fix, [[ignore]], baseline and paths")
sys.exit(1 if problems else 0)
