#include <dirent.h>
#include <unistd.h>

#include <cstdio>

#include "process_stats.h"

namespace host {

ProcessStats CurrentProcessStats() {
  ProcessStats stats = {0, 0};
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    unsigned long pages = 0, resident = 0;
    if (std::fscanf(statm, "%lu %lu", &pages, &resident) == 2)
      stats.memory_bytes = static_cast<uint64_t>(resident) * sysconf(_SC_PAGESIZE);
    std::fclose(statm);
  }
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (readdir(fds) != nullptr) ++stats.handles;
    closedir(fds);
    stats.handles -= 3;  // ".", ".." and the listing's own descriptor
  }
  return stats;
}

}  // namespace host
