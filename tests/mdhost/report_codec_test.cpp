// A report through the worker's codec: every field back as it was, any
// bytes in the texts, and malformed bytes never taken for more than they are.
#include <gtest/gtest.h>

#include <string>

#include <regex>
#include <set>

#include <nlohmann/json.hpp>

#include "mdhost/contract/report_codec.h"
#include "mdhost/contract/report_fields.h"
#include "support/test_paths.h"

namespace {

const std::string kOdd("text with a\nnewline, a NUL \0 and \xFF bytes", 41);

host::PluginReport EveryField() {
  host::PluginReport r;
  r.path = "C:\\odd " + kOdd;
  r.error = "crashed: " + kOdd;
  r.error_rule = "MD003";
  r.texts = {{"irPlg_GetPluginName", kOdd}, {"irPlg_GetLuaVersion", ""}};
  r.sdk_known = true;
  r.sdk_version = -3;
  r.actions = std::vector<std::string>{"A.one", kOdd, ""};
  host::ActionSpec action{"A.one", "does " + kOdd, "string", {}, {12, 3}, "returns", "A.one(1)", "a note"};
  action.arguments.push_back({"X",
                              "x " + kOdd,
                              "number",
                              "2",
                              "0",
                              {{"DataType", "combo"}, {"Constraints", "a;b=c\n" + kOdd}, {"", ""}},
                              {14, 70000}});
  action.arguments.push_back({});
  r.action_specs = {action, host::ActionSpec()};
  r.plugin_details = {{"Copyright", kOdd}, {"Web", ""}};
  r.actions_failure = host::Finding{"MD303", host::Severity::kFail, "another root " + kOdd};
  r.file_version = "1.2.3.4";
  r.product_version = "";
  host::Finding wrote_past{"MD102", host::Severity::kWarn, "warns " + kOdd, host::ExportSubject("irPlg_GetPluginName")};
  wrote_past.wrote_past = true;
  r.findings = {{"MD106", host::Severity::kPass, "passes"},
                {"MD201", host::Severity::kNote, "notes"},
                wrote_past,
                {"MD310", host::Severity::kWarn, "placed;1,2;", {"", "A.one", "X " + kOdd, "/A/B[2]", {3, 41}}},
                {"MD009", host::Severity::kFail, "", {"a, " + kOdd, "", "", "", {}}}};
  r.figures = {{"kept_per_load", 1.0 / 3.0}, {"other", -0.0}};
  r.printed_upto = 18446744073709551615ull;  // the largest offset a file can have
  return r;
}

void ExpectSameFinding(const host::Finding& a, const host::Finding& b) {
  EXPECT_EQ(a.rule, b.rule);
  EXPECT_EQ(a.severity, b.severity);
  EXPECT_EQ(a.text, b.text);
  const host::Subject &s = a.subject, &t = b.subject;
  EXPECT_EQ(s.exports + "|" + s.action + "|" + s.argument + "|" + s.element,
            t.exports + "|" + t.action + "|" + t.argument + "|" + t.element);
  EXPECT_EQ(std::to_string(s.place.line) + "," + std::to_string(s.place.column),
            std::to_string(t.place.line) + "," + std::to_string(t.place.column));
  EXPECT_EQ(a.wrote_past, b.wrote_past);
}

void ExpectSameArgument(const host::ArgumentSpec& a, const host::ArgumentSpec& b) {
  EXPECT_EQ(a.name + "|" + a.description + "|" + a.type + "|" + a.default_value + "|" + a.required,
            b.name + "|" + b.description + "|" + b.type + "|" + b.default_value + "|" + b.required);
  EXPECT_TRUE(a.easy_mode == b.easy_mode)
      << host::EasyModeLine(a.easy_mode) << " / " << host::EasyModeLine(b.easy_mode);
  EXPECT_EQ(a.place.line, b.place.line);
  EXPECT_EQ(a.place.column, b.place.column);
}

void ExpectSameAction(const host::ActionSpec& a, const host::ActionSpec& b) {
  EXPECT_EQ(
      a.name + "|" + a.description + "|" + a.return_type + "|" + a.return_description + "|" + a.example + "|" + a.note,
      b.name + "|" + b.description + "|" + b.return_type + "|" + b.return_description + "|" + b.example + "|" + b.note);
  EXPECT_EQ(a.place.line, b.place.line);
  EXPECT_EQ(a.place.column, b.place.column);
  ASSERT_EQ(a.arguments.size(), b.arguments.size());
  for (std::size_t i = 0; i < a.arguments.size(); ++i) ExpectSameArgument(a.arguments[i], b.arguments[i]);
}

// Each field of the report, one by one: a field the codec leaves out fails
// here, and a field of the table that EveryField() leaves unset fails
// EveryFieldIsSetAndSent.
void ExpectSameReport(const host::PluginReport& a, const host::PluginReport& b) {
  EXPECT_EQ(a.path, b.path);
  EXPECT_EQ(a.error_rule + "|" + a.error, b.error_rule + "|" + b.error);
  EXPECT_EQ(a.texts, b.texts);
  EXPECT_EQ(a.sdk_known, b.sdk_known);
  EXPECT_EQ(a.sdk_version, b.sdk_version);
  EXPECT_EQ(a.actions, b.actions);
  ASSERT_EQ(a.action_specs.size(), b.action_specs.size());
  for (std::size_t i = 0; i < a.action_specs.size(); ++i) ExpectSameAction(a.action_specs[i], b.action_specs[i]);
  EXPECT_TRUE(a.plugin_details == b.plugin_details);
  ASSERT_EQ(a.actions_failure.has_value(), b.actions_failure.has_value());
  if (a.actions_failure) ExpectSameFinding(*a.actions_failure, *b.actions_failure);
  EXPECT_EQ(a.file_version + "|" + a.product_version, b.file_version + "|" + b.product_version);
  ASSERT_EQ(a.findings.size(), b.findings.size());
  for (std::size_t i = 0; i < a.findings.size(); ++i) ExpectSameFinding(a.findings[i], b.findings[i]);
  EXPECT_EQ(a.figures, b.figures);
  EXPECT_EQ(a.printed_upto, b.printed_upto);
}

// Every row of the table of fields is exercised above: each tag is in the
// bytes of EveryField(), and each JSON writer writes exactly the keys its row
// declares (docs/json.md's rows are held to those keys in DocumentedKeys).
TEST(ReportCodec, EveryFieldIsSetAndSent) {
  const std::string bytes = host::EncodeReport(EveryField());
  std::set<char> tags;
  std::size_t at = 0;
  host::Record record;
  while (host::TakeRecord(bytes, &at, &record) == host::Take::kRecord) tags.insert(record.tag);
  const host::JsonContext context{[](const std::string& s) { return s; }, false};
  for (const host::ReportField& field : host::ReportFields()) {
    if (field.tag != 0) EXPECT_TRUE(tags.count(field.tag)) << field.member << " is not set in EveryField()";
    nlohmann::json written = nlohmann::json::object();
    field.json(EveryField(), context, &written);
    std::string keys;
    for (const auto& item : written.items()) keys += (keys.empty() ? "" : " ") + item.key();
    std::string declared = field.json_keys;
    std::set<std::string> sorted;
    for (std::size_t i = 0, space; i < declared.size(); i = space + 1) {
      space = std::min(declared.find(' ', i), declared.size());
      sorted.insert(declared.substr(i, space - i));
    }
    std::string expected;
    for (const std::string& key : sorted) expected += (expected.empty() ? "" : " ") + key;
    EXPECT_EQ(expected, keys) << field.member;
  }
}

// docs/json.md's table of a plugin's record names exactly the keys the
// table of fields writes.
TEST(ReportCodec, DocumentedKeys) {
  const std::string page = testing_paths::ReadFile(testing_paths::SourcePath("docs/json.md"));
  const std::size_t start = page.find("## A plugin's record");
  ASSERT_NE(std::string::npos, start) << "docs/json.md has no record table";
  const std::string table = page.substr(start, page.find("\n\n", page.find("| field |", start)) - start);
  std::set<std::string> documented, written;
  const std::regex row("\n\\| ([^|]*)\\|"), key("`([a-z_]+)`");
  for (auto r = std::sregex_iterator(table.begin(), table.end(), row); r != std::sregex_iterator(); ++r) {
    const std::string cell = (*r)[1];
    for (auto k = std::sregex_iterator(cell.begin(), cell.end(), key); k != std::sregex_iterator(); ++k)
      documented.insert((*k)[1]);
  }
  for (const host::ReportField& field : host::ReportFields()) {
    const std::string keys = field.json_keys;
    for (std::size_t i = 0, space; i < keys.size(); i = space + 1) {
      space = std::min(keys.find(' ', i), keys.size());
      written.insert(keys.substr(i, space - i));
    }
  }
  EXPECT_EQ(written, documented);
}

TEST(ReportCodec, EveryFieldComesBackAsItWasWritten) {
  const host::PluginReport sent = EveryField();
  host::PluginReport read;
  ASSERT_TRUE(host::DecodeReport(host::EncodeReport(sent), &read));
  ExpectSameReport(sent, read);
}

// Unset fields stay unset: no SDK version looked for, an unread document,
// and an empty action list, which is not an unread document.
TEST(ReportCodec, WhatWasNotLearntStaysUnknown) {
  host::PluginReport sent, read;
  ASSERT_TRUE(host::DecodeReport(host::EncodeReport(sent), &read));
  ExpectSameReport(sent, read);
  EXPECT_FALSE(read.sdk_known);
  EXPECT_FALSE(read.actions.has_value());
  sent.sdk_known = true;
  sent.actions.emplace();
  host::PluginReport again;
  ASSERT_TRUE(host::DecodeReport(host::EncodeReport(sent), &again));
  EXPECT_TRUE(again.sdk_known);
  EXPECT_FALSE(again.sdk_version.has_value()) << "an SDK1 plugin";
  ASSERT_TRUE(again.actions.has_value()) << "an empty list is not an unread document";
  EXPECT_TRUE(again.actions->empty());
}

// A finding whose severity is none (a NUL, another letter, none at all) is
// counted as a FAIL, never as a fifth severity that no count sees; a place
// that is none, or a field of no kind, makes the report malformed too.
TEST(ReportCodec, AFindingOfNoKnownSeverityCountsAsAFailure) {
  const auto field = [](char tag, const std::string& value) {
    std::string out;
    host::AppendRecord(&out, tag, "", value);
    return out;
  };
  for (const std::string fields :
       {field('s', std::string(1, '\0')), field('s', "Z"), field('s', ""), field('s', "WW"), std::string(),
        field('t', "text"), field('s', "W") + field('l', "3"), field('s', "W") + field('l', "1,x"),
        field('s', "W") + field('z', ""), field('s', "W") + "junk"}) {
    std::string bytes;
    host::AppendRecord(&bytes, 'F', "MD105", fields);
    host::PluginReport read;
    EXPECT_FALSE(host::DecodeReport(bytes, &read)) << fields;
    ASSERT_EQ(1u, read.findings.size());
    EXPECT_EQ(host::Severity::kFail, read.findings[0].severity);
    EXPECT_EQ(1, read.Failures());
    EXPECT_FALSE(read.Passed(false));
  }
}

// Malformed bytes make the decode say so; a forged length never reads past
// the bytes.
TEST(ReportCodec, MalformedBytesAreSaidToBe) {
  host::PluginReport read;
  for (const std::string bad : {std::string("V 0 2\nxx"), std::string("M 1 3\nkabc"), std::string("? 0 0\n"),
                                std::string("T 5 999999999\nshort"), std::string("A 0 7\nl 0 1\nx"),
                                std::string("not a record\n"), std::string("T 18446744073709551615 1\nx")})
    EXPECT_FALSE(host::DecodeReport(bad, &read)) << bad;
  std::size_t at = 0;
  host::Record record;
  EXPECT_EQ(host::Take::kIncomplete, host::TakeRecord("T 1 2\nab", &at, &record));
  EXPECT_EQ(0u, at);
}

}  // namespace
