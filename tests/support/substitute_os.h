// Swaps operations of the platform seam for the lifetime of a test and
// records what the module asked of them. Only the operations a test sets are
// substituted.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace md {
inline Platform& OsForSubstitution() { return os_operations; }
}  // namespace md

class SubstituteOs {
 public:
  SubstituteOs() : saved_(md::Os()) { current_ = this; }
  ~SubstituteOs() {
    os() = saved_;
    current_ = nullptr;
  }

  static md::Platform& os() { return md::OsForSubstitution(); }

  // Records releases instead of making them.
  void RecordReleases() {
    os().release_module = [](void* m) { current_->released.push_back(m); };
  }

  // Answers drive roots with a fixed type and records the roots asked.
  void AnswerDrives(unsigned type) {
    drive_type = type;
    os().drive_type = [](const char* root) {
      current_->asked.push_back(std::string("drive:") + root);
      return current_->drive_type;
    };
  }

  // Answers the file search with one entry (or none, or a shortage of
  // memory) and records the paths; an entry's spelling is "spelled:PATH".
  void AnswerSearch(bool found, md::FoundEntry entry, md::Search otherwise = md::Search::kNothing) {
    search_result = found ? md::Search::kFound : otherwise;
    search_entry = entry;
    os().find_first = [](const char* path, md::FoundEntry* out, void** spelling) {
      current_->asked.push_back(std::string("find:") + path);
      if (current_->search_result != md::Search::kFound) return current_->search_result;
      *out = current_->search_entry;
      if (spelling != nullptr) {
        const std::string spelled = std::string("spelled:") + path;
        *spelling = os().allocate(spelled.size() + 1);
        if (*spelling == nullptr) return md::Search::kNoMemory;
        spelled.copy(static_cast<char*>(*spelling), spelled.size());
      }
      return md::Search::kFound;
    };
  }

  // Loads answer with `module` (null: a failed load, short of memory or not
  // as `short_of_memory` says) and record the spellings they were given.
  void AnswerLoads(void* module, bool short_of_memory = false) {
    load_answer = module;
    load_short_of_memory = short_of_memory;
    os().load_module = [](const void* spelling, bool* short_of_memory, md::LoadFailure*) {
      current_->asked.push_back(std::string("load:") + static_cast<const char*>(spelling));
      *short_of_memory = current_->load_answer == nullptr && current_->load_short_of_memory;
      return current_->load_answer;
    };
  }

  // The stack every caller is said to run on.
  void AnswerStack(uintptr_t stack) {
    current_stack = stack;
    os().current_stack = [] { return current_->current_stack; };
  }

  void AnswerAttributes(uint32_t attributes) {
    path_attributes = attributes;
    os().path_attributes = [](const char* path) {
      current_->asked.push_back(std::string("attributes:") + path);
      return current_->path_attributes;
    };
  }

  void RecordOpens() {
    os().open_document = [](void*, const char* path) { current_->opened.push_back(path); };
  }

  // The module's own allocations: after `successes` more, every one fails
  // (-1: none fails). Counts what is still held, so tests can see leaks.
  void CountAllocations(long successes = -1) {
    allocations_left = successes;
    os().allocate = [](std::size_t bytes) -> void* {
      if (current_->allocations_left == 0) {
        ++current_->refusals;
        return nullptr;
      }
      if (current_->allocations_left > 0) --current_->allocations_left;
      current_->allocation_sizes.push_back(bytes);
      void* block = current_->saved_.allocate(bytes);
      if (block != nullptr) ++current_->blocks_held;
      return block;
    };
    os().release_memory = [](void* block) {
      if (block != nullptr) --current_->blocks_held;
      current_->saved_.release_memory(block);
    };
  }

  std::vector<void*> released;
  std::vector<std::string> asked;
  std::vector<std::string> opened;
  std::vector<std::size_t> allocation_sizes;  // with CountAllocations
  unsigned drive_type = 0;
  md::Search search_result = md::Search::kNothing;
  void* load_answer = nullptr;
  bool load_short_of_memory = false;
  uintptr_t current_stack = 0;
  md::FoundEntry search_entry = {};
  uint32_t path_attributes = md::kInvalidAttributes;
  long allocations_left = -1;
  long blocks_held = 0;
  long refusals = 0;

 private:
  md::Platform saved_;
  static SubstituteOs* current_;
};
