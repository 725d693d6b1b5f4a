// The operating system as the plugin sees it, and as mdhost loads plugins: one
// table of operations, with one implementation per platform behind it.
// Production code only reads it; tests substitute operations through
// tests/support/substitute_os.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace md {

constexpr uint32_t kAttributeDirectory = 0x10;        // FILE_ATTRIBUTE_DIRECTORY
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;  // INVALID_FILE_ATTRIBUTES
constexpr unsigned kDriveUnknown = 0;                 // DRIVE_UNKNOWN
constexpr unsigned kDriveNoRootDir = 1;               // DRIVE_NO_ROOT_DIR

struct FoundEntry {
  uint32_t attributes;
  uint64_t size;
};

// What a search came to. A shortage of memory is never reported as a path
// with nothing at it.
enum class Search { kFound, kNothing, kNoMemory };

// Why a load failed, as the loader said it right then: the system's error
// code (Windows) and the loader's own words (POSIX); 0 and "" where it did
// not say. The caller that wants it (mdhost) keeps it, per load.
struct LoadFailure {
  uint32_t code = 0;
  char text[512] = "";
};

struct Platform {
  // Resolves `path` once (the current folder, the file APIs' code page, every
  // length the loader takes) and gives the first directory entry matching it
  // (wildcards allowed); the search is closed before returning. When
  // `spelling` is not null and an entry is found, `*spelling` receives the
  // full spelling of that very entry, a block for release_memory that
  // load_module takes: a later change of the current folder or code page
  // cannot make it name another file.
  Search (*find_first)(const char* path, FoundEntry* entry, void** spelling);
  // Loads exactly the file a spelling from find_first names, letting its own
  // folder serve its dependencies; a handle, or null with
  // `*short_of_memory` telling whether memory was what failed and `*why`
  // (where not null) what the loader said.
  void* (*load_module)(const void* spelling, bool* short_of_memory, LoadFailure* why);
  // An export's address or null; the release of a handle.
  void* (*find_export)(void* module, const char* name);
  void (*release_module)(void* module);
  uint32_t (*path_attributes)(const char* path);  // kInvalidAttributes on failure
  unsigned (*drive_type)(const char* root);
  // Asks the shell to open a document with its associated application.
  void (*open_document)(void* parent_window, const char* path);
  // Zero-filled memory, or null when it cannot be had; and its release.
  void* (*allocate)(std::size_t bytes);
  void (*release_memory)(void* block);
  // Which stack the caller runs on: a fiber or a thread of its own gives
  // another answer, a coroutine or a nested call the same one.
  uintptr_t (*current_stack)();
  // Whether `byte` begins a two-byte character in the code page the file
  // functions read names in now: its second byte may be a backslash (932,
  // 936, 949, 950). Never on POSIX, whose UTF-8 has no '/' in a character.
  bool (*lead_byte)(char byte);
};

// Resolves and loads `path` in one step, for callers that probe nothing
// first (mdhost, benchmarks); null when nothing is there or it cannot load,
// and `*why` (where not null) says which.
void* LoadModuleAt(const char* path, LoadFailure* why = nullptr);
// What each system says of a path that names no file to load, or that could
// not be resolved for want of memory.
void TellNotFound(LoadFailure* why, bool short_of_memory);

// Zero-filled memory from the C runtime, or null; and its release: the seam's
// allocate and release_memory on every system.
void* AllocateZeroed(std::size_t bytes);
void ReleaseBlock(void* block);

// The operations in force: `os_operations`, defined beside each platform's
// operations and changed by nothing but tests.
extern Platform os_operations;
const Platform& Os();

}  // namespace md
