#include "worker_protocol.h"

#include <cstdlib>
#include <cstring>

#include "platform/host_platform.h"

namespace host {
namespace {

void Send(char tag, const std::string& key, const std::string& value) {
  std::string record = std::string(1, tag) + " " + std::to_string(key.size()) + " " +
                       std::to_string(value.size()) + "\n" + key + value;
  WriteOutputRaw(record.data(), record.size());
}

char SeverityTag(Severity severity) {
  switch (severity) {
    case Severity::kPass: return 'P';
    case Severity::kFail: return 'F';
    default: return 'N';
  }
}

}  // namespace

void RecordWriter::Stage(const std::string& what) { Send('S', "", what); }
void RecordWriter::Text(const std::string& getter, const std::string& ansi) { Send('T', getter, ansi); }
void RecordWriter::SdkVersion(int32_t version) { Send('V', "", std::to_string(version)); }
void RecordWriter::Add(Severity severity, const std::string& text) { Send(SeverityTag(severity), "", text); }
void RecordWriter::Action(const std::string& name) { Send('A', "", name); }
void RecordWriter::Error(const std::string& why) { Send('E', "", why); }
void RecordWriter::Figure(const std::string& name, double value) { Send('M', name, std::to_string(value)); }
void RecordWriter::Done() { Send('D', "", ""); }

void WriteCrashRecord(const char* description) {
  std::size_t length = std::strlen(description);
  char header[32] = "C 0 ";
  std::size_t at = 4;
  char digits[20];
  int n = 0;
  do digits[n++] = static_cast<char>('0' + length % 10); while ((length /= 10) != 0);
  while (n > 0) header[at++] = digits[--n];
  header[at++] = '\n';
  WriteOutputRaw(header, at);
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
      case 'S': sink.Stage(value); break;
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
