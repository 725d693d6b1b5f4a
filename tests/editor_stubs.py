#!/usr/bin/env python3
"""The stubs `mdhost doc` writes for script authors' tools, as those tools
read them:
- the luacheck standard: Debian's luacheck, with the standard in its
  .luacheckrc, flags a misspelt action (ModuleDetails.GetNmae) and a write
  to an action, and passes a script that calls all six right;
- the Lua language server's definitions load with Lua 5.1's parser;
- a hostile document (names and texts holding quotes, line breaks, `]]`,
  Lua code) gives stubs that parse and run nothing of it;
- the plugin's own stubs in plugin/editor/, which its zip ships, are what
  mdhost writes for the plugin today.
  editor_stubs.py SCRATCH PLUGIN EDITOR_DIR -- MDHOST..."""
import os
import re
import shutil
import subprocess
import sys

scratch, plugin, editor = sys.argv[1], sys.argv[2], sys.argv[3]
mdhost = sys.argv[sys.argv.index("--") + 1:]
shutil.rmtree(scratch, ignore_errors=True)
os.makedirs(scratch)
failures = []


def doc(source, form):
    run = subprocess.run(mdhost + ["doc", "--format", form, source], capture_output=True, timeout=300)
    if run.returncode != 0:
        failures.append("doc --format %s %s: exit %d %s" % (form, source, run.returncode, run.stderr.decode()))
    return run.stdout.decode("utf-8")


def write(name, text):
    path = os.path.join(scratch, name)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    return path


def luacheck(script):
    path = write("script.lua", script)
    return subprocess.run(["luacheck", "--no-color", "--codes", path], cwd=scratch, capture_output=True, text=True)


# The plugin's own stubs, as shipped.
standard, definitions = doc(plugin, "luacheck"), doc(plugin, "luals")
for name, text in (("moduledetails_std.lua", standard), ("ModuleDetails.meta.lua", definitions)):
    shipped = open(os.path.join(editor, name), encoding="utf-8").read()
    if shipped != text:
        failures.append("plugin/editor/%s is not what mdhost doc writes today (write it again)" % name)

# luacheck with the standard: a misspelt action and a write to one are
# flagged, the right calls are clean.
write("moduledetails_std.lua", standard)
write(".luacheckrc", 'stds.moduledetails = dofile("moduledetails_std.lua")\nstd = "lua51+moduledetails"\n')
wrong = luacheck('local name = ModuleDetails.GetNmae("a.lmd")\nprint(name)\nModuleDetails.GetName = nil\n')
if wrong.returncode == 0 or not re.search(r"\(W143\) accessing undefined field '?GetNmae'? of global", wrong.stdout) \
        or not re.search(r"\(W122\) setting read-only field '?GetName'? of global", wrong.stdout):
    failures.append("luacheck did not flag the misspelt action and the write:\n" + wrong.stdout + wrong.stderr)
right = luacheck("".join('print(ModuleDetails.%s("a.lmd"))\n' % a for a in
                         ("GetName", "GetVersion", "GetLuaVersion", "GetAuthorInfo", "GetXML", "GetInfo")))
if right.returncode != 0:
    failures.append("luacheck flags the right calls:\n" + right.stdout + right.stderr)

# Lua 5.1's parser reads the definitions; running them defines the table.
check = write("check.lua", 'dofile(...)\nassert(type(ModuleDetails.GetInfo) == "function")\nprint("loaded")\n')
loaded = subprocess.run(["lua5.1", check, write("ModuleDetails.meta.lua", definitions)], capture_output=True, text=True)
if loaded.stdout != "loaded\n":
    failures.append("lua5.1 does not load the definitions: " + loaded.stderr)

# A hostile document: nothing of its texts runs, both stubs parse.
payload = 'os.exit(7)'
hostile = write("hostile.xml", """<ActionTemplates>
<Action><Name>Evil.Quote"] = 1 %(p)s --</Name><Description>line
%(p)s ]] --]] &#9;</Description><ReturnValueType>string
%(p)s</ReturnValueType><Arguments>
<Arg><Name>end</Name><Description>a keyword
%(p)s</Description><Type>number</Type><Default>1</Default><Required>1</Required></Arg>
<Arg><Name>two words</Name><Description>x</Description><Type>string"%(p)s</Type><Default>""</Default><Required>0</Required></Arg>
</Arguments></Action>
<Action><Name>Bad Table.Do</Name><Description>d</Description><ReturnValueType>nil</ReturnValueType><Arguments/></Action>
<Action><Name>Evil.Fine</Name><Description>d&#13;%(p)s</Description><ReturnValueType>nil</ReturnValueType><Arguments/></Action>
</ActionTemplates>""" % {"p": payload})
runner = write("run.lua", "dofile(...)\nprint('ran')\n")
for form in ("luacheck", "luals"):
    path = write("hostile_%s.lua" % form, doc(hostile, form))
    ran = subprocess.run(["lua5.1", runner, path], capture_output=True, text=True)
    if ran.returncode != 0 or ran.stdout != "ran\n":
        failures.append("the %s stub of a hostile document does not run clean (exit %d): %s\n%s"
                        % (form, ran.returncode, ran.stderr, open(path, encoding="utf-8").read()))

print("\n".join(failures) or "luacheck and Lua 5.1 read the stubs as written; a hostile document runs nothing")
sys.exit(1 if failures else 0)
