#include "mdhost/system/output_capture.h"

#include <fstream>

namespace host {

std::uint64_t CaptureFile::SizeOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(0, std::ios::end);
  return in ? static_cast<std::uint64_t>(std::max<std::streamoff>(in.tellg(), 0)) : 0;
}

std::string CaptureFile::TakeNew(std::optional<std::uint64_t> upto, std::size_t limit) {
  std::ifstream in(path_, std::ios::binary);
  in.seekg(0, std::ios::end);
  std::uint64_t end = static_cast<std::uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
  if (upto && *upto < end) end = *upto;  // the rest is a later report's
  if (!in || end <= taken_) return "";
  const std::uint64_t size = end - taken_;
  const std::size_t shown = size < limit ? static_cast<std::size_t>(size) : limit;
  std::string text(shown, '\0');
  in.seekg(static_cast<std::streamoff>(taken_));
  in.read(&text[0], static_cast<std::streamsize>(shown));
  text.resize(static_cast<std::size_t>(in.gcount()));
  taken_ = end;
  if (size > shown) text += "\n... (" + std::to_string(size - shown) + " bytes more)";
  return text;
}

}  // namespace host
