// What a plugin can change for the whole process, on Win32: besides the
// floating-point control, the unhandled-exception filter (which mdhost's
// worker sets to report crashes), the error mode and the current folder.
#include <windows.h>

#include "mdhost/system/system.h"

namespace host {

ProcessState ReadProcessState() {
  ProcessState state;
  ReadFloatingPointControl(&state.fpu_control, &state.sse_control);
  // The filter can only be read by setting one: the same one, at once.
  const LPTOP_LEVEL_EXCEPTION_FILTER filter = SetUnhandledExceptionFilter(nullptr);
  SetUnhandledExceptionFilter(filter);
  state.exception_filter = reinterpret_cast<uintptr_t>(filter);
  state.error_mode = GetErrorMode();
  char folder[MAX_PATH * 4];
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  if (length > 0 && length < sizeof folder) state.folder.assign(folder, length);
  return state;
}

void PutBackProcessState(const ProcessState& state) {
  SetFloatingPointControl(state.fpu_control, state.sse_control);
  SetUnhandledExceptionFilter(reinterpret_cast<LPTOP_LEVEL_EXCEPTION_FILTER>(state.exception_filter));
  SetErrorMode(state.error_mode);
  if (!state.folder.empty()) SetCurrentDirectoryA(state.folder.c_str());
}

}  // namespace host
