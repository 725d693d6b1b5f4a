// The stand-in host's own process figures, for soak runs.
#pragma once

#include <cstdint>

namespace host {

struct ProcessStats {
  uint64_t memory_bytes;  // private or resident memory, as the platform counts it
  uint64_t handles;       // open handles (Windows) or file descriptors (POSIX)
};

ProcessStats CurrentProcessStats();

}  // namespace host
