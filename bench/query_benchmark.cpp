// Prints what a plugin text query costs against the bare work it must do:
// one load, lookup, getter call and release of the same module.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "inspect/plugin_query.h"
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
  for (int i = 0; i < rounds; ++i) total += md::QueryPluginText(path, getter).size();
  if (total == 0) std::fprintf(stderr, "query read nothing from %s\n", path);
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
  return 0;
}
