#include "plugin/module/owned_text.h"

#include <cstring>

#include "platform/platform.h"

namespace md {

bool CopyText(const char* source, std::size_t length, OwnedText* out) noexcept {
  *out = kEmptyText;
  if (length == 0) return true;
  if (length == static_cast<std::size_t>(-1)) return false;
  char* bytes = static_cast<char*>(Os().allocate(length + 1));
  if (bytes == nullptr) return false;
  std::memcpy(bytes, source, length);  // the terminator is already zero
  *out = {bytes, length};
  return true;
}

const char* TextOf(const OwnedText& text) noexcept { return text.bytes ? text.bytes : ""; }

void ReleaseText(OwnedText* text) noexcept {
  Os().release_memory(text->bytes);
  *text = kEmptyText;
}

}  // namespace md
