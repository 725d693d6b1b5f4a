// What a worker process tells its parent about each plugin it examines, as
// records on its standard output:
//   <tag> <key length> <value length> LF <key bytes> <value bytes>
// Lengths make any bytes pass; a record is applied only once complete. A
// report opens with the request's serial ('S') and closes with 'D'; the
// fields between are the sink calls of ReportSink, one record each, so the
// parent rebuilds the very report the worker made.
#pragma once

#include <cstdint>
#include <string>

#include "mdhost/examine/examination.h"
#include "mdhost/contract/plugin_report.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/stage_board.h"

namespace host {

// The worker's side. Records are written together when the plugin is done
// (each write costs a round trip through the system), and what was learnt
// before a crash is written by the crash handler. The request and step under
// way also go on the stage board.
class RecordWriter : public ReportSink {
 public:
  using Output = void (*)(const char* bytes, std::size_t size);
  // `output` takes each finished report's records, and a crash record too
  // (tests capture them).
  explicit RecordWriter(StageBoard* board, Output output = WriteOutputRaw);
  void Begin(uint32_t request);
  void Stage(const std::string& what) override;
  void Text(const std::string& getter, const std::string& ansi) override;
  void SdkVersion(std::optional<int32_t> version) override;
  void Add(const Finding& finding) override;
  void Actions(const std::vector<std::string>& names) override;
  void VersionResource(const std::string& file_version, const std::string& product_version) override;
  void Error(const char* rule, const std::string& why) override;
  void Figure(const std::string& name, double value) override;
  void Done();
  // True once a plugin left something behind that may harm whatever this
  // process runs next (threads of a released plugin): the worker then ends.
  bool retire() const { return retire_; }

 private:
  StageBoard* board_;
  Output output_;
  uint32_t request_ = 0;
  bool retire_ = false;
};

// Written from a crash handler: allocates nothing.
void WriteCrashRecord(const fault_report::Facts& facts, const char* description);

// A crash record's facts, as the parent reads them.
struct CrashFacts {
  bool other_thread = false;  // in a thread other than the examining one
  bool overrun = false;       // at a guard page: past a buffer offered
  bool released = false;      // in the image of the plugin released last
  std::string image;          // the noted image the code lay in, or ""
};

// What the parent asks of a worker, one line each:
//   <serial> <check|read> <load cycles> <path> LF
struct Request {
  uint32_t serial = 0;
  Examination what = Examination::kRead;
  int load_cycles = 0;
  std::string path;  // the rest of the line, spaces and all
};
std::string EncodeRequest(const Request& request);
// False for a line that is no request (it is skipped).
bool DecodeRequest(const std::string& line, Request* request);

// The parent's side.
class RecordReader {
 public:
  void Feed(const std::string& bytes) { pending_ += bytes; }
  // Takes the next complete report and its request's serial; false while
  // none is complete.
  bool NextReport(uint32_t* request, PluginReport* report);

  // What came of the request under way when the worker ended: whether one
  // had begun, its serial, what was learnt of it and the crash described.
  struct Unfinished {
    bool begun = false;
    uint32_t request = 0;
    PluginReport report;
    std::string crash;  // the description, for people
    CrashFacts facts;
  };
  Unfinished TakeUnfinished();

 private:
  std::string pending_;
  Unfinished current_;
};

}  // namespace host
