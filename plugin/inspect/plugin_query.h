// Plugin inspection: what is at a path, and one text of another plugin.
#pragma once

#include <cstdint>

#include "plugin/module/module_state.h"
#include "plugin/module/owned_text.h"

namespace md {

constexpr int64_t kPathAbsent = -1;
constexpr int64_t kPathIsFolder = -2;
constexpr int64_t kPathNoMemory = -3;  // the actions' probe only: our own memory is short
constexpr int32_t kQueryBufferSize = 10000;

// kPathAbsent, kPathIsFolder, or the size of the file that the whole of
// `*path` names (trailing separators are taken off `*path` in place). For a
// file, `*spelling` receives the one full spelling of the very entry found,
// which every load of that file must be given; the caller releases it with
// the seam's release_memory. kPathNoMemory when memory of our own is short.
int64_t ProbeFile(OwnedText* path, void** spelling) noexcept;

// The help display's probe: the same answers for the first 260 bytes of
// `path` (null allowed).
int64_t ProbePath(const char* path) noexcept;

// Loads the module that `spelling` (from ProbeFile) names, reads the text of
// its getter `getter_name` by the text getter protocol and releases the
// module. The buffer and the module are held in `*hold` while the getter
// runs, so that a getter leaving by longjmp leaves them to the hold's owner.
// `*text` is the caller's, empty when the module gives no text. False (and
// `*text` empty) only when memory of our own is short, which is never the
// same as "no text".
// With `keep` (empty), the module loaded moves there instead of being
// released, for the caller to release once its later loads are done.
bool QueryPluginText(const void* spelling, const char* getter_name, QueryHold* hold, OwnedText* text,
                     QueryHold* keep = nullptr) noexcept;

}  // namespace md
