// mdhost run PLUGIN SCRIPT [ARG...]: runs a script as the host application
// would: a Lua state of its own, the standard libraries, a
// Debug.GetSyntaxErrorString, and the plugin's actions registered.
extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <memory>

#include "mdhost/commands/commands.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/examine/examination.h"
#include "mdhost/examine/loaded_module.h"
#include "mdhost/examine/lua_host.h"
#include "mdhost/examine/pe_image.h"
#include "mdhost/examine/process_state_check.h"
#include "mdhost/report/output.h"

namespace host {
namespace {

void SetArguments(lua_State* L, const std::vector<std::string>& args) {
  lua_createtable(L, static_cast<int>(args.size()), 0);
  for (std::size_t i = 1; i < args.size(); ++i) {
    lua_pushstring(L, args[i].c_str());
    lua_rawseti(L, -2, static_cast<int>(i - 1));  // arg[0] is the script
  }
  lua_setglobal(L, "arg");
}

// _SourceFolder: the script's folder, as the host names its project's folder.
void SetSourceFolder(lua_State* L, const std::string& script) {
  lua_pushstring(L, FolderOf(script).c_str());
  lua_setglobal(L, "_SourceFolder");
}

// Turns any error object into a message with a traceback, as lua.c does.
int MessageHandler(lua_State* L) {
  if (!lua_isstring(L, 1)) {
    if (!luaL_callmeta(L, 1, "__tostring") || !lua_isstring(L, -1))
      lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
    lua_replace(L, 1);
  }
  lua_getglobal(L, "debug");
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    return 1;
  }
  lua_getfield(L, -1, "traceback");
  if (!lua_isfunction(L, -1)) {
    lua_pop(L, 2);
    return 1;
  }
  lua_pushvalue(L, 1);
  lua_pushinteger(L, 2);
  lua_call(L, 2, 1);
  return 1;
}

// Registers one plugin's actions, as the host does for every plugin of a
// project; false (and said why) when it cannot.
bool Register(lua_State* L, const LoadedModule& plugin, const std::string& path) {
  const Registration done = RegisterPlugin(L, plugin.Export(kRegisterActionsExport));
  if (done.outcome == Registration::kDone) return true;
  std::string hint;
  if (done.outcome == Registration::kNotExported)
    hint = ReadModuleFile(path).DecoratedExportHint(kRegisterActionsExport);
  Complain(AnsiToUtf8(path) + ": " + Escaped(AnsiToUtf8(done.Problem())) + hint);
  return false;
}

// What the plugins change for the whole process (MD504, MD505), as a check
// finds it: at the end of each step, said on standard error, and put back,
// so that the script runs as the host's scripts would with plugins that
// keep to the contract.
class ProcessStateSteps {
 public:
  // `path`: the plugin the steps run ("": the script, with every plugin).
  void Step(const std::string& path, const std::string& what, const std::string& export_name = "") {
    watch_.reset();
    Say();
    path_ = path;
    watch_ = std::make_unique<ProcessStateWatch>(sink_);
    sink_.Stage(what, export_name);
  }
  // Ends the last step; true when no step changed a thing.
  bool End() {
    watch_.reset();
    Say();
    return !failed_;
  }

 private:
  void Say() {
    for (const Finding& finding : report_.findings) {
      std::fflush(OwnOutput());
      WriteUtf8(stderr, (path_.empty() ? FindingLine(finding) : PluginFindingLine(path_, finding)) + "\n");
      failed_ = failed_ || finding.severity == Severity::kFail;
    }
    report_.findings.clear();
  }
  PluginReport report_;
  ReportSink sink_{&report_};
  std::unique_ptr<ProcessStateWatch> watch_;
  std::string path_;
  bool failed_ = false;
};

int Run(lua_State* L, const std::vector<std::unique_ptr<LoadedModule>>& plugins, const std::vector<std::string>& paths,
        const Invocation& call, ProcessStateSteps& steps) {
  SetArguments(L, call.arguments);
  SetSourceFolder(L, call.arguments[1]);
  for (std::size_t i = 0; i < plugins.size(); ++i) {
    steps.Step(paths[i], kRegisterActionsExport, kRegisterActionsExport);
    if (!Register(L, *plugins[i], paths[i])) return kExitFailed;
  }
  steps.Step("", "the script ran");
  lua_pushcfunction(L, MessageHandler);
  const int handler = lua_gettop(L);
  const int loaded = luaL_loadfile(L, call.arguments[1].c_str());
  if (loaded == LUA_ERRFILE) {
    Complain("cannot read the script: " + AnsiToUtf8(lua_tostring(L, -1)));
    return kExitNoInput;
  }
  // The script's arguments come as `...` too, as lua.c gives them.
  const int count = static_cast<int>(call.arguments.size()) - 2;
  if (loaded == 0 && !lua_checkstack(L, count + 1)) {
    Complain("too many script arguments");
    return kExitUsage;
  }
  for (int i = 0; loaded == 0 && i < count; ++i) lua_pushstring(L, call.arguments[2 + i].c_str());
  if (loaded != 0 || lua_pcall(L, count, 0, handler) != 0) {
    std::fflush(OwnOutput());
    Complain("script error: " + AnsiToUtf8(lua_isstring(L, -1) ? lua_tostring(L, -1) : "(no message)"));
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

int RunCommand(const Invocation& call) {
  if (call.isolated) return RunIsolated(call);
  // The plugins --with names are registered first, then PLUGIN.
  std::vector<std::string> paths = call.extra_plugins;
  paths.push_back(call.arguments[0]);
  for (const std::string& path : paths)
    if (const int status = RequireFile(path)) return status;
  if (const int status = RequireFile(call.arguments[1])) return status;
  ProcessStateSteps steps;
  std::vector<std::unique_ptr<LoadedModule>> plugins;
  for (const std::string& path : paths) {
    steps.Step(path, kLoadStage);
    plugins.push_back(std::make_unique<LoadedModule>(path));
    const LoadedModule& plugin = *plugins.back();
    if (!plugin.ok()) {
      Complain(AnsiToUtf8(path) +
               (plugin.failed_in_startup() ? ": crashed in its start-up code (DllMain) while loading: "
                                           : ": cannot be loaded: ") +
               plugin.why());
      return kExitFailed;
    }
  }
  // A crash in the plugin is told as a place in it (Name.lmd+0x1580).
  NoteImage(BaseName(paths.back()), ModuleImageRange(plugins.back()->handle()));
  lua_State* L = NewHostState();
  if (L == nullptr) {
    Complain("cannot create a Lua state");
    return kExitFailed;
  }
  const int status = Run(L, plugins, paths, call, steps);
  lua_close(L);
  const bool unchanged = steps.End();
  std::fflush(OwnOutput());
  return status == kExitOk && !unchanged ? kExitFailed : status;
}

}  // namespace host
