// Win32 side of the platform seam.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace md {
namespace {

// LoadLibraryA would append ".dll" to a name without an extension and look in
// the program's folder before the current one. The full path, with a trailing
// "." where the file name has no extension, names the very file the probe
// found; the altered search order lets that file's folder serve its imports.
void* LoadModule(const char* path) {
  const DWORD needed = GetFullPathNameA(path, 0, nullptr, nullptr);
  if (needed == 0) return nullptr;
  char* full = static_cast<char*>(std::calloc(static_cast<std::size_t>(needed) + 1, 1));
  if (full == nullptr) return nullptr;
  char* name = nullptr;
  const DWORD length = GetFullPathNameA(path, needed, full, &name);
  HMODULE module = nullptr;
  if (length > 0 && length < needed) {
    if (name != nullptr && std::strchr(name, '.') == nullptr) full[length] = '.';
    module = LoadLibraryExA(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  std::free(full);
  return reinterpret_cast<void*>(module);
}

void* FindExport(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void ReleaseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

bool FindFirst(const char* path, FoundEntry* entry) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path, &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  entry->attributes = data.dwFileAttributes;
  entry->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  FindClose(search);
  return true;
}

uint32_t PathAttributes(const char* path) { return GetFileAttributesA(path); }

unsigned DriveType(const char* root) { return GetDriveTypeA(root); }

void OpenDocument(void* parent, const char* path) {
  ShellExecuteA(static_cast<HWND>(parent), "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

void* Allocate(std::size_t bytes) { return std::calloc(bytes, 1); }

void ReleaseMemory(void* block) { std::free(block); }

Platform current = {LoadModule, FindExport, ReleaseModule, FindFirst, PathAttributes,
                    DriveType, OpenDocument, Allocate, ReleaseMemory};

}  // namespace

const Platform& Os() { return current; }
Platform& OsForSubstitution() { return current; }

}  // namespace md
