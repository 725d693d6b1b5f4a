// The native shared object's counterpart of the Windows entry point.
#include "plugin/module/module_state.h"

__attribute__((constructor)) static void ModuleLoaded() { md::OnProcessAttach(); }
__attribute__((destructor)) static void ModuleUnloaded() { md::OnProcessDetach(); }
