// What a plugin can change for the whole process, on POSIX: the
// floating-point control and the current folder (no filter, no error mode,
// no vectored handlers).
#include <unistd.h>

#include <vector>

#include "mdhost/system/system.h"

namespace host {

ProcessState ReadProcessState() {
  ProcessState state;
  ReadFloatingPointControl(&state.fpu_control, &state.sse_control);
  std::vector<char> folder(4096);
  if (getcwd(folder.data(), folder.size()) != nullptr) state.folder = folder.data();
  return state;
}

std::vector<VectoredHandler> VectoredHandlersAdded() { return {}; }
void RemoveVectoredHandler(const VectoredHandler&) {}

void PutBackProcessState(const ProcessState& state) {
  SetFloatingPointControl(state.fpu_control, state.sse_control);
  if (!state.folder.empty() && chdir(state.folder.c_str()) != 0) {
    // A folder gone since: nothing to go back to.
  }
}

}  // namespace host
