#include "mdhost/commands/rule_config.h"

#include <toml++/toml.h>
#include <fstream>
#include <sstream>

#include "mdhost/contract/rules.h"
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

std::string RuleFileTemplate() {
  std::string text =
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
    text += std::string("# ") + rule.id + " = " + value + std::string(7 - value.size(), ' ') + "  # " + words.name +
            ": " + rule.title + "\n";
  }
  return text;
}

bool ReadRuleFile(const std::string& path, RuleSettings* settings, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    *error = AnsiToUtf8(path) + ": cannot be read";
    return false;
  }
  const std::string where = AnsiToUtf8(path);
  toml::table table;
  try {
    table = toml::parse(bytes.str(), where);
  } catch (const toml::parse_error& e) {
    *error = Where(where, e.source()) + ": not TOML: " + std::string(e.description());
    return false;
  }
  for (auto&& [key, node] : table)
    if (key.str() != "rules") {
      *error = Where(where, key.source()) + ": " + std::string(key.str()) + " is no table mdhost reads ([rules])";
      return false;
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
    (*settings)[id] = {*level, Where(where, key.source())};
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
    if (IsFile(candidate)) {
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
  std::map<std::string, RuleSettings> of_file;
  for (const std::string& plugin : plugins) {
    RuleSettings settings;
    if (const std::optional<std::string> file = FileFor(plugin)) {
      auto read = of_file.find(*file);
      if (read == of_file.end()) {
        RuleSettings from_file;
        if (!ReadRuleFile(*file, &from_file, error)) return false;
        read = of_file.emplace(*file, std::move(from_file)).first;
      }
      settings = read->second;
    }
    for (const auto& [id, level] : call_.rule_options)
      settings[id] = {level, level == RuleLevel::kAllow ? "--allow" : level == RuleLevel::kWarn ? "--warn" : "--deny"};
    by_plugin_[plugin] = std::move(settings);
  }
  return true;
}

const RuleSettings& RuleChoices::For(const std::string& plugin) const {
  static const RuleSettings kNone;
  const auto it = by_plugin_.find(plugin);
  return it == by_plugin_.end() ? kNone : it->second;
}

}  // namespace host
