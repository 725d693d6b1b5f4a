// Where the tests find what the build made, in the form the program under
// test uses (Windows programs see the Unix tree through drive Z:).
#pragma once

#include <string>

namespace testing_paths {

std::string PluginPath();                             // this plugin's module file
std::string FixturePath(const std::string& name);     // a fixture plugin by name
std::string DataPath(const std::string& name);        // a scratch file or folder
std::string DocumentPath();                           // the action template file
std::string SourcePath(const std::string& relative);  // a file of the project's sources
std::string ReadFile(const std::string& path);

}  // namespace testing_paths
