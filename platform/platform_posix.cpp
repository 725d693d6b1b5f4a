// POSIX side of the platform seam, for the native build. Drive roots and
// network names exist only on Windows; the shell opener is a no-op here.
#include <dlfcn.h>
#include <glob.h>
#include <sys/stat.h>

#include <cstring>

#include "platform.h"

namespace md {
namespace {

void* LoadModule(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

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
  const uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  entry->attributes = AttributesOf(st);
  entry->size_high = static_cast<uint32_t>(size >> 32);
  entry->size_low = static_cast<uint32_t>(size);
  return true;
}

uint32_t PathAttributes(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 ? AttributesOf(st) : kInvalidAttributes;
}

unsigned DriveType(const char*) { return kDriveNoRootDir; }

void OpenDocument(void*, const char*) {}

constexpr Platform kPosix = {LoadModule, FindExport, ReleaseModule, FindFirst,
                             PathAttributes, DriveType, OpenDocument};

}  // namespace

const Platform& NativeOs() { return kPosix; }

Platform& Os() {
  static Platform current = kPosix;
  return current;
}

}  // namespace md
