#include "mdhost/worker/worker_protocol.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mdhost/contract/rules.h"
#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

std::string pending;  // records of the plugin under way, not yet written

// The output is one stream of records from two writers: the examining
// thread, and a crash handler, which may run on any thread a plugin left
// behind, at any moment. Whoever holds this lock alone touches `pending` and
// writes, so that a crash record never lands inside another record.
std::atomic_flag output_lock = ATOMIC_FLAG_INIT;
RecordWriter::Output crash_output = WriteOutputRaw;  // the writer's, for the crash handler

class OutputLock {
 public:
  OutputLock() {
    while (output_lock.test_and_set(std::memory_order_acquire)) PauseBriefly();
  }
  ~OutputLock() { output_lock.clear(std::memory_order_release); }
};

void Append(char tag, const std::string& key, const std::string& value) {
  OutputLock lock;
  pending += std::string(1, tag) + " " + std::to_string(key.size()) + " " + std::to_string(value.size()) + "\n";
  pending += key;
  pending += value;
}

// A record's header in a fixed buffer; allocates nothing.
std::size_t Header(char tag, std::size_t key_length, std::size_t value_length, char (&out)[48]) {
  std::size_t at = 0;
  out[at++] = tag;
  for (std::size_t length : {key_length, value_length}) {
    out[at++] = ' ';
    char digits[20];
    int n = 0;
    do digits[n++] = static_cast<char>('0' + length % 10); while ((length /= 10) != 0);
    while (n > 0) out[at++] = digits[--n];
  }
  out[at++] = '\n';
  return at;
}

// The crash record's key: its facts as words, "other_thread overrun
// released image=NAME", which the parent reads instead of the description.
void CrashKey(const fault_report::Facts& facts, fault_report::FixedText& key) {
  if (facts.other_thread) key << "other_thread ";
  if (facts.overrun) key << "overrun ";
  if (facts.released) key << "released ";
  if (*facts.image != '\0') key << "image=" << facts.image;
}

// "<tag> <key length> <value length>", lengths in plain decimal; false for
// anything else.
bool ReadHeader(const std::string& line, std::size_t* key_length, std::size_t* value_length) {
  if (line.size() < 5 || line[1] != ' ') return false;
  std::size_t* lengths[] = {key_length, value_length};
  std::size_t at = 2;
  for (std::size_t* length : lengths) {
    const std::size_t start = at;
    *length = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9' && at - start < 10)
      *length = *length * 10 + static_cast<std::size_t>(line[at++] - '0');
    if (at == start) return false;
    if (length == key_length && (at >= line.size() || line[at++] != ' ')) return false;
  }
  return at == line.size();
}

CrashFacts ReadCrashKey(const std::string& key) {
  CrashFacts facts;
  facts.other_thread = key.find("other_thread ") != std::string::npos;
  facts.overrun = key.find("overrun ") != std::string::npos;
  facts.released = key.find("released ") != std::string::npos;
  const std::size_t image = key.find("image=");
  if (image != std::string::npos) facts.image = key.substr(image + 6);
  return facts;
}

constexpr char kSeverityTags[] = "PNWF";  // in the order of Severity

std::string Exact(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace

RecordWriter::RecordWriter(StageBoard* board, Output output) : board_(board), output_(output) {
  crash_output = output;
}

void RecordWriter::Begin(uint32_t request) {
  request_ = request;
  Append('S', "", std::to_string(request));
  if (board_ != nullptr) board_->Write(request + 1, "starting");
}

void RecordWriter::Stage(const std::string& what) {
  if (board_ != nullptr) board_->Write(request_ + 1, what);
}

void RecordWriter::Text(const std::string& getter, const std::string& ansi) { Append('T', getter, ansi); }

void RecordWriter::SdkVersion(std::optional<int32_t> version) {
  Append('V', "", version ? std::to_string(*version) : "");
}

void RecordWriter::Add(const Finding& finding) {
  if (finding.rule == rule::kThreadsLeft) retire_ = true;
  Append('F', finding.rule, kSeverityTags[static_cast<int>(finding.severity)] + finding.text);
}

void RecordWriter::Actions(const std::vector<std::string>& names) {
  Append('L', "", "");  // the list begins, and may stay empty
  for (const std::string& name : names) Append('A', "", name);
}

void RecordWriter::VersionResource(const std::string& file_version, const std::string& product_version) {
  Append('R', file_version, product_version);
}

void RecordWriter::Error(const char* rule, const std::string& why) { Append('E', rule, why); }
void RecordWriter::Figure(const std::string& name, double value) { Append('M', name, Exact(value)); }

void RecordWriter::Done() {
  Append('D', "", "");
  {
    OutputLock lock;
    output_(pending.data(), pending.size());
    pending.clear();
  }
  if (board_ != nullptr) board_->Write(0, "waiting for a request");
}

// Another holder of the lock lets go as soon as its write is out; only a
// crash of the holder itself (a heap a plugin wrecked) would keep it, so the
// wait is bounded.
void WriteCrashRecord(const fault_report::Facts& facts, const char* description) {
  for (int waited = 0; output_lock.test_and_set(std::memory_order_acquire) && waited < 2000; ++waited)
    PauseBriefly();
  crash_output(pending.data(), pending.size());
  fault_report::FixedText key;
  CrashKey(facts, key);
  char header[48];
  const std::size_t size = Header('C', key.length, std::strlen(description), header);
  crash_output(header, size);
  crash_output(key.text, key.length);
  crash_output(description, std::strlen(description));
  output_lock.clear(std::memory_order_release);  // the process ends now; what follows is whole records
}

bool RecordReader::NextReport(uint32_t* request, PluginReport* report) {
  for (;;) {
    const std::size_t line_end = pending_.find('\n');
    if (line_end == std::string::npos) return false;
    const char tag = pending_[0];
    std::size_t key_length = 0, value_length = 0;
    if (!ReadHeader(pending_.substr(0, line_end), &key_length, &value_length)) {
      pending_.erase(0, line_end + 1);  // not a record: the bytes of no writer of ours
      continue;
    }
    const std::size_t body = pending_.size() - line_end - 1;
    if (key_length > body || value_length > body - key_length) return false;
    const std::string key = pending_.substr(line_end + 1, key_length);
    const std::string value = pending_.substr(line_end + 1 + key_length, value_length);
    pending_.erase(0, line_end + 1 + key_length + value_length);
    PluginReport& r = current_.report;
    ReportBuilder sink(&r);
    switch (tag) {
      case 'S':
        current_ = Unfinished();
        current_.begun = true;
        current_.request = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        break;
      case 'T': sink.Text(key, value); break;
      case 'V':
        sink.SdkVersion(value.empty() ? std::nullopt
                                      : std::optional<int32_t>(static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10))));
        break;
      case 'F': {
        const char* at = value.empty() ? nullptr : std::strchr(kSeverityTags, value[0]);
        const auto severity = static_cast<Severity>(at != nullptr ? at - kSeverityTags : 1);
        sink.Add({key, severity, value.empty() ? "" : value.substr(1)});
        break;
      }
      case 'L': r.actions.emplace(); break;
      case 'A':
        if (r.actions) r.actions->push_back(value);
        break;
      case 'R': sink.VersionResource(key, value); break;
      case 'E': sink.Error(key.c_str(), value); break;
      case 'M': sink.Figure(key, std::strtod(value.c_str(), nullptr)); break;
      case 'C':
        current_.crash = value;
        current_.facts = ReadCrashKey(key);
        break;
      case 'D':
        *request = current_.request;
        *report = std::move(r);
        current_ = Unfinished();
        return true;
      default: break;
    }
  }
}

RecordReader::Unfinished RecordReader::TakeUnfinished() {
  uint32_t ignored;
  PluginReport none;
  while (NextReport(&ignored, &none)) {
  }
  Unfinished unfinished = std::move(current_);
  current_ = Unfinished();
  return unfinished;
}

std::string EncodeRequest(const Request& request) {
  return std::to_string(request.serial) + (request.what == Examination::kCheck ? " check " : " read ") +
         std::to_string(request.load_cycles) + " " + request.path + "\n";
}

bool DecodeRequest(const std::string& line, Request* request) {
  std::string text = line;
  if (!text.empty() && text.back() == '\r') text.pop_back();
  const std::size_t first = text.find(' ');
  const std::size_t second = first == std::string::npos ? first : text.find(' ', first + 1);
  const std::size_t third = second == std::string::npos ? second : text.find(' ', second + 1);
  if (third == std::string::npos || third + 1 >= text.size()) return false;
  const std::string serial = text.substr(0, first), verb = text.substr(first + 1, second - first - 1),
                    cycles = text.substr(second + 1, third - second - 1);
  if (serial.empty() || cycles.empty() || serial.find_first_not_of("0123456789") != std::string::npos ||
      cycles.find_first_not_of("0123456789") != std::string::npos || serial.size() > 9 || cycles.size() > 6 ||
      (verb != "check" && verb != "read"))
    return false;
  request->serial = static_cast<uint32_t>(std::strtoul(serial.c_str(), nullptr, 10));
  request->what = verb == "check" ? Examination::kCheck : Examination::kRead;
  request->load_cycles = std::atoi(cycles.c_str());
  request->path = text.substr(third + 1);
  return request->path.find_first_of("\r\n") == std::string::npos;  // no file name holds them
}

}  // namespace host
