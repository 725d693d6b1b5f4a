#include <cstring>

#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"

namespace md {
namespace {

constexpr std::size_t kMaxPath = 260;

// "X:" or "X:\"-like texts are asked of the drive, never of the file search.
int64_t ProbeDriveRoot(const char* path, std::size_t length) {
  char root[4] = {path[0], path[1], length == 3 ? path[2] : '\\', '\0'};
  const unsigned type = Os().drive_type(root);
  return (type == kDriveUnknown || type == kDriveNoRootDir) ? kPathAbsent : kPathIsFolder;
}

// The file search does not find share roots such as \\server\share.
int64_t ProbeNetworkName(const char* path) {
  if (std::strncmp(path, "\\\\", 2) != 0) return kPathAbsent;
  const uint32_t attributes = Os().path_attributes(path);
  if (attributes != kInvalidAttributes && (attributes & kAttributeDirectory)) return kPathIsFolder;
  return kPathAbsent;
}

// Probes the `*length` bytes at `path`, a writable C text: trailing
// backslashes are cut off in place and `*length` follows.
int64_t ProbeInPlace(char* path, std::size_t* length) {
  if (*length == 0) return kPathAbsent;
  if ((*length == 2 || *length == 3) && path[1] == ':') return ProbeDriveRoot(path, *length);

  while (*length > 0 && path[*length - 1] == '\\') path[--*length] = '\0';

  FoundEntry entry;
  if (*length == 0 || !Os().find_first(path, &entry)) return ProbeNetworkName(path);
  if (entry.attributes & kAttributeDirectory) return kPathIsFolder;
  return static_cast<int64_t>(entry.size);
}

}  // namespace

int64_t ProbeFile(OwnedText* path) noexcept {
  if (path->bytes == nullptr) return kPathAbsent;
  const int64_t found = ProbeInPlace(path->bytes, &path->length);
  if (path->length == 0) ReleaseText(path);
  return found;
}

int64_t ProbePath(const char* path) noexcept {
  if (path == nullptr) return kPathAbsent;
  char copy[kMaxPath + 1];
  std::size_t length = strnlen(path, kMaxPath);
  std::memcpy(copy, path, length);
  copy[length] = '\0';
  return ProbeInPlace(copy, &length);
}

}  // namespace md
