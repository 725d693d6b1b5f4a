// The system's thread pool, on POSIX: there is none that a plugin could
// leave work on, so nothing is watched; and the loader tells of no loads,
// so the plugin's own image is all an examination brings in.
#include "mdhost/system/system.h"

namespace host {

void WatchThreadPool() {}

int PoolCallbacksInto(const std::vector<ImageRange>&) { return 0; }

int PoolEntriesOfRequest(uint32_t) { return 0; }

bool PoolHoldsCallbackInto(uintptr_t, uintptr_t) { return false; }

void BeginArrivals() {}

std::vector<Arrival> EndArrivals(const Arrival& noted) {
  NoteImage(noted.name, noted.range);
  if (!noted.loaded) NoteReleased(noted.range);
  return {noted};
}

}  // namespace host
