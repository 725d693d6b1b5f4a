#include <windows.h>

#include "host_like_process.h"

// The host has the shell loaded; a plugin importing it pays no load for it.
void PrepareHostLikeProcess() { LoadLibraryA("shell32.dll"); }
