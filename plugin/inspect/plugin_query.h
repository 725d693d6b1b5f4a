// Plugin inspection: what is at a path, and one text of another plugin.
#pragma once

#include <cstdint>

#include "plugin/module/owned_text.h"

namespace md {

constexpr int64_t kPathAbsent = -1;
constexpr int64_t kPathIsFolder = -2;
constexpr int32_t kQueryBufferSize = 10000;

// kPathAbsent, kPathIsFolder, or the size of the file that the whole of
// `*path` names. Trailing backslashes are taken off `*path` in place, so that
// afterwards it spells the very file found, as the loader must be given it.
int64_t ProbeFile(OwnedText* path) noexcept;

// The help display's probe: the same answers for the first 260 bytes of
// `path` (null allowed).
int64_t ProbePath(const char* path) noexcept;

// Loads the module at `file`, reads the text of its getter `getter_name` by
// the text getter protocol and releases the module. `*text` is the caller's,
// empty when the module gives no text. False (and `*text` empty) only when
// memory of our own is short, which is never the same as "no text".
bool QueryPluginText(const char* file, const char* getter_name, OwnedText* text) noexcept;

}  // namespace md
