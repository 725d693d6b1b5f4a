// mdhost's output encodings, files and process figures on POSIX, for the native
// build. Plugin texts are Windows texts: they are read as Windows-1252.
#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mdhost/system/encoding.h"
#include "mdhost/system/system.h"

namespace host {

// ---- Output -------------------------------------------------------------------

void UseBinaryOutput() {}

std::string AnsiToUtf8(const std::string& ansi) {
  std::string utf8;
  utf8.reserve(ansi.size());
  for (unsigned char byte : ansi) AppendUtf8(Windows1252(byte), &utf8);
  return utf8;
}

void AnsiByteMap(int map[256]) {
  for (int byte = 0; byte < 256; ++byte) map[byte] = static_cast<int>(Windows1252(static_cast<unsigned char>(byte)));
}

int AnsiPairCodePoint(const char*) { return -1; }

void WriteUtf8(std::FILE* stream, const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stream); }

// ---- Files --------------------------------------------------------------------

std::vector<std::string> MatchingFiles(const std::string& pattern) {
  std::vector<std::string> files;
  glob_t found = {};
  if (glob(pattern.c_str(), 0, nullptr, &found) == 0)
    for (std::size_t i = 0; i < found.gl_pathc; ++i)
      if (IsFile(found.gl_pathv[i])) files.push_back(found.gl_pathv[i]);
  globfree(&found);
  return files;  // glob sorts them
}

std::string OwnProgramPath() {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  return length > 0 ? std::string(self, static_cast<std::size_t>(length)) : "mdhost";
}

// As GetFullPathName does on Windows: made absolute, "." and ".." segments
// and doubled separators resolved by the name alone.
std::string AbsolutePath(const std::string& path) {
  std::string joined = path;
  if (path.empty() || path[0] != '/') {
    char here[4096];
    if (getcwd(here, sizeof here) == nullptr) return path;
    joined = std::string(here) + "/" + path;
  }
  std::vector<std::string> segments;
  std::size_t at = 0;
  while (at <= joined.size()) {
    std::size_t end = joined.find('/', at);
    if (end == std::string::npos) end = joined.size();
    const std::string segment = joined.substr(at, end - at);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    at = end + 1;
  }
  std::string out;
  for (const std::string& segment : segments) out += "/" + segment;
  if (!joined.empty() && joined.back() == '/' && !out.empty()) out += "/";
  return out.empty() ? "/" : out;
}

bool NamesIgnoreCase() { return false; }

bool IsPathSeparator(char c) { return c == '/'; }

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  if (!IsFile(path)) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes->clear();
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      close(fd);
      return got == 0;
    }
    bytes->append(chunk, static_cast<std::size_t>(got));
  }
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string* why) {
  // The link's target is what is replaced; a name not there yet is made.
  std::string target = path;
  if (char* real = realpath(path.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  struct stat before;
  const bool existed = stat(target.c_str(), &before) == 0;
  std::string temporary = target + ".mdhost-XXXXXX";
  const int fd = mkstemp(&temporary[0]);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  mode_t mode = 0;
  if (existed) {
    mode = before.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool written = fchmod(fd, mode) == 0;
  for (std::size_t at = 0; written && at < bytes.size();) {
    const ssize_t put = write(fd, bytes.data() + at, bytes.size() - at);
    if (put < 0 && errno == EINTR) continue;
    written = put > 0;
    if (written) at += static_cast<std::size_t>(put);
  }
  written = written && fsync(fd) == 0;
  const int error = errno;
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
    *why = std::strerror(written ? errno : error);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat x, y;
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

LostName ArgumentNameLost(const std::string&, std::string*) { return LostName::kNotLost; }  // bytes arrive as they are

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The loader's own message names a missing library already.
bool ImportFindable(const std::string&, const std::string&) { return true; }

std::vector<std::string> FilesBelow(const std::string& folder, std::vector<std::string>*) {
  std::vector<std::string> files, pending = {folder};
  while (!pending.empty()) {
    const std::string dir = pending.back();
    pending.pop_back();
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) continue;
    while (const dirent* entry = readdir(listing)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = dir + (dir.back() == '/' ? "" : "/") + name;
      struct stat st;
      if (lstat(path.c_str(), &st) != 0) continue;
      if (S_ISDIR(st.st_mode))
        pending.push_back(path);
      else if (S_ISREG(st.st_mode))
        files.push_back(path);
    }
    closedir(listing);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string LastErrorText() { return std::strerror(errno); }

std::string LoadErrorText(uint32_t, const char* text) { return text != nullptr && *text ? text : "not loaded"; }

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
