// mdhost check: does a plugin module follow the host's contract? One line per
// finding (PASS, FAIL or NOTE); the exit code is 0 only when nothing failed.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

extern "C" {
#include <lua.h>
}

#include "host_commands.h"
#include "loaded_plugin.h"
#include "lua_host.h"
#include "xml_check.h"

namespace host {
namespace {

using Getter = int32_t (*)(char*, int32_t*);
constexpr char kCanary = '\x5A';
constexpr int32_t kPlausibleLength = 64 * 1024 * 1024;

class Report {
 public:
  void Pass(const std::string& what) { std::printf("PASS  %s\n", what.c_str()); }
  void Note(const std::string& what) { std::printf("NOTE  %s\n", what.c_str()); }
  void Fail(const std::string& what) {
    std::printf("FAIL  %s\n", what.c_str());
    ++failures;
  }
  int failures = 0;
};

bool Untouched(const std::string& buffer, std::size_t from) {
  return buffer.find_first_not_of(kCanary, from) == std::string::npos;
}

// Asks with too small a size; true when the getter answered -1, stored
// `length` and wrote nothing.
bool ChecksTooSmall(Report& r, const char* name, Getter g, int32_t stated, int32_t length) {
  std::string buffer(64, kCanary);
  int32_t size = stated;
  const int32_t result = g(&buffer[0], &size);
  const std::string at = std::string(name) + " with size " + std::to_string(stated);
  if (result != -1 || size != length || !Untouched(buffer, 0)) {
    r.Fail(at + ": expected -1, the length " + std::to_string(length) +
           " stored and nothing written; got " + std::to_string(result) + ", size " +
           std::to_string(size) + (Untouched(buffer, 0) ? "" : ", buffer written"));
    return false;
  }
  return true;
}

// Checks one getter against the protocol and returns its text.
std::string CheckGetter(Report& r, const LoadedPlugin& plugin, const char* name) {
  auto g = reinterpret_cast<Getter>(plugin.Export(name));
  if (g == nullptr) {
    r.Fail(std::string(name) + ": not exported");
    return "";
  }
  // Size 0 tells the length (or, for an empty text, fits it).
  std::string probe(64, kCanary);
  int32_t size = 0;
  const int32_t first = g(&probe[0], &size);
  int32_t length;
  if (first == -1) {
    length = size;
  } else if (first == 0 && probe[0] == '\0' && Untouched(probe, 1)) {
    length = 0;
  } else {
    r.Fail(std::string(name) + " with size 0: returned " + std::to_string(first) +
           " (expected -1 with the length stored, or 0 for an empty text)");
    return "";
  }
  if (length < 0 || length > kPlausibleLength) {
    r.Fail(std::string(name) + ": stored the length " + std::to_string(length));
    return "";
  }
  bool ok = true;
  if (length > 0) {
    ok = ChecksTooSmall(r, name, g, -1, length) && ChecksTooSmall(r, name, g, length - 1, length);
  }
  // Exactly the length: the text and one NUL, nothing more, size unchanged.
  std::string buffer(static_cast<std::size_t>(length) + 1 + 16, kCanary);
  size = length;
  const int32_t result = g(&buffer[0], &size);
  const std::string text = buffer.substr(0, static_cast<std::size_t>(length));
  if (result != length || size != length || buffer[length] != '\0' ||
      !Untouched(buffer, length + 1) || text.find('\0') != std::string::npos) {
    r.Fail(std::string(name) + " with its exact size " + std::to_string(length) +
           ": expected the text, one NUL and the result " + std::to_string(length) + "; got " +
           std::to_string(result) + (Untouched(buffer, length + 1) ? "" : ", bytes written past the terminator"));
    return "";
  }
  if (ok) r.Pass(std::string(name) + ": follows the protocol (" + std::to_string(length) + " bytes)");
  return text;
}

void CheckSdkVersion(Report& r, const LoadedPlugin& plugin) {
  auto sdk = reinterpret_cast<int32_t (*)()>(plugin.Export("irPlg_GetSDKVersion"));
  if (sdk == nullptr) {
    r.Note("irPlg_GetSDKVersion: not exported (an SDK1 plugin)");
    return;
  }
  const int32_t version = sdk();
  if (version == 2)
    r.Pass("irPlg_GetSDKVersion: 2");
  else
    r.Fail("irPlg_GetSDKVersion: returned " + std::to_string(version) + ", expected 2");
}

// Every action the XML names must be a function once the plugin registered.
void CheckActions(Report& r, const LoadedPlugin& plugin, const XmlReport& xml) {
  using Register = int32_t (*)(lua_State*);
  auto reg = reinterpret_cast<Register>(plugin.Export("irPlg_Action_RegisterActions"));
  if (reg == nullptr) {
    r.Note("irPlg_Action_RegisterActions: not exported (not an action plugin)");
    return;
  }
  lua_State* L = NewHostState();
  if (L == nullptr) {
    r.Fail("cannot make a Lua state");
    return;
  }
  const int top = lua_gettop(L);
  reg(L);
  if (lua_gettop(L) == top)
    r.Pass("irPlg_Action_RegisterActions: leaves the Lua stack balanced");
  else
    r.Fail("irPlg_Action_RegisterActions: changed the Lua stack height by " +
           std::to_string(lua_gettop(L) - top));
  lua_settop(L, top);
  for (const std::string& action : xml.action_names) {
    const std::size_t dot = action.find('.');
    lua_getfield(L, LUA_GLOBALSINDEX, action.substr(0, dot).c_str());
    if (dot != std::string::npos && lua_istable(L, -1)) lua_getfield(L, -1, action.substr(dot + 1).c_str());
    if (lua_isfunction(L, -1))
      r.Pass("action " + action + ": registered");
    else
      r.Fail("action " + action + ": named in the action XML but not a function after registration");
    lua_settop(L, top);
  }
  lua_close(L);
}

}  // namespace

int CheckPlugin(const char* path) {
  std::printf("Checking %s\n", path);
  LoadedPlugin plugin(path);
  if (!plugin.ok()) {
    std::printf("FAIL  the module cannot be loaded\n");
    return 1;
  }
  Report r;
  for (const char* name : {"irPlg_GetPluginName", "irPlg_GetPluginVersion", "irPlg_GetLuaVersion",
                           "irPlg_GetAuthorInfo"})
    CheckGetter(r, plugin, name);
  const std::string xml_text = CheckGetter(r, plugin, "irPlg_GetPluginActionXML");
  CheckSdkVersion(r, plugin);
  const XmlReport xml = CheckXml(xml_text);
  if (xml.well_formed)
    r.Pass("action XML: well-formed (" + std::to_string(xml.action_names.size()) + " actions named)");
  else
    r.Fail("action XML: not well-formed: " + xml.problem);
  CheckActions(r, plugin, xml);
  std::printf("%s: %d problem%s\n", r.failures ? "FAILED" : "PASSED", r.failures, r.failures == 1 ? "" : "s");
  return r.failures ? 1 : 0;
}

}  // namespace host
