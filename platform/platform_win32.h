// What the Win32 side of the seam exposes beyond the seam itself, for its
// tests: the spelling step every file operation goes through, and the system
// calls on the way to an answer, which tests make fail.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace md {

// The system calls whose failure for want of memory must be told from a
// path with nothing at it; tests replace them one at a time.
struct SystemCalls {
  int(WINAPI* multi_byte_to_wide_char)(UINT, DWORD, LPCCH, int, LPWSTR, int);
  DWORD(WINAPI* get_full_path_name)(LPCWSTR, DWORD, LPWSTR, LPWSTR*);
  HANDLE(WINAPI* find_first_file)(LPCWSTR, LPWIN32_FIND_DATAW);
  BOOL(WINAPI* find_close)(HANDLE);
  BOOL(WINAPI* get_file_attributes_ex)(LPCWSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
  HMODULE(WINAPI* load_library_ex)(LPCWSTR, HANDLE, DWORD);
  BOOL(WINAPI* is_dbcs_lead_byte_ex)(UINT, BYTE);
};
extern SystemCalls system_calls;

// `path` (ANSI bytes, in the file functions' code page now) made full and
// literal: "\\?\C:\..." or "\\?\UNC\server\share\..."; a "\\?\" or "\??\"
// path stays as given. The block is the caller's, for Os().release_memory.
Search ResolvePath(const char* path, wchar_t** resolved);

}  // namespace md
