// What a plugin prints and the texts it gives, as mdhost's text output
// shows them: no control character reaches a terminal but a line break (and
// a tab where lines are kept), no CR but one before its LF, and every line
// of printed output starts with its mark, so that nothing a plugin writes
// begins a line of mdhost's own.
#include <cstdint>
#include <string>

#include "mdhost/report/output.h"
#include "mdhost/system/system.h"

namespace {

// C0 but LF (and tab where `tab` is allowed), DEL, the C1 controls in UTF-8.
bool HasControl(const std::string& text, bool tab) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || (tab && c == '\t')) continue;
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c < 0x20 || c == 0x7F) return true;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0 &&
        static_cast<unsigned char>(text[i + 1]) >= 0x80)
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = host::AnsiToUtf8(bytes);
  const std::string one_line = host::Escaped(utf8);
  if (HasControl(one_line, false) || one_line.find('\n') != std::string::npos) __builtin_trap();
  if (HasControl(host::Escaped(utf8, true), true)) __builtin_trap();
  const std::string printed = host::PrintedLines(bytes, "  ");
  if (HasControl(printed, false)) __builtin_trap();
  for (std::size_t at = printed.find('\n'); at != std::string::npos && at + 1 < printed.size();
       at = printed.find('\n', at + 1))
    if (printed.compare(at + 1, 4, "  | ") != 0) __builtin_trap();
  return 0;
}
