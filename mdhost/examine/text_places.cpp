#include "mdhost/examine/text_places.h"

namespace host {

bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

TextPlaces::TextPlaces(const std::string& text) : text_(text), utf8_(IsUtf8(text)) {}

Place TextPlaces::At(std::size_t offset) {
  if (offset > text_.size()) offset = text_.size();
  if (offset < at_) at_ = 0, line_ = 1, column_ = 1;
  const bool marked = text_.compare(0, 3, "\xEF\xBB\xBF") == 0;
  for (; at_ < offset; ++at_) {
    const auto c = static_cast<unsigned char>(text_[at_]);
    if (c == '\n' || (c == '\r' && (at_ + 1 >= text_.size() || text_[at_ + 1] != '\n'))) {
      ++line_;
      column_ = 1;
    } else if (c == '\r' || (marked && at_ < 3) || (utf8_ && (c & 0xC0) == 0x80)) {
      // the CR of a CR LF, the byte order mark, a character's later bytes
    } else {
      ++column_;
    }
  }
  return {line_, column_};
}

}  // namespace host
