// The command line as mdhost takes it: each option beside what it sets, and
// each way a command line can be wrong, with the reason mdhost gives.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mdhost/commands/command_line.h"

namespace {

struct Parsed {
  bool ok = false, help = false;
  host::Invocation call;
  std::string error;
};

Parsed Parse(const char* command, const std::vector<std::string>& arguments) {
  Parsed p;
  const host::Command* c = host::FindCommand(command);
  EXPECT_NE(nullptr, c) << command;
  if (c != nullptr) p.ok = host::ParseOptions(arguments, *c, &p.call, &p.help, &p.error);
  return p;
}

bool Named(const host::Invocation& call, const char* format) {
  return call.format != nullptr && std::string(call.format->name) == format;
}

TEST(CommandLine, EachOptionSetsWhatItSays) {
  struct Case {
    const char* command;
    std::vector<std::string> arguments;
    std::function<bool(const host::Invocation&)> holds;
  };
  const Case cases[] = {
      {"check", {"--json", "p"}, [](const host::Invocation& c) { return Named(c, "json"); }},
      {"scan", {"--format", "sarif", "f"}, [](const host::Invocation& c) { return Named(c, "sarif"); }},
      {"diff", {"--format", "github", "a", "b"}, [](const host::Invocation& c) { return Named(c, "github"); }},
      {"info", {"--json", "--format", "text", "p"}, [](const host::Invocation& c) { return Named(c, "text"); }},
      {"scan",
       {"--timeout", "7", "f"},
       [](const host::Invocation& c) { return c.timeout_seconds == 7 && c.timeout_given; }},
      {"info", {"--in-process", "p"}, [](const host::Invocation& c) { return !c.isolated; }},
      {"check", {"--cycles", "0", "p"}, [](const host::Invocation& c) { return c.load_cycles == 0; }},
      {"scan", {"--strict", "f"}, [](const host::Invocation& c) { return c.strict; }},
      {"check", {"--quiet", "p"}, [](const host::Invocation& c) { return c.quiet; }},
      {"scan", {"--verbose", "f"}, [](const host::Invocation& c) { return c.verbose; }},
      {"run",
       {"--with", "a", "--with", "b", "p", "s"},
       [](const host::Invocation& c) {
         return c.extra_plugins == std::vector<std::string>{"a", "b"};
       }},
      {"check", {"--fix", "d.xml"}, [](const host::Invocation& c) { return c.fix && !c.fix_diff && !c.unsafe_fixes; }},
      {"check", {"--fix", "--diff", "d.xml"}, [](const host::Invocation& c) { return c.fix && c.fix_diff; }},
      {"check",
       {"--fix", "--unsafe-fixes", "d.xml"},
       [](const host::Invocation& c) { return c.fix && c.unsafe_fixes; }},
      {"doc", {"-o", "page.html", "p"}, [](const host::Invocation& c) { return c.output == "page.html"; }},
      {"doc", {"--format", "md", "p"}, [](const host::Invocation& c) { return Named(c, "md"); }},
      {"doc", {"--format", "luacheck", "p"}, [](const host::Invocation& c) { return Named(c, "luacheck"); }},
      {"doc", {"--format", "luals", "p"}, [](const host::Invocation& c) { return Named(c, "luals"); }},
      {"doc", {"p"}, [](const host::Invocation& c) { return Named(c, "html"); }},
      {"new", {"--lang", "cpp", "Name"}, [](const host::Invocation& c) { return c.cpp; }},
      {"diff",
       {"--release-type", "major", "a", "b"},
       [](const host::Invocation& c) { return c.release_type == "major"; }},
      // The rule options keep their order, so that the later wins.
      {"check",
       {"--deny", "MD501,MD310", "--allow", "MD501", "--warn", "MD102", "p"},
       [](const host::Invocation& c) {
         using L = host::RuleLevel;
         return c.rule_options ==
                std::vector<std::pair<std::string, L>>{
                    {"MD501", L::kDeny}, {"MD310", L::kDeny}, {"MD501", L::kAllow}, {"MD102", L::kWarn}};
       }},
      {"info", {"--config", "ci.toml", "p"}, [](const host::Invocation& c) { return c.config_file == "ci.toml"; }},
      {"scan", {"--no-config", "f"}, [](const host::Invocation& c) { return c.no_config; }},
      {"run",
       {"p", "s", "--", "--json", "-o"},
       [](const host::Invocation& c) {
         return c.arguments == std::vector<std::string>{"p", "s", "--json", "-o"};
       }},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.command, c.arguments);
    EXPECT_TRUE(p.ok) << c.command << " " << c.arguments[0] << ": " << p.error;
    EXPECT_TRUE(c.holds(p.call)) << c.command << " " << c.arguments[0];
  }
  const Parsed defaults = Parse("check", {"p"});
  EXPECT_TRUE(defaults.call.isolated && Named(defaults.call, "text") && !defaults.call.strict);
  EXPECT_EQ(10, defaults.call.timeout_seconds);
  EXPECT_EQ(200, defaults.call.load_cycles);
  EXPECT_TRUE(Parse("info", {"--help"}).help);
}

TEST(CommandLine, AWrongCommandLineSaysWhatIsWrong) {
  const struct {
    const char* command;
    std::vector<std::string> arguments;
    const char* error;
  } cases[] = {
      {"check", {"--frobnicate", "p"}, "unknown option '--frobnicate'"},
      {"info", {"-x", "p"}, "unknown option '-x'"},
      {"check", {"-h"}, "unknown option '-h'"},
      {"info", {"--strict", "p"}, "'info' takes no option --strict (see 'mdhost --help'"},
      {"help", {"--json", "p", "f"}, "'help' takes no option --json (it takes no options"},
      {"check", {"p", "--timeout"}, "--timeout takes SECONDS"},
      {"check", {"--timeout", "0", "p"}, "--timeout takes a number from 1 to 86400"},
      {"check", {"--timeout", "5x", "p"}, "--timeout takes a number from 1 to 86400"},
      {"check", {"--cycles", "-1", "p"}, "--cycles takes a number from 0 to 100000"},
      // A format of another command is refused; the list is the registry's.
      {"doc", {"--format", "pdf", "p"}, "--format takes html"},
      {"check", {"--format", "md", "p"}, "--format takes text"},
      {"new", {"--lang", "rust", "N"}, "--lang takes c or cpp"},
      {"diff", {"--release-type", "huge", "a", "b"}, "--release-type takes major, minor or patch"},
      {"check", {"--deny", "MD501,MD9999", "p"}, "--deny: MD9999 is no rule"},
      {"check", {"--allow", "MD501,", "p"}, "--allow: an empty rule ID"},
      {"diff", {"--warn", "MD501", "a", "b"}, "'diff' takes no option --warn"},
      {"check", {"--in-process", "--timeout", "5", "p"}, "--timeout cannot be honoured with --in-process"},
      {"check", {"--jobs", "0", "p"}, "--jobs takes a number from 1 to 64"},
      {"check", {"--diff", "d.xml"}, "--diff shows what --fix would change: give both"},
      {"check", {"--unsafe-fixes", "d.xml"}, "--unsafe-fixes widens what --fix makes: give both"},
      {"scan", {"--unsafe-fixes", "f"}, "'scan' takes no option --unsafe-fixes"},
      {"scan", {"--jobs", "65", "f"}, "--jobs takes a number from 1 to 64"},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse(c.command, c.arguments);
    EXPECT_FALSE(p.ok) << c.error;
    EXPECT_EQ(0u, p.error.find(c.error)) << p.error;
  }
  EXPECT_EQ(nullptr, host::FindCommand("frobnicate"));
}

}  // namespace
