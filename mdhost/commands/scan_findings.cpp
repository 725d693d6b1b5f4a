#include "mdhost/commands/scan_findings.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <set>

#include "mdhost/commands/commands.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/report_sink.h"
#include "mdhost/contract/rules.h"
#include "mdhost/system/system.h"

namespace host {

std::string WhyNotAModule(const std::string& path) {
  const std::string extension = ExtensionOf(path);
  if (extension != ".lmd" && extension != ".dll") return "";
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  return file && file.tellg() == 0 ? "an empty file, named like a plugin module"
                                   : "not a module (no Windows module image), though named like one";
}

std::optional<PluginReport> UnusableAsPlugin(const std::string& path, const ModuleImage& image) {
  const bool named_as_plugin = ExtensionOf(path) == ".lmd";
  const bool decorated = !image.DecoratedExportHint().empty();
  if (image.IsPluginModule() || (!named_as_plugin && !decorated)) return std::nullopt;
  PluginReport report;
  report.path = path;
  ReportSink sink(&report);
  if (image.kind == ModuleKind::kModule32)
    sink.Error(rule::kNotAPlugin, "not a plugin: it exports no irPlg_GetPluginName" + image.DecoratedExportHint());
  else if (image.kind == ModuleKind::kNotAModule)
    sink.Error(rule::kCannotLoad, "cannot be loaded: " + WhyNotAModule(path));
  else
    sink.Error(rule::kCannotLoad, "cannot be loaded: " + image.WhyNoPlugin());
  return report;
}

void CheckNeighbours(std::vector<PluginReport>& reports) {
  std::map<std::string, std::vector<std::size_t>> names, tables;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    if (const std::string* name = reports[i].Text(kNameGetter)) names[*name].push_back(i);
    std::set<std::string> own;
    for (const std::string& action : reports[i].actions.value_or(std::vector<std::string>()))
      if (action.find('.') != std::string::npos) own.insert(action.substr(0, action.find('.')));
    for (const std::string& table : own) tables[table].push_back(i);
  }
  // One finding per cause: on each plugin that a plugin before it already
  // clashes with (the one the host registers later), naming those before.
  const auto warn = [&](const std::map<std::string, std::vector<std::size_t>>& groups, const char* rule,
                        const std::string& what, const std::string& consequence) {
    for (const auto& group : groups) {
      const std::vector<std::size_t>& members = group.second;
      for (std::size_t k = 1; k < members.size(); ++k) {
        std::string others;
        for (std::size_t before = 0; before < k; ++before)
          others += (before == 0 ? "" : ", ") + AnsiToUtf8(reports[members[before]].path);
        ReportSink(&reports[members[k]])
            .Add(rule, what + " " + group.first + " is also " +
                           (rule == rule::kSameName ? "the name of " : "used by ") + others + "; " + consequence);
      }
    }
  };
  warn(names, rule::kSameName, "the name", "the host lists both alike and scripts cannot tell them apart");
  warn(tables, rule::kSameTable, "the action table", "the plugin registered last replaces the other's actions");
  CheckFixedBases(reports);
}

// A plugin without relocations loads at its preferred base or not at all;
// the host loads every plugin into one process. One that overlaps another
// plugin's preferred addresses fails to load wherever that one came first:
// a WARN on it (where both are fixed, on the later), naming the others.
std::vector<std::optional<Finding>> FixedBaseFindings(const std::vector<std::string>& paths) {
  std::vector<ModuleImage> images;
  for (const std::string& path : paths) images.push_back(ReadModuleFile(path));
  const auto overlap = [](const ModuleImage& a, const ModuleImage& b) {
    return a.image_size != 0 && b.image_size != 0 &&
           uint64_t{a.preferred_base} < uint64_t{b.preferred_base} + b.image_size &&
           uint64_t{b.preferred_base} < uint64_t{a.preferred_base} + a.image_size;
  };
  std::vector<std::optional<Finding>> found(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (images[i].relocatable || images[i].kind != ModuleKind::kModule32) continue;
    std::string others;
    for (std::size_t j = 0; j < paths.size(); ++j)
      if (j != i && images[j].kind == ModuleKind::kModule32 && (images[j].relocatable || j < i) &&
          overlap(images[i], images[j]))
        others += (others.empty() ? "" : ", ") + AnsiToUtf8(paths[j]);
    if (others.empty()) continue;
    char base[16];
    std::snprintf(base, sizeof base, "0x%08X", static_cast<unsigned>(images[i].preferred_base));
    found[i] =
        Found(rule::kFixedBasesOverlap,
              std::string("it has no relocations, and its fixed base ") + base + " overlaps the addresses " + others +
                  " asks for; the host loads every plugin into one process, and whichever loads second "
                  "there cannot be loaded (error 487): link it with relocations (no /FIXED; --dynamicbase)");
  }
  return found;
}

void CheckFixedBases(std::vector<PluginReport>& reports) {
  std::vector<std::string> paths;
  for (const PluginReport& report : reports) paths.push_back(report.path);
  const std::vector<std::optional<Finding>> found = FixedBaseFindings(paths);
  for (std::size_t i = 0; i < reports.size(); ++i)
    if (found[i]) ReportSink(&reports[i]).Add(*found[i]);
}

}  // namespace host
