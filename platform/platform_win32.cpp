// Win32 side of the platform seam.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/platform.h"

namespace md {
namespace {

// LoadLibraryA would append ".dll" to a name without an extension and look in
// the program's folder before the current one. The full path, with a trailing
// "." where the file name has no extension, names the very file the probe
// found; the altered search order lets that file's folder serve its imports.
// A full path of MAX_PATH or more goes as a "\\?\" path, which the loader
// takes literally: there an extensionless name cannot be spelled, so such a
// file is not loaded rather than another one. A "\\?\" path the caller gave
// is loaded without its prefix, so that its name is read the same way.

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";
constexpr DWORD kPrefixRoom = 8;  // "\\?\UNC\"

wchar_t* Widen(const char* path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return nullptr;
  auto* wide = static_cast<wchar_t*>(std::calloc(static_cast<std::size_t>(length), sizeof(wchar_t)));
  if (wide != nullptr) MultiByteToWideChar(CP_ACP, 0, path, -1, wide, length);
  return wide;
}

// The path without a "\\?\" or "\\?\UNC\" prefix; may rewrite `wide`.
const wchar_t* WithoutLongPrefix(wchar_t* wide) {
  if (std::wcsncmp(wide, kLongPrefix, 4) != 0) return wide;
  if (_wcsnicmp(wide + 4, L"UNC\\", 4) == 0) {
    wide[6] = L'\\';  // "\\?\UNC\server" becomes "\\server"
    return wide + 6;
  }
  return wide + 4;
}

bool HasExtension(const wchar_t* full, DWORD length) {
  for (DWORD i = length; i > 0; --i) {
    if (full[i - 1] == L'.') return true;
    if (full[i - 1] == L'\\' || full[i - 1] == L'/') return false;
  }
  return false;
}

DWORD last_load_error = 0;

HMODULE LoadFullPath(const wchar_t* plain) {
  const DWORD needed = GetFullPathNameW(plain, 0, nullptr, nullptr);
  if (needed == 0) return nullptr;
  auto* buffer = static_cast<wchar_t*>(std::calloc(static_cast<std::size_t>(needed) + kPrefixRoom + 2, sizeof(wchar_t)));
  if (buffer == nullptr) return nullptr;
  wchar_t* full = buffer + kPrefixRoom;
  DWORD length = GetFullPathNameW(plain, needed, full, nullptr);
  HMODULE module = nullptr;
  if (length > 0 && length < needed) {
    const bool extension = HasExtension(full, length);
    if (length + (extension ? 0 : 1) < MAX_PATH) {
      if (!extension) full[length] = L'.';
      module = LoadLibraryExW(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
      if (module == nullptr) last_load_error = GetLastError();
    } else if (extension) {
      const bool unc = full[0] == L'\\' && full[1] == L'\\';
      wchar_t* literal = unc ? full + 2 - 8 : full - 4;
      std::memcpy(literal, unc ? kLongUncPrefix : kLongPrefix, (unc ? 8 : 4) * sizeof(wchar_t));
      module = LoadLibraryExW(literal, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
      if (module == nullptr) last_load_error = GetLastError();
    }
  }
  std::free(buffer);
  return module;
}

// Only the loader's own refusal is told: the path work before it fails only
// for want of memory or for a name the loader could not be given.
HMODULE LoadAndTell(const wchar_t* plain) {
  last_load_error = ERROR_FILE_NOT_FOUND;
  return LoadFullPath(plain);
}

void* LoadModule(const char* path) {
  wchar_t* wide = Widen(path);
  if (wide == nullptr) return nullptr;
  HMODULE module = LoadAndTell(WithoutLongPrefix(wide));
  std::free(wide);
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

}  // namespace

Platform os_operations = {LoadModule, FindExport, ReleaseModule, FindFirst, PathAttributes,
                          DriveType, OpenDocument, Allocate, ReleaseMemory};

const Platform& Os() { return os_operations; }

LoadFailure LastLoadFailure() { return {last_load_error, ""}; }

}  // namespace md
