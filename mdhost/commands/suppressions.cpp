#include "mdhost/commands/suppressions.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include <nlohmann/json.hpp>

#include "mdhost/contract/rule_levels.h"
#include "mdhost/contract/rules.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

bool SameCharacter(char a, char b) {
  if (!NamesIgnoreCase()) return a == b;
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool Matches(const char* glob, const char* path) {
  for (; *glob != '\0'; ++glob, ++path) {
    if (*glob == '*') {
      const bool any = glob[1] == '*';  // ** crosses folders, * does not
      const char* rest = glob + (any ? 2 : 1);
      for (const char* at = path;; ++at) {
        if (Matches(rest, at)) return true;
        if (*at == '\0' || (!any && *at == '/')) return false;
      }
    }
    if (*path == '\0' || (*glob != '?' && !SameCharacter(*glob, *path)) || (*glob == '?' && *path == '/')) return false;
  }
  return *path == '\0';
}

// A path as a baseline or a glob names it: relative to `folder` where it
// lies below it (absolute otherwise), forward slashes.
std::string NamedFrom(const std::string& folder, const std::string& path) {
  std::string name = RelativeTo(folder, path);
  if (name.empty()) name = AbsolutePath(path);
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

bool Accepted(const Finding& finding) {
  return finding.IsProblem() && !finding.crashed && !NeverAccepted(finding.rule);
}

// Moves the findings `take` says yes to into the suppressed, with why.
template <class Take>
int Suppress(PluginReport* report, const std::string& reason, const std::string& by, bool baseline, Take take) {
  int moved = 0;
  std::vector<Finding> kept;
  for (Finding& finding : report->findings) {
    if (Accepted(finding) && take(finding)) {
      report->suppressed.push_back({std::move(finding), reason, by, baseline});
      ++moved;
    } else {
      kept.push_back(std::move(finding));
    }
  }
  report->findings = std::move(kept);
  return moved;
}

BaselineEntry EntryOf(const std::string& folder, const std::string& plugin, const Finding& finding) {
  const Subject& s = finding.subject;
  return {finding.rule, NamedFrom(folder, plugin), s.exports, s.action, s.argument, ElementKind(s.element)};
}

// The baseline file formats read: 1 kept positions in its element paths
// (read without them), 2 has none, 3 places MD313 on the Description (an
// entry of 1 or 2 on its action or argument is read as that).
constexpr int kBaselineVersion = 3;

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool GlobMatches(const std::string& glob, const std::string& path) { return Matches(glob.c_str(), path.c_str()); }

std::string ElementKind(const std::string& element) {
  std::string kind;
  for (std::size_t i = 0; i < element.size(); ++i) {
    if (element[i] == '[') {
      const std::size_t close = element.find(']', i);
      if (close != std::string::npos && close > i + 1 && element.find_first_not_of("0123456789", i + 1) == close) {
        i = close;
        continue;
      }
    }
    kind += element[i];
  }
  return kind;
}

int Ignore(const IgnoreEntry& entry, PluginReport* report) {
  const std::string where = entry.project_file + ":" + std::to_string(entry.line);
  const std::string folder = FolderOf(entry.project_file);
  return Suppress(report, entry.reason, where, false, [&](const Finding& f) {
    if (f.rule != entry.rule) return false;
    if (!entry.action.empty() && f.subject.action != entry.action) return false;
    if (!entry.argument.empty() && f.subject.argument != entry.argument) return false;
    const std::string& file = f.subject.file.empty() ? report->path : f.subject.file;
    return entry.file.empty() || GlobMatches(entry.file, NamedFrom(folder, file));
  });
}

bool BaselineEntry::operator<(const BaselineEntry& o) const {
  return std::tie(rule, plugin, exports, action, argument, element) <
         std::tie(o.rule, o.plugin, o.exports, o.action, o.argument, o.element);
}

std::string BaselineText(const std::vector<PluginReport>& reports, const std::string& folder) {
  std::vector<BaselineEntry> entries;
  for (const PluginReport& report : reports)
    for (const Finding& finding : report.findings)
      if (Accepted(finding)) entries.push_back(EntryOf(folder, report.path, finding));
  std::sort(entries.begin(), entries.end());
  nlohmann::json list = nlohmann::json::array();
  for (const BaselineEntry& e : entries) {
    nlohmann::json entry = {{"rule", e.rule}, {"plugin", AnsiToUtf8(e.plugin)}};
    for (const auto& [key, value] : {std::pair<const char*, const std::string&>{"exports", e.exports},
                                     {"action", e.action},
                                     {"argument", e.argument},
                                     {"element", e.element}})
      if (!value.empty()) entry[key] = value;
    list.push_back(entry);
  }
  return nlohmann::json({{"mdhost_baseline", kBaselineVersion}, {"findings", list}})
             .dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
         "\n";
}

bool Baseline::Read(const std::string& path, std::string* error) {
  path_ = path;
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) {
    *error = AnsiToUtf8(path) + ": cannot be read";
    return false;
  }
  const std::string where = AnsiToUtf8(path);
  const nlohmann::json data = nlohmann::json::parse(bytes, nullptr, false);
  const nlohmann::json* version =
      data.is_object() && data.contains("mdhost_baseline") ? &data["mdhost_baseline"] : nullptr;
  if (version == nullptr || !version->is_number_integer() || !data.contains("findings") ||
      !data["findings"].is_array()) {
    *error = where + ": no baseline mdhost wrote (--write-baseline FILE writes one)";
    return false;
  }
  if (version->get<int>() < 1 || version->get<int>() > kBaselineVersion) {
    *error = where + ": a baseline of format " + version->dump() + ", which this mdhost does not read (it reads 1 to " +
             std::to_string(kBaselineVersion) + ")";
    return false;
  }
  const nlohmann::json& findings = data["findings"];
  for (std::size_t i = 0; i < findings.size(); ++i) {
    const nlohmann::json& f = findings[i];
    const std::string at = where + ": findings[" + std::to_string(i) + "]";
    if (!f.is_object()) {
      *error = at + " is no object";
      return false;
    }
    BaselineEntry entry;
    for (const auto& [key, field] : {std::pair<const char*, std::string*>{"rule", &entry.rule},
                                     {"plugin", &entry.plugin},
                                     {"exports", &entry.exports},
                                     {"action", &entry.action},
                                     {"argument", &entry.argument},
                                     {"element", &entry.element}}) {
      if (!f.contains(key)) continue;
      if (!f[key].is_string() || f[key].get<std::string>().empty()) {
        *error = at + "." + key + " is no text (or an empty one)";
        return false;
      }
      *field = f[key].get<std::string>();
    }
    if (entry.rule.empty() || entry.plugin.empty() || !IsRuleId(entry.rule)) {
      *error = at + " names no rule mdhost has, or no plugin";
      return false;
    }
    if (NeverAccepted(entry.rule)) {
      *error = at + " names " + entry.rule +
               ", which cannot be accepted: a plugin that cannot be read, or crashes, "
               "stays failed";
      return false;
    }
    entry.element = ElementKind(entry.element);
    if (version->get<int>() < 3 && entry.rule == rule::kEmptyDescription && !entry.element.empty() &&
        !EndsWith(entry.element, "/Description"))
      entry.element += "/Description";
    entries_.push_back(entry);
  }
  taken_.assign(entries_.size(), false);
  return true;
}

std::optional<std::size_t> Baseline::Untaken(const std::string& plugin, const Finding& finding) const {
  if (!Accepted(finding)) return std::nullopt;
  const BaselineEntry entry = EntryOf(FolderOf(path_), plugin, finding);
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (!taken_[i] && entries_[i] == entry) return i;
  return std::nullopt;
}

bool Baseline::Holds(const std::string& plugin, const Finding& finding) const {
  return Untaken(plugin, finding).has_value();
}

void Baseline::Apply(PluginReport* report) {
  Suppress(report, "in the baseline", path_, true, [&](const Finding& f) {
    const std::optional<std::size_t> entry = Untaken(report->path, f);
    if (entry) taken_[*entry] = true;
    return entry.has_value();
  });
}

std::vector<Finding> Baseline::Unused() const {
  std::vector<Finding> notes;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (!taken_[i]) {
      const BaselineEntry& e = entries_[i];
      notes.push_back({e.rule,
                       Severity::kNote,
                       "in the baseline but no longer found (" + e.plugin + (e.action.empty() ? "" : ", " + e.action) +
                           (e.argument.empty() ? "" : ", " + e.argument) + (e.exports.empty() ? "" : ", " + e.exports) +
                           "): write the baseline again to drop it",
                       {e.exports, e.action, e.argument, e.element, {}, path_}});
    }
  return notes;
}

bool Acceptance::Ready(std::string* error) {
  if (call_.baseline.empty()) return true;
  baseline_.emplace();
  return baseline_->Read(call_.baseline, error);
}

bool Acceptance::WouldAccept(const std::string& plugin, const Finding& finding,
                             const std::vector<ActionSpec>& specs) const {
  PluginReport report;
  report.path = plugin;
  report.findings = {finding};
  report.action_specs = specs;
  choices_.Apply(&report);
  if (report.findings.empty() || !report.findings[0].IsProblem()) return true;  // allowed
  if (choices_.WouldIgnore(&report)) return true;
  return baseline_ && baseline_->Holds(plugin, report.findings[0]);
}

void Acceptance::Accept(PluginReport* report) {
  choices_.Accept(report);
  if (baseline_) baseline_->Apply(report);
  if (call_.write_baseline.empty()) return;
  PluginReport& found = found_[report->path] = *report;
  for (const Suppression& s : report->suppressed)
    if (s.by_baseline) found.findings.push_back(s.finding);
}

bool Acceptance::Finish(ReportSet* set, std::string* error) {
  const std::vector<Finding> unused = choices_.UnusedIgnores();
  set->notes.insert(set->notes.end(), unused.begin(), unused.end());
  if (baseline_) {
    const std::vector<Finding> gone = baseline_->Unused();
    set->notes.insert(set->notes.end(), gone.begin(), gone.end());
  }
  if (call_.write_baseline.empty()) return true;
  std::vector<PluginReport> found;
  for (const auto& plugin : found_) found.push_back(plugin.second);
  std::string why;
  if (WriteWholeFile(call_.write_baseline, BaselineText(found, FolderOf(call_.write_baseline)), &why)) return true;
  *error = AnsiToUtf8(call_.write_baseline) + ": cannot be written: " + why;
  return false;
}

}  // namespace host
