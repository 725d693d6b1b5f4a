#include "mdhost/worker/worker_protocol.h"

#include <cstdlib>
#include <cstring>

#include "mdhost/system/system.h"

namespace host {
namespace {

std::string pending;  // records of the plugin under way, not yet written

void Append(char tag, const std::string& key, const std::string& value) {
  pending += std::string(1, tag) + " " + std::to_string(key.size()) + " " + std::to_string(value.size()) + "\n";
  pending += key;
  pending += value;
}

// A record's header in a fixed buffer; allocates nothing.
std::size_t Header(char tag, std::size_t length, char (&out)[32]) {
  std::size_t at = 0;
  out[at++] = tag;
  out[at++] = ' ';
  out[at++] = '0';
  out[at++] = ' ';
  char digits[20];
  int n = 0;
  do digits[n++] = static_cast<char>('0' + length % 10); while ((length /= 10) != 0);
  while (n > 0) out[at++] = digits[--n];
  out[at++] = '\n';
  return at;
}

char SeverityTag(Severity severity) {
  switch (severity) {
    case Severity::kPass: return 'P';
    case Severity::kFail: return 'F';
    default: return 'N';
  }
}

}  // namespace

void RecordWriter::Stage(const std::string& what) {
  if (board_ != nullptr) board_->Write(what);
}

void RecordWriter::Text(const std::string& getter, const std::string& ansi) { Append('T', getter, ansi); }
void RecordWriter::SdkVersion(int32_t version) { Append('V', "", std::to_string(version)); }
void RecordWriter::Add(Severity severity, const std::string& text) { Append(SeverityTag(severity), "", text); }
void RecordWriter::Action(const std::string& name) { Append('A', "", name); }
void RecordWriter::Error(const std::string& why) { Append('E', "", why); }
void RecordWriter::Figure(const std::string& name, double value) { Append('M', name, std::to_string(value)); }

void RecordWriter::Done() {
  Append('D', "", "");
  WriteOutputRaw(pending.data(), pending.size());
  pending.clear();
}

void WriteCrashRecord(const char* description) {
  WriteOutputRaw(pending.data(), pending.size());
  char header[32];
  const std::size_t size = Header('C', std::strlen(description), header);
  WriteOutputRaw(header, size);
  WriteOutputRaw(description, std::strlen(description));
}

bool RecordReader::Apply(ReportSink& sink, std::string* crash) {
  for (;;) {
    const std::size_t line_end = pending_.find('\n');
    if (line_end == std::string::npos) return false;
    const char tag = pending_[0];
    char* next = nullptr;
    const unsigned long long key_length = std::strtoull(pending_.c_str() + 2, &next, 10);
    const unsigned long long value_length = std::strtoull(next, nullptr, 10);
    if (pending_.size() - line_end - 1 < key_length + value_length) return false;
    const std::string key = pending_.substr(line_end + 1, key_length);
    const std::string value = pending_.substr(line_end + 1 + key_length, value_length);
    pending_.erase(0, line_end + 1 + key_length + value_length);
    switch (tag) {
      case 'T': sink.Text(key, value); break;
      case 'V': sink.SdkVersion(static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10))); break;
      case 'P': sink.Pass(value); break;
      case 'F': sink.Fail(value); break;
      case 'N': sink.Note(value); break;
      case 'A': sink.Action(value); break;
      case 'E': sink.Error(value); break;
      case 'M': sink.Figure(key, std::strtod(value.c_str(), nullptr)); break;
      case 'C': *crash = value; break;
      case 'D': return true;
      default: break;
    }
  }
}

}  // namespace host
