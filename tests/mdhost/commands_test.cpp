// What the commands decide beyond each plugin's report: scan's findings on
// plugins side by side, the files it leaves out, and the names `new` takes.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "mdhost/commands/new_project.h"
#include "mdhost/commands/scan_findings.h"
#include "support/test_paths.h"

namespace {

host::PluginReport Plugin(const std::string& path, const std::string& name, std::vector<std::string> actions) {
  host::PluginReport report;
  report.path = path;
  report.texts["irPlg_GetPluginName"] = name;
  report.actions = std::move(actions);
  return report;
}

std::vector<std::string> Rules(const host::PluginReport& report) {
  std::vector<std::string> rules;
  for (const host::Finding& f : report.findings)
    rules.push_back(f.rule + (f.severity == host::Severity::kWarn ? "W" : "?"));
  return rules;
}

// Two of one name are one MD601; two names sharing a table are one MD602,
// not MD601; a plugin alone, or of another table, has neither.
TEST(ScanFindings, NamesAndTablesSharedAreEachTheirOwnRule) {
  std::vector<host::PluginReport> reports = {Plugin("a.lmd", "Same", {"One.Do"}), Plugin("b.lmd", "Same", {"Two.Do"}),
                                             Plugin("c.lmd", "Other", {"Three.Do", "Three.Again"}),
                                             Plugin("d.lmd", "Else", {"Three.Do"}),
                                             Plugin("e.lmd", "Alone", {"Four.Do"})};
  host::CheckNeighbours(reports);
  // One finding per clash, on the later plugin, naming the one before.
  EXPECT_TRUE(Rules(reports[0]).empty());
  EXPECT_EQ(std::vector<std::string>{"MD601W"}, Rules(reports[1]));
  EXPECT_TRUE(Rules(reports[2]).empty()) << "one table used twice in one plugin is no clash";
  EXPECT_EQ(std::vector<std::string>{"MD602W"}, Rules(reports[3]));
  EXPECT_TRUE(Rules(reports[4]).empty());
  EXPECT_NE(std::string::npos, reports[3].findings[0].text.find("c.lmd"));
  EXPECT_NE(std::string::npos, reports[1].findings[0].text.find("a.lmd"));
}

TEST(ScanFindings, FilesNamedLikeModulesThatAreNone) {
  const std::string empty = testing_paths::DataPath("empty.lmd"), text = testing_paths::DataPath("notes.DLL");
  std::ofstream(empty, std::ios::binary).close();
  std::ofstream(text, std::ios::binary) << "not a module";
  EXPECT_EQ("an empty file, named like a plugin module", host::WhyNotAModule(empty));
  EXPECT_EQ("not a module (no Windows module image), though named like one", host::WhyNotAModule(text));
  EXPECT_EQ("", host::WhyNotAModule(testing_paths::DataPath("readme.txt")));
}

TEST(NewProject, ATableNameIsALuaNameOfUpTo64Characters) {
  EXPECT_EQ("", host::WhyNotATableName(std::string(64, 'a')));
  EXPECT_EQ("it is longer than 64 characters", host::WhyNotATableName(std::string(65, 'a')));
  EXPECT_EQ("", host::WhyNotATableName("_My_Plugin2"));
  EXPECT_EQ("a Lua name cannot begin with a digit", host::WhyNotATableName("2x"));
  EXPECT_EQ("a Lua name holds only letters, digits and underscores", host::WhyNotATableName("my-plugin"));
  EXPECT_EQ("it is a Lua keyword", host::WhyNotATableName("end"));
  for (const char* taken : {"string", "table", "os", "_G", "Application", "Dialog", "String", "Debug"})
    EXPECT_NE("", host::WhyNotATableName(taken)) << taken << ": a table scripts already have";
  EXPECT_EQ("", host::WhyNotATableName("Strings"));
}

}  // namespace

namespace {

// The project shows the author's loop: the document checked and fixed
// first, its CI step checking it before the build, the build's output kept
// out of the repository.
TEST(NewProject, ItShowsTheAuthorsLoop) {
  std::map<std::string, std::string> files;
  for (const host::ProjectFile& file : host::NewProject("Loop", false, "<html></html>")) files[file.path] = file.text;
  const std::string& readme = files["README.md"];
  EXPECT_NE(std::string::npos, readme.find("mdhost check actions.xml "));
  EXPECT_NE(std::string::npos, readme.find("mdhost check --fix actions.xml"));
  EXPECT_LT(readme.find("mdhost check actions.xml"), readme.find("## Build"));
  EXPECT_EQ("# What the build makes.\n/build/\n", files[".gitignore"]);
  EXPECT_LT(files["ci.sh"].find("check --strict --quiet actions.xml"), files["ci.sh"].find("cmake --build"));
  EXPECT_NE(std::string::npos, files["mdhost.toml"].find("document = \"actions.xml\""));
}

}  // namespace
