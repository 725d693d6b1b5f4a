// Prints what a plugin text query costs against the bare work it must do:
// one load, lookup, getter call and release of the same module.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "inspect/plugin_query.h"
#include "module/plugin_exports.h"
#include "module/module_state.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;
using Getter = int32_t (*)(char*, int32_t*);

double NanosecondsPer(int rounds, Clock::time_point start) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / rounds;
}

// The floor: what any reader of one text must do.
double BareCycle(const char* path, const char* getter, int rounds) {
  static char buffer[10001];
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    void* module = md::Os().load_module(path);
    auto call = reinterpret_cast<Getter>(md::Os().find_export(module, getter));
    int32_t size = 10000;
    call(buffer, &size);
    md::Os().release_module(module);
  }
  return NanosecondsPer(rounds, start);
}

double Query(const char* path, const char* getter, int rounds) {
  const auto start = Clock::now();
  std::size_t total = 0;
  for (int i = 0; i < rounds; ++i) {
    md::OwnedText text = md::QueryPluginText(path, getter);
    total += text.length;
    md::ReleaseText(&text);
  }
  if (total == 0) std::fprintf(stderr, "query read nothing from %s\n", path);
  return NanosecondsPer(rounds, start);
}

int Render(lua_State* L) {
  lua_pushstring(L, luaL_checkstring(L, 1));
  return 1;
}

// One action called from Lua `rounds` times on `path`.
double Action(lua_State* L, const char* key, const char* path, int rounds) {
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    lua_getglobal(L, "ModuleDetails");
    lua_getfield(L, -1, key);
    lua_pushstring(L, path);
    lua_call(L, 1, 1);
    lua_pop(L, 2);
  }
  return NanosecondsPer(rounds, start);
}

// This plugin's own getter, called as the host calls it.
double OwnGetter(int rounds) {
  static char buffer[10001];
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    int32_t size = 10000;
    irPlg_GetPluginActionXML(buffer, &size);
  }
  return NanosecondsPer(rounds, start);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: query_benchmark FIXTURE_PLUGIN [ROUNDS]\n");
    return 2;
  }
  const char* path = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 2000;
  md::OnProcessAttach();
  BareCycle(path, "irPlg_GetPluginName", rounds / 10);  // warm the loader's caches
  double bare = 0, query = 0;
  for (int pass = 0; pass < 3; ++pass) {  // interleaved, so drift hits both alike
    bare += BareCycle(path, "irPlg_GetPluginName", rounds);
    query += Query(path, "irPlg_GetPluginName", rounds);
  }
  std::printf("%-32s %10.0f ns\n", "bare load+lookup+call+release", bare / 3);
  std::printf("%-32s %10.0f ns\n", "QueryPluginText", query / 3);
  std::printf("%-32s %10.3f\n", "ratio", query / bare);

  lua_State* L = luaL_newstate();
  lua_newtable(L);
  lua_pushcfunction(L, Render);
  lua_setfield(L, -2, "GetSyntaxErrorString");
  lua_setglobal(L, "Debug");
  irPlg_Action_RegisterActions(L);
  const int action_rounds = rounds / 5 > 0 ? rounds / 5 : 1;
  double info = 0, five = 0, single = 0, one = 0;
  for (int pass = 0; pass < 3; ++pass) {
    five += 5 * BareCycle(path, "irPlg_GetPluginName", action_rounds);
    info += Action(L, "GetInfo", path, action_rounds);
    one += BareCycle(path, "irPlg_GetPluginVersion", rounds);
    single += Action(L, "GetVersion", path, rounds);
  }
  lua_close(L);
  std::printf("%-32s %10.0f ns\n", "five bare cycles", five / 3);
  std::printf("%-32s %10.0f ns\n", "GetInfo action", info / 3);
  std::printf("%-32s %10.3f\n", "ratio", info / five);
  std::printf("%-32s %10.0f ns\n", "one bare cycle", one / 3);
  std::printf("%-32s %10.0f ns\n", "GetVersion action", single / 3);
  std::printf("%-32s %10.3f\n", "ratio", single / one);
  std::printf("%-32s %10.1f ns\n", "own irPlg_GetPluginActionXML", OwnGetter(rounds * 100));
  return 0;
}
