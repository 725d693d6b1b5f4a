#include "mdhost/compare/action_diff.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "mdhost/compare/version_bump.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

class Collector {
 public:
  void Add(ChangeClass what, const std::string& kind, const std::string& action, const std::string& argument,
           const std::string& old_value, const std::string& new_value, const std::string& text) {
    changes_.push_back({what, kind, action, argument, old_value, new_value, text});
  }
  std::vector<Change> Take() {
    std::stable_sort(changes_.begin(), changes_.end(),
                     [](const Change& a, const Change& b) { return a.what < b.what; });
    return std::move(changes_);
  }

 private:
  std::vector<Change> changes_;
};

// A value in quotes, its own quotes and backslashes escaped: a Default of ""
// reads "\"\"", not """".
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

const ArgumentSpec* Find(const std::vector<ArgumentSpec>& arguments, const std::string& name) {
  for (const ArgumentSpec& a : arguments)
    if (a.name == name) return &a;
  return nullptr;
}

// What can change in an argument that stays where it was.
void CompareFields(const ArgumentSpec& old, const ArgumentSpec& a, const std::string& action, Collector& out) {
  const std::string arg = "argument " + a.name + ": ";
  if (old.type != a.type)
    out.Add(ChangeClass::kBreaking, "argument_type", action, a.name, old.type, a.type,
            arg + "Type " + Quoted(old.type) + " became " + Quoted(a.type));
  if (old.required != a.required) {
    const bool now_required = a.required != "0" && old.required == "0";
    out.Add(now_required ? ChangeClass::kBreaking : ChangeClass::kCompatible, "argument_required", action, a.name,
            old.required, a.required,
            arg + "Required " + old.required + " became " + a.required +
                (now_required ? ": old calls that leave it out now fail" : ""));
  }
  if (old.default_value != a.default_value)
    out.Add(ChangeClass::kCompatible, "argument_default", action, a.name, old.default_value, a.default_value,
            arg + "Default " + Quoted(old.default_value) + " became " + Quoted(a.default_value));
  if (old.description != a.description)
    out.Add(ChangeClass::kCompatible, "argument_description", action, a.name, old.description, a.description,
            arg + "Description changed");
  if (old.easy_mode != a.easy_mode)
    out.Add(ChangeClass::kCompatible, "argument_easy_mode", action, a.name, EasyModeLine(old.easy_mode),
            EasyModeLine(a.easy_mode), arg + "EasyMode changed");
}

void AddedArgument(const ArgumentSpec& a, bool at_end, const std::string& action, Collector& out) {
  if (!at_end)
    out.Add(ChangeClass::kBreaking, "argument_added", action, a.name, "", a.name,
            "argument " + a.name + " added before existing ones: old calls pass their values in the wrong places");
  else if (a.required != "0")
    out.Add(ChangeClass::kBreaking, "argument_added", action, a.name, "", a.name,
            "argument " + a.name + " added as required: old calls do not pass it");
  else
    out.Add(ChangeClass::kCompatible, "argument_added", action, a.name, "", a.name,
            "argument " + a.name + " added at the end, optional");
}

void RemovedArgument(const ArgumentSpec& a, const std::string& action, Collector& out) {
  out.Add(ChangeClass::kBreaking, "argument_removed", action, a.name, a.name, "",
          "argument " + a.name + " removed: calls that pass it no longer match");
}

// Lua passes arguments by position: when every argument kept its place (a
// name that changed names no argument of the other side), the pairs are
// compared place by place, a new name is a note, and the tail was added or
// removed. Arguments named twice pair up the same way.
bool KeptTheirPlaces(const ActionSpec& was, const ActionSpec& now) {
  const std::size_t common = std::min(was.arguments.size(), now.arguments.size());
  for (std::size_t i = 0; i < common; ++i) {
    const std::string& before = was.arguments[i].name;
    const std::string& after = now.arguments[i].name;
    if (before != after && (Find(now.arguments, before) != nullptr || Find(was.arguments, after) != nullptr))
      return false;
  }
  return true;
}

void CompareByPlace(const ActionSpec& was, const ActionSpec& now, Collector& out) {
  const std::string& action = now.name;
  const std::size_t common = std::min(was.arguments.size(), now.arguments.size());
  for (std::size_t i = 0; i < common; ++i) {
    const ArgumentSpec& old = was.arguments[i];
    const ArgumentSpec& a = now.arguments[i];
    if (old.name != a.name)
      out.Add(ChangeClass::kNote, "argument_renamed", action, a.name, old.name, a.name,
              "argument " + std::to_string(i + 1) + " renamed: " + old.name + " became " + a.name +
                  " (scripts pass arguments by position)");
    CompareFields(old, a, action, out);
  }
  for (std::size_t i = common; i < was.arguments.size(); ++i) RemovedArgument(was.arguments[i], action, out);
  for (std::size_t i = common; i < now.arguments.size(); ++i) AddedArgument(now.arguments[i], true, action, out);
}

// Arguments that moved: by name, what went, what came, and whether those on
// both sides kept their order.
void CompareByName(const ActionSpec& was, const ActionSpec& now, Collector& out) {
  const std::string& action = now.name;
  std::vector<std::string> kept_old, kept_new;
  for (const ArgumentSpec& a : was.arguments) {
    if (Find(now.arguments, a.name) == nullptr)
      RemovedArgument(a, action, out);
    else
      kept_old.push_back(a.name);
  }
  for (std::size_t i = 0; i < now.arguments.size(); ++i) {
    const ArgumentSpec& a = now.arguments[i];
    if (Find(was.arguments, a.name) != nullptr) {
      kept_new.push_back(a.name);
      continue;
    }
    bool at_end = true;  // nothing that existed before comes after it
    for (std::size_t j = i + 1; j < now.arguments.size(); ++j)
      at_end = at_end && Find(was.arguments, now.arguments[j].name) == nullptr;
    AddedArgument(a, at_end, action, out);
  }
  if (kept_old != kept_new) {
    std::string before, after;
    for (const std::string& n : kept_old) before += (before.empty() ? "" : ", ") + n;
    for (const std::string& n : kept_new) after += (after.empty() ? "" : ", ") + n;
    out.Add(ChangeClass::kBreaking, "arguments_reordered", action, "", before, after,
            "arguments reordered: (" + before + ") became (" + after + ")");
  }
  for (const ArgumentSpec& a : now.arguments)
    if (const ArgumentSpec* old = Find(was.arguments, a.name)) CompareFields(*old, a, action, out);
}

void CompareArguments(const ActionSpec& was, const ActionSpec& now, Collector& out) {
  if (KeptTheirPlaces(was, now))
    CompareByPlace(was, now, out);
  else
    CompareByName(was, now, out);
}

void CompareAction(const ActionSpec& was, const ActionSpec& now, Collector& out) {
  if (was.return_type != now.return_type)
    out.Add(ChangeClass::kBreaking, "return_type", now.name, "", was.return_type, now.return_type,
            "ReturnValueType " + Quoted(was.return_type) + " became " + Quoted(now.return_type));
  if (was.description != now.description)
    out.Add(ChangeClass::kCompatible, "action_description", now.name, "", was.description, now.description,
            "Description changed");
  CompareArguments(was, now, out);
}

void CompareText(const char* kind, const char* label, const std::optional<std::string>& was,
                 const std::optional<std::string>& now, Collector& out) {
  if (!was || !now || *was == *now) return;
  out.Add(ChangeClass::kNote, kind, "", "", *was, *now,
          std::string(label) + " " + Quoted(*was) + " became " + Quoted(*now));
}

// The `occurrence`-th action named `name` (0 first): an action named twice
// pairs with the same occurrence on the other side.
const ActionSpec* FindAction(const std::vector<ActionSpec>& actions, const std::string& name, int occurrence) {
  for (const ActionSpec& a : actions)
    if (a.name == name && occurrence-- == 0) return &a;
  return nullptr;
}

int OccurrenceOf(const std::vector<ActionSpec>& actions, std::size_t index) {
  int before = 0;
  for (std::size_t i = 0; i < index; ++i) before += actions[i].name == actions[index].name;
  return before;
}

}  // namespace

std::optional<std::string> Utf8Text(const PluginReport& report, const char* getter) {
  const std::string* text = report.Text(getter);
  return text ? std::optional<std::string>(AnsiToUtf8(*text)) : std::nullopt;
}

std::optional<int32_t> SdkOf(const PluginReport& report) {
  if (!report.sdk_known) return std::nullopt;
  return report.sdk_version.value_or(1);
}

std::vector<Change> CompareActions(const PluginReport& old_side, const PluginReport& new_side) {
  Collector out;
  const std::vector<ActionSpec>& old_actions = old_side.action_specs;
  const std::vector<ActionSpec>& new_actions = new_side.action_specs;
  for (std::size_t i = 0; i < old_actions.size(); ++i) {
    const ActionSpec& was = old_actions[i];
    const ActionSpec* now = FindAction(new_actions, was.name, OccurrenceOf(old_actions, i));
    if (now == nullptr)
      out.Add(ChangeClass::kBreaking, "action_removed", was.name, "", was.name, "",
              "action removed: scripts that call it fail");
    else
      CompareAction(was, *now, out);
  }
  for (std::size_t i = 0; i < new_actions.size(); ++i) {
    const ActionSpec& now = new_actions[i];
    if (FindAction(old_actions, now.name, OccurrenceOf(new_actions, i)) == nullptr)
      out.Add(ChangeClass::kCompatible, "action_added", now.name, "", "", now.name, "action added");
  }
  CompareText("plugin_name", "plugin name", Utf8Text(old_side, kNameGetter), Utf8Text(new_side, kNameGetter), out);
  CompareText("lua_version", "Lua version", Utf8Text(old_side, kLuaVersionGetter),
              Utf8Text(new_side, kLuaVersionGetter), out);
  const std::optional<int32_t> old_sdk = SdkOf(old_side), new_sdk = SdkOf(new_side);
  if (old_sdk && new_sdk && *old_sdk != *new_sdk)
    CompareText("sdk_version", "SDK version", std::to_string(*old_sdk), std::to_string(*new_sdk), out);
  return out.Take();
}

VersionVerdict JudgeVersions(const PluginReport& old_side, const PluginReport& new_side, bool breaks,
                             const std::string& stated_release) {
  VersionVerdict verdict;
  verdict.old_version = Utf8Text(old_side, kVersionGetter);
  verdict.new_version = Utf8Text(new_side, kVersionGetter);
  verdict.release_stated = !stated_release.empty();
  std::optional<Bump> release = BumpNamed(stated_release);
  if (!verdict.release_stated && verdict.old_version && verdict.new_version)
    release = BumpBetween(*verdict.old_version, *verdict.new_version);
  verdict.release = release ? BumpName(*release) : "";
  verdict.required = breaks ? "major" : "none";
  verdict.ok = !breaks || release == Bump::kMajor;
  return verdict;
}

}  // namespace host
