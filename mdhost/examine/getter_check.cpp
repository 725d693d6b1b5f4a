// Holds one text getter against the protocol: what it answers when the size
// is too small (0, -1, its length - 1) and when it is exactly its length.
#include "mdhost/examine/examination.h"
#include "mdhost/examine/getter_protocol.h"
#include "mdhost/examine/loaded_module.h"

namespace host {
namespace {

std::string At(const char* getter, int32_t stated) {
  return std::string(getter) + " with size " + std::to_string(stated);
}

// Calls with `stated`, naming the call as the stage a crash would be blamed on.
GetterCall Call(ReportSink& sink, TextGetter getter, const char* name, int32_t stated) {
  sink.Stage(At(name, stated));
  return CallGetter(getter, stated);
}

// Asks with too small a size; true when the getter answered -1, stored
// `length` and wrote nothing.
bool AnswersTooSmall(ReportSink& sink, TextGetter getter, const char* name, int32_t stated, int32_t length) {
  const GetterCall call = Call(sink, getter, name, stated);
  if (call.result == -1 && call.size == length && call.Untouched()) return true;
  sink.Fail(At(name, stated) + ": expected -1, the length " + std::to_string(length) +
            " stored and nothing written; got " + std::to_string(call.result) + ", size " +
            std::to_string(call.size) + (call.Untouched() ? "" : ", buffer written"));
  return false;
}

}  // namespace

std::string CheckGetter(ReportSink& sink, const LoadedModule& module, const char* name) {
  auto getter = reinterpret_cast<TextGetter>(module.Export(name));
  if (getter == nullptr) {
    sink.Fail(std::string(name) + ": not exported");
    return "";
  }
  // Size 0 tells the length (or, for an empty text, fits it).
  const GetterCall probe = Call(sink, getter, name, 0);
  int32_t length;
  if (probe.result == -1) {
    length = probe.size;
  } else if (probe.result == 0 && probe.buffer == std::string(1, '\0')) {
    length = 0;
  } else {
    sink.Fail(At(name, 0) + ": returned " + std::to_string(probe.result) +
              " (expected -1 with the length stored, or 0 for an empty text)");
    return "";
  }
  if (length < 0 || length > kPlausibleLength) {
    sink.Fail(std::string(name) + ": stored the length " + std::to_string(length));
    return "";
  }
  bool ok = true;
  if (length > 0)
    ok = AnswersTooSmall(sink, getter, name, -1, length) && AnswersTooSmall(sink, getter, name, length - 1, length);
  // Exactly the length: the text and one NUL, the size unchanged.
  const GetterCall exact = Call(sink, getter, name, length);
  const std::string text = exact.buffer.substr(0, static_cast<std::size_t>(length));
  if (exact.result != length || exact.size != length || exact.buffer[length] != '\0' ||
      text.find('\0') != std::string::npos) {
    sink.Fail(At(name, length) + " (its length): expected the text, one NUL and the result " +
              std::to_string(length) + "; got " + std::to_string(exact.result));
    return "";
  }
  if (ok) sink.Pass(std::string(name) + ": follows the protocol (" + std::to_string(length) + " bytes)");
  return text;
}

}  // namespace host
