// The text getter protocol as the host calls it, the stand-in host's own
// implementation (it shares no code with the plugin it examines). Every
// buffer offered ends at a guard page, so a getter that writes past what it
// was offered faults at once; in a worker, that fault is reported.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace host {

using TextGetter = int32_t (*)(char* buffer, int32_t* size);  // cdecl

constexpr int32_t kFirstSize = 10000;                   // what the host offers first
constexpr int32_t kPlausibleLength = 64 * 1024 * 1024;  // longer stored lengths are refused
constexpr char kFill = '\x5A';                          // the bytes a buffer holds before the call

// One call with `stated` (never counting the terminator) and a buffer of
// stated + 1 bytes filled with kFill. With `slack`, that many more bytes lie
// between the offered ones and the guard page, so that a write past the
// offer is told (wrote_past) instead of ending the examination: for sizes
// the host never offers, where such a write is a warning.
struct GetterCall {
  bool no_buffer = false;  // mdhost could not get the buffer or room to copy it: the getter was not called
  int32_t result = 0;
  int32_t size = 0;    // what the size variable held afterwards
  std::string buffer;  // the offered bytes afterwards
  bool wrote_past = false;
  int popped = 0;  // bytes the getter took off the stack itself: 8 when it is __stdcall
  bool Untouched(std::size_t from = 0) const { return buffer.find_first_not_of(kFill, from) == std::string::npos; }
};

GetterCall CallGetter(TextGetter getter, int32_t stated, std::size_t slack = 0);

// Reads the getter's text as the host does: kFirstSize first, then, after
// -1, the length it stored.
struct TextRead {
  bool ok = false;
  bool ours = false;    // the problem is mdhost's own (no buffer), not the plugin's
  std::string text;     // ANSI bytes, up to the terminator
  std::string problem;  // when not ok
  int popped = 0;       // as GetterCall's, for any of the calls
};

// `before_call` hears the size of each call about to be made (the stage a
// crash in that call is blamed on).
TextRead ReadText(TextGetter getter, const std::function<void(int32_t stated)>& before_call = nullptr);

}  // namespace host
