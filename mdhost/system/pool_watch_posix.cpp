// The system's thread pool, on POSIX: there is none that a plugin could
// leave work on, so nothing is watched.
#include "mdhost/system/system.h"

namespace host {

void WatchThreadPool() {}

int PoolCallbacksInto(const ImageRange&) { return 0; }

}  // namespace host
