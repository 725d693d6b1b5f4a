// Faults in a plugin's release, elsewhere: nothing swallows them (a fault in
// a destructor at dlclose is a crash the crash reporter sees), so nothing to
// note.
#include "mdhost/system/system.h"

namespace host {

void WatchReleaseFaults(bool) {}

std::string ReleaseFault() { return ""; }

}  // namespace host
