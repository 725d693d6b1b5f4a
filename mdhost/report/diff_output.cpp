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
  out["warnings"] = result.warning.empty() ? nlohmann::json::array() : nlohmann::json::array({result.warning});
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
  if (!result.warning.empty()) Print("WARN        " + Escaped(result.warning) + "\n");
  const int compatible = Count(result, ChangeClass::kCompatible), notes = Count(result, ChangeClass::kNote);
  Print(std::to_string(Count(result, ChangeClass::kBreaking)) + " breaking, " + std::to_string(compatible) +
        " compatible change" + (compatible == 1 ? "" : "s") +
        (notes ? ", " + std::to_string(notes) + " note" + (notes == 1 ? "" : "s") : "") + "\n");
}

}  // namespace

void PrintDiff(const DiffResult& result, bool json) {
  if (json)
    PrintJson(DiffJson(result));
  else
    PrintDiffText(result);
}

}  // namespace host
