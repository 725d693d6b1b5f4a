// The severities an author chooses: mdhost.toml found from the plugin's
// folder upward, the options over it, and a file that cannot be used
// refused with its line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "mdhost/commands/rule_config.h"
#include "mdhost/commands/suppressions.h"
#include "mdhost/contract/rules.h"
#include "mdhost/examine/action_document.h"

namespace {

using host::Finding;
using host::RuleLevel;
using host::Severity;

std::string Levels(const host::PluginReport& report) {
  std::string all;
  for (const Finding& f : report.findings)
    all += f.rule + "=" + std::to_string(static_cast<int>(f.severity)) + (f.set_by.empty() ? "" : "@" + f.set_by) + " ";
  return all;
}

// Allow drops a rule's findings, warn and deny set them; a pass stays one;
// the rule's own severity is kept beside the chosen one.
TEST(RuleLevels, AllowDropsWarnAndDenySet) {
  host::PluginReport report;
  report.findings = {{"MD102", Severity::kWarn, "a"}, {"MD201", Severity::kNote, "b"}, {"MD106", Severity::kPass, "c"},
                     {"MD501", Severity::kWarn, "d"}, {"MD310", Severity::kFail, "e"}, {"MD102", Severity::kWarn, "f"}};
  const host::RuleSettings settings = {{"MD102", {RuleLevel::kAllow, "--allow"}},
                                       {"MD201", {RuleLevel::kDeny, "x.toml:3"}},
                                       {"MD106", {RuleLevel::kDeny, "--deny"}},
                                       {"MD501", {RuleLevel::kWarn, "--warn"}},
                                       {"MD310", {RuleLevel::kWarn, "--warn"}}};
  host::ApplyRuleSettings(settings, &report);
  EXPECT_EQ("MD201=3@x.toml:3 MD106=0 MD501=2 MD310=2@--warn ", Levels(report));
  EXPECT_EQ(Severity::kNote, report.findings[0].rule_severity);
  host::ApplyRuleSettings(settings, &report);  // again: nothing more changes
  EXPECT_EQ("MD201=3@x.toml:3 MD106=0 MD501=2 MD310=2@--warn ", Levels(report));
}

// Background work that crashed the process is a FAIL whatever its rule's
// level: allow neither drops nor warn lowers it; the same rule's other
// findings follow the level.
TEST(RuleLevels, ACrashIsNeverAllowedNorLowered) {
  for (RuleLevel level : {RuleLevel::kAllow, RuleLevel::kWarn}) {
    host::PluginReport report;
    report.findings = {{"MD502", Severity::kFail, "crashed the process"}, {"MD502", Severity::kFail, "counted"}};
    report.findings[0].crashed = true;
    host::ApplyRuleSettings({{"MD502", {level, "mdhost.toml:2"}}}, &report);
    EXPECT_EQ(level == RuleLevel::kAllow ? "MD502=3 " : "MD502=3 MD502=2@mdhost.toml:2 ", Levels(report));
  }
}

// A plugin that cannot be read stays failed whatever level is set for it.
TEST(RuleLevels, AnUnreadablePluginIsNeverAllowedNorLowered) {
  for (const char* rule : {"MD001", "MD002", "MD008", "MD301"}) {
    host::PluginReport report;
    report.findings = {{rule, Severity::kFail, "cannot be read"}};
    host::ApplyRuleSettings({{rule, {RuleLevel::kAllow, "--allow"}}}, &report);
    host::ApplyRuleSettings({{rule, {RuleLevel::kWarn, "--warn"}}}, &report);
    EXPECT_EQ(std::string(rule) + "=3 ", Levels(report));
  }
  EXPECT_FALSE(host::NeverAccepted("MD009"));
  EXPECT_FALSE(host::NeverAccepted("MD302"));
}

class RuleFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = ::testing::TempDir() + "rule_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ + "/project/build/deep");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void Write(const std::string& name, const std::string& text) { std::ofstream(root_ + "/" + name) << text; }
  std::string Path(const std::string& name) const {
    std::string path = root_ + "/" + name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  std::string root_;
};

// The first file found from the plugin's folder upward; --config instead;
// none with --no-config; the options over the file, the later winning.
TEST_F(RuleFiles, TheNearestFileThenTheOptions) {
  Write("mdhost.toml", "[rules]\nMD501 = \"deny\"\n");
  Write("project/mdhost.toml", "# the project's\n[rules]\nMD501 = \"allow\"\nMD310 = \"deny\"\n");
  Write("other.toml", "[rules]\nMD102 = \"warn\"\n");
  host::Invocation call;
  const auto settings = [&](const std::string& plugin) {
    host::RuleChoices choices(call);
    std::string error;
    EXPECT_TRUE(choices.Find({Path(plugin)}, &error)) << error;
    std::string all;
    for (const auto& [id, s] : choices.For(Path(plugin)))
      all += id + "=" + std::to_string(int(s.level)) + "@" + s.set_by + (s.by_option ? "(option)" : "") + " ";
    std::replace(all.begin(), all.end(), '\\', '/');  // Windows makes the path its own way
    return all;
  };
  EXPECT_EQ("MD310=2@" + Path("project/mdhost.toml") + ":4 MD501=0@" + Path("project/mdhost.toml") + ":3 ",
            settings("project/build/deep/p.lmd"));
  EXPECT_EQ("MD501=2@" + Path("mdhost.toml") + ":2 ", settings("p.lmd"));
  call.rule_options = {{"MD310", RuleLevel::kAllow}, {"MD310", RuleLevel::kWarn}};
  EXPECT_EQ("MD310=1@--warn(option) MD501=0@" + Path("project/mdhost.toml") + ":3 ", settings("project/p.lmd"));
  call.config_file = Path("other.toml");
  EXPECT_EQ("MD102=1@" + Path("other.toml") + ":2 MD310=1@--warn(option) ", settings("project/p.lmd"));
  call.no_config = true;
  call.config_file.clear();
  EXPECT_EQ("MD310=1@--warn(option) ", settings("project/p.lmd"));
}

// A file that cannot be used is never ignored: it is refused with its line.
TEST_F(RuleFiles, AFileThatCannotBeUsedIsRefusedWithItsLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"[rules]\n\nMD999 = \"deny\"\n", ":3: MD999 is no rule"},
      {"[rules]\nMD501 = \"never\"\n", ":2: MD501 is set to neither \"allow\", \"warn\" nor \"deny\""},
      {"[rules]\nMD501 = 1\n", ":2: MD501 is set to neither"},
      {"[rules\nMD501 = \"deny\"\n", ":1: not TOML: "},
      {"[rule]\nMD501 = \"allow\"\n",
       ":1: rule is no table or key mdhost reads ([rules], document, globals, [[ignore]])"},
      {"globals = \"Config\"\n", ":1: globals is an array of the project's Lua globals"},
      {"globals = [\"Config\", \"a b\"]\n", ":1: globals holds Lua names, and \"a b\" is none"},
      {"globals = [\"end\"]\n", ":1: globals holds Lua names, and \"end\" is none"},
      {"globals = [3]\n", ":1: globals holds Lua names, and this is no text"},
      {"document = 3\n", ":1: document is the source document's path, a text"},
      {"[[ignore]]\naction = \"A.b\"\n", ":1: [[ignore]] names no rule mdhost has"},
      {"[[ignore]]\nrule = \"MD310\"\nwhy = \"x\"\n", ":3: [[ignore]] takes rule, action, argument, file and reason"},
      {"ignore = \"MD310\"\n", ":1: ignore is no array of tables"},
      {"rules = \"MD501\"\n", ":1: rules is no table"},
      {"[rules]\nmd501 = \"allow\"\n", ":2: md501 is no rule"},
      {"[[ignore]]\nrule = \"MD999\"\n", ":1: [[ignore]] names no rule mdhost has"},
      // Nothing unreadable, no crash, is accepted; an empty name would take all.
      {"[[ignore]]\nrule = \"MD301\"\n", ":1: [[ignore]] names MD301, which cannot be accepted"},
      {"[[ignore]]\nrule = \"MD003\"\nreason = \"flaky\"\n", ":1: [[ignore]] names MD003, which cannot be accepted"},
      {"[[ignore]]\nrule = \"MD313\"\naction = \"\"\n", ":3: [[ignore]]'s action is empty"},
      {"[[ignore]]\nrule = \"MD313\"\nfile = \"\"\n", ":3: [[ignore]]'s file is empty"},
      {"document = \"\"\n", ":1: document is the source document's path, a text"},
  };
  for (const auto& c : cases) {
    Write("bad.toml", c.text);
    host::ProjectSettings project;
    std::string error;
    EXPECT_FALSE(host::ReadProjectFile(Path("bad.toml"), &project, &error)) << c.text;
    EXPECT_EQ(0u, error.find(Path("bad.toml") + c.error)) << error;
  }
  host::ProjectSettings project;
  std::string error;
  EXPECT_FALSE(host::ReadProjectFile(Path("none.toml"), &project, &error));
  Write("empty.toml", "");
  EXPECT_TRUE(host::ReadProjectFile(Path("empty.toml"), &project, &error)) << error;
  EXPECT_TRUE(project.rules.empty() && !project.document && project.ignores.empty());
}

// An mdhost.toml that is there but cannot be read (a folder, a dangling
// link) is the plugin's project file all the same: refused, naming it, never
// passed over for a parent folder's.
TEST_F(RuleFiles, AProjectFileThatCannotBeReadIsNeverPassedOver) {
  Write("mdhost.toml", "[rules]\nMD501 = \"allow\"\n");
  std::filesystem::create_directories(root_ + "/folder/mdhost.toml");
  std::vector<std::string> plugins = {"folder/p.lmd"};
  std::filesystem::create_directories(root_ + "/linked");
  std::error_code no_links;  // Wine has none
  std::filesystem::create_symlink(root_ + "/nowhere.toml", root_ + "/linked/mdhost.toml", no_links);
  if (!no_links) plugins.push_back("linked/p.lmd");
#ifndef _WIN32
  // A pipe is never opened: reading it would wait for a writer for ever.
  std::filesystem::create_directories(root_ + "/piped");
  ASSERT_EQ(0, mkfifo((root_ + "/piped/mdhost.toml").c_str(), 0600));
  plugins.push_back("piped/p.lmd");
#endif
  host::Invocation call;
  for (const std::string& plugin : plugins) {
    host::RuleChoices choices(call);
    std::string error;
    EXPECT_FALSE(choices.Find({Path(plugin)}, &error)) << plugin;
    EXPECT_NE(std::string::npos, error.find("mdhost.toml: cannot be read")) << error;
  }
}

// document names the source relative to the file; each [[ignore]] entry
// keeps its line.
TEST_F(RuleFiles, TheSourceDocumentAndTheEntriesIgnored) {
  Write("project/mdhost.toml",
        "document = \"src/actions.xml\"\n\n[[ignore]]\nrule = \"MD313\"\naction = \"A.b\"\nreason = \"said "
        "elsewhere\"\n\n[[ignore]]\nrule = \"MD310\"\nfile = \"build/*.lmd\"\n");
  host::ProjectSettings project;
  std::string error;
  ASSERT_TRUE(host::ReadProjectFile(Path("project/mdhost.toml"), &project, &error)) << error;
  ASSERT_TRUE(project.document.has_value());
  std::string document = *project.document;
  std::replace(document.begin(), document.end(), '\\', '/');
  EXPECT_EQ(Path("project/src/actions.xml"), document);
  ASSERT_EQ(2u, project.ignores.size());
  EXPECT_EQ("MD313 A.b said elsewhere 3", project.ignores[0].rule + " " + project.ignores[0].action + " " +
                                              project.ignores[0].reason + " " +
                                              std::to_string(project.ignores[0].line));
  EXPECT_EQ("MD310 build/*.lmd 8",
            project.ignores[1].rule + " " + project.ignores[1].file + " " + std::to_string(project.ignores[1].line));
}

// globals names the project's own Lua globals: a Default that reads one is
// no MD311, in the report and in what --fix would mend; another lone word,
// or a declared name in another project, still is.
TEST_F(RuleFiles, TheProjectsGlobalsAreNoBareWords) {
  Write("project/mdhost.toml", "globals = [\"Config\"]\n");
  Write("other/mdhost.toml", "");
  const auto read = [](const std::string& path, const char* defaults[2]) {
    host::PluginReport report;
    report.path = path;
    const std::string xml = std::string("<ActionTemplates><Action><Name>A.b</Name><Description>d</Description>") +
                            "<ReturnValueType>string</ReturnValueType><Arguments>" +
                            "<Arg><Name>X</Name><Description>d</Description><Type>string</Type><Default>" +
                            defaults[0] + "</Default><Required>0</Required></Arg>" +
                            "<Arg><Name>Y</Name><Description>d</Description><Type>string</Type><Default>" +
                            defaults[1] + "</Default><Required>0</Required></Arg></Arguments></Action>" +
                            "</ActionTemplates>";
    const host::ActionDocument document = host::ReadActionDocument(xml);
    report.findings = document.findings;
    report.action_specs = document.specs;
    return report;
  };
  host::Invocation call;
  host::RuleChoices choices(call);
  std::string error;
  const std::string mine = Path("project/p.lmd"), theirs = Path("other/p.lmd");
  ASSERT_TRUE(choices.Find({mine, theirs}, &error)) << error;
  const char* defaults[2] = {"Config", "World"};
  host::PluginReport report = read(mine, defaults);
  ASSERT_EQ(2u, report.findings.size());
  choices.Apply(&report);
  ASSERT_EQ(1u, report.findings.size());
  EXPECT_EQ("MD311 Y", report.findings[0].rule + " " + report.findings[0].subject.argument);
  host::PluginReport other = read(theirs, defaults);
  choices.Apply(&other);
  EXPECT_EQ(2u, other.findings.size());
  host::Acceptance acceptance(call, choices);
  ASSERT_TRUE(acceptance.Ready(&error)) << error;
  const host::PluginReport again = read(mine, defaults);
  EXPECT_TRUE(acceptance.WouldAccept(mine, again.findings[0], again.action_specs));
  EXPECT_FALSE(acceptance.WouldAccept(mine, again.findings[1], again.action_specs));
}

// The new project's file reads as no change; each line taken in sets its
// rule to its own severity.
TEST_F(RuleFiles, TheNewProjectsFileListsEveryRuleAtItsOwnSeverity) {
  const std::string text = host::RuleFileTemplate("actions.xml");
  Write("new.toml", text);
  host::ProjectSettings project;
  std::string error;
  ASSERT_TRUE(host::ReadProjectFile(Path("new.toml"), &project, &error)) << error;
  EXPECT_TRUE(project.rules.empty() && project.ignores.empty());
  EXPECT_TRUE(project.document.has_value());
  // Its globals line, taken in, declares what it shows.
  const std::size_t globals = text.find("# globals = ");
  ASSERT_NE(std::string::npos, globals);
  Write("globals.toml", text.substr(globals + 2, text.find('\n', globals) - globals - 1));
  host::ProjectSettings declared;
  ASSERT_TRUE(host::ReadProjectFile(Path("globals.toml"), &declared, &error)) << error;
  EXPECT_EQ(std::vector<std::string>{"Config"}, declared.globals);
  std::string taken;
  for (std::size_t at = 0; (at = text.find("\n# MD", at)) != std::string::npos; ++at)
    taken += text.substr(at + 3, text.find('\n', at + 1) - at - 2);
  Write("taken.toml", "[rules]\n" + taken);
  host::ProjectSettings taken_project;
  ASSERT_TRUE(host::ReadProjectFile(Path("taken.toml"), &taken_project, &error)) << error;
  host::RuleSettings& settings = taken_project.rules;
  EXPECT_EQ(sizeof host::rule::kAll / sizeof host::rule::kAll[0], settings.size());
  EXPECT_EQ(RuleLevel::kDeny, settings["MD003"].level);
  EXPECT_EQ(RuleLevel::kWarn, settings["MD501"].level);
  EXPECT_EQ(RuleLevel::kAllow, settings["MD201"].level);
  EXPECT_NE(std::string::npos, text.find("# MD314 = \"warn\"   # WARN: Extended entry without its action\n"));
}

// Every rule can be set by its ID, as the new project's file lists them.
TEST(RuleLevels, EveryRuleIsKnownByItsId) {
  for (const host::Rule& rule : host::rule::kAll) EXPECT_TRUE(host::IsRuleId(rule.id)) << rule.id;
  EXPECT_FALSE(host::IsRuleId("MD000"));
  EXPECT_FALSE(host::IsRuleId(""));
  EXPECT_EQ(RuleLevel::kDeny, host::RuleLevelNamed("deny"));
  EXPECT_FALSE(host::RuleLevelNamed("Deny"));
}

}  // namespace
