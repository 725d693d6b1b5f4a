#include <windows.h>
#include <psapi.h>

#include "process_stats.h"

namespace host {

ProcessStats CurrentProcessStats() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                          sizeof counters);
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  // Wine leaves PrivateUsage at 0; the working set still tells growth.
  return {counters.PrivateUsage ? counters.PrivateUsage : counters.WorkingSetSize, handles};
}

}  // namespace host
