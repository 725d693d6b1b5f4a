// A PluginReport as bytes and back, for the worker's pipe: records of
//   <tag> <key length> <value length> LF <key bytes> <value bytes>
// whose lengths let any bytes pass. The same framing carries the worker's
// own records (worker_protocol.h) and the report's fields inside them; the
// table of fields (report_fields.h) names each field's tag and how it is
// written and read.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "mdhost/contract/plugin_report.h"

namespace host {

struct Record {
  char tag = 0;
  std::string key, value;
};

// Appends one record to `out`.
void AppendRecord(std::string* out, char tag, const std::string& key, const std::string& value);

enum class Take {
  kRecord,      // `record` holds the next record; `*at` is past it
  kIncomplete,  // the bytes end before the record does; nothing taken
  kSkipped      // a line that is no record header was passed over
};
// Reads the record that starts at `*at` in `bytes`.
Take TakeRecord(const std::string& bytes, std::size_t* at, Record* record);
// Each record of `bytes` handed to `field`; false when any was malformed,
// `field` said so, or bytes are left over.
bool ForEachRecord(const std::string& bytes, const std::function<bool(const Record&)>& field);

std::string EncodeReport(const PluginReport& report);
// Fills `report` from the bytes; false when any of them were malformed (what
// could be read is kept, and a finding of unknown severity counts as FAIL).
bool DecodeReport(const std::string& bytes, PluginReport* report);

}  // namespace host
