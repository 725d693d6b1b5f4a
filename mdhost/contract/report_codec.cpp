#include "mdhost/contract/report_codec.h"

#include "mdhost/contract/report_fields.h"

namespace host {
namespace {

constexpr std::size_t kMaxDigits = 9;  // a length below 10^9 fits any size_t

}  // namespace

void AppendRecord(std::string* out, char tag, const std::string& key, const std::string& value) {
  *out += tag;
  *out += ' ' + std::to_string(key.size()) + ' ' + std::to_string(value.size()) + '\n';
  *out += key;
  *out += value;
}

Take TakeRecord(const std::string& bytes, std::size_t* at, Record* record) {
  const std::size_t line_end = bytes.find('\n', *at);
  if (line_end == std::string::npos) return Take::kIncomplete;
  // "<tag> <key length> <value length>", lengths in plain decimal.
  std::size_t lengths[2] = {0, 0};
  std::size_t i = *at + 1;
  bool header = line_end - *at >= 5 && bytes[i] == ' ';
  for (std::size_t& length : lengths) {
    if (!header || bytes[i++] != ' ') {
      header = false;
      break;
    }
    const std::size_t start = i;
    while (i < line_end && bytes[i] >= '0' && bytes[i] <= '9' && i - start < kMaxDigits)
      length = length * 10 + static_cast<std::size_t>(bytes[i++] - '0');
    header = i > start;
  }
  if (!header || i != line_end) {
    *at = line_end + 1;  // not a record: the bytes of no writer of ours
    return Take::kSkipped;
  }
  const std::size_t body = bytes.size() - line_end - 1;
  if (lengths[0] > body || lengths[1] > body - lengths[0]) return Take::kIncomplete;
  record->tag = bytes[*at];
  record->key.assign(bytes, line_end + 1, lengths[0]);
  record->value.assign(bytes, line_end + 1 + lengths[0], lengths[1]);
  *at = line_end + 1 + lengths[0] + lengths[1];
  return Take::kRecord;
}

bool ForEachRecord(const std::string& bytes, const std::function<bool(const Record&)>& field) {
  bool ok = true;
  std::size_t at = 0;
  Record r;
  for (;;) {
    const Take take = TakeRecord(bytes, &at, &r);
    if (take == Take::kIncomplete) return ok && at == bytes.size();
    if (take == Take::kSkipped || !field(r)) ok = false;
  }
}

std::string EncodeReport(const PluginReport& report) {
  std::string out;
  for (const ReportField& field : ReportFields())
    if (field.tag != 0) field.encode(report, &out);
  return out;
}

bool DecodeReport(const std::string& bytes, PluginReport* report) {
  return ForEachRecord(bytes, [&](const Record& r) {
    for (const ReportField& field : ReportFields())
      if (field.tag != 0 && field.tag == r.tag) return field.decode(report, r);
    return false;
  });
}

}  // namespace host
