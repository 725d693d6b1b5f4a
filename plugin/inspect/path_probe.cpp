// The path probe: whether a path names a drive root or folder, a file (and
// its size) or nothing, asked of the seam's one search so that the file
// found is the file every load of the call reads (its spelling comes back
// with the answer).
#include <cstring>

#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"

namespace md {
namespace {

constexpr std::size_t kMaxPath = 260;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "X:" and "X:\" (or "X:/") are asked of the drive, never of the file
// search. "X:name" is a name relative to that drive's folder, and searched.
bool IsDriveRoot(const char* path, std::size_t length) {
  return path[1] == ':' && (length == 2 || (length == 3 && IsSeparator(path[2])));
}

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

// The length of `path` without its trailing separators, stepping by
// characters: in a double-byte code page a character's second byte may be
// a backslash (ソ is 83 5C in code page 932), and it is no separator.
std::size_t WithoutTrailingSeparators(const char* path, std::size_t length) {
  if (!IsSeparator(path[length - 1])) return length;
  std::size_t kept = 0;
  for (std::size_t at = 0; at < length;) {
    const std::size_t step = Os().lead_byte(path[at]) && at + 1 < length ? 2 : 1;
    if (step == 2 || !IsSeparator(path[at])) kept = at + step;
    at += step;
  }
  return kept;
}

// Probes the `*length` bytes at `path`, a writable C text: trailing
// separators are cut off in place (a file followed by a separator is that
// file, whichever separator it is) and `*length` follows.
int64_t ProbeInPlace(char* path, std::size_t* length, void** spelling) {
  if (*length == 0) return kPathAbsent;
  if (IsDriveRoot(path, *length)) return ProbeDriveRoot(path, *length);

  *length = WithoutTrailingSeparators(path, *length);
  path[*length] = '\0';
  if (*length == 0) return kPathAbsent;

  FoundEntry entry;
  switch (Os().find_first(path, &entry, spelling)) {
    case Search::kNoMemory: return kPathNoMemory;
    case Search::kNothing: return ProbeNetworkName(path);
    case Search::kFound: break;
  }
  if (entry.attributes & kAttributeDirectory) return kPathIsFolder;
  return static_cast<int64_t>(entry.size);
}

}  // namespace

int64_t ProbeFile(OwnedText* path, void** spelling) noexcept {
  *spelling = nullptr;
  if (path->bytes == nullptr) return kPathAbsent;
  const int64_t found = ProbeInPlace(path->bytes, &path->length, spelling);
  if (path->length == 0) ReleaseText(path);
  if (found < 0) {  // a folder's spelling is of no use to anyone
    Os().release_memory(*spelling);
    *spelling = nullptr;
  }
  return found;
}

int64_t ProbePath(const char* path) noexcept {
  if (path == nullptr) return kPathAbsent;
  char copy[kMaxPath + 1];
  std::size_t length = strnlen(path, kMaxPath);
  std::memcpy(copy, path, length);
  copy[length] = '\0';
  const int64_t found = ProbeInPlace(copy, &length, nullptr);
  return found == kPathNoMemory ? kPathAbsent : found;
}

}  // namespace md
