// Threads of this process on POSIX, counted in /proc.
#include <dirent.h>

#include "mdhost/system/system.h"

namespace host {

ImageRange ModuleImageRange(void*) { return ImageRange(); }

std::string ModuleOccupying(const ImageRange&) { return ""; }

int ThreadsRunningCodeOf(const std::vector<ImageRange>&, bool) { return -1; }

bool InSystemPoolThread() { return false; }

int OtherThreads() {
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return 0;
  int count = 0;
  while (const dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
  closedir(tasks);
  return count > 0 ? count - 1 : 0;
}

bool ImageStillLoaded(const ImageRange&) { return false; }

// ModuleImageRange tells no range here: there is nothing to reserve.
void Reserve(const ImageRange&) {}
void FreeReservation(const ImageRange&) {}

}  // namespace host
