// Prints what the module's work costs against the bare work it must do, as
// medians (with p10 and p90) of interleaved samples, in a process that has
// what the host's has loaded:
//   QueryPluginText    against one bare load, lookup, getter call and release
//   GetInfo            against five bare cycles
//   GetVersion         against one bare cycle
//   loading this plugin and releasing it, against a minimal C plugin
// and what one call of this plugin's own getter costs. Under Wine a load's
// time drifts between 2 and 7 ms, which swamps differences of a few
// microseconds; so the module's own work is also timed alone, with the loader
// replaced by one that hands out a getter compiled in here, and added to the
// bare cycle's median to give a second, steadier ratio; the path probe is
// timed alone too, as what the file system asks of every action.
//   query_benchmark MODULE_DETAILS MINIMAL_PLUGIN [ROUNDS] [BATCH]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "host_like_process.h"
#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"
#include "plugin/module/module_state.h"
#include "plugin/module/plugin_exports.h"
#include "plugin/module/text_getter.h"
#include "samples.h"

namespace md {
inline Platform& OsForSubstitution() { return os_operations; }
}  // namespace md

namespace {

char buffer[md::kQueryBufferSize + 1];

// A path's spelling as the actions' probe makes it, resolved once per path:
// the query and the bare cycle both load from it.
const void* Spelling(const char* path) {
  static std::map<std::string, void*> spellings;
  void*& spelling = spellings[path];
  md::FoundEntry entry;
  if (spelling == nullptr) md::Os().find_first(path, &entry, &spelling);
  return spelling;
}

void* Load(const char* path) {
  bool short_of_memory;
  return md::Os().load_module(Spelling(path), &short_of_memory, nullptr);
}

// The floor: what any reader of one text must do.
void BareCycle(const char* path, const char* getter) {
  void* module = Load(path);
  auto call = reinterpret_cast<md::TextGetter>(md::Os().find_export(module, getter));
  int32_t size = md::kQueryBufferSize;
  call(buffer, &size);
  md::Os().release_module(module);
}

void LoadAndRelease(const char* path) { md::Os().release_module(Load(path)); }

void Query(const char* path, const char* getter) {
  md::OwnedText text;
  md::QueryHold hold = {};
  md::QueryPluginText(Spelling(path), getter, &hold, &text);
  if (text.length == 0) std::fprintf(stderr, "query read nothing from %s\n", path);
  md::ReleaseText(&text);
}

int Render(lua_State* L) {
  lua_pushstring(L, luaL_checkstring(L, 1));
  return 1;
}

// One action called from Lua on `path`.
void Action(lua_State* L, const char* key, const char* path) {
  lua_getglobal(L, "ModuleDetails");
  lua_getfield(L, -1, key);
  lua_pushstring(L, path);
  lua_call(L, 1, 1);
  lua_pop(L, 2);
}

int32_t FakeGetter(char* out, int32_t* size) {
  static const char name[] = "Minimal";
  if (*size < 7) {
    *size = 7;
    return -1;
  }
  std::memcpy(out, name, sizeof name);
  return 7;
}

int fake_module;

// The seam's one search, as the actions' probe asks it: the floor of any
// action's own work, set by the file system.
void Probe(const char* path) {
  md::FoundEntry entry;
  void* spelling = nullptr;
  md::Os().find_first(path, &entry, &spelling);
  md::Os().release_memory(spelling);
}

// Times the module's own work: loads, lookups and releases cost nothing.
Samples OwnWork(lua_State* L, const char* path, int rounds) {
  md::Platform& os = md::OsForSubstitution();
  const md::Platform saved = os;
  os.load_module = [](const void*, bool*, md::LoadFailure*) -> void* { return &fake_module; };
  os.find_export = [](void*, const char*) { return reinterpret_cast<void*>(FakeGetter); };
  os.release_module = [](void*) {};
  Samples s;
  s.Add("own work of QueryPluginText", [&] { Query(path, "irPlg_GetPluginName"); });
  s.Add("own work of GetInfo", [&] { Action(L, "GetInfo", path); });
  s.Add("own work of GetVersion", [&] { Action(L, "GetVersion", path); });
  s.Add("of which the path probe", [&] { Probe(path); });
  s.Run(rounds, 100);
  os = saved;
  return s;
}

void OwnGetter() {
  for (int i = 0; i < 1000; ++i) {
    int32_t size = md::kQueryBufferSize;
    irPlg_GetPluginActionXML(buffer, &size);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: query_benchmark MODULE_DETAILS MINIMAL_PLUGIN [ROUNDS] [BATCH]\n");
    return 2;
  }
  const char* self = argv[1];
  const char* minimal = argv[2];
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 400;
  const int batch = argc > 4 ? std::atoi(argv[4]) : 5;
  PrepareHostLikeProcess();
  md::OnProcessAttach();
  lua_State* L = luaL_newstate();
  lua_newtable(L);
  lua_pushcfunction(L, Render);
  lua_setfield(L, -2, "GetSyntaxErrorString");
  lua_setglobal(L, "Debug");
  irPlg_Action_RegisterActions(L);

  const char* name = "irPlg_GetPluginName";
  const char* version = "irPlg_GetPluginVersion";
  Samples s;
  const int bare = s.Add("bare cycle (name getter)", [&] { BareCycle(minimal, name); });
  const int query = s.Add("QueryPluginText", [&] { Query(minimal, name); });
  const int five = s.Add("five bare cycles", [&] {
    for (int i = 0; i < 5; ++i) BareCycle(minimal, name);
  });
  const int info = s.Add("GetInfo action", [&] { Action(L, "GetInfo", minimal); });
  const int one = s.Add("bare cycle (version getter)", [&] { BareCycle(minimal, version); });
  const int single = s.Add("GetVersion action", [&] { Action(L, "GetVersion", minimal); });
  const int minimal_load = s.Add("load+release, minimal C plugin", [&] { LoadAndRelease(minimal); });
  const int own_load = s.Add("load+release, ModuleDetails", [&] { LoadAndRelease(self); });
  const int getter = s.Add("own irPlg_GetPluginActionXML x1000", OwnGetter);

  for (int i = 0; i < 20; ++i) BareCycle(minimal, name);  // warm the loader's caches
  s.Run(rounds, batch);
  const Samples own = OwnWork(L, minimal, rounds);
  lua_close(L);

  std::printf("%d interleaved rounds of %d calls each; medians (p10, p90)\n", rounds, batch);
  for (int m : {bare, query, five, info, one, single, minimal_load, own_load, getter}) s.PrintRow(m);
  std::printf("ratios: median of the rounds' ratios (p10, p90)\n");
  s.PrintRatio("QueryPluginText / bare cycle", query, bare);
  s.PrintRatio("GetInfo / five bare cycles", info, five);
  s.PrintRatio("GetVersion / one bare cycle", single, one);
  s.PrintRatio("own load / minimal C plugin load", own_load, minimal_load);
  std::printf("the module's own work alone, and (bare + own work) / bare\n");
  for (int m : {0, 1, 2, 3}) own.PrintRow(m);
  const double cycle = s.At(bare, 0.5);
  std::printf("  %-40s %8.4f\n", "QueryPluginText / bare cycle", (cycle + own.At(0, 0.5)) / cycle);
  std::printf("  %-40s %8.4f\n", "GetInfo / five bare cycles", (5 * cycle + own.At(1, 0.5)) / (5 * cycle));
  std::printf("  %-40s %8.4f\n", "GetVersion / one bare cycle", (cycle + own.At(2, 0.5)) / cycle);
  std::printf("  %-40s %8.4f\n", "the probe alone / one bare cycle", (cycle + own.At(3, 0.5)) / cycle);
  return 0;
}
