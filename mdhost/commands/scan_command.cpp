// mdhost scan FOLDER: every plugin module below a folder, found by reading
// each file's export table (no code runs for that), then read in the worker.
#include <cstdio>

#include "mdhost/examine/action_document.h"
#include "mdhost/commands/commands.h"
#include "mdhost/worker/examiner.h"
#include "mdhost/report/output.h"
#include "mdhost/examine/pe_image.h"
#include "mdhost/system/system.h"
#include "mdhost/examine/plugin_texts.h"

namespace host {
namespace {

std::string Cell(const std::string& utf8, std::size_t width) {
  std::string cell = utf8.substr(0, utf8.find_first_of("\r\n"));
  if (cell.size() > width) cell = cell.substr(0, width - 3) + "...";
  // Pad by characters, not bytes, so that UTF-8 texts line up.
  std::size_t characters = 0;
  for (unsigned char c : cell) characters += (c & 0xC0) != 0x80;
  return cell + std::string(characters < width ? width - characters : 0, ' ');
}

void PrintRow(const std::string& name, const std::string& version, const std::string& lua, const std::string& sdk,
              const std::string& path) {
  Print(Cell(name, 28) + " " + Cell(version, 12) + " " + Cell(lua, 10) + " " + Cell(sdk, 4) + " " + path + "\n");
}

std::string TextOr(const PluginReport& report, const char* getter, const char* otherwise) {
  const std::string* text = report.Text(getter);
  return text ? AnsiToUtf8(*text) : otherwise;
}

}  // namespace

int ScanCommand(const Invocation& call) {
  const std::string& folder = call.arguments[0];
  if (!IsFolder(folder)) {
    Complain(AnsiToUtf8(folder) + ": no such folder");
    return kExitNoInput;
  }
  Examiner examiner(call.isolated, call.timeout_seconds);
  examiner.StartEarly();
  // The modules, told from other files by their headers alone.
  struct Entry {
    std::string path;
    ModuleImage image;
  };
  std::vector<Entry> entries;
  std::vector<std::string> plugins;
  for (const std::string& path : FilesBelow(folder)) {
    ModuleImage image = ReadModuleFile(path);
    if (image.IsPluginModule()) plugins.push_back(path);
    if (image.IsPluginModule() || image.kind == ModuleKind::kModule64) entries.push_back({path, std::move(image)});
  }
  nlohmann::json all = nlohmann::json::array();
  int unread = 0;
  std::size_t shown = 0;
  auto show = [&](PluginReport report) {
    const Entry& entry = entries[shown++];
    if (!report.error.empty()) ++unread;
    if (const std::string* xml = report.Text(kActionXmlGetter)) report.actions = ReadActionDocument(*xml).actions;
    if (call.json) {
      all.push_back(ModuleJson(report, entry.image));
    } else if (report.error.empty()) {
      PrintRow(TextOr(report, kNameGetter, "-"), TextOr(report, "irPlg_GetPluginVersion", "-"),
               TextOr(report, "irPlg_GetLuaVersion", "-"),
               report.sdk_version ? "SDK" + std::to_string(*report.sdk_version) : "SDK1", AnsiToUtf8(entry.path));
    } else {
      PrintRow("?", "?", "?", "?", AnsiToUtf8(entry.path));
      Print("    could not be read: " + report.error + "\n");
    }
  };
  // 64-bit modules are not read: shown in their place, between the plugins.
  auto show_unread_up_to = [&](const std::string& path) {
    while (shown < entries.size() && entries[shown].path != path) {
      PluginReport report;
      report.path = entries[shown].path;
      report.error = "a 64-bit module: the host is a 32-bit program";
      show(report);
    }
  };
  if (!call.json) PrintRow("NAME", "VERSION", "LUA", "SDK", "PATH");
  examiner.ExamineAll(Examination::kRead, plugins, [&](const PluginReport& report) {
    show_unread_up_to(report.path);
    show(report);
  });
  show_unread_up_to("");
  if (call.json)
    PrintJson(all);
  else
    Print(std::to_string(entries.size()) + " plugin module" + (entries.size() == 1 ? "" : "s") + ", " +
          std::to_string(unread) + " could not be read\n");
  return unread ? kExitFailed : kExitOk;
}

}  // namespace host
