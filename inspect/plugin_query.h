// Plugin inspection: what is at a path, and one text of another plugin.
#pragma once

#include <cstdint>
#include <string>

namespace md {

constexpr int64_t PathAbsent = -1;
constexpr int64_t PathIsFolder = -2;
constexpr int32_t QueryBufferSize = 10000;

// PathAbsent, PathIsFolder, or the size of the file at `path` (null allowed).
int64_t ProbePath(const char* path) noexcept;

// Loads the module at `file`, reads the text of its getter `getterName` by the
// text getter protocol and releases the module. Empty on any failure.
std::string QueryPluginText(const char* file, const char* getterName) noexcept;

}  // namespace md
