// A text the module owns: NUL-terminated bytes from the platform's allocator,
// or no bytes at all for the empty text. It has no destructor on purpose:
// whoever holds one releases it, so no frame that a Lua raise can leave ever
// owns memory by accident.
#pragma once

#include <cstddef>

namespace md {

struct OwnedText {
  char* bytes;         // null for the empty text
  std::size_t length;  // bytes before the terminator
};

constexpr OwnedText kEmptyText = {nullptr, 0};

// Copies `length` bytes of `source` and a NUL into `*out`; false (and `*out`
// empty) when memory is short.
bool CopyText(const char* source, std::size_t length, OwnedText* out) noexcept;

// The text as a C string: "" for the empty text.
const char* TextOf(const OwnedText& text) noexcept;

// Frees the bytes and leaves the empty text.
void ReleaseText(OwnedText* text) noexcept;

}  // namespace md
