// Holds one text getter against the protocol. The text is read first as the
// host reads it (10,000 bytes, then the length the getter stored); then come
// the calls that tell how the getter answers a size too small (0 and -1,
// which the host never offers, and its length - 1) and exactly its length.
// The size never counts the terminating NUL.
#include <cstddef>

#include "mdhost/contract/rules.h"
#include "mdhost/examine/examination.h"
#include "mdhost/examine/getter_protocol.h"
#include "mdhost/examine/loaded_module.h"

namespace host {
namespace {

// Room beyond the offer, for sizes the host never offers (besides the text's
// own length, which a getter that ignores the size writes whole).
constexpr std::size_t kUnofferedSlack = 4096;

std::string At(const char* getter, int32_t stated) {
  return std::string(getter) + " with size " + std::to_string(stated);
}

// Calls with `stated`, naming the call as the stage a crash would be blamed
// on; `slack` as CallGetter takes it.
GetterCall Call(ReportSink& sink, TextGetter getter, const char* name, int32_t stated, std::size_t slack = 0) {
  sink.Stage(At(name, stated), name);
  return CallGetter(getter, stated, slack);
}

// Asks with too small a size; true when the getter answered -1, stored
// `length` and wrote nothing. For sizes the host never offers (0 and -1), a
// write past the offer is told and the check goes on: room for the whole
// text and more lies before the guard page. What is probed follows the
// host's contract, never a rule's severity (which an author may change).
enum class Offer { kByTheHost, kNeverByTheHost };
bool AnswersTooSmall(ReportSink& sink, TextGetter getter, const char* name, int32_t stated, int32_t length,
                     const char* rule, Offer offer) {
  const bool host_offers = offer == Offer::kByTheHost;
  const std::size_t slack = host_offers ? 0 : static_cast<std::size_t>(length) + kUnofferedSlack;
  const GetterCall call = Call(sink, getter, name, stated, slack);
  if (call.result == -1 && call.size == length && call.Untouched() && !call.wrote_past) return true;
  std::string got;
  if (call.wrote_past) got += "wrote past the " + std::to_string(call.buffer.size()) + " bytes it was offered; ";
  if (call.result != -1) got += "returned " + std::to_string(call.result) + " instead of -1; ";
  if (call.size != length)
    got += "stored " + std::to_string(call.size) + " instead of its length " + std::to_string(length) + "; ";
  if (!call.Untouched() && !call.wrote_past) got += "wrote into the buffer; ";
  got.resize(got.size() - 2);
  Finding finding = Found(rule,
                          At(name, stated) + " (too small for its " + std::to_string(length) + " bytes): " + got +
                              (host_offers ? "" : " (the host never offers this size, but other callers do)") +
                              "; to a buffer too small, store the text's length in *size, write nothing and return -1",
                          ExportSubject(name));
  finding.wrote_past = call.wrote_past;
  sink.Add(std::move(finding));
  return false;
}

// What is wrong with the answer to exactly the text's length, or "".
std::string ExactProblems(const GetterCall& exact, int32_t length) {
  std::string problems;
  auto add = [&](const std::string& what) { problems += (problems.empty() ? "" : "; ") + what; };
  if (exact.result != length)
    add("returned " + std::to_string(exact.result) + " instead of the length " + std::to_string(length));
  if (exact.size != length) add("changed the size to " + std::to_string(exact.size));
  const std::size_t nul = exact.buffer.find('\0');
  // A getter that wrote nothing took the buffer for too small (the usual
  // "*size <= length" for "*size < length"): say so, not what is missing.
  if (exact.Untouched())
    add("wrote nothing into the " + std::to_string(length + 1) + " bytes offered" +
        (exact.result == -1 ? " (it takes a size equal to its length for too small; the size never counts the "
                              "terminating NUL)"
                            : ""));
  else if (nul < static_cast<std::size_t>(length))
    add("the text ends early, at byte " + std::to_string(nul));
  else if (exact.buffer[static_cast<std::size_t>(length)] != '\0')
    add("the terminating NUL after the text is missing");
  return problems;
}

}  // namespace

// "first (what it showed), second, third": the exports that share a cause.
std::string Named(const std::vector<std::string>& exports, const std::string& first_shown) {
  std::string named = exports[0] + " (" + first_shown + ")";
  for (std::size_t i = 1; i < exports.size(); ++i) named += ", " + exports[i];
  return named;
}

void NotCdecl(ReportSink& sink, const std::string& what, int bytes) {
  sink.AddToCause(rule::kNotCdecl, what, std::to_string(bytes) + " bytes",
                  [](const std::vector<std::string>& exports, const std::string& first_shown) {
                    return Named(exports, first_shown) +
                           " take their arguments off the stack themselves: __stdcall, where the host calls cdecl, so "
                           "the host's stack is off after every call and it crashes later; declare every export "
                           "cdecl, exported by plain names from a module definition file";
                  });
}

// MD105, one finding per plugin naming every getter that counts its NUL.
void CountsItsNul(ReportSink& sink, const std::string& name, int32_t length) {
  sink.AddToCause(rule::kExactSize, name, std::to_string(length) + " bytes, stored " + std::to_string(length + 1),
                  [](const std::vector<std::string>& exports, const std::string& first_shown) {
                    return Named(exports, first_shown) +
                           " count the terminating NUL in the length: at exactly its length each answers -1 and "
                           "stores one more; the size never counts the NUL (test *size < length, store and return "
                           "strlen)";
                  });
}

std::optional<std::string> ReadGetter(ReportSink& sink, const LoadedModule& module, const char* name) {
  auto getter = reinterpret_cast<TextGetter>(module.Export(name));
  const Subject subject = ExportSubject(name);
  if (getter == nullptr) {
    sink.Add(rule::kGetterMissing, std::string(name) + ": not exported", subject);
    return std::nullopt;
  }
  TextRead read = ReadText(getter, [&](int32_t stated) { sink.Stage(At(name, stated), name); });
  if (read.popped != 0) NotCdecl(sink, name, read.popped);
  if (!read.ok) {
    sink.Add(read.ours ? rule::kOwnShortage : rule::kReadText, std::string(name) + ": " + read.problem, subject);
    return std::nullopt;
  }
  return std::move(read.text);
}

std::optional<std::string> CheckGetter(ReportSink& sink, const LoadedModule& module, const char* name) {
  const std::optional<std::string> text = ReadGetter(sink, module, name);
  if (!text) return std::nullopt;
  auto getter = reinterpret_cast<TextGetter>(module.Export(name));
  const Subject subject = ExportSubject(name);
  const auto length = static_cast<int32_t>(text->size());
  const std::size_t findings_before = sink.report().findings.size();
  bool ok = true;
  // Size 0 tells the length of a text, or fits the empty one.
  if (length == 0) {
    const GetterCall zero = Call(sink, getter, name, 0, kUnofferedSlack);
    if (zero.result != 0 || zero.buffer != std::string(1, '\0') || zero.wrote_past) {
      Finding finding = Found(rule::kSizeZero,
                              At(name, 0) + ": returned " + std::to_string(zero.result) +
                                  " for its empty text (expected 0 and one NUL written)" +
                                  (zero.wrote_past ? "; wrote past the 1 byte it was offered" : ""),
                              subject);
      finding.wrote_past = zero.wrote_past;
      sink.Add(std::move(finding));
      ok = false;
    }
  } else {
    ok = AnswersTooSmall(sink, getter, name, 0, length, rule::kSizeZero, Offer::kNeverByTheHost);
    ok = AnswersTooSmall(sink, getter, name, -1, length, rule::kSizeMinusOne, Offer::kNeverByTheHost) && ok;
    ok = AnswersTooSmall(sink, getter, name, length - 1, length, rule::kTooSmall, Offer::kByTheHost) && ok;
  }
  const GetterCall exact = Call(sink, getter, name, length);
  // A getter that counts the terminating NUL in its length takes exactly its
  // length for too small: one cause, so one finding, in place of the sizes'.
  if (length > 0 && exact.result == -1 && exact.size == length + 1 && exact.Untouched()) {
    auto& findings = sink.report().findings;
    findings.erase(findings.begin() + static_cast<std::ptrdiff_t>(findings_before), findings.end());
    CountsItsNul(sink, name, length);
    return text;
  }
  const std::string problems = ExactProblems(exact, length);
  if (!problems.empty()) {
    sink.Add(rule::kExactSize,
             At(name, length) + " (exactly its length): expected the text, one NUL and the result " +
                 std::to_string(length) + "; " + problems,
             subject);
    ok = false;
  }
  if (ok)
    sink.Pass(rule::kProtocol, std::string(name) + ": follows the protocol (" + std::to_string(length) + " bytes)",
              subject);
  return text;
}

}  // namespace host
