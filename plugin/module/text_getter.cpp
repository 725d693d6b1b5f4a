#include "plugin/module/text_getter.h"

#include <cstring>

namespace md {

int32_t ServeText(const char* text, std::size_t length, char* buffer, int32_t* size) noexcept {
  const int32_t needed = static_cast<int32_t>(length);  // our texts are far below 2 GiB
  if (*size < needed) {
    *size = needed;
    return -1;
  }
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return needed;
}

}  // namespace md
