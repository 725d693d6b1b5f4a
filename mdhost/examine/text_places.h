// Where a byte of a document is as an editor shows it, so that a finding's
// LINE:COLUMN lands where the author looks: LF, CR LF and a lone CR each end
// a line; the column counts characters (code points where the whole text is
// UTF-8, bytes otherwise, a tab as one), and a UTF-8 byte order mark counts
// as none.
#pragma once

#include <cstddef>
#include <string>

#include "mdhost/contract/finding.h"

namespace host {

class TextPlaces {
 public:
  explicit TextPlaces(const std::string& text);
  // The place of the byte at `offset` (clamped to the text's end). Offsets
  // asked in increasing order cost only the bytes between them.
  Place At(std::size_t offset);

 private:
  const std::string& text_;
  bool utf8_;
  std::size_t at_ = 0;
  int line_ = 1, column_ = 1;
};

bool IsUtf8(const std::string& text);

}  // namespace host
