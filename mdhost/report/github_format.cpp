// GitHub's workflow commands: one annotation line per finding that is no
// pass ("::error file=src/actions.xml,line=3,col=7,title=MD310::text"), the
// error of a plugin that could not be read among them, each file named as
// the repository names it (relative to the root, forward slashes) and
// escaped as the runner needs; a diff's last says its verdict.
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

std::string Annotation(const char* command, const std::string& file, const Place& place, const std::string& title,
                       const std::string& message) {
  std::string line = std::string("::") + command + " file=" + GithubEscaped(Escaped(file), true);
  if (place.line > 0) line += ",line=" + std::to_string(place.line) + ",col=" + std::to_string(place.column);
  return line + ",title=" + GithubEscaped(title, true) + "::" + GithubEscaped(Escaped(message), false) + "\n";
}

class GithubEmitter : public Emitter {
 public:
  explicit GithubEmitter(const OutputOptions& options) : root_(options.root), out_(WriterOf(options)) {}

  void Reports(const ReportSet& set) override {
    std::string out;
    for (const PluginReport& report : set.reports)
      for (const Finding& f : report.Listed())
        if (const char* command = WordsOf(f.severity).github_command) out += FindingAnnotation(command, report.path, f);
    for (const Finding& note : set.notes) out += FindingAnnotation("notice", note.subject.file, note);
    out_.Write(out);
  }

  void Diff(const DiffResult& result) override {
    std::string out;
    for (const PluginReport* side : {&result.old_side, &result.new_side})
      if (const std::optional<Finding> failure = side->WhyNoActions())
        out += FindingAnnotation("error", side->path, *failure);
    const std::string file = RepositoryName(result.new_side.path, root_);
    for (const Change& c : result.changes) {
      const bool breaking = c.what == ChangeClass::kBreaking;
      out += Annotation(breaking ? (result.versions.ok ? "warning" : "error") : "notice", file, {}, c.kind,
                        (c.action.empty() ? "" : c.action + ": ") + c.text);
    }
    // The verdict, as the text's last line says it: the release the change needs.
    if (result.Compared())
      out += Annotation(result.versions.ok ? "notice" : "error", file, {}, "release", VersionLine(result.versions));
    out_.Write(out);
  }

 private:
  std::string FindingAnnotation(const char* command, const std::string& plugin, const Finding& f) const {
    const std::string& file = f.subject.file.empty() ? plugin : f.subject.file;
    return Annotation(command, RepositoryName(file, root_), f.subject.place, f.rule, FindingSentence(f));
  }

  std::string root_;
  Writer& out_;
};

}  // namespace

std::unique_ptr<Emitter> MakeGithubEmitter(const OutputOptions& options) {
  return std::make_unique<GithubEmitter>(options);
}

}  // namespace host
