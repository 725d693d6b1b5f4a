-- The ModuleDetails actions, as a script author meets them.
--
-- Run by the stand-in host with the actions registered:
--   mdhost run ModuleDetails.lmd actions.lua PLUGIN BIN_DIR DATA_DIR SUFFIX SEP
-- PLUGIN is this plugin's module file, BIN_DIR holds the fixture plugins
-- (fixture_<what><SUFFIX>), DATA_DIR is a scratch folder and the current folder.
-- A sixth argument, "unmeasured", says the process's memory measures nothing
-- (valgrind and the address sanitizer hold freed memory back).
local script_dir = arg[0]:match("^(.*)[/\\]") or "."
package.path = script_dir .. "/?.lua;" .. package.path
local t = require("testing")

local plugin, bin, data, suffix, sep = arg[1], arg[2], arg[3], arg[4], arg[5]
local measuring_nothing = arg[6] == "unmeasured"
local function fixture(name) return bin .. sep .. "fixture_" .. name .. suffix end
local function scratch(name) return data .. sep .. name end

-- Fixture plugins count their loads in a helper module that stays loaded;
-- it also hands the Lua state to fixtures that call back into it, and copies
-- files to paths longer than Lua's own files can reach.
local counter = bin .. sep .. "fixture_counter" .. suffix
local counts = assert(package.loadlib(counter, "fixture_counts"))
local hold_state = assert(package.loadlib(counter, "fixture_hold_state"))
local copy_deep = assert(package.loadlib(counter, "fixture_copy_deep"))
counts()

local host_formatter = Debug.GetSyntaxErrorString
local function rendered(message) return host_formatter(message) end

---------------------------------------------------------------------------
-- Every action takes one argument, Filename, the path of a plugin's module.
---------------------------------------------------------------------------
local single = { "GetName", "GetXML", "GetLuaVersion", "GetAuthorInfo", "GetVersion" }
local all = { "GetName", "GetXML", "GetLuaVersion", "GetAuthorInfo", "GetVersion", "GetInfo" }

local names = {}
for key, value in pairs(ModuleDetails) do names[#names + 1] = key .. ":" .. type(value) end
table.sort(names)
t.equal("the table holds the six actions", "GetAuthorInfo:function GetInfo:function " ..
  "GetLuaVersion:function GetName:function GetVersion:function GetXML:function", table.concat(names, " "))

-- Without an argument, an action raises the host's rendering of the message.
for _, action in ipairs(all) do
  t.equal(action .. "() raises", rendered("1 arguments required."), t.raised(ModuleDetails[action]))
end

-- nil, booleans, tables and functions are not file names.
for _, action in ipairs(all) do
  for _, value in ipairs({ "nil", true, {}, print }) do
    if value == "nil" then value = nil end
    t.equal(action .. "(" .. tostring(value) .. ") raises", rendered("Argument 1 must be a string."),
      t.raised(ModuleDetails[action], value))
  end
end

-- A number is converted to its text: 12 names the file "12" in the current folder.
t.equal("GetName(12) with no file 12 gives nil", nil, ModuleDetails.GetName(12))

---------------------------------------------------------------------------
-- Script errors go through Debug.GetSyntaxErrorString.
---------------------------------------------------------------------------
Debug.GetSyntaxErrorString = function(message) return string.rep("x", 1023) end
t.equal("a 1023-byte rendering is raised as it is", string.rep("x", 1023), t.raised(ModuleDetails.GetName))
Debug.GetSyntaxErrorString = function(message) return string.rep("x", 1024) end
t.equal("a 1024-byte rendering is replaced", "Formatted error string is too long for buffer.",
  t.raised(ModuleDetails.GetName))
Debug.GetSyntaxErrorString = function(message) return {} end
t.equal("a rendering that is not a string counts as empty", "", t.raised(ModuleDetails.GetName))
Debug.GetSyntaxErrorString = function(message) return 42 end
t.equal("a number rendering becomes its text", "42", t.raised(ModuleDetails.GetName))
Debug.GetSyntaxErrorString = function(message) error("formatter broke", 0) end
t.equal("an error inside the formatter propagates", "formatter broke", t.raised(ModuleDetails.GetName))
Debug.GetSyntaxErrorString = nil
t.equal("without a formatter the message itself is raised", "1 arguments required.",
  t.raised(ModuleDetails.GetName))
Debug.GetSyntaxErrorString = "not a function"
t.equal("a formatter that is no function counts as missing", "Argument 1 must be a string.",
  t.raised(ModuleDetails.GetName, true))
local saved_debug = Debug
Debug = nil
local message = t.raised(ModuleDetails.GetName)
t.equal("with Debug nil the engine's own error is raised", "string", type(message))
Debug = saved_debug
Debug.GetSyntaxErrorString = host_formatter

---------------------------------------------------------------------------
-- nil means no file of at least one byte; "" means a file that gave no text.
---------------------------------------------------------------------------
t.write_file(scratch("empty.bin"), "")
t.write_file(scratch("notes.txt"), "plain text, not a module\r\n")
for _, action in ipairs(all) do
  t.equal(action .. " on a missing path", nil, ModuleDetails[action](scratch("missing.lmd")))
  t.equal(action .. " on a folder", nil, ModuleDetails[action](data))
  t.equal(action .. " on an empty file", nil, ModuleDetails[action](scratch("empty.bin")))
end
for _, action in ipairs(single) do
  t.equal(action .. " on a text file", "", ModuleDetails[action](scratch("notes.txt")))
end
t.equal("GetInfo on a text file", nil, ModuleDetails.GetInfo(scratch("notes.txt")))

---------------------------------------------------------------------------
-- The single-text actions read one text each; a second argument is ignored.
---------------------------------------------------------------------------
t.equal("GetName of this plugin", "ModuleDetails", ModuleDetails.GetName(plugin))
t.equal("GetVersion of this plugin", "1.1", ModuleDetails.GetVersion(plugin))
t.equal("GetLuaVersion of this plugin", "Lua 5.1", ModuleDetails.GetLuaVersion(plugin, "ignored"))
t.equal("GetName of a fixture", "Fixture Plugin", ModuleDetails.GetName(fixture("plugin")))
t.equal("GetAuthorInfo of a fixture", "The fixture makers\r\n\169 test use only",
  ModuleDetails.GetAuthorInfo(fixture("plugin")))
t.equal("GetXML of a 300 KiB document", 300 * 1024, #ModuleDetails.GetXML(fixture("large")))
t.equal("GetVersion of a plugin without that getter", "", ModuleDetails.GetVersion(fixture("partial")))
t.equal("each single-text call results in one value", 1, select("#", ModuleDetails.GetName(plugin)))
counts()
ModuleDetails.GetVersion(fixture("plugin"))
local loads, releases = counts()
t.equal("a single-text action loads once", 1, loads)
t.equal("and releases once", 1, releases)

---------------------------------------------------------------------------
-- The file named is the very file read: nothing is appended to its name, the
-- current folder's file wins over a namesake beside the program, and a
-- plugin's own folder serves the modules it imports.
---------------------------------------------------------------------------
local function copy(from, to) t.write_file(to, t.read_file(from)) end
local example = bin .. sep .. "example_plugin" .. suffix
t.write_file("b", "a text file beside a plugin named b" .. suffix)
copy(example, "b" .. suffix)
t.equal("GetName(\"b\") reads b, not b" .. suffix, "", ModuleDetails.GetName("b"))
t.equal("GetInfo(\"b\") reads b, not b" .. suffix, nil, ModuleDetails.GetInfo("b"))
t.write_file("12", "not a module")
copy(example, "12" .. suffix)
t.equal("GetName(12) reads the file 12, not 12" .. suffix, "", ModuleDetails.GetName(12))
copy(plugin, "namesake" .. suffix)
copy(example, bin .. sep .. "namesake" .. suffix)
t.equal("a bare name reads the current folder's file", "ModuleDetails", ModuleDetails.GetName("namesake" .. suffix))
t.equal("so does ." .. sep .. "name", "ModuleDetails", ModuleDetails.GetName("." .. sep .. "namesake" .. suffix))
t.equal("and ./name", "ModuleDetails", ModuleDetails.GetName("./namesake" .. suffix))
for _, name in ipairs({ "b", "b" .. suffix, "12", "12" .. suffix, "namesake" .. suffix, bin .. sep .. "namesake" .. suffix }) do
  os.remove(name)
end
t.equal("a plugin's imports come from its own folder", "Helped Plugin",
  ModuleDetails.GetName(bin .. sep .. "plugins" .. sep .. "fixture_helped" .. suffix))

---------------------------------------------------------------------------
-- Every spelling of a path that finds a file reads that very file; a path
-- too long to name a file finds nothing rather than a shorter namesake.
---------------------------------------------------------------------------
copy(example, "x")
copy(plugin, "x" .. suffix)
t.equal("a trailing backslash after a file", "ModuleDetails", ModuleDetails.GetName("x" .. suffix .. "\\"))
t.equal("GetInfo with a trailing backslash", "ModuleDetails", ModuleDetails.GetInfo("x" .. suffix .. "\\").Name)
t.equal("a file followed by 300 backslashes and a name", nil,
  ModuleDetails.GetName("x" .. suffix .. string.rep("\\", 300) .. "zz"))
local dotted = ModuleDetails.GetName("x" .. suffix .. string.rep(".", 300))
t.equal("a file followed by 300 dots reads that file or nothing", true, dotted == nil or dotted == "ModuleDetails")
local long_name = string.rep("n", 240) .. suffix
copy(example, long_name)
t.equal("a relative name whose full path passes 260 bytes", "Fixture Plugin", ModuleDetails.GetName(long_name))
t.equal("GetInfo on it", "Fixture Plugin", ModuleDetails.GetInfo(long_name).Name)
if sep == "\\" then
  local long_x = "\\\\?\\" .. data .. "\\x"
  t.equal("a \\\\?\\ path to an extensionless plugin", "Fixture Plugin", ModuleDetails.GetName(long_x))
  t.equal("GetInfo on it", "Fixture Plugin", (ModuleDetails.GetInfo(long_x) or {}).Name)
  t.equal("a \\\\?\\ path with an extension", "ModuleDetails", ModuleDetails.GetName(long_x .. suffix))
  os.execute('mkdir "' .. data .. '\\dir.v1" 2>nul')
  copy(example, data .. "\\dir.v1\\plugin")
  t.equal("a \\\\?\\ path in a dotted folder", "Fixture Plugin",
    ModuleDetails.GetName("\\\\?\\" .. data .. "\\dir.v1\\plugin"))
  os.remove(data .. "\\dir.v1\\plugin")
end
for _, name in ipairs({ "x", "x" .. suffix, long_name }) do os.remove(name) end

---------------------------------------------------------------------------
-- One call, one file: however the path is spelled (a literal \\?\ name, an
-- NT \??\ name, a drive-relative name, a trailing separator of either kind,
-- any length, either code page of the file functions), the text comes from
-- the very file the probe found, or is "" when the loader cannot be handed
-- that name, never another file's.
---------------------------------------------------------------------------
copy(plugin, "dr" .. suffix)
t.equal("a trailing slash after a file", "ModuleDetails", ModuleDetails.GetName("dr" .. suffix .. "/"))
t.equal("a wildcard reads the entry it matches", "ModuleDetails", ModuleDetails.GetName("d?" .. suffix))
t.equal("GetInfo too", "ModuleDetails", ModuleDetails.GetInfo(data .. sep .. "d*" .. suffix).Name)
if sep == "\\" then
  local drive = data:sub(1, 2)
  t.equal("a drive-relative name is a file in that drive's folder", "ModuleDetails",
    ModuleDetails.GetName(drive .. "dr" .. suffix))
  local literal = "\\\\?\\" .. data .. "\\"
  copy(plugin, "T.lmd")
  copy_deep(example, literal .. "T.lmd.")
  t.equal("\\\\?\\ with a trailing dot reads that very name", "Fixture Plugin", ModuleDetails.GetName(literal .. "T.lmd."))
  t.equal("GetInfo on it, all five fields", "Fixture Plugin|2.5.0.1",
    (function(i) return i.Name .. "|" .. i.Version end)(ModuleDetails.GetInfo(literal .. "T.lmd.")))
  t.equal("without the prefix the dot goes, as Windows reads the name", "ModuleDetails",
    ModuleDetails.GetName(data .. "\\T.lmd."))
  copy(plugin, "S.lmd")
  copy_deep(example, literal .. "S.lmd ")
  t.equal("\\\\?\\ with a trailing space reads nothing rather than the name without it", "",
    ModuleDetails.GetName(literal .. "S.lmd "))
  copy_deep(example, literal .. "NUL.lmd")
  t.equal("\\\\?\\ to a real file named like a device", "Fixture Plugin", ModuleDetails.GetName(literal .. "NUL.lmd"))
  t.equal("the plain name is the device, no file", nil, ModuleDetails.GetName(data .. "\\NUL.lmd"))
  t.equal("an NT \\??\\ name", "ModuleDetails", ModuleDetails.GetName("\\??\\" .. data .. "\\T.lmd"))

  -- One byte string is two names in the ANSI and the OEM code page.
  local file_apis = assert(package.loadlib(counter, "fixture_file_apis"))
  local ansi, oem = file_apis("ansi")
  t.equal("the test's code pages differ", true, ansi ~= oem)
  copy_deep(plugin, data .. "\\\233.lmd")
  file_apis("oem")
  copy_deep(example, data .. "\\\233.lmd")
  t.equal("with the file functions in the OEM code page", "Fixture Plugin", ModuleDetails.GetName("\233.lmd"))
  t.equal("GetInfo too", "Fixture Plugin", ModuleDetails.GetInfo("\233.lmd").Name)
  file_apis("ansi")
  t.equal("and back in the ANSI code page", "ModuleDetails", ModuleDetails.GetName("\233.lmd"))
end

-- Paths past 260 characters, with and without an extension; a path of 32,000
-- characters finds nothing, and neither does a file followed by more path.
local function deep_path(total, ending)
  local path = data .. sep .. "deep"
  while total - #path - 1 > 220 do path = path .. sep .. string.rep("d", 199) end
  return path .. sep .. string.rep("f", total - #path - 1 - #ending) .. ending
end
for _, total in ipairs({ 270, 1000 }) do
  for _, ending in ipairs({ suffix, "" }) do
    local path = deep_path(total, ending)
    t.equal("made " .. #path, true, copy_deep(example, path))
    local what = "a " .. total .. "-character path " .. (ending == "" and "without" or "with") .. " an extension"
    t.equal(what, "Fixture Plugin", ModuleDetails.GetName(path))
    t.equal("GetInfo on " .. what, "Fixture Plugin|2.5.0.1",
      (function(i) return i and i.Name .. "|" .. i.Version end)(ModuleDetails.GetInfo(path)))
    if sep == "\\" then
      t.equal(what .. " and \\\\?\\", "Fixture Plugin", ModuleDetails.GetName("\\\\?\\" .. path))
    end
  end
end
t.equal("a 32,000-character path", nil, ModuleDetails.GetName(string.rep("q", 32000)))
t.equal("a file followed by 31,000 more characters", nil,
  ModuleDetails.GetName(deep_path(1000, suffix) .. sep .. string.rep("q", 31000)))
-- Longer than any path can be: no file, and nothing handed to the file
-- functions (40,000 characters ended the host under Wine).
local root = sep == "\\" and "Z:\\" or "/"
for _, length in ipairs({ 32767, 32768, 40000, 70000, 1024 * 1024 }) do
  t.equal("a " .. length .. "-character name", nil, ModuleDetails.GetName(root .. string.rep("a", length)))
  t.equal("GetInfo of a " .. length .. "-character name", nil, ModuleDetails.GetInfo(root .. string.rep("a", length)))
end
-- The count is Windows' own: UTF-16 characters of the name as the file
-- functions read it and of its full path (the "\\?\" prefix counted), so a
-- long spelling of a short path ("a\..\" over and over) finds its file while
-- both stay within 32,767, and nothing past that.
if sep == "\\" then
  local folder, name = example:match("^(.*)\\([^\\]+)$")
  local function padded(times) return folder .. sep .. string.rep("a\\..\\", times) .. name end
  t.equal("a " .. #padded(6000) .. "-character spelling of a short path", "Fixture Plugin",
    ModuleDetails.GetName(padded(6000)))
  t.equal("a " .. #padded(6600) .. "-character spelling of it", nil, ModuleDetails.GetName(padded(6600)))
end
-- A name with a NUL in it names no file: the file functions would read the
-- name before it.
t.equal("a plugin's name followed by a NUL and more", nil, ModuleDetails.GetName(example .. "\0junk"))
t.equal("GetInfo of it", nil, ModuleDetails.GetInfo(example .. "\0junk"))
t.equal("GetVersion of it", nil, ModuleDetails.GetVersion(example .. "\0"))
t.equal("the plugin's own name still reads", "Fixture Plugin", ModuleDetails.GetName(example))

-- A module the process holds from a path is what a load of that path gets,
-- even after the file there was replaced (the loader's rule, as README and
-- Help.html say): renamed while loaded, and another plugin copied in.
local held = scratch("held" .. suffix)
copy(example, held)
os.remove(held .. ".old")
local holder = package.loadlib(held, "irPlg_GetPluginName")
t.equal("the module is held", "function", type(holder))
if os.rename(held, held .. ".old") then
  copy(fixture("c_plugin"), held)
  t.equal("the held module answers for its path", "Fixture Plugin", ModuleDetails.GetName(held))
else  -- where the system keeps a held module's file in place, nothing can stand in its name
  t.equal("the held module's file stays in place", "Fixture Plugin", ModuleDetails.GetName(held))
end

-- A plugin that updates itself while GetInfo reads it (its name getter
-- renames its loaded file and copies another plugin into the name): the
-- five texts are of one file, never fields of two.
local updater = scratch("updater" .. suffix)
os.remove(updater .. ".old")
copy(fixture("updater"), updater)
copy(fixture("c_plugin"), scratch("update_source" .. suffix))
local updated = ModuleDetails.GetInfo(updater)
t.equal("GetInfo while the plugin replaces its file", "Updater|1.0|Updates itself",
  updated and updated.Name .. "|" .. updated.Version .. "|" .. updated.AuthorInfo)
t.equal("the update is in place after it", "C Plugin", ModuleDetails.GetName(updater))

---------------------------------------------------------------------------
-- A getter that asks for far more room than its text needs costs no more
-- than its text: GetInfo returns all five, again and again.
---------------------------------------------------------------------------
local claimer = fixture("claiming")
local whole = true
collectgarbage("collect")
local heap_before = collectgarbage("count")
for i = 1, 8 do
  local claimed = ModuleDetails.GetInfo(claimer)
  whole = whole and claimed ~= nil and claimed.Name == "Claimer" and claimed.Version == "3.0" and
    claimed.LuaVersion == "Lua 5.1" and claimed.AuthorInfo == "Much asked" and claimed.ActionXML == "<ActionTemplates/>"
end
collectgarbage("collect")
t.equal("GetInfo on a plugin asking 384 MiB a text returns all five texts", true, whole)
t.equal("and Lua's heap stays flat", true, collectgarbage("count") - heap_before < 64)
t.equal("GetVersion on it", "3.0", ModuleDetails.GetVersion(claimer))

---------------------------------------------------------------------------
-- Lua may run finalizers while an action pushes its result, and they may
-- call the actions again: each call keeps its own path, texts and error.
---------------------------------------------------------------------------
local function under_finalizers(stepmul, finalizer, check)
  local all_held = true
  collectgarbage("setpause", 0)
  collectgarbage("setstepmul", stepmul)
  collectgarbage("collect")  -- the new pause takes effect at the end of a cycle
  for i = 1, 60 do
    for k = 1, 3 do local p = newproxy(true); getmetatable(p).__gc = finalizer end
    all_held = check() and all_held
  end
  collectgarbage("setpause", 200)
  collectgarbage("setstepmul", 200)
  return all_held
end
local other = fixture("plugin")
local want_xml, want = ModuleDetails.GetXML(plugin), ModuleDetails.GetInfo(plugin)
local function same_info()
  local info = ModuleDetails.GetInfo(plugin)
  return info.Name == want.Name and info.Version == want.Version and info.LuaVersion == want.LuaVersion
    and info.AuthorInfo == want.AuthorInfo and info.ActionXML == want.ActionXML
end
local want_error = rendered("Argument 1 must be a string.")
t.equal("GetXML keeps its text while finalizers call GetName", true,
  under_finalizers(10000, function() ModuleDetails.GetName(other) end,
    function() return ModuleDetails.GetXML(plugin) == want_xml end))
t.equal("GetInfo keeps its texts while finalizers call GetName", true,
  under_finalizers(10000, function() ModuleDetails.GetName(other) end, same_info))
t.equal("an error keeps its text while finalizers raise others", true,
  under_finalizers(200, function() pcall(ModuleDetails.GetName) end,
    function() return t.raised(ModuleDetails.GetName, nil) == want_error end))

---------------------------------------------------------------------------
-- A getter may call back into the host's Lua state. Called from a thread or
-- a fiber of its own, one call at a time, a nested action keeps its data
-- apart from the call it waits in. A getter that raises a Lua error leaves
-- nothing behind: every load is released.
---------------------------------------------------------------------------
hold_state(plugin)
local reentrant = { fixture("reentrant") }
if sep == "\\" then reentrant[2] = fixture("fiber") end
for _, path in ipairs(reentrant) do
  t.equal("GetName around a nested GetVersion from another stack", "Reentrant|1.1", ModuleDetails.GetName(path))
  local nested = ModuleDetails.GetInfo(path)
  t.equal("GetInfo around one", "Reentrant|1.1|2.0|Calls back", nested.Name .. "|" .. nested.Version .. "|" .. nested.AuthorInfo)
end
local raises = sep == "\\" and 1000 or 10000
local raiser = fixture("raiser")
for i = 1, 20 do pcall(ModuleDetails.GetInfo, raiser) end
ModuleDetails.GetName(scratch("missing.lmd"))
counts()
collectgarbage("collect")
local memory_before = Host.ProcessStats()
local raised = 0
for i = 1, raises do
  if t.raised(i % 2 == 0 and ModuleDetails.GetName or ModuleDetails.GetInfo, raiser) == "getter raised" then
    raised = raised + 1
  end
end
ModuleDetails.GetName(scratch("missing.lmd"))  -- takes back what the last raise left
collectgarbage("collect")
local memory_after = Host.ProcessStats()
local loads, releases = counts()
hold_state()
t.equal("a getter's raise reaches the script every time", raises, raised)
t.equal("every load of the raising plugin is released", raises .. " loads, " .. raises .. " releases",
  loads .. " loads, " .. releases .. " releases")
-- (A leak would keep 10 KiB a call.)
if not measuring_nothing then
  t.equal("and memory stays flat", true, memory_after - memory_before < raises * 10240 / 3)
end

---------------------------------------------------------------------------
-- GetInfo: one table with exactly five strings, or nil.
---------------------------------------------------------------------------
local info = ModuleDetails.GetInfo(plugin)
t.equal("GetInfo Name", "ModuleDetails", info.Name)
t.equal("GetInfo Version", "1.1", info.Version)
t.equal("GetInfo LuaVersion", "Lua 5.1", info.LuaVersion)
t.equal("GetInfo AuthorInfo", ModuleDetails.GetAuthorInfo(plugin), info.AuthorInfo)
t.equal("GetInfo ActionXML", ModuleDetails.GetXML(plugin), info.ActionXML)
local fields = 0
for key, value in pairs(info) do fields = fields + (type(value) == "string" and 1 or 100) end
t.equal("GetInfo has exactly five string fields", 5, fields)

counts()
info = ModuleDetails.GetInfo(fixture("plugin"))
t.equal("GetInfo of a fixture", "Fixture Plugin|2.5.0.1|Lua 5.1",
  info.Name .. "|" .. info.Version .. "|" .. info.LuaVersion)
-- Its first load is kept while the other four are handed that image: the
-- plugin starts once and is released once, and all five getters are asked.
local loads, releases, calls = counts()
t.equal("GetInfo starts and releases a plugin once, asking its five getters", "1|1|true",
  loads .. "|" .. releases .. "|" .. tostring(calls >= 5))
info = ModuleDetails.GetInfo(fixture("partial"))
t.equal("missing getters give empty fields, never absent ones", "Fixture Plugin||",
  info.Name .. "|" .. info.Version .. "|" .. info.AuthorInfo)
counts()
t.equal("GetInfo of a plugin without a name getter", nil, ModuleDetails.GetInfo(fixture("nameless")))
t.equal("which loads it once", 1, (counts()))
ModuleDetails.GetInfo(scratch("missing.lmd"))
ModuleDetails.GetInfo(data)
t.equal("GetInfo loads nothing for a missing path or a folder", 0, (counts()))

---------------------------------------------------------------------------
-- A plugin that makes its own folder the current one when it loads: every
-- field of GetInfo still comes from the file named (last: the current
-- folder stays moved).
---------------------------------------------------------------------------
copy_deep(bin .. sep .. "fixture_wanderer" .. suffix, scratch("cd" .. sep .. "w" .. suffix))
copy_deep(example, scratch("cd" .. sep .. "cd" .. sep .. "w" .. suffix))
local wandered = ModuleDetails.GetInfo("cd" .. sep .. "w" .. suffix)
t.equal("GetInfo of a plugin that moves the current folder", "Wanderer|4.0|Lua 5.1|Moves the current folder",
  wandered.Name .. "|" .. wandered.Version .. "|" .. wandered.LuaVersion .. "|" .. wandered.AuthorInfo)

t.finish()
