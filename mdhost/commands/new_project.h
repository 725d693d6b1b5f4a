// The files of a new plugin project, as `mdhost new` writes them: each a
// path below the project's folder and its text, with the plugin's name in.
#pragma once

#include <string>
#include <vector>

namespace host {

struct ProjectFile {
  std::string path;  // relative, with '/'
  std::string text;
};

// Why `name` cannot name a plugin's Lua table, or "".
std::string WhyNotATableName(const std::string& name);

// The project for a plugin whose table is `name`, in C or C++; `help_page`
// is its Help.html.
std::vector<ProjectFile> NewProject(const std::string& name, bool cpp, const std::string& help_page);

// The action document of a new project (the page is made from it).
std::string NewActionDocument(const std::string& name);

// The project's sources (new_plugin_source.cpp): the plugin's C or C++
// file, its export list (.def) and its version resource (.rc).
std::string NewPluginSource(const std::string& name, bool cpp);
std::string NewExportList(const std::string& name);
std::string NewVersionResource(const std::string& name);

// `text` with every `mark` replaced by `value`; Fill replaces @NAME@.
std::string ReplaceAll(std::string text, const std::string& mark, const std::string& value);
std::string Fill(const std::string& text, const std::string& name);

}  // namespace host
