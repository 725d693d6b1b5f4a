// mdhost new NAME [DIR]: a plugin project to start from, which builds as
// written, passes check with no FAIL and no WARN, and documents itself.
#include <filesystem>
#include <fstream>

#include "mdhost/commands/commands.h"
#include "mdhost/commands/new_project.h"
#include "mdhost/examine/action_document.h"
#include "mdhost/report/doc_page.h"
#include "mdhost/report/output.h"

namespace host {

int NewCommand(const Invocation& call) {
  namespace fs = std::filesystem;
  const std::string& name = call.arguments[0];
  if (const std::string why = WhyNotATableName(name); !why.empty()) {
    Complain("'" + AnsiToUtf8(name) + "' cannot name the plugin's table: " + why +
             " (the name scripts call it by, as in " + "Name.Hello)");
    return kExitUsage;
  }
  const fs::path folder = call.arguments.size() > 1 ? fs::path(call.arguments[1]) : fs::path(name);
  std::error_code error;
  if (fs::exists(folder, error) && !(fs::is_directory(folder, error) && fs::is_empty(folder, error))) {
    Complain(AnsiToUtf8(folder.string()) +
             ": exists and is not an empty folder; mdhost new writes only into a new "
             "or empty folder, and never over anything");
    return kExitNoInput;
  }
  PluginPage page;
  page.name = name;
  page.version = "1.0";
  page.lua_version = "Lua 5.1";
  page.actions = ReadActionDocument(NewActionDocument(name)).specs;
  for (const ProjectFile& file : NewProject(name, call.cpp, HtmlPage(page))) {
    const fs::path path = folder / fs::path(file.path);
    fs::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary);
    out << file.text;
    if (!out.flush()) {
      Complain(AnsiToUtf8(path.string()) + ": cannot be written");
      return kExitNoInput;
    }
  }
  Print("made " + AnsiToUtf8(folder.string()) + ": a plugin named " + name + "; its README.md says how to build, " +
        "check and install it\n");
  return kExitOk;
}

}  // namespace host
