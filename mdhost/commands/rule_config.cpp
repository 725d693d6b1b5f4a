#include "mdhost/commands/rule_config.h"

#include <toml++/toml.h>

#include <algorithm>

#include "mdhost/commands/suppressions.h"

#include "mdhost/contract/lua_names.h"
#include "mdhost/contract/rule_levels.h"
#include "mdhost/contract/rules.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

std::string Where(const std::string& path, const toml::source_region& source) {
  return path + ":" + std::to_string(source.begin.line);
}

std::string Join(const std::string& folder, const char* name) {
  const char separator = folder.find('\\') != std::string::npos ? '\\' : '/';
  return folder + separator + name;
}

}  // namespace

std::string RuleFileTemplate(const std::string& document) {
  std::string text;
  if (!document.empty())
    text +=
        "# The action document the plugin's module is built from: mdhost check\n"
        "# places the findings about the module's document on its lines.\n"
        "document = \"" +
        document + "\"\n\n";
  text +=
      "# The Lua globals your project's scripts define, which an argument's\n"
      "# Default may read (MD311 takes any other lone word for a string that\n"
      "# lost its quotes).\n"
      "# globals = [\"Config\"]\n\n"
      "# The levels of mdhost's rules for the plugins in this folder and below\n"
      "# (mdhost check, info and scan read the first mdhost.toml found upward\n"
      "# from a plugin). Every rule is at its own severity; to change one, take\n"
      "# the '#' from its line and set \"allow\" (its findings are left out),\n"
      "# \"warn\" or \"deny\" (a FAIL). NOTE and PASS never fail; \"allow\" hides\n"
      "# them. 'mdhost explain MDnnn' says why a rule matters.\n"
      "[rules]\n";
  for (const Rule& rule : rule::kAll) {
    const SeverityWords& words = WordsOf(rule.severity);
    const std::string value = "\"" + std::string(words.rule_level) + "\"";
    text += std::string("# ") + rule.id + " = " + PaddedTo(value, 7) + "  # " + words.name + ": " + rule.title + "\n";
  }
  return text +
         "\n# A finding accepted for good reason is not counted: an entry names its\n"
         "# rule, and where it applies (action, argument, file: a glob relative to\n"
         "# this file); a crash is never accepted. An entry that matches nothing\n"
         "# is said (a NOTE), so that it can go.\n"
         "# [[ignore]]\n"
         "# rule = \"MD313\"\n"
         "# action = \"Table.Action\"\n"
         "# reason = \"why it is right as it is\"\n";
}

namespace {

std::optional<std::string> Text(const toml::node* node) { return node ? node->value<std::string>() : std::nullopt; }

// A [[ignore]] entry's keys: rule (a rule mdhost has), and action, argument,
// file and reason where given, each a text.
bool ReadIgnore(const toml::table& entry, const std::string& path, const std::string& where, IgnoreEntry* ignore,
                std::string* error) {
  ignore->project_file = path;
  ignore->line = static_cast<int>(entry.source().begin.line);
  for (auto&& [key, node] : entry) {
    std::string* field = key.str() == "rule"       ? &ignore->rule
                         : key.str() == "action"   ? &ignore->action
                         : key.str() == "argument" ? &ignore->argument
                         : key.str() == "file"     ? &ignore->file
                         : key.str() == "reason"   ? &ignore->reason
                                                   : nullptr;
    const std::optional<std::string> value = node.value<std::string>();
    if (field == nullptr || !value) {
      *error = Where(where, key.source()) + ": [[ignore]] takes rule, action, argument, file and reason, each a text";
      return false;
    }
    *field = *value;
  }
  if (!IsRuleId(ignore->rule)) {
    *error = Where(where, entry.source()) + ": [[ignore]] names no rule mdhost has (rule = \"MDnnn\")";
    return false;
  }
  if (NeverAccepted(ignore->rule)) {
    *error = Where(where, entry.source()) + ": [[ignore]] names " + ignore->rule +
             ", which cannot be accepted: a plugin that cannot be read, or crashes, stays failed";
    return false;
  }
  // An empty name would match every finding of its rule: say so instead.
  for (auto&& [key, node] : entry)
    if (key.str() != "reason" && node.value<std::string>()->empty()) {
      *error = Where(where, key.source()) + ": [[ignore]]'s " + std::string(key.str()) +
               " is empty; leave the key out to mean any";
      return false;
    }
  return true;
}

}  // namespace

bool ReadProjectFile(const std::string& path, ProjectSettings* project, std::string* error) {
  const std::string where = AnsiToUtf8(path);
  // Only a file is read: a folder, a dangling link or a pipe named mdhost.toml
  // is a mistake to say, never a file to pass over (nor one to wait on).
  if (!IsFile(path)) {
    *error = where + ": cannot be read (it is no file)";
    return false;
  }
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) {
    *error = where + ": cannot be read";
    return false;
  }
  toml::table table;
  try {
    table = toml::parse(bytes, where);
  } catch (const toml::parse_error& e) {
    *error = Where(where, e.source()) + ": not TOML: " + std::string(e.description());
    return false;
  }
  for (auto&& [key, node] : table)
    if (key.str() != "rules" && key.str() != "document" && key.str() != "ignore" && key.str() != "globals") {
      *error = Where(where, key.source()) + ": " + std::string(key.str()) +
               " is no table or key mdhost reads ([rules], document, globals, [[ignore]])";
      return false;
    }
  if (const toml::node* globals = table.get("globals")) {
    const toml::array* names = globals->as_array();
    if (names == nullptr) {
      *error = Where(where, globals->source()) + ": globals is an array of the project's Lua globals ([\"Config\"])";
      return false;
    }
    for (const toml::node& node : *names) {
      const std::optional<std::string> name = Text(&node);
      if (!name || !IsBareLuaName(*name)) {
        *error = Where(where, node.source()) + ": globals holds Lua names, and " +
                 (name ? "\"" + *name + "\" is none" : std::string("this is no text"));
        return false;
      }
      project->globals.push_back(*name);
    }
  }
  if (const toml::node* document = table.get("document")) {
    const std::optional<std::string> name = Text(document);
    if (!name || name->empty()) {
      *error = Where(where, document->source()) + ": document is the source document's path, a text";
      return false;
    }
    // Relative to the project file, as the author writes it there.
    const bool absolute = (*name)[0] == '/' || (*name)[0] == '\\' || (name->size() > 1 && (*name)[1] == ':');
    project->document = absolute ? *name : Join(FolderOf(path), name->c_str());
    // Named from the working folder where it lies below it, as --document
    // names it: places read "actions.xml:5:3", not a whole path (Z:\... under Wine).
    if (const std::string below = RelativeTo(".", *project->document); !below.empty()) project->document = below;
  }
  if (const toml::node* ignores = table.get("ignore")) {
    const toml::array* entries = ignores->as_array();
    if (entries == nullptr) {
      *error = Where(where, ignores->source()) + ": ignore is no array of tables ([[ignore]], then rule = \"MDnnn\")";
      return false;
    }
    for (const toml::node& node : *entries) {
      const toml::table* entry = node.as_table();
      IgnoreEntry ignore;
      if (entry == nullptr) {
        *error = Where(where, node.source()) + ": ignore is no array of tables ([[ignore]], then rule = \"MDnnn\")";
        return false;
      }
      if (!ReadIgnore(*entry, path, where, &ignore, error)) return false;
      project->ignores.push_back(ignore);
    }
  }
  const toml::node* rules_node = table.get("rules");
  if (rules_node == nullptr) return true;
  const toml::table* rules = rules_node->as_table();
  if (rules == nullptr) {
    *error = Where(where, rules_node->source()) + ": rules is no table ([rules], then MDnnn = \"allow\")";
    return false;
  }
  for (auto&& [key, node] : *rules) {
    const std::string id(key.str());
    if (!IsRuleId(id)) {
      *error = Where(where, key.source()) + ": " + id + " is no rule (rules are named MDnnn, as in the findings)";
      return false;
    }
    const std::optional<std::string> value = node.value<std::string>();
    const std::optional<RuleLevel> level = value ? RuleLevelNamed(*value) : std::nullopt;
    if (!level) {
      *error = Where(where, node.source()) + ": " + id + " is set to neither \"allow\", \"warn\" nor \"deny\"";
      return false;
    }
    project->rules[id] = {*level, Where(where, key.source())};
  }
  return true;
}

std::optional<std::string> RuleChoices::FileFor(const std::string& plugin) {
  if (call_.no_config) return std::nullopt;
  if (!call_.config_file.empty()) return call_.config_file;
  std::vector<std::string> walked;
  std::optional<std::string> found;
  for (std::string folder = FolderOf(AbsolutePath(plugin));;) {
    if (const auto known = file_of_folder_.find(folder); known != file_of_folder_.end()) {
      found = known->second;
      break;
    }
    walked.push_back(folder);
    const std::string candidate = folder.empty() ? std::string("/") + kRuleFileName : Join(folder, kRuleFileName);
    if (Exists(candidate)) {  // whatever it is: one that cannot be read is said, not passed over
      found = candidate;
      break;
    }
    const std::string parent = FolderOf(folder);
    if (folder.empty() || parent == "." || parent == folder) break;
    folder = parent;
  }
  for (const std::string& folder : walked) file_of_folder_[folder] = found;
  return found;
}

bool RuleChoices::Find(const std::vector<std::string>& plugins, std::string* error) {
  for (const std::string& plugin : plugins) {
    RuleSettings settings;
    if (const std::optional<std::string> file = FileFor(plugin)) {
      auto read = files_.find(*file);
      if (read == files_.end()) {
        ProjectSettings project;
        if (!ReadProjectFile(*file, &project, error)) return false;
        read = files_.emplace(*file, std::move(project)).first;
        for (const IgnoreEntry& entry : read->second.ignores) used_[&entry] = 0;
      }
      settings = read->second.rules;
      file_of_plugin_[plugin] = *file;
    }
    for (const auto& [id, level] : call_.rule_options)
      settings[id] = {level,
                      level == RuleLevel::kAllow  ? "--allow"
                      : level == RuleLevel::kWarn ? "--warn"
                                                  : "--deny",
                      true};
    by_plugin_[plugin] = std::move(settings);
  }
  return true;
}

const RuleSettings& RuleChoices::For(const std::string& plugin) const {
  static const RuleSettings kNone;
  const auto it = by_plugin_.find(plugin);
  return it == by_plugin_.end() ? kNone : it->second;
}

std::optional<std::string> RuleChoices::DocumentFor(const std::string& plugin) const {
  const auto file = file_of_plugin_.find(plugin);
  if (file == file_of_plugin_.end()) return std::nullopt;
  return files_.at(file->second).document;
}

namespace {

// The lone name an MD311 finding's Default reads ("" for any other finding).
std::string GlobalReadBy(const Finding& finding, const std::vector<ActionSpec>& specs) {
  if (finding.rule != rule::kDefaultType) return "";
  for (const ActionSpec& action : specs)
    if (action.name == finding.subject.action)
      for (const ArgumentSpec& argument : action.arguments)
        if (argument.name == finding.subject.argument && IsBareLuaName(argument.default_value))
          return argument.default_value;
  return "";
}

}  // namespace

void RuleChoices::Apply(PluginReport* report) const {
  if (const auto file = file_of_plugin_.find(report->path); file != file_of_plugin_.end()) {
    const std::vector<std::string>& globals = files_.at(file->second).globals;
    const auto declared = [&](const Finding& f) {
      const std::string name = GlobalReadBy(f, report->action_specs);
      return !name.empty() && std::find(globals.begin(), globals.end(), name) != globals.end();
    };
    auto& findings = report->findings;
    findings.erase(std::remove_if(findings.begin(), findings.end(), declared), findings.end());
  }
  ApplyRuleSettings(For(report->path), report);
}

void RuleChoices::Accept(PluginReport* report) {
  const auto file = file_of_plugin_.find(report->path);
  if (file == file_of_plugin_.end()) return;
  for (const IgnoreEntry& entry : files_.at(file->second).ignores) used_[&entry] += Ignore(entry, report);
}

std::vector<std::string> RuleChoices::FilesRead() const {
  std::vector<std::string> read;
  for (const auto& file : files_) read.push_back(file.first);
  return read;
}

bool RuleChoices::WouldIgnore(PluginReport* report) const {
  const auto file = file_of_plugin_.find(report->path);
  if (file == file_of_plugin_.end()) return false;
  for (const IgnoreEntry& entry : files_.at(file->second).ignores)
    if (Ignore(entry, report) > 0) return true;
  return false;
}

std::vector<Finding> RuleChoices::UnusedIgnores() const {
  std::vector<Finding> notes;
  for (const auto& [path, project] : files_)
    for (const IgnoreEntry& entry : project.ignores)
      if (used_.at(&entry) == 0)
        notes.push_back({entry.rule,
                         Severity::kNote,
                         "this [[ignore]] entry matched no finding: remove it, or narrow what it names",
                         {{}, entry.action, entry.argument, {}, {entry.line, 1}, path}});
  return notes;
}

}  // namespace host
