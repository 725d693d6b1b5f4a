// What a worker process tells its parent about the plugin it examines, as
// records on its standard output:
//   <tag> <key length> <value length> LF <key bytes> <value bytes>
// Lengths make any bytes pass; a record is applied only once complete.
#pragma once

#include <string>

#include "mdhost/report/plugin_report.h"
#include "mdhost/worker/stage_board.h"

namespace host {

// The worker's side. Records are written together when the plugin is done
// (each write costs a round trip through the system), and what was learnt
// before a crash is written by the crash handler. The step under way also
// goes on the stage board, so that a hang or an exit can be blamed on it.
class RecordWriter : public ReportSink {
 public:
  explicit RecordWriter(StageBoard* board) : board_(board) {}
  void Stage(const std::string& what) override;
  void Text(const std::string& getter, const std::string& ansi) override;
  void SdkVersion(int32_t version) override;
  void Add(Severity severity, const std::string& text) override;
  void Action(const std::string& name) override;
  void Error(const std::string& why) override;
  void Figure(const std::string& name, double value) override;
  void Done();

 private:
  StageBoard* board_;
};

// Written from a crash handler: allocates nothing.
void WriteCrashRecord(const char* description);

// The parent's side.
class RecordReader {
 public:
  void Feed(const std::string& bytes) { pending_ += bytes; }
  // Applies the complete records to `sink`; true once the last one came.
  // A crash record's description goes to `*crash`.
  bool Apply(ReportSink& sink, std::string* crash);

 private:
  std::string pending_;
};

}  // namespace host
