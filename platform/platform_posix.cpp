// POSIX side of the platform seam, for the native build. Drive roots and
// network names exist only on Windows; the shell opener is a no-op here.
#include <dlfcn.h>
#include <glob.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace md {
namespace {

void Tell(LoadFailure* why, const char* words) {
  if (why == nullptr) return;
  why->code = 0;
  why->text[0] = '\0';
  std::strncat(why->text, words != nullptr ? words : "", sizeof why->text - 1);
}

uint32_t AttributesOf(const struct stat& st) {
  return S_ISDIR(st.st_mode) ? kAttributeDirectory : 0x80u;  // FILE_ATTRIBUTE_NORMAL
}

// The absolute path of `match`, in a block from the seam's allocator: a
// relative path is made absolute now, once, whatever folder is current when
// it is loaded (and dlopen searches nothing for a name with a slash).
Search Spell(const char* match, void** spelling) {
  char folder[4096];
  const bool relative = match[0] != '/';
  if (relative && getcwd(folder, sizeof folder) == nullptr)
    return errno == ENOMEM ? Search::kNoMemory : Search::kNothing;
  const std::size_t prefix = relative ? std::strlen(folder) + 1 : 0;
  const std::size_t length = std::strlen(match);
  auto* block = static_cast<char*>(Os().allocate(prefix + length + 1));
  if (block == nullptr) return Search::kNoMemory;
  if (relative) {
    std::memcpy(block, folder, prefix - 1);
    block[prefix - 1] = '/';
  }
  std::memcpy(block + prefix, match, length + 1);
  *spelling = block;
  return Search::kFound;
}

Search FindFirst(const char* path, FoundEntry* entry, void** spelling) {
  struct stat st;
  Search found = Search::kNothing;
  const char* match = path;
  glob_t matches;
  const bool wildcards = std::strpbrk(path, "*?") != nullptr;
  // As the system's file search on Windows: wildcards in the last name
  // alone; one in a folder's name names nothing (and walks no tree).
  const char* last = std::strrchr(path, '/');
  if (wildcards && last != nullptr && std::strpbrk(path, "*?") < last) return Search::kNothing;
  if (wildcards) {
    const int globbed = glob(path, 0, nullptr, &matches);
    if (globbed == GLOB_NOSPACE) return Search::kNoMemory;
    match = globbed == 0 && matches.gl_pathc > 0 ? matches.gl_pathv[0] : nullptr;
  }
  if (match != nullptr && stat(match, &st) == 0) {
    entry->attributes = AttributesOf(st);
    entry->size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    found = spelling != nullptr ? Spell(match, spelling) : Search::kFound;
  }
  if (wildcards) globfree(&matches);
  return found;
}

// A resolved path is the very file probed: dlopen would search its library
// path for a name without a slash.
void* LoadModule(const void* spelling, bool* short_of_memory, LoadFailure* why) {
  *short_of_memory = false;
  if (spelling == nullptr) return nullptr;
  dlerror();  // only this load's error is read below
  void* module = dlopen(static_cast<const char*>(spelling), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) Tell(why, dlerror());
  return module;
}

void* FindExport(void* module, const char* name) { return dlsym(module, name); }

void ReleaseModule(void* module) { dlclose(module); }

uint32_t PathAttributes(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 ? AttributesOf(st) : kInvalidAttributes;
}

unsigned DriveType(const char*) { return kDriveNoRootDir; }

void OpenDocument(void*, const char*) {}

uintptr_t CurrentStack() { return static_cast<uintptr_t>(pthread_self()); }

bool LeadByte(char) { return false; }

}  // namespace

Platform os_operations = {FindFirst,    LoadModule,     FindExport,   ReleaseModule, PathAttributes, DriveType,
                          OpenDocument, AllocateZeroed, ReleaseBlock, CurrentStack,  LeadByte};

const Platform& Os() { return os_operations; }

void TellNotFound(LoadFailure* why, bool short_of_memory) {
  Tell(why, std::strerror(short_of_memory ? ENOMEM : errno ? errno : ENOENT));
}

}  // namespace md
