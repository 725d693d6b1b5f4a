#include "mdhost/report/doc_page.h"

#include <map>

#include "mdhost/report/output.h"

namespace host {

// A plugin's text as HTML text: markup characters as entities, control
// characters as \xNN (line breaks kept where `lines`).
std::string HtmlEscaped(const std::string& utf8, bool lines) {
  std::string out;
  for (char c : Escaped(utf8, lines)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string CallSyntax(const ActionSpec& action) {
  std::string call = action.name + "(";
  int open = 0;
  for (std::size_t i = 0; i < action.arguments.size(); ++i) {
    const ArgumentSpec& argument = action.arguments[i];
    if (IsOptional(argument)) {
      call += i == 0 ? "[" : " [, ";
      ++open;
    } else if (i > 0) {
      call += ", ";
    }
    call += argument.name;
  }
  return call + std::string(static_cast<std::size_t>(open), ']') + ")";
}

std::string Signature(const ActionSpec& action) {
  return CallSyntax(action) + " \u2192 " + (action.return_type.empty() ? "nil" : action.return_type);
}

std::vector<std::string> Anchors(const std::vector<ActionSpec>& actions) {
  std::map<std::string, int> seen;
  std::vector<std::string> anchors;
  for (const ActionSpec& action : actions) {
    const int n = ++seen[action.name];
    anchors.push_back(n == 1 ? action.name : action.name + "-" + std::to_string(n));
  }
  return anchors;
}

std::vector<std::pair<std::string, std::vector<std::size_t>>> ByTable(const std::vector<ActionSpec>& actions) {
  std::vector<std::pair<std::string, std::vector<std::size_t>>> tables;
  std::map<std::string, std::size_t> seen;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const std::string table = actions[i].name.substr(0, actions[i].name.find('.'));
    const auto found = seen.emplace(table, tables.size());
    if (found.second) tables.push_back({table, {}});
    tables[found.first->second].second.push_back(i);
  }
  return tables;
}

std::string EasyModeText(const std::vector<EasyModeEntry>& entries, std::string (*text)(const std::string&)) {
  std::string out;
  for (const EasyModeEntry& e : entries) out += (out.empty() ? "" : "<br>") + text(e.name) + ": " + text(e.text);
  return out;
}

}  // namespace host
