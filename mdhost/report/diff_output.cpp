#include "mdhost/report/diff_output.h"

#include "mdhost/contract/plugin_texts.h"
#include "mdhost/report/output.h"

namespace host {
namespace {

const char* ClassName(ChangeClass what) {
  switch (what) {
    case ChangeClass::kBreaking: return "BREAKING";
    case ChangeClass::kCompatible: return "compatible";
    default: return "note";
  }
}

int Count(const DiffResult& result, ChangeClass what) {
  int n = 0;
  for (const Change& change : result.changes) n += change.what == what;
  return n;
}

nlohmann::json TextJson(const PluginReport& side, const char* getter) {
  const std::string* text = side.Text(getter);
  return text ? nlohmann::json(AnsiToUtf8(*text)) : nlohmann::json();
}

nlohmann::json SideJson(const PluginReport& side) {
  const std::optional<Finding> failure = side.WhyNoActions();
  return {{"path", AnsiToUtf8(side.path)},
          {"name", TextJson(side, kNameGetter)},
          {"version", TextJson(side, kVersionGetter)},
          {"error", failure ? nlohmann::json({{"rule", failure->rule}, {"text", failure->text}}) : nlohmann::json()}};
}

nlohmann::json VersionsJson(const DiffResult& result) {
  if (!result.Compared()) return nullptr;
  const VersionVerdict& v = result.versions;
  const auto text = [](const std::optional<std::string>& t) { return t ? nlohmann::json(*t) : nlohmann::json(); };
  return {{"old", text(v.old_version)},
          {"new", text(v.new_version)},
          {"release", v.release.empty() ? nlohmann::json() : nlohmann::json(v.release)},
          {"release_stated", v.release_stated},
          {"required_bump", v.required},
          {"ok", v.ok}};
}

// "Version 1.4 -> 1.5 (a minor release); scripts break, which needs a major
// release: raise the version's first number"
std::string VersionLine(const VersionVerdict& v) {
  std::string line;
  if (v.old_version && v.new_version) {
    line = "Version " + Escaped(*v.old_version) + " -> " + Escaped(*v.new_version);
    if (!v.release_stated)
      line += v.release.empty()     ? " (no dotted numbers: no release can be told)"
              : v.release == "none" ? " (no release)"
                                    : " (a " + v.release + " release)";
  } else {
    line = "No version text on a document side";
  }
  if (v.release_stated) line += ", stated a " + v.release + " release";
  if (v.required != "major") return line + "; nothing breaks";
  if (v.ok) return line + "; scripts break, which a major release allows";
  line += "; scripts break, which needs a major release";
  if (v.release_stated) return line;
  return line + (v.release.empty() ? " (state it: --release-type major)" : ": raise the version's first number");
}

nlohmann::json DiffJson(const DiffResult& result) {
  nlohmann::json list = nlohmann::json::array();
  for (const Change& c : result.changes) {
    nlohmann::json entry = {{"kind", c.kind},
                            {"class", ClassName(c.what)},
                            {"breaking", c.what == ChangeClass::kBreaking},
                            {"action", c.action.empty() ? nlohmann::json() : nlohmann::json(c.action)},
                            {"old", c.old_value},
                            {"new", c.new_value},
                            {"text", c.text}};
    if (!c.argument.empty()) entry["argument"] = c.argument;
    list.push_back(entry);
  }
  nlohmann::json out = JsonEnvelope();
  out["old"] = SideJson(result.old_side);
  out["new"] = SideJson(result.new_side);
  out["changes"] = list;
  out["versions"] = VersionsJson(result);
  out["summary"] = {{"breaking", Count(result, ChangeClass::kBreaking)},
                    {"compatible", Count(result, ChangeClass::kCompatible)},
                    {"notes", Count(result, ChangeClass::kNote)}};
  return out;
}

void PrintDiffText(const DiffResult& result) {
  if (!result.Compared()) {  // as check reports a plugin that cannot be read
    for (const PluginReport* side : {&result.old_side, &result.new_side})
      if (const std::optional<Finding> failure = side->WhyNoActions())
        Print(AnsiToUtf8(side->path) + ": " + FindingLine(*failure) + "\n");
    return;
  }
  Print("Comparing " + AnsiToUtf8(result.old_side.path) + " with " + AnsiToUtf8(result.new_side.path) + "\n");
  for (const Change& c : result.changes) {
    const std::string name = ClassName(c.what);
    Print(name + std::string(12 - name.size(), ' ') + Escaped((c.action.empty() ? "" : c.action + ": ") + c.text) +
          "\n");
  }
  const int compatible = Count(result, ChangeClass::kCompatible), notes = Count(result, ChangeClass::kNote);
  Print(std::to_string(Count(result, ChangeClass::kBreaking)) + " breaking, " + std::to_string(compatible) +
        " compatible change" + (compatible == 1 ? "" : "s") +
        (notes ? ", " + std::to_string(notes) + " note" + (notes == 1 ? "" : "s") : "") + "\n");
  Print(VersionLine(result.versions) + "\n");
}

}  // namespace

void PrintDiff(const DiffResult& result, bool json) {
  if (json)
    PrintJson(DiffJson(result));
  else
    PrintDiffText(result);
}

}  // namespace host
