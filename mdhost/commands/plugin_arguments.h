// The plugin files a check is given: a folder stands for every plugin
// module below it, as scan finds them (a file named like a plugin that the
// host cannot use too, so that it fails); a name with * or ? for the files
// it matches, which cmd.exe leaves to the program; any other name for
// itself.
#pragma once

#include <string>
#include <vector>

namespace host {

struct PluginFiles {
  std::vector<std::string> files;
  std::vector<std::string> empty_folders;  // folders named that hold no plugin module
};

PluginFiles PluginFilesNamed(const std::vector<std::string>& arguments);

}  // namespace host
