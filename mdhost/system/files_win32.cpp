// mdhost's output encodings, files and process figures on Win32.
#include <windows.h>  // first: the other system headers need it

#include <fcntl.h>
#include <io.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "mdhost/system/system.h"

namespace host {

// ---- Output -------------------------------------------------------------------

void UseBinaryOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

namespace {

std::wstring Widen(const std::string& text, UINT code_page) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

}  // namespace

void AnsiByteMap(int map[256]) {
  CPINFO info = {};
  const bool double_byte = GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2;
  for (int byte = 0; byte < 256; ++byte) {
    const char one = static_cast<char>(byte);
    wchar_t wide[2];
    if (double_byte && IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byte)))
      map[byte] = -2;
    else if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &one, 1, wide, 2) == 1)
      map[byte] = wide[0];
    else
      map[byte] = -1;
  }
}

int AnsiPairCodePoint(const char* two_bytes) {
  wchar_t wide[2];
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, two_bytes, 2, wide, 2) == 1 ? wide[0] : -1;
}

std::string AnsiToUtf8(const std::string& ansi) {
  const std::wstring wide = Widen(ansi, CP_ACP);
  if (wide.empty()) return std::string();
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr, nullptr);
  return utf8;
}

void WriteUtf8(std::FILE* stream, const std::string& utf8) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const std::wstring wide = Widen(utf8, CP_UTF8);
    DWORD written;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

// ---- Files --------------------------------------------------------------------

std::vector<std::string> MatchingFiles(const std::string& pattern) {
  std::vector<std::string> files;
  const std::size_t slash = pattern.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return files;
  do
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + data.cFileName);
  while (FindNextFileA(search, &data));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

std::string OwnProgramPath() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(self, length) : "mdhost.exe";
}

std::string AbsolutePath(const std::string& path) {
  const DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::string full(size, '\0');
  const DWORD written = GetFullPathNameA(path.c_str(), size, &full[0], nullptr);
  if (written == 0 || written >= size) return path;
  full.resize(written);
  return full;
}

bool NamesIgnoreCase() { return true; }

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  if (!IsFile(path)) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char chunk[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE) && got > 0) bytes->append(chunk, got);
  CloseHandle(file);
  return ok;
}

namespace {

// The file a name reaches, links followed; the name itself where it is not there.
std::string FinalName(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  char name[MAX_PATH * 4];
  const DWORD length = GetFinalPathNameByHandleA(file, name, sizeof name, FILE_NAME_NORMALIZED);
  CloseHandle(file);
  if (length == 0 || length >= sizeof name) return path;
  std::string final(name, length);
  if (final.compare(0, 4, "\\\\?\\") == 0 && final.size() > 6 && final[5] == ':') final.erase(0, 4);
  return final;
}

}  // namespace

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string* why) {
  const std::string target = FinalName(path);
  const DWORD attributes = GetFileAttributesA(target.c_str());
  char temporary[MAX_PATH];
  if (GetTempFileNameA(FolderOf(target).c_str(), "mdh", 0, temporary) == 0) {
    *why = LastErrorText();
    return false;
  }
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool written = file != INVALID_HANDLE_VALUE;
  for (std::size_t at = 0; written && at < bytes.size();) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1 << 20));
    written = WriteFile(file, bytes.data() + at, chunk, &put, nullptr) && put > 0;
    at += put;
  }
  written = written && FlushFileBuffers(file);
  if (!written) *why = LastErrorText();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (written && attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(temporary, attributes);
  if (written && !MoveFileExA(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    *why = LastErrorText();
    written = false;
  }
  if (!written) DeleteFileA(temporary);
  return written;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION info[2];
  const std::string* names[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    HANDLE file = CreateFileA(names[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const BOOL known = GetFileInformationByHandle(file, &info[i]);
    CloseHandle(file);
    if (!known) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ImportFindable(const std::string& name, const std::string& folder) {
  if (_strnicmp(name.c_str(), "api-ms-", 7) == 0 || _strnicmp(name.c_str(), "ext-ms-", 7) == 0) return true;
  if (GetModuleHandleA(name.c_str()) != nullptr) return true;
  char system[MAX_PATH], windows[MAX_PATH], self[MAX_PATH];
  std::string places[] = {folder, "", "", ""};
  if (GetSystemDirectoryA(system, MAX_PATH)) places[1] = system;
  if (GetWindowsDirectoryA(windows, MAX_PATH)) places[2] = windows;
  if (GetModuleFileNameA(nullptr, self, MAX_PATH)) {
    places[3] = self;
    places[3].resize(places[3].find_last_of("\\/") + 1);
  }
  for (std::string place : places) {
    if (place.empty()) continue;
    if (place.back() != '\\' && place.back() != '/') place += '\\';
    if (IsFile(place + name)) return true;
  }
  return false;
}

namespace {

// The name in the ANSI code page, or false where it cannot be written there.
bool NarrowExactly(const wchar_t* wide, std::string* ansi) {
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  ansi->assign(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, &(*ansi)[0], n, nullptr, nullptr);
  ansi->pop_back();
  return true;
}

std::string WideToUtf8(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], n, nullptr, nullptr);
  utf8.pop_back();
  return utf8;
}

}  // namespace

// Listed by wide names: a name the ANSI code page cannot hold is not
// silently left out but told, as the host cannot load what lies there.
std::vector<std::string> FilesBelow(const std::string& folder, std::vector<std::string>* unreachable) {
  std::string top = folder;
  while (top.size() > 1 && (top.back() == '\\' || top.back() == '/') && top[top.size() - 2] != ':') top.pop_back();
  std::vector<std::string> files, pending = {top};
  while (!pending.empty()) {
    const std::string dir = pending.back();
    pending.pop_back();
    const std::wstring pattern = Widen(dir + "\\*", CP_ACP);
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
      const std::string separator = dir.back() == '\\' || dir.back() == '/' ? "" : "\\";
      std::string name;
      if (!NarrowExactly(data.cFileName, &name)) {
        unreachable->push_back(AnsiToUtf8(dir + separator) + WideToUtf8(data.cFileName));
        continue;
      }
      const std::string path = dir + separator + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) pending.push_back(path);
      } else {
        files.push_back(path);
      }
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  std::sort(files.begin(), files.end());
  std::sort(unreachable->begin(), unreachable->end());
  return files;
}

namespace {

std::string ErrorCodeText(DWORD code) {
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "";
  LocalFree(text);
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' || message.back() == '.' || message.back() == ' '))
    message.pop_back();
  char number[32];
  std::snprintf(number, sizeof number, "error %lu", static_cast<unsigned long>(code));
  return message.empty() ? std::string(number) : AnsiToUtf8(message) + " (" + number + ")";
}

}  // namespace

std::string LastErrorText() { return ErrorCodeText(GetLastError()); }

std::string LoadErrorText(uint32_t code, const char*) {
  // The loader's "bad format" is what a file that is not a module gives.
  if (code == ERROR_BAD_EXE_FORMAT) return "not a module";
  return ErrorCodeText(code);
}

// ---- Process figures ------------------------------------------------------------

MemoryFigures CurrentMemory() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  MemoryFigures figures;
  figures.working_set = counters.WorkingSetSize;
  figures.private_bytes = counters.PrivateUsage;  // Wine reports 0
  figures.handles = handles;
  return figures;
}

// The C runtime makes argv from the wide command line in the ANSI code page,
// best fit first, the default character for the rest; an argument that does
// not come back from that as it was has lost its name.
LostName ArgumentNameLost(const std::string& argument, std::string* real_name) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return LostName::kNotLost;
  LostName lost = LostName::kNotLost;
  for (int i = 1; i < count && lost == LostName::kNotLost; ++i) {
    const int n = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) continue;
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide[i], -1, &narrow[0], n, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(n) - 1);
    if (narrow != argument) continue;
    const int m = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
    std::wstring back(static_cast<std::size_t>(m > 0 ? m : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, &back[0], m);
    if (std::wcscmp(back.c_str(), wide[i]) == 0) continue;
    lost = GetFileAttributesW(wide[i]) != INVALID_FILE_ATTRIBUTES ? LostName::kExists : LostName::kAbsent;
    *real_name = WideToUtf8(wide[i]);
  }
  LocalFree(wide);
  return lost;
}

}  // namespace host
