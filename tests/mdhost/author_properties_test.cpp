// Properties of the author's loop over generated action documents and the
// edits authors make (actions inserted, reordered, lines added), each case
// from a seed that a failure prints (MD_PROPERTY_SEED=N runs that case
// alone):
//   P1 a baseline written, then any edit that renames nothing: no baselined
//      finding returns, and one new mistake is the only finding left;
//   P2 --fix settles, is idempotent, leaves no safe fix unmade (each unsafe
//      one counted, and made only when asked), changes only the elements it
//      fixes (and a byte order mark), and its diff applied by git apply
//      gives the very bytes --fix writes;
//   P3 every finding's line and column land on the element it names;
//   P4 no config (levels, [[ignore]] entries) turns an unreadable document
//      into a pass: an entry naming its rule is refused;
//   P5 text, JSON, SARIF and github give the same findings at the same
//      places.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "mdhost/commands/source_fixes.h"
#include "mdhost/commands/suppressions.h"
#include "mdhost/examine/action_document.h"
#include "mdhost/examine/document_file.h"
#include "mdhost/report/formats.h"
#include "mdhost/report/unified_diff.h"

namespace {

// One action of a generated document, with the mistakes it carries.
struct GeneratedAction {
  std::string name;
  bool misspelt_type = false;      // MD310
  bool unquoted_default = false;   // MD311, fixable
  bool empty_description = false;  // MD313
  bool broken_default = false;     // MD311, not fixable
  bool lone_word_default = false;  // MD311, an unsafe fix (World may be a global)
};

struct Generated {
  std::vector<GeneratedAction> actions;
  std::string line_end = "\n";
  bool comments = false, tabs = false, entities = false, final_newline = true;
  bool multibyte = false;  // UTF-8 text before a faulted element, on its line
};

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}
  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

  Generated Document() {
    Generated g;
    const char* ends[] = {"\n", "\r\n", "\r"};
    g.line_end = ends[Below(3)];
    g.multibyte = Chance(50);
    g.comments = Chance(50);
    g.tabs = Chance(50);
    g.entities = Chance(50);
    g.final_newline = Chance(70);
    const int count = 1 + Below(6);
    for (int i = 0; i < count; ++i) g.actions.push_back(Action("T.Act" + std::to_string(i)));
    return g;
  }
  GeneratedAction Action(const std::string& name) {
    GeneratedAction a;
    a.name = name;
    a.misspelt_type = Chance(30);
    a.unquoted_default = !a.misspelt_type && Chance(30);
    a.empty_description = Chance(20);
    a.broken_default = !a.unquoted_default && Chance(10);
    a.lone_word_default = !a.unquoted_default && !a.broken_default && Chance(10);
    return a;
  }

 private:
  std::mt19937 random_;
};

std::string Text(const Generated& g) {
  const std::string indent = g.tabs ? "\t" : "  ";
  const std::string& end = g.line_end;
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + end + "<ActionTemplates>" + end;
  for (const GeneratedAction& a : g.actions) {
    if (g.comments) out += indent + "<!-- " + a.name + " -->" + end;
    out += indent + "<Action>" + end;
    out += indent + indent + "<Name>" + a.name + "</Name>" + end;
    out += indent + indent + "<Description>" +
           (a.empty_description ? ""
            : g.entities        ? "Says &quot;hi&quot; &amp; more"
                                : "Says hi") +
           "</Description>" + end;
    out += indent + indent + "<ReturnValueType>string</ReturnValueType>" + end;
    out += indent + indent + "<Arguments><Arg><Name>Who</Name><Description>" +
           (g.multibyte ? "wer, gr\xC3\xBC\xC3\x9F \xE6\x97\xA5\xE6\x9C\xAC" : "who") + "</Description>";
    if (!g.multibyte) out += end + indent + indent + indent;
    out += std::string("<Type>") + (a.misspelt_type ? "strng" : "string") + "</Type>";
    out += std::string("<Default>") +
           (a.unquoted_default    ? "hello world"
            : a.broken_default    ? "&quot;x&quot; .."
            : a.lone_word_default ? "World"
                                  : "&quot;hi&quot;") +
           "</Default><Required>0</Required></Arg></Arguments>" + end;
    out += indent + "</Action>" + end;
  }
  out += "</ActionTemplates>";
  if (g.final_newline) out += end;
  return out;
}

// The problems a document gives (WARN and FAIL), as the reader reports them.
std::vector<host::Finding> Problems(const std::string& text) {
  std::vector<host::Finding> problems;
  for (const host::Finding& f : host::ReadActionDocument(text).findings)
    if (f.IsProblem()) problems.push_back(f);
  return problems;
}

std::string Describe(const std::vector<host::Finding>& findings) {
  std::string all;
  for (const host::Finding& f : findings) all += f.rule + " " + f.subject.action + " " + f.subject.element + "; ";
  return all;
}

// An edit that renames nothing: a clean action inserted, two swapped, or
// blank lines and a comment added.
Generated Edited(Generated g, Generator& gen) {
  switch (gen.Below(3)) {
    case 0: {
      GeneratedAction clean;
      clean.name = "T.Inserted";
      g.actions.insert(g.actions.begin() + gen.Below(static_cast<int>(g.actions.size()) + 1), clean);
      break;
    }
    case 1:
      if (g.actions.size() > 1) std::swap(g.actions[0], g.actions[g.actions.size() - 1]);
      break;
    default: g.comments = !g.comments; break;
  }
  return g;
}

std::vector<unsigned> Seeds(unsigned count) {
  if (const char* one = std::getenv("MD_PROPERTY_SEED")) return {static_cast<unsigned>(std::strtoul(one, nullptr, 10))};
  std::vector<unsigned> seeds;
  for (unsigned s = 1; s <= count; ++s) seeds.push_back(s);
  return seeds;
}

class AuthorProperties : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        ::testing::TempDir() + "author_properties_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string folder_;
};

TEST_F(AuthorProperties, P1BaselinesSurviveEditsThatRenameNothing) {
  for (unsigned seed : Seeds(1000)) {
    Generator gen(seed);
    const Generated before = gen.Document();
    host::PluginReport written;
    written.path = Path("actions.xml");
    written.findings = Problems(Text(before));
    Write("baseline.json", host::BaselineText({written}, folder_));
    Generated after = Edited(before, gen);
    // One new mistake, in an action that had none of its kind.
    GeneratedAction fresh = gen.Action("T.Fresh");
    fresh.misspelt_type = true;
    fresh.unquoted_default = fresh.empty_description = fresh.broken_default = false;
    after.actions.push_back(fresh);
    host::Baseline baseline;
    std::string error;
    ASSERT_TRUE(baseline.Read(Path("baseline.json"), &error)) << "seed " << seed << ": " << error;
    host::PluginReport report;
    report.path = written.path;
    report.findings = Problems(Text(after));
    const std::string found = Describe(report.findings);
    baseline.Apply(&report);
    ASSERT_EQ(1u, report.findings.size())
        << "seed " << seed << ": left " << Describe(report.findings) << " of " << found << "\n"
        << Text(after);
    EXPECT_EQ("MD310 T.Fresh", report.findings[0].rule + " " + report.findings[0].subject.action) << "seed " << seed;
    EXPECT_TRUE(baseline.Unused().empty()) << "seed " << seed;
  }
}

TEST_F(AuthorProperties, P2FixesSettleStayPutAndApplyAsPatches) {
  const bool have_git = std::system("git --version >/dev/null 2>&1") == 0;
  for (unsigned seed : Seeds(1000)) {
    Generator gen(seed);
    const Generated generated = gen.Document();
    // A byte order mark (an editor's) hides every other finding until removed.
    const std::string original = (seed % 5 == 0 ? "\xEF\xBB\xBF" : "") + Text(generated);
    Write("actions.xml", original);
    host::SourceFixes fixes;
    std::string error;
    ASSERT_TRUE(host::FixSource(Path("actions.xml"), "actions.xml", {}, &fixes, &error)) << error;
    const std::string fixed = Read("actions.xml");
    EXPECT_TRUE(fixes.settled) << "seed " << seed;
    EXPECT_TRUE(host::ReadActionDocument(fixed).well_formed) << "seed " << seed;
    // The safe fixes are all made; each unsafe one is left, and counted.
    int lone_words = 0;
    for (const GeneratedAction& a : generated.actions) lone_words += a.lone_word_default;
    EXPECT_EQ(lone_words, fixes.unsafe_left) << "seed " << seed;
    for (const host::Finding& f : host::ReadActionDocument(fixed).findings)
      EXPECT_FALSE(f.fix && f.fix->safe) << "seed " << seed << ": " << f.rule << " still fixable";
    // Only the fixed elements' lines change, and a second --fix changes nothing.
    const std::string diff = host::UnifiedDiff("actions.xml", original, fixed);
    for (std::size_t at = diff.find("\n-"); at != std::string::npos; at = diff.find("\n-", at + 1)) {
      const std::string line = diff.substr(at + 2, diff.find('\n', at + 1) - at - 2);
      if (line.compare(0, 3, "-- ") == 0) continue;  // the header
      EXPECT_TRUE(line.find("<Type>strng</Type>") != std::string::npos ||
                  line.find("<Default>hello world</Default>") != std::string::npos ||
                  line.compare(0, 3, "\xEF\xBB\xBF") == 0)
          << "seed " << seed << ": changed " << line;
    }
    host::SourceFixes again;
    ASSERT_TRUE(host::FixSource(Path("actions.xml"), "actions.xml", {}, &again, &error)) << error;
    EXPECT_TRUE(again.fixed.empty() && Read("actions.xml") == fixed) << "seed " << seed;
    // Asked for, the unsafe fixes are made too, and nothing fixable is left.
    if (lone_words > 0) {
      host::FixChoices unsafe;
      unsafe.unsafe = true;
      host::SourceFixes all;
      ASSERT_TRUE(host::FixSource(Path("actions.xml"), "actions.xml", unsafe, &all, &error)) << error;
      EXPECT_EQ(static_cast<std::size_t>(lone_words), all.fixed.size()) << "seed " << seed;
      for (const host::Finding& f : host::ReadActionDocument(Read("actions.xml")).findings)
        EXPECT_FALSE(f.fix.has_value()) << "seed " << seed << ": " << f.rule << " still fixable";
      Write("actions.xml", fixed);
    }
    // git apply takes the patch as printed and gives the same bytes (a tenth
    // of the cases: each starts a process).
    if (!have_git || seed % 10 != 0 || diff.empty()) continue;
    Write("actions.xml", original);
    Write("fix.patch", fixes.diff);
    const std::string apply = "cd '" + folder_ + "' && git apply --unsafe-paths -p1 fix.patch 2>&1";
    EXPECT_EQ(0, std::system(apply.c_str())) << "seed " << seed << ":\n" << fixes.diff;
    EXPECT_EQ(fixed, Read("actions.xml")) << "seed " << seed;
  }
}

// The byte an editor shows at `place`: LF, CR LF and a lone CR end lines,
// columns count code points (the generated text is UTF-8).
std::size_t OffsetOf(const std::string& text, host::Place place) {
  std::size_t at = 0;
  for (int line = 1; line < place.line && at < text.size(); ++line) {
    at = text.find_first_of("\r\n", at);
    if (at == std::string::npos) return text.size();
    at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
  }
  for (int column = 1; column < place.column && at < text.size(); ++column) do
      ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
  return at;
}

// The element a finding's place should reach: the last step of its path.
std::string ElementName(const std::string& element) {
  std::string last = element.substr(element.rfind('/') + 1);
  return last.substr(0, last.find('['));
}

TEST_F(AuthorProperties, P3EachPlaceLandsOnItsElement) {
  for (unsigned seed : Seeds(1000)) {
    Generator gen(seed);
    const std::string text = Text(gen.Document());
    for (const host::Finding& f : host::ReadActionDocument(text).findings) {
      if (f.subject.place.line == 0 || f.subject.element.empty()) continue;
      const std::size_t at = OffsetOf(text, f.subject.place);
      const std::string name = ElementName(f.subject.element);
      EXPECT_EQ("<" + name, text.substr(at, name.size() + 1))
          << "seed " << seed << ": " << f.rule << " at " << f.subject.place.line << ":" << f.subject.place.column;
    }
  }
}

TEST_F(AuthorProperties, P4NoConfigPassesAnUnreadableDocument) {
  const char* rules[] = {"MD301", "MD310", "MD311", "MD313", "MD305", "MD001"};
  const char* levels[] = {"allow", "warn", "deny"};
  std::filesystem::create_directories(Path("p4"));
  for (unsigned seed : Seeds(300)) {
    Generator gen(seed);
    std::string text = Text(gen.Document());
    switch (gen.Below(3)) {
      case 0: text = "\xEF\xBB\xBF" + text; break;
      case 1:
        text.resize(text.size() / 2 + static_cast<std::size_t>(gen.Below(static_cast<int>(text.size() / 3))));
        break;
      default: text.replace(text.find("</Action>"), 9, "</Acton>"); break;
    }
    Write("p4/actions.xml", text);
    std::string toml = "[rules]\n";
    for (const char* rule : rules)
      if (gen.Chance(50)) toml += std::string(rule) + " = \"" + levels[gen.Below(3)] + "\"\n";
    bool refused = false;
    if (gen.Chance(30)) {
      const std::string rule = rules[gen.Below(6)];
      toml += "[[ignore]]\nrule = \"" + rule + "\"\n";
      refused = rule == "MD301" || rule == "MD001";
    }
    Write("p4/mdhost.toml", toml);
    host::Invocation call;
    host::RuleChoices choices(call);
    std::string error;
    const std::string document = Path("p4/actions.xml");
    if (!choices.Find({document}, &error)) {
      EXPECT_TRUE(refused) << "seed " << seed << ": " << error;
      continue;
    }
    EXPECT_FALSE(refused) << "seed " << seed << ": an entry naming an unreadable rule was taken";
    host::PluginReport report = host::ExamineDocumentFile(document, host::Examination::kCheck);
    choices.Apply(&report);
    host::Acceptance acceptance(call, choices);
    ASSERT_TRUE(acceptance.Ready(&error)) << error;
    acceptance.Accept(&report);
    EXPECT_FALSE(report.Passed(false)) << "seed " << seed << " with\n" << toml;
    bool failed = false;
    for (const host::Finding& f : report.findings)
      failed = failed || (f.rule == "MD301" && f.severity == host::Severity::kFail);
    EXPECT_TRUE(failed) << "seed " << seed << " with\n" << toml;
  }
}

// (rule, line, column) of each placed WARN or FAIL, as a format gives them.
using Placed = std::multiset<std::tuple<std::string, int, int>>;

std::string Rendered(const char* format, const host::ReportSet& set) {
  host::TextWriter writer;
  host::OutputOptions options;
  options.listing = host::Listing::kCheck;
  options.out = &writer;
  const std::unique_ptr<host::Emitter> emitter = host::FindFormat(format, host::kForReports)->make(options);
  emitter->Begin();
  for (const host::PluginReport& report : set.reports) emitter->Report(report);
  emitter->Reports(set);
  return writer.text;
}

Placed FromLines(const std::string& text, const std::regex& line) {
  Placed placed;
  for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it)
    placed.insert({(*it)[3].str(), std::stoi((*it)[1].str()), std::stoi((*it)[2].str())});
  return placed;
}

TEST_F(AuthorProperties, P5EveryFormatPlacesTheSameFindings) {
  for (unsigned seed : Seeds(200)) {
    Generator gen(seed);
    Write("actions.xml", Text(gen.Document()));
    host::ReportSet set;
    set.reports.push_back(host::ExamineDocumentFile(Path("actions.xml"), host::Examination::kCheck));
    set.examined = {0};
    set.side_by_side_from = {set.reports[0].findings.size()};
    Placed wanted;
    for (const host::Finding& f : set.reports[0].findings)
      if (f.IsProblem() && f.subject.place.line > 0)
        wanted.insert({f.rule, f.subject.place.line, f.subject.place.column});
    const Placed text = FromLines(Rendered("text", set), std::regex(R"(:(\d+):(\d+): (?:WARN|FAIL) +(MD\d+) )"));
    const Placed github = FromLines(
        Rendered("github", set), std::regex(R"(::(?:warning|error) file=[^,]*,line=(\d+),col=(\d+),title=(MD\d+)::)"));
    Placed json, sarif;
    const nlohmann::json json_log = nlohmann::json::parse(Rendered("json", set));
    const nlohmann::json sarif_log = nlohmann::json::parse(Rendered("sarif", set));
    for (const auto& f : json_log["plugins"][0]["findings"])
      if (f.contains("line") && (f["severity"] == "WARN" || f["severity"] == "FAIL"))
        json.insert({f["rule"].get<std::string>(), f["line"].get<int>(), f["column"].get<int>()});
    for (const auto& r : sarif_log["runs"][0]["results"]) {
      const auto& location = r["locations"][0]["physicalLocation"];
      if (location.contains("region") && (r["level"] == "warning" || r["level"] == "error"))
        sarif.insert({r["ruleId"].get<std::string>(), location["region"]["startLine"].get<int>(),
                      location["region"]["startColumn"].get<int>()});
    }
    EXPECT_EQ(wanted, text) << "seed " << seed << ": text";
    EXPECT_EQ(wanted, json) << "seed " << seed << ": JSON";
    EXPECT_EQ(wanted, sarif) << "seed " << seed << ": SARIF";
    EXPECT_EQ(wanted, github) << "seed " << seed << ": github";
  }
}

}  // namespace
