// Between the Win32 crash reporter and the release watch: a fault described
// as a crash report says it, without allocating.
#pragma once

#include <windows.h>

#include "mdhost/system/crash_report.h"

namespace host {

void DescribeFault(const EXCEPTION_RECORD* record, fault_report::FixedText& out, fault_report::Facts* facts);
// Puts the release watch's handler first among the vectored ones (once).
void WatchFirstChanceFaults();

}  // namespace host
