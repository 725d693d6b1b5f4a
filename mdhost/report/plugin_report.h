// What the stand-in host learns about one plugin module, and where it tells
// it: straight into a report, or down a worker's pipe (worker_protocol.h).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace host {

enum class Severity { kPass, kFail, kNote };

struct Finding {
  Severity severity;
  std::string text;  // UTF-8
};

struct PluginReport {
  std::string path;
  std::string error;  // why the module could not be read or examined (UTF-8); "" when it could
  // The texts by getter export name, as the plugin gave them (ANSI bytes); a
  // getter that is not exported has no entry.
  std::map<std::string, std::string> texts;
  std::optional<int32_t> sdk_version;  // none when not exported
  std::vector<Finding> findings;
  std::vector<std::string> actions;  // the action names its action XML gives
  std::map<std::string, double> figures;

  int Failures() const;
  const std::string* Text(const std::string& getter) const;
};

class ReportSink {
 public:
  virtual ~ReportSink() = default;
  // The step about to run ("loading the module", an export's name...), which
  // a crash or a hang is blamed on.
  virtual void Stage(const std::string& what) = 0;
  virtual void Text(const std::string& getter, const std::string& ansi) = 0;
  virtual void SdkVersion(int32_t version) = 0;
  virtual void Add(Severity severity, const std::string& text) = 0;
  virtual void Action(const std::string& name) = 0;
  virtual void Error(const std::string& why) = 0;
  virtual void Figure(const std::string& name, double value) = 0;

  void Pass(const std::string& text) { Add(Severity::kPass, text); }
  void Fail(const std::string& text) { Add(Severity::kFail, text); }
  void Note(const std::string& text) { Add(Severity::kNote, text); }
};

// Fills a report in this process.
class ReportBuilder : public ReportSink {
 public:
  explicit ReportBuilder(PluginReport* report) : report_(report) {}
  void Stage(const std::string&) override {}  // in this process, a crash ends it anyway
  void Text(const std::string& getter, const std::string& ansi) override { report_->texts[getter] = ansi; }
  void SdkVersion(int32_t version) override { report_->sdk_version = version; }
  void Add(Severity severity, const std::string& text) override { report_->findings.push_back({severity, text}); }
  void Action(const std::string& name) override { report_->actions.push_back(name); }
  void Error(const std::string& why) override { report_->error = why; }
  void Figure(const std::string& name, double value) override { report_->figures[name] = value; }

 private:
  PluginReport* report_;
};

}  // namespace host
