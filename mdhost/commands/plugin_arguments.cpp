#include "mdhost/commands/plugin_arguments.h"

#include "mdhost/commands/scan_findings.h"
#include "mdhost/examine/pe_image.h"
#include "mdhost/system/system.h"

namespace host {

PluginFiles PluginFilesNamed(const std::vector<std::string>& arguments) {
  PluginFiles named;
  for (const std::string& argument : arguments) {
    if (IsFolder(argument)) {
      std::vector<std::string> unreachable;  // names no ANSI text holds: scan lists them
      const std::size_t before = named.files.size();
      for (const std::string& path : FilesBelow(argument, &unreachable)) {
        const ModuleImage image = ReadModuleFile(path);
        if (image.IsPluginModule() || UnusableAsPlugin(path, image)) named.files.push_back(path);
      }
      if (named.files.size() == before) named.empty_folders.push_back(argument);
      continue;
    }
    const bool wildcards = argument.find_first_of("*?") != std::string::npos;
    const std::vector<std::string> matches =
        wildcards && !IsFile(argument) ? MatchingFiles(argument) : std::vector<std::string>();
    if (matches.empty())
      named.files.push_back(argument);  // itself, or a pattern that matches nothing: said missing
    else
      named.files.insert(named.files.end(), matches.begin(), matches.end());
  }
  return named;
}

}  // namespace host
