// What an examination tells about one plugin, and to whom: the findings
// vocabulary and the sink that takes them. Examinations write to a sink;
// reports and the worker's pipe implement it, so dependencies run one way
// (examine -> contract <- report).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

// PASS and NOTE inform; WARN works in the host but harms or is fragile; FAIL
// breaks in the host.
enum class Severity { kPass, kNote, kWarn, kFail };

struct Finding {
  std::string rule;  // a stable ID, "MD001"...; see docs/checks.md
  Severity severity;
  std::string text;  // UTF-8
};

class ReportSink {
 public:
  virtual ~ReportSink() = default;
  // The step about to run ("loading the module", an export's name...), which
  // a crash or a hang is blamed on.
  virtual void Stage(const std::string& what) = 0;
  virtual void Text(const std::string& getter, const std::string& ansi) = 0;
  // The SDK version getter's answer; none when it is not exported.
  virtual void SdkVersion(std::optional<int32_t> version) = 0;
  virtual void Add(const Finding& finding) = 0;
  virtual void Actions(const std::vector<std::string>& names) = 0;
  virtual void VersionResource(const std::string& file_version, const std::string& product_version) = 0;
  virtual void Error(const char* rule, const std::string& why) = 0;
  virtual void Figure(const std::string& name, double value) = 0;

  void Pass(const char* rule, const std::string& text) { Add({rule, Severity::kPass, text}); }
  void Note(const char* rule, const std::string& text) { Add({rule, Severity::kNote, text}); }
  void Warn(const char* rule, const std::string& text) { Add({rule, Severity::kWarn, text}); }
  void Fail(const char* rule, const std::string& text) { Add({rule, Severity::kFail, text}); }
};

}  // namespace host
