// What the Win32 side of the seam exposes beyond the seam itself, for its
// tests: the spelling step every file operation goes through.
#pragma once

#include "platform/platform.h"

namespace md {

// `path` (ANSI bytes, in the file functions' code page now) made full and
// literal: "\\?\C:\..." or "\\?\UNC\server\share\..."; a "\\?\" or "\??\"
// path stays as given. The block is the caller's, to free().
Search ResolvePath(const char* path, wchar_t** resolved);

}  // namespace md
