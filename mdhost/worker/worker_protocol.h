// What a worker process tells its parent about each plugin it examines, as
// records (report_codec.h) on its standard output: 'S' opens a request with
// its serial; 'P' carries the report so far, 'D' the finished report (each
// keyed by the serial, the report encoded by the one codec); 'C' describes
// a crash. Only a crash writes the report so far, so a complete report costs
// one write and the parent decodes the last snapshot it has.
#pragma once

#include <cstdint>
#include <string>

#include "mdhost/contract/report_codec.h"
#include "mdhost/contract/report_sink.h"
#include "mdhost/examine/examination.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/stage_board.h"

namespace host {

// The worker's side: the examination's sink. At each step it puts the step
// on the stage board and the report so far aside for the crash handler,
// which writes it without allocating.
class RecordWriter : public ReportSink {
 public:
  using Output = void (*)(const char* bytes, std::size_t size);
  // `output` takes each finished report's records, and a crash record too
  // (tests capture them).
  explicit RecordWriter(StageBoard* board, Output output = WriteOutputRaw);
  void Begin(uint32_t request);  // a new, empty report
  void Began(const std::string& what, const std::string& export_name) override;
  void Progress() override {
    if (board_ != nullptr) board_->Bump();
  }
  void LeftBehind() override { retire_ = true; }
  // `printed_upto`: where the capture file ends now (none: no capture).
  void Done(std::optional<std::uint64_t> printed_upto = std::nullopt);
  // True once a plugin left something behind that may harm whatever this
  // process runs next (a module still loaded, threads or pool callbacks of
  // a released plugin): the worker then ends before the next request.
  bool retire() const { return retire_; }

 private:
  PluginReport report_;
  StageBoard* board_;
  Output output_;
  uint32_t request_ = 0;
  bool retire_ = false;
};

// Written from a crash handler: allocates nothing. It waits for the output
// lock with `SetCrashPause`'s function (PauseBriefly; tests watch the wait).
void WriteCrashRecord(const fault_report::Facts& facts, const char* description);
void SetCrashPause(void (*pause)());

// A crash record's facts, as the parent reads them.
struct CrashFacts {
  bool other_thread = false;   // in a thread other than the examining one
  bool overrun = false;        // at a guard page: past a buffer offered
  bool released = false;       // in the image of a plugin released already
  bool pool_callback = false;  // in the pool's thread, which held a timer or wait of that image
  std::string image;           // the noted image the code lay in, or ""
  uint32_t image_request = 0;  // the request (plus one) that examined that image; 0: unknown
};
// The crash record's key: the facts as words ("other_thread overrun
// released pool_callback", the image's request as a number), then "image=" and the
// image's name, which may hold anything.
CrashFacts ReadCrashKey(const std::string& key);

// The records a worker writes, for fakes of one.
std::string BeginRecord(uint32_t request);
std::string ReportRecord(char tag, uint32_t request, const PluginReport& report);  // 'P' or 'D'

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
