// The operating system as the module sees it: one table of operations, with
// one implementation per platform behind it. Tests may swap the table.
#pragma once

#include <cstdint>

namespace md {

constexpr uint32_t kAttributeDirectory = 0x10;         // FILE_ATTRIBUTE_DIRECTORY
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;   // INVALID_FILE_ATTRIBUTES
constexpr unsigned kDriveUnknown = 0;                  // DRIVE_UNKNOWN
constexpr unsigned kDriveNoRootDir = 1;                // DRIVE_NO_ROOT_DIR

struct FoundEntry {
  uint32_t attributes;
  uint32_t size_high;
  uint32_t size_low;
};

struct Platform {
  // Module loader: a handle or null; an address or null; release a handle.
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
};

// The operations in force; defaults to this platform's own.
Platform& Os();
// This platform's own operations, for restoring after a substitution.
const Platform& NativeOs();

}  // namespace md
