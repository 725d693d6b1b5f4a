// GitHub's workflow commands: one annotation line per finding that is no
// pass ("::error file=p.lmd,line=3,col=7,title=MD310::text"), the error of a
// plugin that could not be read among them, escaped as the runner needs.
#include <memory>

#include "mdhost/report/emitter.h"

namespace host {
namespace {

// GitHub's escapes: a message's %, CR and LF; a property's , and : too.
std::string GithubEscaped(const std::string& text, bool property) {
  std::string out;
  for (char c : text) {
    if (c == '%')
      out += "%25";
    else if (c == '\r')
      out += "%0D";
    else if (c == '\n')
      out += "%0A";
    else if (property && c == ':')
      out += "%3A";
    else if (property && c == ',')
      out += "%2C";
    else
      out += c;
  }
  return out;
}

std::string Annotation(const char* command, const std::string& path, const Place& place, const std::string& title,
                       const std::string& message) {
  std::string line = std::string("::") + command + " file=" + GithubEscaped(AnsiToUtf8(path), true);
  if (place.line > 0) line += ",line=" + std::to_string(place.line) + ",col=" + std::to_string(place.column);
  return line + ",title=" + GithubEscaped(title, true) + "::" + GithubEscaped(Escaped(message), false) + "\n";
}

class GithubEmitter : public Emitter {
 public:
  void Reports(const ReportSet& set) override {
    std::string out;
    for (const PluginReport& report : set.reports)
      for (const Finding& f : report.Listed())
        if (const char* command = WordsOf(f.severity).github_command)
          out += Annotation(command, report.path, f.subject.place, f.rule, f.text);
    Print(out);
  }

  void Diff(const DiffResult& result) override {
    std::string out;
    for (const PluginReport* side : {&result.old_side, &result.new_side})
      if (const std::optional<Finding> failure = side->WhyNoActions())
        out += Annotation("error", side->path, failure->subject.place, failure->rule, failure->text);
    for (const Change& c : result.changes) {
      const bool breaking = c.what == ChangeClass::kBreaking;
      out += Annotation(breaking ? (result.versions.ok ? "warning" : "error") : "notice", result.new_side.path, {},
                        c.kind, (c.action.empty() ? "" : c.action + ": ") + c.text);
    }
    Print(out);
  }
};

}  // namespace

std::unique_ptr<Emitter> MakeGithubEmitter(const OutputOptions&) { return std::make_unique<GithubEmitter>(); }

}  // namespace host
