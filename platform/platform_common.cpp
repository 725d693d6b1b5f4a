// What the seam does alike on every system, above each system's own
// operations.
#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"

namespace md {

void* AllocateZeroed(std::size_t bytes) { return std::calloc(bytes, 1); }

void ReleaseBlock(void* block) { std::free(block); }

void* LoadModuleAt(const char* path, LoadFailure* why) {
  FoundEntry entry;
  void* spelling = nullptr;
  errno = 0;
  const Search found = Os().find_first(path, &entry, &spelling);
  if (found != Search::kFound) {
    TellNotFound(why, found == Search::kNoMemory);
    return nullptr;
  }
  bool short_of_memory;
  void* module = Os().load_module(spelling, &short_of_memory, why);
  Os().release_memory(spelling);
  return module;
}

}  // namespace md
