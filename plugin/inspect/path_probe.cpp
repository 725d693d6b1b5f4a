#include <cstring>

#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"

namespace md {
namespace {

constexpr std::size_t kMaxPath = 260;

// "X:" or "X:\"-like texts are asked of the drive, never of the file search.
int64_t ProbeDriveRoot(char* copy, std::size_t length) {
  if (length == 2) std::memcpy(copy + 2, "\\", 2);
  const unsigned type = Os().drive_type(copy);
  return (type == kDriveUnknown || type == kDriveNoRootDir) ? kPathAbsent : kPathIsFolder;
}

// The file search does not find share roots such as \\server\share.
int64_t ProbeNetworkName(const char* copy) {
  if (std::strncmp(copy, "\\\\", 2) != 0) return kPathAbsent;
  const uint32_t attributes = Os().path_attributes(copy);
  if (attributes != kInvalidAttributes && (attributes & kAttributeDirectory)) return kPathIsFolder;
  return kPathAbsent;
}

}  // namespace

int64_t ProbePath(const char* path) noexcept {
  if (path == nullptr || path[0] == '\0') return kPathAbsent;

  char copy[kMaxPath + 2];  // room for a drive root's appended backslash
  std::size_t length = strnlen(path, kMaxPath);
  std::memcpy(copy, path, length);
  copy[length] = '\0';

  if ((length == 2 || length == 3) && copy[1] == ':') return ProbeDriveRoot(copy, length);

  while (length > 0 && copy[length - 1] == '\\') copy[--length] = '\0';

  FoundEntry entry;
  if (length == 0 || !Os().find_first(copy, &entry)) return ProbeNetworkName(copy);
  if (entry.attributes & kAttributeDirectory) return kPathIsFolder;
  return static_cast<int64_t>(entry.size);
}

}  // namespace md
