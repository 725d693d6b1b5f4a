// Win32 side of the platform seam.
//
// A path is resolved once, by the search: its bytes are widened in the code
// page the ANSI file functions use right now (SetFileApisToOEM changes it),
// made full against the current folder, and spelled with the "\\?\" prefix,
// which takes every length and every name the file system holds. A "\\?\"
// or "\??\" path the caller gave is already literal and stays as it is. The
// entry found is spelled as that folder and the entry's own name, and every
// load of it takes that spelling: nothing read afterwards (the current folder,
// the code page, the normalising of trailing dots and spaces, device names)
// can make a load open another file than the one found.
#include <windows.h>  // first: the other system headers need it

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/platform.h"
#include "platform/platform_win32.h"

namespace md {

SystemCalls system_calls = {MultiByteToWideChar,  GetFullPathNameW, FindFirstFileW,  FindClose,
                            GetFileAttributesExW, LoadLibraryExW,   IsDBCSLeadByteEx};

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";
constexpr std::size_t kLongPrefixLength = 4;
constexpr std::size_t kLongUncPrefixLength = 8;

// Through the seam's allocator, like every block of the module's own.
wchar_t* AllocateWide(std::size_t count) { return static_cast<wchar_t*>(Os().allocate(count * sizeof(wchar_t))); }
void FreeWide(wchar_t* block) { Os().release_memory(block); }

bool IsMemoryError(DWORD error) {
  return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY || error == ERROR_COMMITMENT_LIMIT;
}

// The code page the ANSI file functions read names in now: a host that
// called SetFileApisToOEM has them read OEM.
UINT FileApisCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

// The most UTF-16 characters a path can have, its "\\?\" prefix counted:
// the system's own counted strings hold no more, and a longer name handed
// to its path functions can end the process.
constexpr std::size_t kLongestPath = 32767;

// `path` in UTF-16 as the ANSI file functions read it now; false only when
// memory is short (`*wide` stays null for a text that cannot be converted
// or is longer than any path).
bool Widen(const char* path, wchar_t** wide) {
  *wide = nullptr;
  const UINT code_page = FileApisCodePage();
  const int length = system_calls.multi_byte_to_wide_char(code_page, 0, path, -1, nullptr, 0);
  if (length <= 0) return !IsMemoryError(GetLastError());
  if (static_cast<std::size_t>(length) - 1 > kLongestPath) return true;
  *wide = AllocateWide(static_cast<std::size_t>(length));
  if (*wide == nullptr) return false;
  if (system_calls.multi_byte_to_wide_char(code_page, 0, path, -1, *wide, length) == length) return true;
  const bool short_of_memory = IsMemoryError(GetLastError());
  FreeWide(*wide);
  *wide = nullptr;
  return !short_of_memory;
}

bool IsLiteral(const wchar_t* path) {
  return (std::wcsncmp(path, kLongPrefix, kLongPrefixLength) == 0 ||
          std::wcsncmp(path, L"\\??\\", kLongPrefixLength) == 0);
}

bool IsDevicePath(const wchar_t* full) {
  return full[0] == L'\\' && full[1] == L'\\' && (full[2] == L'.' || full[2] == L'?') && full[3] == L'\\';
}

// The full path of `wide` as a "\\?\" spelling in a block of its own.
Search MakeLiteral(const wchar_t* wide, wchar_t** literal) {
  const DWORD needed = system_calls.get_full_path_name(wide, 0, nullptr, nullptr);
  if (needed == 0) return IsMemoryError(GetLastError()) ? Search::kNoMemory : Search::kNothing;
  if (needed - 1 + kLongUncPrefixLength > kLongestPath) return Search::kNothing;  // resolved, longer than any path
  wchar_t* buffer = AllocateWide(static_cast<std::size_t>(needed) + kLongUncPrefixLength + 1);
  if (buffer == nullptr) return Search::kNoMemory;
  wchar_t* full = buffer + kLongUncPrefixLength;  // room for a prefix in front
  const DWORD length = system_calls.get_full_path_name(wide, needed, full, nullptr);
  if (length == 0 || length >= needed) {
    const bool short_of_memory = length == 0 && IsMemoryError(GetLastError());
    FreeWide(buffer);
    return short_of_memory ? Search::kNoMemory : Search::kNothing;
  }
  wchar_t* spelled = full;
  if (IsDevicePath(full)) {
    // "\\.\NUL" and the like: device names stay devices.
  } else if (full[0] == L'\\' && full[1] == L'\\') {
    spelled = full + 2 - kLongUncPrefixLength;  // "\\server\share" becomes "\\?\UNC\server\share"
    std::memcpy(spelled, kLongUncPrefix, kLongUncPrefixLength * sizeof(wchar_t));
  } else {
    spelled = full - kLongPrefixLength;
    std::memcpy(spelled, kLongPrefix, kLongPrefixLength * sizeof(wchar_t));
  }
  std::memmove(buffer, spelled, (std::wcslen(spelled) + 1) * sizeof(wchar_t));
  *literal = buffer;
  return Search::kFound;
}

}  // namespace

// The one spelling every operation on `path` uses, in a block of its own.
Search ResolvePath(const char* path, wchar_t** resolved) {
  *resolved = nullptr;
  wchar_t* wide;
  if (!Widen(path, &wide)) return Search::kNoMemory;
  if (wide == nullptr) return Search::kNothing;
  if (IsLiteral(wide)) {
    wide[1] = L'\\';  // "\??\" names what "\\?\" names
    *resolved = wide;
    return Search::kFound;
  }
  const Search made = MakeLiteral(wide, resolved);
  FreeWide(wide);
  return made;
}

namespace {

// The folder part of `searched` (up to its last backslash) with `name`, in a
// block from the seam's allocator: the caller's to release.
Search SpellEntry(const wchar_t* searched, const wchar_t* name, void** spelling) {
  const wchar_t* last = std::wcsrchr(searched, L'\\');
  const std::size_t folder = last != nullptr ? static_cast<std::size_t>(last - searched) + 1 : 0;
  const std::size_t name_length = std::wcslen(name);
  auto* spelled = static_cast<wchar_t*>(Os().allocate((folder + name_length + 1) * sizeof(wchar_t)));
  if (spelled == nullptr) return Search::kNoMemory;
  std::memcpy(spelled, searched, folder * sizeof(wchar_t));
  std::memcpy(spelled + folder, name, (name_length + 1) * sizeof(wchar_t));
  *spelling = spelled;
  return Search::kFound;
}

// True when the last name of `resolved` can only match itself: no wildcard
// (the file functions' own "<", ">" and '"' too) and no "~", which may be a
// short name that the search would spell long.
bool NamesOneEntry(const wchar_t* resolved) {
  const wchar_t* last = std::wcsrchr(resolved, L'\\');
  return std::wcspbrk(last != nullptr ? last : resolved, L"*?<>\"~") == nullptr;
}

// One entry asked for by its own name: its attributes and size, and the
// resolved path as its spelling, without a search of the folder.
Search QueryEntry(wchar_t* resolved, FoundEntry* entry, void** spelling) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!system_calls.get_file_attributes_ex(resolved, GetFileExInfoStandard, &data)) {
    const bool short_of_memory = IsMemoryError(GetLastError());
    FreeWide(resolved);
    return short_of_memory ? Search::kNoMemory : Search::kNothing;
  }
  entry->attributes = data.dwFileAttributes;
  entry->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (spelling != nullptr)
    *spelling = resolved;
  else
    FreeWide(resolved);
  return Search::kFound;
}

Search FindFirst(const char* path, FoundEntry* entry, void** spelling) {
  wchar_t* resolved;
  const Search made = ResolvePath(path, &resolved);
  if (made != Search::kFound) return made;
  if (NamesOneEntry(resolved)) return QueryEntry(resolved, entry, spelling);
  WIN32_FIND_DATAW data;
  HANDLE search = system_calls.find_first_file(resolved, &data);
  if (search == INVALID_HANDLE_VALUE) {
    const bool short_of_memory = IsMemoryError(GetLastError());
    FreeWide(resolved);
    return short_of_memory ? Search::kNoMemory : Search::kNothing;
  }
  system_calls.find_close(search);
  entry->attributes = data.dwFileAttributes;
  entry->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  const Search spelled = spelling != nullptr ? SpellEntry(resolved, data.cFileName, spelling) : Search::kFound;
  FreeWide(resolved);
  return spelled;
}

bool HasExtension(const wchar_t* name, std::size_t length) {
  for (std::size_t i = length; i > 0; --i) {
    if (name[i - 1] == L'.') return true;
    if (name[i - 1] == L'\\') return false;
  }
  return false;
}

// Whether the loader's path handling leaves `plain` as it is: no trailing
// dot or space, no device name, no "." or ".." step would be rewritten.
enum class Normalising { kSame, kRewritten, kNoMemory };
Normalising WhatNormalisingDoes(const wchar_t* plain, std::size_t length) {
  wchar_t* full = AllocateWide(length + 2);
  if (full == nullptr) return Normalising::kNoMemory;
  const DWORD made = system_calls.get_full_path_name(plain, static_cast<DWORD>(length + 2), full, nullptr);
  const bool short_of_memory = made == 0 && IsMemoryError(GetLastError());
  const bool same = made == length && std::wcscmp(full, plain) == 0;
  FreeWide(full);
  if (short_of_memory) return Normalising::kNoMemory;
  return same ? Normalising::kSame : Normalising::kRewritten;
}

HMODULE LoadWithAlteredSearchPath(const wchar_t* path, DWORD* error) {
  HMODULE module = system_calls.load_library_ex(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) *error = GetLastError();
  return module;
}

// The loader appends ".dll" to a name without an extension; a trailing "."
// stops that, but only a plain path loses the dot again on its way to the
// file system. So a name is loaded plainly when the plain path names the very
// same file, and literally ("\\?\") when it is too long for a plain path or
// would be rewritten. What neither can spell (a literal name without an
// extension, or ending in a space, which the loader drops) is not loaded at
// all, rather than another file in its place.
HMODULE LoadSpelled(const wchar_t* literal, bool* short_of_memory, DWORD* error) {
  const std::size_t length = std::wcslen(literal);
  wchar_t* plain = AllocateWide(length + 2);
  if (plain == nullptr) {
    *short_of_memory = true;
    return nullptr;
  }
  if (std::wcsncmp(literal, kLongUncPrefix, kLongUncPrefixLength) == 0) {
    plain[0] = plain[1] = L'\\';
    std::wcscpy(plain + 2, literal + kLongUncPrefixLength);
  } else if (std::wcsncmp(literal, kLongPrefix, kLongPrefixLength) == 0) {
    std::wcscpy(plain, literal + kLongPrefixLength);
  } else {
    std::wcscpy(plain, literal);
  }
  const std::size_t plain_length = std::wcslen(plain);
  const bool extension = HasExtension(plain, plain_length);
  HMODULE module = nullptr;
  *error = ERROR_BAD_PATHNAME;
  const Normalising normalising = WhatNormalisingDoes(plain, plain_length);
  if (normalising == Normalising::kNoMemory) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
  } else if (normalising == Normalising::kSame && (!extension || plain_length < MAX_PATH)) {
    if (!extension) plain[plain_length] = L'.';
    module = LoadWithAlteredSearchPath(plain, error);
  } else if (extension && literal[length - 1] != L' ') {
    module = LoadWithAlteredSearchPath(literal, error);
  }
  FreeWide(plain);
  *short_of_memory = module == nullptr && IsMemoryError(*error);
  return module;
}

void* LoadModule(const void* spelling, bool* short_of_memory, LoadFailure* why) {
  *short_of_memory = false;
  if (spelling == nullptr) return nullptr;
  DWORD error = 0;
  HMODULE module = LoadSpelled(static_cast<const wchar_t*>(spelling), short_of_memory, &error);
  if (module == nullptr && why != nullptr) *why = {error, ""};
  return reinterpret_cast<void*>(module);
}

void* FindExport(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void ReleaseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

uint32_t PathAttributes(const char* path) {
  wchar_t* wide;
  if (!Widen(path, &wide) || wide == nullptr) return kInvalidAttributes;
  const uint32_t attributes = GetFileAttributesW(wide);
  FreeWide(wide);
  return attributes;
}

unsigned DriveType(const char* root) { return GetDriveTypeA(root); }

void OpenDocument(void* parent, const char* path) {
  ShellExecuteA(static_cast<HWND>(parent), "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

// The current stack's base, NT_TIB.StackBase in the thread information block
// at FS:4 (the module is 32-bit only), which a fiber switch changes along with
// the stack.
uintptr_t CurrentStack() {
  uintptr_t base;
  __asm__("movl %%fs:4, %0" : "=r"(base));
  return base;
}

bool LeadByte(char byte) {
  return system_calls.is_dbcs_lead_byte_ex(FileApisCodePage(), static_cast<BYTE>(byte)) != FALSE;
}

}  // namespace

Platform os_operations = {FindFirst,    LoadModule,     FindExport,   ReleaseModule, PathAttributes, DriveType,
                          OpenDocument, AllocateZeroed, ReleaseBlock, CurrentStack,  LeadByte};

const Platform& Os() { return os_operations; }

void TellNotFound(LoadFailure* why, bool short_of_memory) {
  if (why != nullptr) *why = {short_of_memory ? DWORD{ERROR_NOT_ENOUGH_MEMORY} : DWORD{ERROR_FILE_NOT_FOUND}, ""};
}

}  // namespace md
