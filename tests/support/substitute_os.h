// Swaps the platform seam for the lifetime of a test and records what the
// module asked of it. Only the operations a test sets are substituted.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

class SubstituteOs {
 public:
  SubstituteOs() : saved_(md::Os()) { current_ = this; }
  ~SubstituteOs() {
    md::Os() = saved_;
    current_ = nullptr;
  }

  // Records releases instead of making them.
  void RecordReleases() { md::Os().release_module = [](void* m) { current_->released.push_back(m); }; }

  // Answers drive roots with a fixed type and records the roots asked.
  void AnswerDrives(unsigned type) {
    drive_type = type;
    md::Os().drive_type = [](const char* root) {
      current_->asked.push_back(std::string("drive:") + root);
      return current_->drive_type;
    };
  }

  // Answers the file search with one entry (or none) and records the paths.
  void AnswerSearch(bool found, md::FoundEntry entry) {
    search_found = found;
    search_entry = entry;
    md::Os().find_first = [](const char* path, md::FoundEntry* out) {
      current_->asked.push_back(std::string("find:") + path);
      if (current_->search_found) *out = current_->search_entry;
      return current_->search_found;
    };
  }

  void AnswerAttributes(uint32_t attributes) {
    path_attributes = attributes;
    md::Os().path_attributes = [](const char* path) {
      current_->asked.push_back(std::string("attributes:") + path);
      return current_->path_attributes;
    };
  }

  void RecordOpens() {
    md::Os().open_document = [](void*, const char* path) { current_->opened.push_back(path); };
  }

  std::vector<void*> released;
  std::vector<std::string> asked;
  std::vector<std::string> opened;
  unsigned drive_type = 0;
  bool search_found = false;
  md::FoundEntry search_entry = {};
  uint32_t path_attributes = md::kInvalidAttributes;

 private:
  md::Platform saved_;
  static SubstituteOs* current_;
};
