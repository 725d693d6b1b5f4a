// The operating system as the plugin sees it, and as mdhost loads plugins: one
// table of operations, with one implementation per platform behind it.
// Production code only reads it; tests substitute operations through
// tests/support/substitute_os.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace md {

constexpr uint32_t kAttributeDirectory = 0x10;         // FILE_ATTRIBUTE_DIRECTORY
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;   // INVALID_FILE_ATTRIBUTES
constexpr unsigned kDriveUnknown = 0;                  // DRIVE_UNKNOWN
constexpr unsigned kDriveNoRootDir = 1;                // DRIVE_NO_ROOT_DIR

struct FoundEntry {
  uint32_t attributes;
  uint64_t size;
};

struct Platform {
  // Loads exactly the file at `path` (relative to the current folder, never
  // searched for), letting its own folder serve its dependencies; a handle or
  // null. Then: an export's address or null; release a handle.
  void* (*load_module)(const char* path);
  void* (*find_export)(void* module, const char* name);
  void (*release_module)(void* module);
  // First directory entry matching `path` (wildcards allowed); the search is
  // closed before returning. False when nothing matches.
  bool (*find_first)(const char* path, FoundEntry* entry);
  uint32_t (*path_attributes)(const char* path);  // kInvalidAttributes on failure
  unsigned (*drive_type)(const char* root);
  // Asks the shell to open a document with its associated application.
  void (*open_document)(void* parent_window, const char* path);
  // Zero-filled memory, or null when it cannot be had; and its release.
  void* (*allocate)(std::size_t bytes);
  void (*release_memory)(void* block);
};

// Why the last load_module failed, as the loader said it right then: the
// system's error code (Windows) and the loader's own words (POSIX); 0 and ""
// where it did not say.
struct LoadFailure {
  uint32_t code;
  const char* text;
};
LoadFailure LastLoadFailure();

// The operations in force: `os_operations`, defined beside each platform's
// operations and changed by nothing but tests.
extern Platform os_operations;
const Platform& Os();

}  // namespace md
