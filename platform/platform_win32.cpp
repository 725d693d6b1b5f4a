// Win32 side of the platform seam.
#include <windows.h>
#include <shellapi.h>

#include "platform.h"

namespace md {
namespace {

void* LoadModule(const char* path) { return reinterpret_cast<void*>(LoadLibraryA(path)); }

void* FindExport(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void ReleaseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

bool FindFirst(const char* path, FoundEntry* entry) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path, &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  entry->attributes = data.dwFileAttributes;
  entry->size_high = data.nFileSizeHigh;
  entry->size_low = data.nFileSizeLow;
  FindClose(search);
  return true;
}

uint32_t PathAttributes(const char* path) { return GetFileAttributesA(path); }

unsigned DriveType(const char* root) { return GetDriveTypeA(root); }

void OpenDocument(void* parent, const char* path) {
  ShellExecuteA(static_cast<HWND>(parent), "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

constexpr Platform kWin32 = {LoadModule, FindExport, ReleaseModule, FindFirst,
                             PathAttributes, DriveType, OpenDocument};

}  // namespace

const Platform& NativeOs() { return kWin32; }

Platform& Os() {
  static Platform current = kWin32;
  return current;
}

}  // namespace md
