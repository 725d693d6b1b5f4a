#include "mdhost/worker/worker_protocol.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "mdhost/contract/rules.h"
#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

// The records of the request under way that a crash must still write: its
// 'S' record and the report so far.
std::string pending;

// The output is one stream of records from two writers: the examining
// thread, and a crash handler, which may run on any thread a plugin left
// behind, at any moment. Whoever holds this lock alone touches `pending` and
// writes, so that a crash record never lands inside another record.
std::atomic_flag output_lock = ATOMIC_FLAG_INIT;
RecordWriter::Output crash_output = WriteOutputRaw;  // the writer's, for the crash handler
void (*crash_pause)() = PauseBriefly;

class OutputLock {
 public:
  OutputLock() {
    while (output_lock.test_and_set(std::memory_order_acquire)) PauseBriefly();
  }
  ~OutputLock() { output_lock.clear(std::memory_order_release); }
};

// A record's header in a fixed buffer; allocates nothing.
std::size_t Header(char tag, std::size_t key_length, std::size_t value_length, char (&out)[48]) {
  std::size_t at = 0;
  out[at++] = tag;
  for (std::size_t length : {key_length, value_length}) {
    out[at++] = ' ';
    char digits[20];
    int n = 0;
    do digits[n++] = static_cast<char>('0' + length % 10);
    while ((length /= 10) != 0);
    while (n > 0) out[at++] = digits[--n];
  }
  out[at++] = '\n';
  return at;
}

void CrashKey(const fault_report::Facts& facts, fault_report::FixedText& key) {
  if (facts.other_thread) key << "other_thread ";
  if (facts.overrun) key << "overrun ";
  if (facts.released) key << "released ";
  if (facts.pool_callback) key << "pool_callback ";
  if (facts.request != 0) key.Number(facts.request - 1, 10) << " ";  // the image's request
  if (*facts.image != '\0') key << "image=" << facts.image;
}

// The serial a 'P' or 'D' record is keyed by; false for any other key.
bool ReadSerial(const std::string& key, uint32_t* serial) {
  if (key.empty() || key.size() > 9 || key.find_first_not_of("0123456789") != std::string::npos) return false;
  *serial = static_cast<uint32_t>(std::strtoul(key.c_str(), nullptr, 10));
  return true;
}

}  // namespace

std::string BeginRecord(uint32_t request) {
  std::string out;
  AppendRecord(&out, 'S', "", std::to_string(request));
  return out;
}

std::string ReportRecord(char tag, uint32_t request, const PluginReport& report) {
  std::string out;
  AppendRecord(&out, tag, std::to_string(request), EncodeReport(report));
  return out;
}

CrashFacts ReadCrashKey(const std::string& key) {
  CrashFacts facts;
  std::size_t at = 0;
  while (at < key.size()) {
    if (key.compare(at, 6, "image=") == 0) {  // the rest is the name, spaces and all
      facts.image = key.substr(at + 6);
      break;
    }
    std::size_t end = key.find(' ', at);
    if (end == std::string::npos) end = key.size();
    const std::string word = key.substr(at, end - at);
    uint32_t request = 0;
    if (ReadSerial(word, &request)) facts.image_request = request + 1;
    facts.other_thread = facts.other_thread || word == "other_thread";
    facts.overrun = facts.overrun || word == "overrun";
    facts.released = facts.released || word == "released";
    facts.pool_callback = facts.pool_callback || word == "pool_callback";
    at = end + 1;
  }
  return facts;
}

RecordWriter::RecordWriter(StageBoard* board, Output output) : ReportSink(&report_), board_(board), output_(output) {
  crash_output = output;
}

// The 'S' record goes out at once: the parent takes a report only for a
// request it saw begin.
void RecordWriter::Begin(uint32_t request) {
  request_ = request;
  fault_report::current_request = request + 1;
  report_ = PluginReport();
  ForgetCauses();
  std::string begun = BeginRecord(request);
  if (board_ != nullptr) board_->Write(request + 1, "starting");
  OutputLock lock;
  output_(begun.data(), begun.size());
  pending.clear();
}

// The report so far is made before the lock is taken: under it, only a swap,
// which allocates nothing, so a crash handler waiting for it waits briefly.
void RecordWriter::Began(const std::string& what, const std::string& export_name) {
  std::string records = BeginRecord(request_) + ReportRecord('P', request_, report_);
  {
    OutputLock lock;
    pending.swap(records);
  }
  if (board_ != nullptr) board_->Write(request_ + 1, what, export_name);
}

// The board moves on before the report goes out: a report that arrives
// while the board still shows its request is none of this writer's.
void RecordWriter::Done(std::optional<std::uint64_t> printed_upto) {
  report_.printed_upto = printed_upto;
  const std::string records = ReportRecord('D', request_, report_);
  fault_report::current_request = 0;
  if (board_ != nullptr) board_->Write(0, "waiting for a request");
  OutputLock lock;
  pending.clear();
  output_(records.data(), records.size());
}

// Another holder of the lock lets go as soon as its write is out; only a
// crash of the holder itself (a heap a plugin wrecked) would keep it, so the
// wait is bounded.
void WriteCrashRecord(const fault_report::Facts& facts, const char* description) {
  for (int waited = 0; output_lock.test_and_set(std::memory_order_acquire) && waited < 2000; ++waited) crash_pause();
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

void SetCrashPause(void (*pause)()) { crash_pause = pause; }

bool RecordReader::NextReport(uint32_t* request, PluginReport* report) {
  std::size_t at = 0;
  Record r;
  bool done = false;
  for (Take take; !done && (take = TakeRecord(pending_, &at, &r)) != Take::kIncomplete;) {
    if (take == Take::kSkipped) continue;
    uint32_t serial = 0;
    switch (r.tag) {
      case 'S':
        current_ = Unfinished();
        current_.begun = ReadSerial(r.value, &current_.request);
        break;
      case 'P':
        if (!ReadSerial(r.key, &serial) || !current_.begun || serial != current_.request) break;
        current_.report = PluginReport();
        DecodeReport(r.value, &current_.report);
        break;
      case 'D':
        // Only the report of the request begun: no other record is one.
        if (!ReadSerial(r.key, &serial) || !current_.begun || serial != current_.request) break;
        *request = serial;
        *report = PluginReport();
        if (!DecodeReport(r.value, report))
          ReportSink(report).Error(rule::kNoWorker, "the worker's report could not be read");
        current_ = Unfinished();
        done = true;
        break;
      case 'C':
        current_.crash = r.value;
        current_.facts = ReadCrashKey(r.key);
        break;
      default: break;  // the bytes of no writer of ours
    }
  }
  pending_.erase(0, at);
  return done;
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
