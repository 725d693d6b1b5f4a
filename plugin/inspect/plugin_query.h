// Plugin inspection: what is at a path, and one text of another plugin.
#pragma once

#include <cstdint>

#include "plugin/module/owned_text.h"

namespace md {

constexpr int64_t kPathAbsent = -1;
constexpr int64_t kPathIsFolder = -2;
constexpr int32_t kQueryBufferSize = 10000;

// kPathAbsent, kPathIsFolder, or the size of the file at `path` (null allowed).
int64_t ProbePath(const char* path) noexcept;

// Loads the module at `file`, reads the text of its getter `getter_name` by
// the text getter protocol and releases the module. The caller owns the text;
// it is empty on any failure.
OwnedText QueryPluginText(const char* file, const char* getter_name) noexcept;

}  // namespace md
