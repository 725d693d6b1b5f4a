"""mdhost as its users meet it: each case a command line, its exit code and
what its output must hold. support/expect.py runs them, a group at a time
(one test per group and platform in tests/CMakeLists.txt): a case's group is
the word before the dot in its name, "stress" for those run repeatedly.

Arguments hold placeholders that the runner fills in: {bin} the build's
program folder, {src} the source tree, {data} the tests' scratch folder,
{ext} a module's file ending (.dll, .so); "--cycles", "0" alone is "--cycles 0"
in the sanitizer build (which keeps freed memory aside) and nothing
elsewhere. Paths are as the program under test spells them (Z:/... under
Wine). --out and --err are regular expressions (dot matches newlines), --json
Python expressions over the parsed output, `data`. A case marked `accepted`
is also held, whole, to tests/cli/accepted/<platform>/<name>.txt, where the
whole output is what a user reads (a table, a page, a listing).
"""


class Case:
    def __init__(self, name, command, exit=None, out=(), err=(), json=(), repeat=None, on=None, prefix=(),
                 accepted=False):
        self.name, self.command, self.exit = name, command, exit
        self.accepted = accepted  # the whole output is held to its accepted file too
        self.prefix = list(prefix)  # a program that runs mdhost (a resource limit)
        self.out, self.err, self.json = list(out), list(err), list(json)
        self.repeat = repeat or {}  # runs per platform, each of which must pass
        self.on = on or ["native", "sanitize", "win"]

    def group(self):
        return "stress" if self.repeat else self.name.split(".")[0]


def section(file):
    """A check's output for one file: its findings up to its verdict."""
    return r"Checking [^\n]*" + file + r"[^\n]*\n([^\n]*\n)*?"


def fx(name):
    """A fixture plugin of the build."""
    return "{bin}/fixture_" + name + "{ext}"


# The one finding naming every __stdcall export, as check, info and scan give it.
STDCALL_MD009 = (r"FAIL  MD009 irPlg_GetPluginName \(8 bytes\), irPlg_GetPluginVersion, irPlg_GetLuaVersion, "
                 r"irPlg_GetAuthorInfo, irPlg_GetPluginActionXML, irPlg_Action_RegisterActions take their arguments "
                 r"off the stack themselves: __stdcall, where the host calls cdecl")


CASES = [
    # The conformance checker: this plugin and a plain C plugin pass; each broken
    # fixture fails for its own reason; one worker goes from plugin to plugin.
    Case("check.contract", accepted=True,
         exit=1,
         out=[
             section("ModuleDetails.lmd") + r"PASS  MD405 action ModuleDetails.GetInfo: registered\n([^\n]*\n)*?PASSED: 0 problems",
             section("fixture_c_plugin") + "PASSED: 0 problems",
             section("fixture_sdk1") + "NOTE  MD201 irPlg_GetSDKVersion: not exported",
             section("fixture_nameless") + "FAIL  MD101 irPlg_GetPluginName: not exported",
             section("fixture_partial") + "FAIL  MD101 irPlg_GetPluginVersion: not exported",
             section("fixture_large") + "FAIL  MD301 action XML: not well-formed",
             section("fixture_misbehaving") + r"WARN  MD10[23] irPlg_GetPluginVersion with size -?[01] [^\n]*wrote past the [01] bytes it was offered",
             section("fixture_misbehaving") + "FAIL  MD10[45] irPlg_GetPluginVersion with size [56] ",
             section("fixture_breaker") + "FAIL  MD107 irPlg_GetPluginName: wrote no terminator into the 10001 bytes offered",
             "8 plugins: 3 passed, 5 failed",
         ],
         command=["check", "--cycles", "0", "{bin}/ModuleDetails.lmd", fx("c_plugin"), fx("sdk1"), fx("nameless"), fx("partial"), fx("large"), fx("misbehaving"), fx("breaker")]),
    # A crash, a hang and an overrun each fail their own plugin; the next is checked.
    Case("check.isolation",
         exit=1,
         out=[
             section("fixture_crashing") + r"FAIL  MD00[35] (crashed|ended the process) in irPlg_GetPluginName with size 10000[:( ][^\n]*(access violation|SIGSEGV|exit code)",
             section("fixture_hanging") + r"FAIL  MD004 no answer within 2 s in irPlg_GetPluginName with size 10000 \(hung\)",
             # Its writes past the sizes the host never offers are that overrun
             # again: one cause, one finding.
             r"Checking [^\n]*fixture_overrunning[^\n]*\n(?:(?!Checking|[^\n]*MD10[23])[^\n]*\n)*FAILED",
             section("fixture_overrunning") + "FAIL  MD006 irPlg_GetPluginName with size 62: overrun: w[a-z]+ past the end of the 63 bytes",
             section("fixture_c_plugin") + "PASSED: 0 problems",
         ],
         command=["check", "--cycles", "0", "--timeout", "2", fx("crashing"), fx("hanging"), fx("overrunning"), fx("c_plugin")]),
    # Writing past the offer at a size the host never makes (0, -1) is a WARN,
    # and the check goes on to the document and the registration.
    Case("check.size_minus_one",
         exit=0,
         out=[
             r"WARN  MD103 irPlg_GetPluginName with size -1 [^\n]*wrote past the 0 bytes it was offered",
             "PASS  MD302 action XML: well-formed",
             "NOTE  MD401 ",
             "PASSED: 0 problems, 5 warnings",
         ],
         command=["check", "--cycles", "0", fx("unsigned_size")]),
    # Memory a plugin keeps per load: 16 KiB warns (the host loads a plugin once;
    # scripts that inspect it in a loop pay), and fails only with --strict;
    # nothing passes. (The sanitizers keep freed memory aside, so their build
    # measures nothing.)
    Case("check.memory",
         on=['native', 'win'],
         exit=0,
         out=[
             section("fixture_keeper") + r"WARN  MD501 memory kept per load and release: 1[5-7]\.[0-9]+ KiB[^\n]*start-up code \(DllMain",
             section("fixture_keeper") + "PASSED: 0 problems, 1 warning",
             section("fixture_c_plugin") + "PASS  MD501 memory kept per load and release: [0-9]+ bytes",
         ],
         command=["check", fx("keeper"), fx("c_plugin")]),
    Case("check.memory_strict",
         on=['native', 'win'],
         exit=1,
         out=[
             section("fixture_keeper") + "FAILED: 0 problems, 1 warning",
             "2 plugins: 1 passed, 1 failed, 1 warning",
         ],
         command=["check", "--strict", "--quiet", fx("keeper"), fx("c_plugin")]),
    # A plugin whose threads outlive its release is blamed for them, and only it:
    # no report is lost, crossed or charged to the plugin checked after it,
    # one worker at a time (--jobs 1) or several (--jobs 2, the JSON), the
    # reports in the order named.
    Case("check.threads",
         exit=1,
         out=[
             section("fixture_thread") + "FAIL  MD502 leaves (1|a) thread running after it is released",
             "4 plugins: 3 passed, 1 failed, 0 warnings",
         ],
         repeat={'native': 10, 'sanitize': 10, 'win': 3},
         command=["check", "--cycles", "0", "--jobs", "1", fx("c_plugin"), fx("thread"), fx("plugin"), fx("c_plugin")]),
    Case("check.threads_json",
         exit=1,
         json=[
             "[p['passed'] for p in data['plugins']] == [True, False, True, True]",
             "[p['name'] for p in data['plugins']] == ['C Plugin', 'Thread Leaver', 'Fixture Plugin', 'C Plugin']",
             "[f['rule'] for f in data['plugins'][1]['findings']].count('MD502') == 1 and data['plugins'][1]['error'] is None",
             "data['summary']['failed'] == 1 and data['summary']['findings']['FAIL'] == 1",
         ],
         repeat={'native': 10, 'sanitize': 10, 'win': 3},
         command=["check", "--json", "--cycles", "0", "--jobs", "2", fx("c_plugin"), fx("thread"), fx("plugin"),
                  fx("c_plugin")]),
    # Rule levels: allow drops a rule's findings, deny makes them FAIL; the
    # later option wins; a file names the same, and one that cannot be used
    # is a wrong command line naming its line.
    Case("check.allow",
         exit=0,
         out=[r"^(?![\s\S]*  MD310 )[\s\S]*PASSED: 0 problems\n$"],
         command=["check", "--strict", "--cycles", "0", "--allow", "MD310", "{bin}/example_MD310_bad{ext}"]),
    Case("check.deny_json",
         exit=1,
         json=["[(f['severity'], f['default_severity'], f['severity_source'], f['severity_set_by']) for f in "
               "data['plugins'][0]['findings'] if f['rule'] == 'MD310'] == [('FAIL', 'WARN', 'option', '--deny')]"],
         command=["check", "--json", "--cycles", "0", "--allow", "MD310", "--deny", "MD501,MD310",
                  "{bin}/example_MD310_bad{ext}"]),
    Case("check.config",
         exit=1,
         out=[r"FAIL  MD310 "],
         command=["check", "--cycles", "0", "--config", "{src}/tests/cli/rules/deny_md310.toml",
                  "{bin}/example_MD310_bad{ext}"]),
    Case("check.config_unknown_rule",
         exit=2,
         err=[r"unknown_rule.toml:3: MD999 is no rule"],
         command=["check", "--cycles", "0", "--config", "{src}/tests/cli/rules/unknown_rule.toml", fx("c_plugin")]),
    # A file to read and none to read at once: which is meant is unknown.
    Case("check.config_and_no_config",
         exit=2,
         err=[r"--config and --no-config together"],
         command=["check", "--no-config", "--config", "{src}/tests/cli/rules/deny_md310.toml", fx("c_plugin")]),
    Case("info.deny",
         exit=1,
         out=[r"FAIL  MD310 "],
         command=["info", "--deny", "MD310", "{bin}/example_MD310_bad{ext}"]),
    # check takes wildcards (cmd.exe leaves them to the program) and
    # folders (every plugin module below, as scan finds them).
    Case("check.wildcards",
         exit=1,
         # As many plugins as the pattern finds (a new rule's example is one more), all of them failed.
         out=[r"example_MD310_bad[\s\S]*example_MD311_bad[\s\S]*\n(\d+) plugins: 0 passed, \1 failed, \1 warnings\n"],
         command=["check", "--strict", "--cycles", "0", "{bin}/example_MD31?_bad{ext}"]),
    Case("check.wildcard_matching_nothing",
         exit=3,
         err=[r"nothing_\*.lmd: no such file"],
         command=["check", "--cycles", "0", "{bin}/nothing_*.lmd"]),
    Case("check.folder",
         on=["win"],
         exit=1,
         json=[r"[p['path'].split('\\')[-1] for p in data['plugins']] == ['ModuleDetails.lmd', 'example_copy.dll', "
               r"'example_plugin.dll', 'fixture_c_plugin.dll', 'fixture_crashing.dll', 'fixture_crt_blocking.dll']",
               "[p['passed'] for p in data['plugins']] == [True, True, True, True, False, False]"],
         command=["check", "--json", "--cycles", "0", "{data}/scan"]),
    Case("check.empty_folder",
         exit=4,
         err=[r"empty_folder: no plugin module below this folder"],
         command=["check", "{data}/empty_folder"]),
    # An error is the first finding too: the list and the counts agree.
    Case("info.unreadable_json",
         exit=1,
         on=["native", "win"],
         json=["data['plugins'][0]['findings'][0]['rule'] == 'MD003' and data['summary']['findings']['FAIL'] == "
               "len([f for f in data['plugins'][0]['findings'] if f['severity'] == 'FAIL']) == 1"],
         command=["info", "--json", fx("crashing")]),
    # Findings in the action document carry its line and column; the others none.
    Case("check.places_json", accepted=True,
         exit=1,
         json=[
             "[(f['line'], f['column']) for f in data['plugins'][0]['findings'] if f['rule'] == 'MD301'] == [(1, 53)]",
             "[(f['line'] > 0, f['column'] > 0) for f in data['plugins'][1]['findings'] if f['rule'] == 'MD309']"
             " == [(True, True)]",
             "all('line' not in f for p in data['plugins'] for f in p['findings'] if f['rule'] < 'MD3')",
         ],
         # With its load cycles: the one whole JSON report shows the memory figure.
         command=["check", "--json", fx("malformed_actions"), fx("required_yes")]),
    # A crash in the start-up code says so; on Windows a crash address reads as
    # module + offset.
    Case("check.start_crash",
         exit=1,
         out=[
             r"FAIL  MD00[35] (crashed in its start-up code \(DllMain\) while loading|(crashed|ended the process) in loading the module \(its start-up code, DllMain\))",
         ],
         command=["check", "--cycles", "0", fx("start_crash")]),
    # Good and crashing plugins in turn: every worker that dies takes only its own
    # plugin with it, and writing to it never ends mdhost.
    Case("check.alternating",
         exit=1,
         out=[r"16 plugins: 8 passed, 8 failed, 0 warnings\nEach rule's page: mdhost explain MD00[35] [^\n]*\n$"],
         repeat={'native': 30, 'sanitize': 30, 'win': 2},
         command=["check", "--cycles", "0", "--jobs", "2"] + [fx("c_plugin"), fx("crashing")] * 8),
    # The command line: exit codes, messages, encodings.
    # A rule's page in the terminal, as CHECKS.md has it; an ID no rule has is
    # a wrong command line.
    Case("cli.explain", accepted=True,
         exit=0,
         # No marker of the page's tools, and only files the mdhost zip holds.
         out=[r"^### MD105 exactly its length\n\*\*Calls\*\*[^#]*Severity: FAIL\.\n\*\*Example\*\*, `examples/MD105_bad\.c`.*"
              r"`examples/MD105_fixed\.c`:\n```c\n.*\n```\n$", r"^(?!.*(<!--|docs/examples))"],
         command=["explain", "md105"]),
    Case("cli.explain_unknown",
         exit=2,
         err=["no rule MD999: rules are named MDnnn"],
         command=["explain", "MD999"]),
    # An option no command has, or -h after the command, is an unknown option:
    # one line, and where to look; never taken for a file.
    Case("cli.unknown_option",
         exit=2,
         err=["^mdhost: unknown option '-x'\nrun 'mdhost --help' for the commands and their options\n$"],
         command=["info", "-x", "{bin}/ModuleDetails.lmd"]),
    Case("cli.short_help_after_command",
         exit=2,
         err=["^mdhost: unknown option '-h'\n"],
         command=["check", "-h"]),
    Case("cli.version",
         exit=0,
         out=[r"^mdhost 1\.1 "],
         command=["--version"]),
    Case("cli.unknown",
         exit=2,
         err=["^mdhost: unknown command 'frobnicate'\nrun 'mdhost --help' for the commands and their options\n$"],
         command=["frobnicate", "x"]),
    Case("cli.unknown_alone",
         exit=2,
         err=["unknown command 'frobnicate'"],
         command=["frobnicate"]),
    Case("cli.missing",
         exit=3,
         err=["no-such.dll: no such file"],
         command=["info", "{bin}/no-such.dll"]),
    Case("cli.not_a_module",
         exit=1,
         out=["testing.lua: FAIL  MD001 cannot be loaded: "],
         command=["info", "{src}/tests/lua/testing.lua"]),
    # What a plugin prints never mixes with mdhost's output: it is captured
    # with the plugin's report (JSON "output"; text shows it indented and
    # escaped), in a worker and in mdhost's own process alike.
    Case("check.chatty_worker",
         exit=0,
         err=[r"^$"],
         json=["data['plugins'][0]['name'] == 'Chatty' and data['summary']['passed'] == 1",
               "data['plugins'][0]['output'].count('chatter from the plugin') >= 1"],
         command=["check", "--json", "--cycles", "0", fx("chatty")]),
    Case("check.chatty_in_process",
         exit=0,
         err=[r"^$"],
         json=["data['plugins'][0]['name'] == 'Chatty' and data['summary']['passed'] == 1",
               "data['plugins'][0]['output'].count('chatter from the plugin') >= 1"],
         command=["check", "--json", "--cycles", "0", "--in-process", fx("chatty")]),
    Case("check.chatty_text",
         exit=0,
         out=[r"the plugin printed:\n  \| chatter from the plugin\n",
              r"(?m)\A(?!.*^chatter)"],
         command=["check", "--cycles", "0", fx("chatty")]),
    Case("cli.run_chatty",
         exit=0,
         out=[r"^name: Chatty\n$"],
         err=["chatter from the plugin"],
         command=["run", "{bin}/ModuleDetails.lmd", "{src}/tests/lua/chatty.lua", fx("chatty")]),
    # A plugin's control bytes reach no terminal: shown as \xNN, a lone CR
    # and those of an action's name (a forged PASS line) too.
    Case("cli.info_control_bytes",
         exit=1,
         out=[
             r"Name: Ansi\\x1B.2J\\x07Bell\n",
             r"Author info: line one\\x0DPASSED: forged\n",
             r"\n  Ansi\.Forged\\x0APASS  MD405 forged\\x0D\\x9B2J\n",
             r"\A[^\x1b\x07\r\u009b]*\Z",
         ],
         command=["info", fx("control_bytes")]),
    # A document that cannot be read says why, with its line, as check says it.
    Case("cli.info_malformed",
         exit=1,
         out=[
             r"Actions: unknown [^\n]*\nFAIL  MD301 action XML: not well-formed: [^\n]*line [0-9]+",
         ],
         command=["info", fx("large")]),
    Case("cli.info", accepted=True,
         exit=0,
         out=[
             r"^Name: ModuleDetails\n",
             r"\(SDK1 and SDK2\)\r\n\u00a9 2026",
             r"SDK version: 2\n",
             r"Actions: 6\n  ModuleDetails.GetName\n",
         ],
         command=["{bin}/ModuleDetails.lmd"]),
    Case("cli.info_json", accepted=True,
         exit=0,
         json=[
             "data['format_version'] == 2 and data['tool']['name'] == 'mdhost'",
             "data['plugins'][0]['name'] == 'ModuleDetails' and data['plugins'][0]['sdk_version'] == 2",
             r"data['plugins'][0]['author'].endswith('\u00a9 2026 The ModuleDetails team. All rights reserved.')",
             "len(data['plugins'][0]['actions']) == 6 and data['plugins'][0]['error'] is None",
         ],
         command=["info", "--json", "{bin}/ModuleDetails.lmd"]),
    Case("cli.run_missing_script",
         exit=3,
         err=["no-such.lua: no such file"],
         command=["run", "{bin}/ModuleDetails.lmd", "{src}/tests/lua/no-such.lua"]),
    Case("cli.run_table_error",
         exit=1,
         err=[r"script error: \(error object is a table value\)"],
         command=["run", "{bin}/ModuleDetails.lmd", "{src}/tests/lua/error_object.lua", "table"]),
    Case("cli.run_described_error",
         exit=1,
         err=["script error: an object that describes itself"],
         command=["run", "{bin}/ModuleDetails.lmd", "{src}/tests/lua/error_object.lua", "tostring"]),
    # Options: each command takes its own; "--" ends them.
    Case("cli.option_not_taken",
         exit=2,
         err=["'info' takes no option --cycles"],
         command=["info", "--cycles", "5", "{bin}/ModuleDetails.lmd"]),
    Case("cli.run_takes_no_options",
         exit=2,
         err=[r"'run' takes no option --json \(see 'mdhost --help'; put '--' before"],
         command=["run", "--json", "{bin}/ModuleDetails.lmd", "{src}/tests/lua/print_args.lua"]),
    Case("cli.in_process_timeout",
         exit=2,
         err=["--timeout cannot be honoured with --in-process"],
         command=["check", "--in-process", "--timeout", "5", "{bin}/ModuleDetails.lmd"]),
    Case("cli.options_end",
         exit=0,
         out=[r"arguments: --flag x\nvarargs: 2: --flag x\n"],
         command=["run", "{bin}/ModuleDetails.lmd", "{src}/tests/lua/print_args.lua", "--", "--flag", "x"]),
    Case("cli.run_with",
         exit=0,
         out=["two plugins registered; _SourceFolder true"],
         command=["run", "--with", fx("actions"), "{bin}/ModuleDetails.lmd", "{src}/tests/lua/two_plugins.lua"]),
    # A plugin that leaves division by zero unmasked is told of (MD504) and
    # the control word put back: the script's 1/0 is inf, not a crash.
    Case("cli.run_control_word",
         exit=1,
         out=[r"^1/0 = inf\n$"],
         err=[r"example_MD504_bad[^\n]*: FAIL  MD504 changed the x87 floating-point control word from 0x0[23]7F "
              r"to 0x1372 in its start-up code \(DllMain\)"],
         command=["run", "{bin}/example_MD504_bad{ext}", "{src}/tests/lua/divide_by_zero.lua"]),
    # C++Builder's cdecl names keep their underscore: MD002 names the export
    # and the .def that fixes it, and with that .def the plugin passes.
    Case("check.underscored_exports",
         exit=1,
         out=[r"FAIL  MD002 not a plugin: it exports no irPlg_GetPluginName \(it exports _irPlg_GetPluginName: "
              r"a cdecl name with the leading underscore [^\n]*\(irPlg_GetPluginName=_irPlg_GetPluginName\)"],
         command=["check", "--cycles", "0", fx("underscored")],
         on=["win"]),
    Case("check.underscored_exports_fixed",
         exit=0,
         out=[r"PASSED"],
         command=["check", "--strict", "--cycles", "0", fx("underscored_def")],
         on=["win"]),
    # A plugin without relocations whose fixed base the executable holds:
    # MD001 names what is in the way and the fix.
    Case("check.fixed_base_taken",
         exit=1,
         out=[r"FAIL  MD001 cannot be loaded: [^\n]*; it has no relocations, and its fixed base 0x00400000 is "
              r"taken by mdhost\.exe in the host's process: link it with relocations"],
         command=["check", fx("fixed_at_exe")],
         on=["win"]),
    Case("cli.run_registration_raises",
         exit=1,
         err=[
             r"fixture_raising[^\n]*: irPlg_Action_RegisterActions: raised a Lua error: registration refused",
         ],
         command=["run", fx("raising"), "{src}/tests/lua/print_args.lua"]),
    # A registration that leaves the Lua stack unbalanced fails (MD404); a
    # function registered but not documented warns (MD406): the action wizard
    # cannot offer it.
    Case("check.registration_rules", accepted=True,
         exit=1,
         out=[
             section("fixture_unbalanced") + "FAIL  MD404 irPlg_Action_RegisterActions: changed the Lua stack height by 1",
             section("fixture_undocumented") + "WARN  MD406 function Fixture.Hidden: registered but not named in the action XML; the "
             "action wizard cannot offer it",
         ],
         command=["check", "--cycles", "0", fx("unbalanced"), fx("undocumented")]),
    # One cause, one finding: a document that is not well-formed is MD301, not
    # also a note for every function registered; a module that is no plugin
    # is MD002 and nothing else (no memory measured, no PASS).
    Case("check.one_cause",
         exit=1,
         out=[section("fixture_malformed_actions") + r"FAIL  MD301 action XML: not well-formed",
              r"^(?![\s\S]*MD406)",
              r"Checking [^\n]*fixture_counter[^\n]*\nFAIL  MD002 not a plugin[^\n]*\nFAILED: 1 problem\n",
              # The problems' rules, once, where their pages are.
              r"\nEach rule's page: mdhost explain MD002 MD301 \(CHECKS.md has every rule\)\n$"],
         command=["check", "--cycles", "0", fx("malformed_actions"), "{bin}/fixture_counter{ext}"]),
    Case("check.clean_has_no_pointer",
         out=[r"PASSED: 0 problems\n$"],
         command=["check", "--cycles", "0", fx("c_plugin")]),
    # Exports that are __stdcall under plain names (--kill-at) are named as
    # the cause, in one finding, before they crash the host.
    Case("check.stdcall_plain",
         on=['win'],
         exit=1,
         out=[STDCALL_MD009],
         command=["check", "--cycles", "0", fx("stdcall_plain")]),
    # info (and scan) read the getters as check does: the same one finding.
    Case("info.stdcall_plain",
         on=['win'],
         exit=1,
         out=[STDCALL_MD009],
         command=["info", fx("stdcall_plain")]),
    # Getters that count the terminating NUL: one finding naming them all,
    # not four a getter.
    Case("check.counts_nul",
         exit=1,
         out=[r"Checking [^\n]*\nFAIL  MD105 irPlg_GetPluginName \(8 bytes, stored 9\), irPlg_GetPluginVersion, "
              r"irPlg_GetLuaVersion, irPlg_GetAuthorInfo, irPlg_GetPluginActionXML count the terminating NUL in the "
              r"length[^\n]*\n(PASS|NOTE)[^\n]*\n(PASS|NOTE)[^\n]*\n(PASS|NOTE)"],
         command=["check", "--cycles", "0", fx("counts_nul")]),
    # A getter that takes its exact length for too small is told it wrote
    # nothing, not that a NUL is missing.
    Case("check.off_by_one",
         exit=1,
         out=[r"FAIL  MD105 irPlg_GetPluginName with size 8 \(exactly its length\): [^\n]*returned -1 instead of the "
              r"length 8; wrote nothing into the 9 bytes offered \(it takes a size equal to its length for too small"],
         command=["check", "--cycles", "0", fx("off_by_one")]),
    # A registration that replaces a table scripts have (Lua's string) fails,
    # and `new` refuses such a name.
    Case("check.replaced_global",
         exit=1,
         out=["FAIL  MD407 irPlg_Action_RegisterActions: replaced the global table string, which scripts already have"],
         command=["check", "--cycles", "0", fx("string_table")]),
    Case("cli.new_refuses_lua_table",
         exit=2,
         err=["'string' cannot name the plugin's table: it is the name of Lua's own table string"],
         command=["new", "string", "{data}/new_string"]),
    # An empty text answered at size 0 without its terminating NUL (MD102).
    Case("check.empty_size_zero",
         exit=1,
         out=[r"WARN  MD102 irPlg_GetLuaVersion with size 0: returned 0 for its empty text \(expected 0 and one NUL"],
         command=["check", "--cycles", "0", fx("empty_size_zero")]),
    # A buffer of the size a getter asks for that mdhost cannot have is
    # mdhost's own shortage (MD008), never the plugin's crash or fault.
    Case("check.own_shortage",
         on=["native"],
         prefix=["prlimit", "--as=104857600"],
         exit=1,
         out=["FAIL  MD008 irPlg_GetPluginName: mdhost could not get "],
         command=["check", "--cycles", "0", fx("greedy")]),
    Case("check.registration",
         exit=1,
         out=[
             "PASS  MD405 action Fixture.Echo: registered",
             "FAIL  MD403 irPlg_Action_RegisterActions: raised a Lua error",
         ],
         command=["check", "--cycles", "0", fx("actions"), fx("raising")]),
    # diff: every kind of change with its class, in text and JSON; a plugin
    # against itself and against its own document; what cannot be read.
    Case("diff.documents", accepted=True,
         exit=1,
         out=[
             r"^Comparing [^\n]*old.xml with [^\n]*new.xml\nBREAKING    Demo.Removed: action removed",
             r"BREAKING    Demo.Reorder: arguments reordered: \(A, B, C\) became \(B, A, C\)",
             r'BREAKING    Demo.Return: ReturnValueType "string" became "table"\ncompatible  Demo.AddEnd',
             r"compatible  Demo.Added: action added\n8 breaking, 7 compatible changes\n"
             r"No version text on a document side; scripts break, which needs a major release "
             r"\(state it: --release-type major\)\n$",
         ],
         command=["diff", "{src}/tests/mdhost/diff/old.xml", "{src}/tests/mdhost/diff/new.xml"]),
    # Breaking changes in a release stated major are no failure; in another, they are.
    Case("diff.release_type",
         exit=0,
         out=[r"8 breaking, 7 compatible changes\nNo version text on a document side, stated a major release; "
              r"scripts break, which a major release allows\n$"],
         command=["diff", "--release-type", "major", "{src}/tests/mdhost/diff/old.xml",
                  "{src}/tests/mdhost/diff/new.xml"]),
    Case("diff.release_type_minor",
         exit=1,
         json=["data['versions'] == {'old': None, 'new': None, 'release': 'minor', 'release_stated': True, "
               "'required_bump': 'major', 'ok': False}"],
         command=["diff", "--json", "--release-type", "minor", "{src}/tests/mdhost/diff/old.xml",
                  "{src}/tests/mdhost/diff/new.xml"]),
    Case("diff.release_type_wrong",
         exit=2,
         err=["--release-type takes major, minor or patch"],
         command=["diff", "--release-type", "huge", "{src}/tests/mdhost/diff/old.xml",
                  "{src}/tests/mdhost/diff/new.xml"]),
    Case("diff.json", accepted=True,
         exit=1,
         json=[
             "data['format_version'] == 2 and data['summary'] == {'breaking': 8, 'compatible': 7, 'notes': 0}",
             "'warnings' not in data and data['versions']['ok'] is False and data['versions']['required_bump'] == 'major'",
             "sorted(set((c['kind'], c['breaking']) for c in data['changes'])) == sorted([('action_removed', True), ('arguments_reordered', True), ('argument_removed', True), ('argument_added', True), ('argument_type', True), ('argument_required', True), ('return_type', True), ('argument_added', False), ('argument_required', False), ('action_description', False), ('argument_default', False), ('argument_description', False), ('argument_easy_mode', False), ('action_added', False)])",
             '[c for c in data[\'changes\'] if c[\'kind\'] == \'argument_type\'][0] == {\'kind\': \'argument_type\', \'class\': \'BREAKING\', \'breaking\': True, \'action\': \'Demo.Type\', \'argument\': \'T\', \'old\': \'string\', \'new\': \'number\', \'text\': \'argument T: Type "string" became "number"\'}',
             r"data['old']['path'].endswith('old.xml') and data['old']['name'] is None",
         ],
         command=["diff", "--json", "{src}/tests/mdhost/diff/old.xml", "{src}/tests/mdhost/diff/new.xml"]),
    Case("diff.itself",
         exit=0,
         out=[r"\n0 breaking, 0 compatible changes\nVersion ([0-9.]+) -> \1 \(no release\); nothing breaks\n$"],
         command=["diff", "{bin}/ModuleDetails.lmd", "{bin}/ModuleDetails.lmd"]),
    Case("diff.module_and_document",
         exit=0,
         out=[r"\n0 breaking, 0 compatible changes\nNo version text on a document side; nothing breaks\n$"],
         command=["diff", "{bin}/ModuleDetails.lmd", "{src}/plugin/resources/action_templates.xml"]),
    # A side whose actions cannot be read is exit 3, not a break.
    Case("diff.not_well_formed",
         exit=3,
         out=["broken.xml:[0-9]+:[0-9]+: FAIL  MD301 not well-formed"],
         command=["diff", "{src}/tests/mdhost/diff/broken.xml", "{src}/tests/mdhost/diff/new.xml"]),
    Case("diff.missing",
         exit=3,
         err=["no-such.xml: no such file"],
         command=["diff", "{src}/tests/mdhost/diff/no-such.xml", "{bin}/ModuleDetails.lmd"]),
    Case("diff.usage",
         exit=2,
         err=["'diff' takes OLD NEW"],
         command=["diff", "{bin}/ModuleDetails.lmd"]),
    # Arguments and actions named twice pair by place: identical documents, no change.
    Case("diff.twins",
         exit=0,
         out=[
             r"^Comparing [^\n]*twins.xml with [^\n]*twins_again.xml\n0 breaking, 0 compatible changes\n",
         ],
         command=["diff", "{src}/tests/mdhost/diff/twins.xml", "{src}/tests/mdhost/diff/twins_again.xml"]),
    # Only compatible changes: scripts keep working, exit 0.
    Case("diff.compatible_only",
         exit=0,
         out=[
             r"compatible  My.Dup: argument Path: Description changed\n0 breaking, 1 compatible change\n",
         ],
         command=["diff", "{src}/tests/mdhost/diff/twins.xml", "{src}/tests/mdhost/diff/compatible.xml"]),
    Case("doc.markdown", accepted=True,
         exit=0,
         out=[
             r"\n## `ModuleDetails.GetName\(Filename\) \u2192 string`\n",
             r"\nVersion 1.1 · Lua 5.1\n",
             r"\nGet's the name from a plugin\n",
             r'<a id="ModuleDetails.GetInfo"></a>',
         ],
         command=["doc", "--format", "md", "{bin}/ModuleDetails.lmd"]),
    # A document alone is titled by the name and version given.
    Case("doc.name_and_version",
         exit=0,
         out=[r"<title>My Plugin</title>", r"<h1>My Plugin</h1>\n<p>Version 2\.0 &middot; -</p>"],
         command=["doc", "--name", "My Plugin", "--version", "2.0", "{src}/tests/mdhost/diff/new.xml"]),
    # A document's own Extended fields: its name and version title the page,
    # the others are shown.
    Case("doc.document_fields",
         exit=0,
         out=[r"<title>Demo Plugin</title>", r"<p>Version 2\.1 &middot; -</p>",
              r"<dt>Copyright</dt><dd>\(c\) the demo team</dd>\n<dt>Web</dt><dd>example\.org/demo</dd>"],
         command=["doc", "{src}/tests/mdhost/diff/with_fields.xml"]),
    Case("doc.not_well_formed",
         exit=1,
         out=[
             r"broken.xml:[0-9]+:[0-9]+: FAIL  MD301 not well-formed: ",
         ],
         command=["doc", "{src}/tests/mdhost/diff/broken.xml"]),
    Case("doc.missing",
         exit=3,
         err=["no-such.xml: no such file"],
         command=["doc", "{src}/tests/mdhost/diff/no-such.xml"]),
    Case("doc.format",
         exit=2,
         err=["--format takes html, md, luacheck or luals for doc"],
         command=["doc", "--format", "pdf", "{bin}/ModuleDetails.lmd"]),
    Case("diff.wrong_root",
         exit=3,
         out=[r"wrong_root.xml:[0-9]+:[0-9]+: FAIL  MD303 [^\n]*not ActionTemplates\n$"],
         command=["diff", "{src}/tests/mdhost/diff/wrong_root.xml", "{src}/tests/mdhost/diff/new.xml"]),
    Case("diff.plugins", accepted=True,
         exit=1,
         out=[
             "BREAKING    Fixture.Echo: action removed",
             r'note        plugin name "Action Fixture" became "Raising Fixture"',
             r"\nVersion 1.0 -> 1.0 \(no release\); scripts break, which needs a major release: raise the version's "
             r"first number\n$",
         ],
         command=["diff", fx("actions"), fx("raising")]),
    Case("diff.unreadable_plugin",
         exit=3,
         out=[r"fixture_crashing[^\n]*: FAIL  MD00[35] (crashed|ended the process)"],
         command=["diff", fx("crashing"), "{bin}/ModuleDetails.lmd"]),
    Case("diff.unreadable_json",
         exit=3,
         json=[
             "data['old']['error']['rule'] == 'MD107' and data['new']['error'] is None and data['versions'] is None",
             "data['changes'] == [] and data['summary'] == {'breaking': 0, 'compatible': 0, 'notes': 0}",
         ],
         command=["diff", "--json", fx("breaker"), "{bin}/ModuleDetails.lmd"]),
    # A command's help is its own: its usage, the options it takes, the
    # formats it takes (no --with of run's, no html of doc's).
    Case("cli.command_help", accepted=True,
         exit=0,
         out=["^usage: mdhost check ", r"\n  --fix ", r"^(?![\s\S]*--with)", r"^(?![\s\S]*html)"],
         command=["check", "--help"]),
    Case("cli.doc_help",
         exit=0,
         out=["^usage: mdhost doc ", r"--format FORMAT +html \(the default\)", r"^(?![\s\S]*--fix)"],
         command=["doc", "--help"]),
    Case("cli.check_json", accepted=True,
         exit=0,
         json=[
             "data['plugins'][0]['name'] == 'ModuleDetails' and len(data['plugins'][0]['actions']) == 6",
             "all(f['rule'].startswith('MD') for f in data['plugins'][0]['findings'])",
             "data['summary']['passed'] == 1 and data['summary']['failed'] == 0",
         ],
         command=["check", "--json", "--cycles", "0", "{bin}/ModuleDetails.lmd"]),
    # Every file named has its record, one that cannot be used too (with its
    # reason, MD001), and the summary counts it among the failed.
    Case("cli.check_json_missing",
         exit=3,
         json=["[p['path'].endswith('no-such.lmd') for p in data['plugins']] == [False, True]",
               "data['plugins'][1]['error'] == {'rule': 'MD001', 'text': 'cannot be loaded: no such file'}",
               "data['summary']['passed'] == 1 and data['summary']['failed'] == 1"],
         err=["no-such.lmd: no such file"],
         command=["check", "--json", "--cycles", "0", fx("c_plugin"), "{bin}/no-such.lmd"]),
    # A plugin that could not be read counts among the FAILs of the summary; a
    # crash in the second call of a read is blamed on that call.
    Case("cli.check_json_unreadable",
         exit=1,
         json=[
             "data['summary']['failed'] == 1 and data['summary']['findings']['FAIL'] == 1",
             "data['plugins'][0]['error']['rule'] in ('MD003', 'MD005') and 'with size 20000' in data['plugins'][0]['error']['text']",
         ],
         command=["check", "--json", "--cycles", "0", fx("crashing_second"), fx("c_plugin")]),
    # The example as a user runs it: texts print as UTF-8, and the words say what runs.
    Case("cli.run_example",
         exit=1,
         out=[
             r"AuthorInfo = The fixture makers\r\n +\u00a9 test use only",
             r"with no argument raises\n  Error: 1 arguments required\.",
         ],
         err=["Argument 1 must be a string"],
         command=["run", "{bin}/ModuleDetails.lmd", "{src}/examples/get_info.lua", "{bin}/example_plugin{ext}"]),
    Case("cli.help_absent",
         exit=1,
         out=[r"no help page shown for the plugin \(irPlg_ShowHelpForPlugin"],
         command=["help", "{bin}/ModuleDetails.lmd", "{src}/tests/lua"]),
    # A file or an empty folder is said for what it is.
    # A folder without a plugin is no green light: exit 4, and it says so. A
    # file named like a plugin that is none fails as check fails it.
    Case("scan.empty",
         exit=4,
         out=[r"^NAME[^\n]*\nno plugin modules below [^\n]*empty_folder\n"],
         command=["scan", "{data}/empty_folder"]),
    Case("scan.lmd_text",
         exit=1,
         out=[r"notes.lmd\n    FAIL  MD001 cannot be loaded: not a module \(no Windows module image\)",
              "1 plugin module, 1 could not be read or failed; 0 skipped, 0 other modules, 0 other files"],
         command=["scan", "{data}/lmd_text"]),
    Case("scan.file",
         exit=3,
         err=["a file, not a folder: scan takes a folder"],
         command=["scan", "{bin}/ModuleDetails.lmd"]),
    # A thread is the plugin's when it will run the plugin's code: the system
    # thread pool's idle worker is not; a thread started through the C runtime
    # is, also one that blocks for ever and never crashes.
    Case("check.thread_kinds",
         on=['win'],
         exit=1,
         json=[
             "[p['passed'] for p in data['plugins']] == [True, False, False, False, True]",
             "[[f['rule'] for f in p['findings'] if f['severity'] == 'FAIL'] for p in data['plugins']] == [[], ['MD502'], ['MD502'], ['MD502'], []]",
         ],
         repeat={'win': 3},
         command=["check", "--json", "--cycles", "0", fx("pool"), fx("crt_thread"), fx("crt_blocking"), fx("thread"),
                  fx("c_plugin")]),
    # Work in the background done right passes --strict: a thread that holds
    # its own reference and leaves with FreeLibraryAndExitThread, pool work
    # that gives its reference back with FreeLibraryWhenCallbackReturns. The
    # advice that deadlocks (wait for the thread in DLL_PROCESS_DETACH) hangs.
    # Eight workers at once slow the load cycles enough that the plugins'
    # threads end while memory is measured, which must not count as kept.
    Case("check.background_work",
         on=['win'],
         exit=0,
         json=["[p['passed'] for p in data['plugins']] == [True] * 11"],
         repeat={'win': 3},
         command=["check", "--strict", "--json", "--jobs", "8"] + [fx("own_reference")] * 8 +
         [fx("pool_background")] * 2 + [fx("c_plugin")]),
    Case("check.wait_in_detach",
         on=['win'],
         exit=1,
         out=[r"FAIL  MD004 no answer within 2 s in releasing the module \(hung\)"],
         command=["check", "--cycles", "0", "--timeout", "2", fx("waits_in_detach")]),
    # A timer its start-up code leaves on the system's thread pool fires after
    # the release: the plugin that set it is charged (MD503), never the one at
    # work when it fires; the plugin that cancels its timer passes.
    Case("check.pool_timer",
         on=['win'],
         exit=1,
         json=[
             "[[f['rule'] for f in p['findings'] if f['severity'] == 'FAIL'] + [(p['error'] or {}).get('rule')] for p in data['plugins']] == [['MD503', None], [None], [None], [None]]",
         ],
         command=["check", "--json", fx("pool_timer"), fx("c_plugin"), fx("pool_timer_cancelled"), fx("c_plugin")]),
    # A pool thread caught in the plugin's callback after the release is the
    # timer's doing while the timer is still due: one cause, MD503 alone,
    # whether the callback is counted first or crashes first (the spinning
    # one, mostly). Work it submitted and left running is a thread left
    # (MD502).
    Case("check.pool_callback_under_way",
         on=['win'],
         exit=1,
         json=[
             "[[f['rule'] for f in p['findings'] if f['severity'] == 'FAIL'] for p in data['plugins']] == [['MD503'], ['MD503'], ['MD502'], []]",
             "all('plugin started' not in f['text'] for p in data['plugins'] for f in p['findings'])",
         ],
         command=["check", "--json", "--cycles", "0", fx("pool_callback_under_way"), fx("pool_callback_spins"),
                  fx("pool_work_left"), fx("c_plugin")]),
    Case("check.crash_offset",
         on=['win'],
         exit=1,
         out=[
             r"FAIL  MD003 crashed in irPlg_GetPluginName[^\n]* at 0x[0-9A-F]+ \(fixture_crashing\.dll\+0x[0-9A-F]+\)",
         ],
         command=["check", "--cycles", "0", fx("crashing")]),
    # A version text that the version resource contradicts warns.
    Case("check.decorated_names",
         on=['win'],
         exit=1,
         out=[
             r"FAIL  MD002 not a plugin: it exports no irPlg_GetPluginName \(it exports irPlg_GetPluginName@8: a __stdcall name, decorated",
         ],
         command=["check", "--cycles", "0", fx("stdcall")]),
    Case("check.version_resource",
         on=['win'],
         exit=0,
         out=[
             'WARN  MD203 irPlg_GetPluginVersion says "3.0" but the version resource disagrees: its FileVersion is "2.9", '
             'its FILEVERSION is 2.9.0.0, its ProductVersion is "2.9", its PRODUCTVERSION is 2.9.0.0; installers',
         ],
         command=["check", "--cycles", "0", fx("versioned")]),
    # The numbers of the resource's fixed part and its ProductVersion count
    # too, not only the FileVersion text.
    Case("check.version_numbers",
         on=['win'],
         exit=0,
         out=['WARN  MD203 irPlg_GetPluginVersion says "3.0" but the version resource disagrees: its FILEVERSION is '
              '3.1.0.0, its ProductVersion is "2.9"; installers'],
         command=["check", "--cycles", "0", fx("versioned_numbers")]),
    Case("check.missing_import",
         on=['win'],
         exit=1,
         out=[
             "FAIL  MD001 cannot be loaded: it imports plugin_helper.dll, which is not in the plugin's folder",
         ],
         command=["check", "--cycles", "0", "{data}/lonely/fixture_helped.dll"]),
    # Every module that cannot be found is named in one run, not one a time.
    Case("check.missing_imports",
         on=['win'],
         exit=1,
         out=["FAIL  MD001 cannot be loaded: it imports plugin_helper.dll and plugin_helper_other.dll, which are not in "
              "the plugin's folder, the system folders or beside the host; ship them beside the plugin"],
         command=["check", "--cycles", "0", "{data}/lonely/fixture_twice_helped.dll"]),
    # run examines in a worker: a crash in the plugin is MD003 with its
    # place, a hang past --timeout MD004; what the script printed before
    # has come out already.
    Case("cli.run_crash",
         exit=1,
         out=[r"^before\n$"],
         err=[r"FAIL  MD003 crashed while the script ran: segmentation fault"],
         on=["native"],
         command=["run", fx("troubled"), "{src}/tests/lua/trouble.lua", "crash"]),
    Case("cli.run_crash_place",
         exit=1,
         out=[r"^before\n$"],
         err=[r"FAIL  MD003 crashed while the script ran: access violation [^\n]* \(fixture_troubled.dll\+0x[0-9A-F]+\)"],
         on=["win"],
         command=["run", fx("troubled"), "{src}/tests/lua/trouble.lua", "crash"]),
    Case("cli.run_hang",
         exit=1,
         out=[r"^before\n$"],
         err=[r"FAIL  MD004 no answer within 2 s while the script ran \(hung\)"],
         command=["run", "--timeout", "2", fx("troubled"), "{src}/tests/lua/trouble.lua", "hang"]),
    Case("cli.run_decorated",
         on=['win'],
         exit=1,
         err=[
             r"irPlg_Action_RegisterActions: not exported \(not an action plugin\) \(it exports irPlg_[A-Za-z]+@[0-9]+: a __stdcall name",
         ],
         command=["run", fx("stdcall"), "{src}/tests/lua/print_args.lua"]),
    Case("cli.run_start_crash",
         on=['win'],
         exit=1,
         err=[
             r"fixture_start_crash[^\n]*: crashed in its start-up code \(DllMain\) while loading",
         ],
         command=["run", fx("start_crash"), "{src}/tests/lua/print_args.lua"]),
    Case("scan.json",
         on=['win'],
         exit=1,
         json=[
             r"[e['path'].split('\\')[-1] for e in data['plugins']] == ['ModuleDetails.lmd', 'example_copy.dll', 'example_plugin.dll', 'fixture_c_plugin.dll', 'fixture_crashing.dll', 'fixture_crt_blocking.dll']",
             "[p['passed'] for p in data['plugins']] == [True, True, True, True, False, False]",
             "[[f['rule'] for f in p['findings'] if f['severity'] == 'WARN'] for p in data['plugins'][:4]] == [[], [], ['MD601'], []]",
             "data['plugins'][0]['name'] == 'ModuleDetails' and data['plugins'][0]['file_version'] == '1.1' and data['plugins'][0]['product_version'] == '1.1 SDK2' and len(data['plugins'][0]['actions']) == 6",
             r"data['plugins'][2]['name'] == 'Fixture Plugin' and data['plugins'][2]['author'].endswith('\u00a9 test use only') and data['plugins'][2]['sdk_version'] == 2",
             "data['plugins'][3]['name'] == 'C Plugin'",
             "data['plugins'][4]['error']['rule'] == 'MD003' and data['plugins'][4]['error']['text'].startswith('crashed in irPlg_GetPluginName with size 10000: access violation') and data['plugins'][4]['name'] is None and data['plugins'][4]['actions'] is None",
             "'MD502' in [f['rule'] for f in data['plugins'][5]['findings']] + [(data['plugins'][5]['error'] or {}).get('rule')]",
             r"sorted((s['path'].split('\\')[-1], s['reason'].split(':')[0]) for s in data['skipped']) == sorted([('fixture_counter.dll', 'a module that exports no irPlg_GetPluginName'), ('x64.dll', 'a 64-bit module'), ('\u65e5\u672c', 'its name cannot be written in the system\'s ANSI code page, so the host cannot load a plugin by that path')])",
         ],
         repeat={'win': 3},
         command=["scan", "--json", "{data}/scan"]),
    Case("scan.table", accepted=True,
         on=['win'],
         exit=1,
         out=[
             r"ModuleDetails +1\.1 +Lua 5\.1 +SDK2 +[^\n]*ModuleDetails.lmd",
             r"\n    FAIL  MD003 crashed in irPlg_GetPluginName",
             # Other modules (the helpers plugins import) are counted, and
             # listed with --verbose.
             r"helper [^\n]*x64.dll: a 64-bit module",
             "6 plugin modules, 2 could not be read or failed; 1 skipped, 2 other modules, 1 other file",
             r"\nZ:[^\n]*example_plugin.dll: WARN  MD601 the name Fixture Plugin is also the name of [^\n]*example_copy.dll",
         ],
         command=["scan", "--verbose", '{data}/scan\\']),
    # In mdhost's own process a crash ends the run; the rows before it are out.
    Case("scan.in_process_crash",
         on=['win'],
         out=[
             r"^NAME[^\n]*\nModuleDetails +1\.1 [^\n]*\n[^\n]*example_copy.dll\n[^\n]*example_plugin.dll\n",
         ],
         command=["scan", "--in-process", "{data}/scan"]),
    # A plugin named outside the ANSI code page: check says what scan says.
    Case("check.unwritable_name",
         on=['win'],
         exit=1,
         err=[
             r"日本.hidden\.dll: its name cannot be written in the system's ANSI code page, so the host cannot load a plugin by that path: rename it",
         ],
         command=["check", r"{data}/scan\日本\hidden.dll"]),
    Case("scan.faulty",
         on=['win'],
         exit=1,
         json=[
             r"{p['path'].split('\\')[-1]: p['passed'] for p in data['plugins']} == {'fixture_c_plugin.dll': True, 'fixture_large.dll': False, 'fixture_partial.dll': False, 'fixture_raising.dll': False, 'fixture_required_yes.dll': True, 'fixture_sdk3.dll': False, 'fixture_stdcall.dll': False, 'notes.lmd': False, 'empty.lmd': False}",
             r"{p['path'].split('\\')[-1]: sorted(set(f['rule'] for f in p['findings'] if f['severity'] == 'FAIL')) for p in data['plugins']} == {'fixture_c_plugin.dll': [], 'fixture_large.dll': ['MD301'], 'fixture_partial.dll': ['MD101'], 'fixture_raising.dll': ['MD403'], 'fixture_required_yes.dll': [], 'fixture_sdk3.dll': ['MD202'], 'fixture_stdcall.dll': ['MD002'], 'notes.lmd': ['MD001'], 'empty.lmd': ['MD001']}",
             r"{s['path'].split('\\')[-1]: s['reason'] for s in data['skipped']} == {'fixture_counter.dll': 'a module that exports no irPlg_GetPluginName'}",
         ],
         command=["scan", "--json", "{data}/scan_faulty"]),
    Case("scan.faulty_table",
         on=['win'],
         exit=1,
         out=[
             r"\n    FAIL  MD301 action XML: not well-formed",
             r"\n    FAIL  MD101 irPlg_GetPluginVersion: not exported",
             r"\n    FAIL  MD202 irPlg_GetSDKVersion: returned 3, expected 2",
             r"\n    FAIL  MD403 irPlg_Action_RegisterActions: raised a Lua error: registration refused",
             # A read's WARN is shown under its row too, not only a FAIL.
             r"fixture_required_yes.dll\n    WARN  MD309 action XML ",
             # Named like plugins, of no use to the host: rows that fail.
             r"fixture_stdcall.dll\n    FAIL  MD002 not a plugin: it exports no irPlg_GetPluginName \(it exports "
             r"irPlg_GetPluginName@8",
             r"empty.lmd\n    FAIL  MD001 cannot be loaded: an empty file",
             "9 plugin modules, 7 could not be read or failed; 0 skipped, 1 other module, 0 other files",
         ],
         command=["scan", "{data}/scan_faulty"]),
]
