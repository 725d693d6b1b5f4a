// mdhost's output encodings, files and process figures on POSIX, for the native
// build. Plugin texts are Windows texts: they are read as Windows-1252.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "mdhost/system/system.h"

namespace host {

// ---- Output -------------------------------------------------------------------

void UseBinaryOutput() {}

std::string AnsiToUtf8(const std::string& ansi) {
  // Windows-1252's 0x80..0x9F; the five unassigned bytes stay C1 controls, as
  // Windows itself converts them.
  static const uint16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string utf8;
  utf8.reserve(ansi.size());
  for (unsigned char byte : ansi) {
    const unsigned code = (byte >= 0x80 && byte < 0xA0) ? kHigh[byte - 0x80] : byte;
    if (code < 0x80) {
      utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (code >> 12));
      utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

void WriteUtf8(std::FILE* stream, const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stream); }

// ---- Files --------------------------------------------------------------------

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files, pending = {folder};
  while (!pending.empty()) {
    const std::string dir = pending.back();
    pending.pop_back();
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) continue;
    while (const dirent* entry = readdir(listing)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "/" + name;
      struct stat st;
      if (lstat(path.c_str(), &st) != 0) continue;
      if (S_ISDIR(st.st_mode)) pending.push_back(path);
      else if (S_ISREG(st.st_mode)) files.push_back(path);
    }
    closedir(listing);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string LastErrorText() { return std::strerror(errno); }

std::string LastLoadErrorText() {
  const char* error = dlerror();
  return error ? error : std::strerror(errno);
}

// ---- Process figures ------------------------------------------------------------

MemoryFigures CurrentMemory() {
  MemoryFigures figures;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    unsigned long pages = 0, resident = 0, shared = 0;
    if (std::fscanf(statm, "%lu %lu %lu", &pages, &resident, &shared) == 3) {
      const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
      figures.working_set = resident * page;
      figures.private_bytes = (resident - shared) * page;
    }
    std::fclose(statm);
  }
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (readdir(fds) != nullptr) ++figures.handles;
    closedir(fds);
    figures.handles -= 3;  // ".", ".." and the listing's own descriptor
  }
  return figures;
}

}  // namespace host
