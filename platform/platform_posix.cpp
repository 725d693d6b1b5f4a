// POSIX side of the platform seam, for the native build. Drive roots and
// network names exist only on Windows; the shell opener is a no-op here.
#include <dlfcn.h>
#include <glob.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace md {
namespace {

// The resolved path names the very file probed: dlopen would search its
// library path for a name without a slash.
char last_load_error[512];

void* LoadModule(const char* path) {
  last_load_error[0] = '\0';
  char* resolved = realpath(path, nullptr);
  if (resolved == nullptr) {
    std::strncat(last_load_error, std::strerror(errno), sizeof last_load_error - 1);
    return nullptr;
  }
  dlerror();  // only this load's error is read below
  void* module = dlopen(resolved, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* why = dlerror();
    std::strncat(last_load_error, why != nullptr ? why : "", sizeof last_load_error - 1);
  }
  std::free(resolved);
  return module;
}

void* FindExport(void* module, const char* name) { return dlsym(module, name); }

void ReleaseModule(void* module) { dlclose(module); }

uint32_t AttributesOf(const struct stat& st) {
  return S_ISDIR(st.st_mode) ? kAttributeDirectory : 0x80u;  // FILE_ATTRIBUTE_NORMAL
}

bool FindFirst(const char* path, FoundEntry* entry) {
  struct stat st;
  bool found = false;
  if (std::strpbrk(path, "*?") == nullptr) {
    found = stat(path, &st) == 0;
  } else {
    glob_t matches;
    if (glob(path, 0, nullptr, &matches) == 0 && matches.gl_pathc > 0)
      found = stat(matches.gl_pathv[0], &st) == 0;
    globfree(&matches);
  }
  if (!found) return false;
  entry->attributes = AttributesOf(st);
  entry->size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  return true;
}

uint32_t PathAttributes(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 ? AttributesOf(st) : kInvalidAttributes;
}

unsigned DriveType(const char*) { return kDriveNoRootDir; }

void OpenDocument(void*, const char*) {}

void* Allocate(std::size_t bytes) { return std::calloc(bytes, 1); }

void ReleaseMemory(void* block) { std::free(block); }

}  // namespace

Platform os_operations = {LoadModule, FindExport, ReleaseModule, FindFirst, PathAttributes,
                          DriveType, OpenDocument, Allocate, ReleaseMemory};

const Platform& Os() { return os_operations; }

LoadFailure LastLoadFailure() { return {0, last_load_error}; }

}  // namespace md
