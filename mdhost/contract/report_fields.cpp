#include "mdhost/contract/report_fields.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "mdhost/contract/plugin_texts.h"

namespace host {
namespace {

// Plain decimal, an optional minus sign, within [min, max]; false otherwise.
bool ToNumber(const std::string& text, long long min, long long max, long long* out) {
  const std::size_t digits = text.size() - (!text.empty() && text[0] == '-');
  if (digits == 0 || digits > 18 || text.find_first_not_of("0123456789", text.size() - digits) != std::string::npos)
    return false;
  *out = std::strtoll(text.c_str(), nullptr, 10);
  return *out >= min && *out <= max;
}

std::string PlaceText(const Place& place) { return std::to_string(place.line) + "," + std::to_string(place.column); }

// "12,7": a place; false for anything else.
bool ReadPlace(const std::string& text, Place* place) {
  const std::size_t comma = text.find(',');
  long long line = 0, column = 0;
  if (comma == std::string::npos || !ToNumber(text.substr(0, comma), 0, 0x7fffffff, &line) ||
      !ToNumber(text.substr(comma + 1), 0, 0x7fffffff, &column))
    return false;
  *place = {static_cast<int>(line), static_cast<int>(column)};
  return true;
}

// ---- A finding: its severity ('s'), text ('t') and subject, each a record
// nested in the finding's own, keyed by the rule.

template <class T>
struct TextMember {
  char tag;
  std::string T::*member;
};

constexpr TextMember<Subject> kSubjectTexts[] = {
    {'x', &Subject::exports}, {'a', &Subject::action}, {'g', &Subject::argument}, {'e', &Subject::element}};

void AppendFinding(std::string* out, char tag, const Finding& finding) {
  std::string fields;
  AppendRecord(&fields, 's', "", std::string(1, WordsOf(finding.severity).tag));
  AppendRecord(&fields, 't', "", finding.text);
  for (const TextMember<Subject>& t : kSubjectTexts)
    if (!(finding.subject.*t.member).empty()) AppendRecord(&fields, t.tag, "", finding.subject.*t.member);
  if (finding.subject.place.line != 0) AppendRecord(&fields, 'l', "", PlaceText(finding.subject.place));
  if (finding.wrote_past) AppendRecord(&fields, 'w', "", "");
  if (finding.crashed) AppendRecord(&fields, 'c', "", "");
  AppendRecord(out, tag, finding.rule, fields);
}

// A severity that is none, a place that is none or a field of no kind
// makes the finding a FAIL and the report malformed.
bool ReadFinding(const Record& r, Finding* finding) {
  *finding = {r.key, Severity::kFail, ""};
  bool severity_read = false;
  const bool ok = ForEachRecord(r.value, [&](const Record& f) {
    switch (f.tag) {
      case 's': {
        const std::optional<Severity> severity = f.value.size() == 1 ? SeverityTagged(f.value[0]) : std::nullopt;
        if (severity) finding->severity = *severity;
        severity_read = severity.has_value();
        return severity_read;
      }
      case 't': finding->text = f.value; return true;
      case 'l': return ReadPlace(f.value, &finding->subject.place);
      case 'w': finding->wrote_past = true; return true;
      case 'c': finding->crashed = true; return true;
      default:
        for (const TextMember<Subject>& t : kSubjectTexts)
          if (t.tag == f.tag) {
            finding->subject.*t.member = f.value;
            return true;
          }
        return false;
    }
  });
  if (!ok || !severity_read) finding->severity = Severity::kFail;
  return ok && severity_read;
}

// ---- Actions and their arguments: texts by a table, the place ('l'), an
// action's arguments ('g') and an argument's EasyMode entries ('m', keyed by
// the child's name), each nested in the same framing.

constexpr TextMember<ArgumentSpec> kArgumentTexts[] = {
    {'n', &ArgumentSpec::name},          {'d', &ArgumentSpec::description}, {'t', &ArgumentSpec::type},
    {'v', &ArgumentSpec::default_value}, {'q', &ArgumentSpec::required},
};
constexpr TextMember<ActionSpec> kActionTexts[] = {
    {'n', &ActionSpec::name},        {'d', &ActionSpec::description},
    {'r', &ActionSpec::return_type}, {'x', &ActionSpec::return_description},
    {'e', &ActionSpec::example},     {'o', &ActionSpec::note},
};

template <class T, std::size_t N>
std::string EncodeSpec(const T& spec, const TextMember<T> (&texts)[N]) {
  std::string out;
  for (const TextMember<T>& t : texts) AppendRecord(&out, t.tag, "", spec.*t.member);
  AppendRecord(&out, 'l', "", PlaceText(spec.place));
  return out;
}

template <class T, std::size_t N>
bool DecodeSpecField(T* spec, const TextMember<T> (&texts)[N], const Record& r) {
  for (const TextMember<T>& t : texts) {
    if (t.tag != r.tag) continue;
    (*spec).*t.member = r.value;
    return true;
  }
  return r.tag == 'l' && ReadPlace(r.value, &spec->place);
}

std::string EncodeArgument(const ArgumentSpec& argument) {
  std::string out = EncodeSpec(argument, kArgumentTexts);
  for (const EasyModeEntry& entry : argument.easy_mode) AppendRecord(&out, 'm', entry.name, entry.text);
  return out;
}

bool DecodeArgumentField(ArgumentSpec* argument, const Record& r) {
  if (r.tag != 'm') return DecodeSpecField(argument, kArgumentTexts, r);
  argument->easy_mode.push_back({r.key, r.value});
  return true;
}

std::string EncodeAction(const ActionSpec& action) {
  std::string out = EncodeSpec(action, kActionTexts);
  for (const ArgumentSpec& argument : action.arguments) AppendRecord(&out, 'g', "", EncodeArgument(argument));
  return out;
}

bool DecodeAction(const std::string& bytes, ActionSpec* action) {
  return ForEachRecord(bytes, [&](const Record& r) {
    if (r.tag != 'g') return DecodeSpecField(action, kActionTexts, r);
    action->arguments.emplace_back();
    return ForEachRecord(r.value, [&](const Record& a) { return DecodeArgumentField(&action->arguments.back(), a); });
  });
}

std::string Exact(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

nlohmann::json TextOrNull(const std::string& text) { return text.empty() ? nlohmann::json() : nlohmann::json(text); }

// The SDK version as the host would take it: the getter's answer, 1 for an
// SDK1 plugin (no getter), null where it is not known.
nlohmann::json SdkJson(const PluginReport& report) {
  if (!report.sdk_known) return nullptr;
  return report.sdk_version ? *report.sdk_version : 1;
}

using Json = nlohmann::json;

const std::vector<ReportField> kFields = {
    {"path", 'p', "path", [](const PluginReport& r, std::string* out) { AppendRecord(out, 'p', "", r.path); },
     [](PluginReport* r, const Record& c) {
       r->path = c.value;
       return true;
     },
     [](const PluginReport& r, const JsonContext& c, Json* j) { (*j)["path"] = c.utf8(r.path); }},
    {"error_rule, error", 'E', "error",
     [](const PluginReport& r, std::string* out) {
       if (!r.error.empty() || !r.error_rule.empty()) AppendRecord(out, 'E', r.error_rule, r.error);
     },
     [](PluginReport* r, const Record& c) {
       r->error_rule = c.key;
       r->error = c.value;
       return true;
     },
     [](const PluginReport& r, const JsonContext&, Json* j) {
       (*j)["error"] = r.error.empty() ? Json() : Json({{"rule", r.error_rule}, {"text", r.error}});
     }},
    {"texts", 'T', "name version lua_version author action_xml",
     [](const PluginReport& r, std::string* out) {
       for (const auto& text : r.texts) AppendRecord(out, 'T', text.first, text.second);
     },
     [](PluginReport* r, const Record& c) {
       r->texts[c.key] = c.value;
       return true;
     },
     [](const PluginReport& r, const JsonContext& c, Json* j) {
       for (const PluginText& text : kPluginTexts) {
         const std::string* value = r.Text(text.getter);
         (*j)[text.json_key] = value ? Json(c.utf8(*value)) : Json();
       }
     }},
    {"sdk_known, sdk_version", 'V', "sdk_version sdk_version_exported",
     [](const PluginReport& r, std::string* out) {
       if (r.sdk_known) AppendRecord(out, 'V', "", r.sdk_version ? std::to_string(*r.sdk_version) : "");
     },
     [](PluginReport* r, const Record& c) {
       long long version = 0;
       r->sdk_known = true;
       r->sdk_version.reset();
       if (c.value.empty()) return true;
       if (!ToNumber(c.value, INT32_MIN, INT32_MAX, &version)) return false;
       r->sdk_version = static_cast<int32_t>(version);
       return true;
     },
     [](const PluginReport& r, const JsonContext&, Json* j) {
       (*j)["sdk_version"] = SdkJson(r);
       (*j)["sdk_version_exported"] = r.sdk_known ? Json(r.sdk_version.has_value()) : Json();
     }},
    {"actions", 'L', "actions",
     [](const PluginReport& r, std::string* out) {
       if (!r.actions) return;
       std::string names;
       for (const std::string& name : *r.actions) AppendRecord(&names, 'n', "", name);
       AppendRecord(out, 'L', "", names);
     },
     [](PluginReport* r, const Record& c) {
       r->actions.emplace();
       return ForEachRecord(c.value, [&](const Record& n) {
         r->actions->push_back(n.value);
         return n.tag == 'n';
       });
     },
     [](const PluginReport& r, const JsonContext&, Json* j) {
       (*j)["actions"] = r.actions ? Json(*r.actions) : Json();  // UTF-8 from the parser
     }},
    {"action_specs", 'A', "",
     [](const PluginReport& r, std::string* out) {
       for (const ActionSpec& action : r.action_specs) AppendRecord(out, 'A', "", EncodeAction(action));
     },
     [](PluginReport* r, const Record& c) {
       r->action_specs.emplace_back();
       return DecodeAction(c.value, &r->action_specs.back());
     },
     [](const PluginReport&, const JsonContext&, Json*) {}},
    {"plugin_details", 'D', "details",
     [](const PluginReport& r, std::string* out) {
       for (const EasyModeEntry& detail : r.plugin_details) AppendRecord(out, 'D', detail.name, detail.text);
     },
     [](PluginReport* r, const Record& c) {
       r->plugin_details.push_back({c.key, c.value});
       return true;
     },
     [](const PluginReport& r, const JsonContext&, Json* j) {
       (*j)["details"] = Json::object();
       for (const EasyModeEntry& d : r.plugin_details) (*j)["details"][d.name] = d.text;
     }},
    {"actions_failure", 'X', "",
     [](const PluginReport& r, std::string* out) {
       if (r.actions_failure) AppendFinding(out, 'X', *r.actions_failure);
     },
     [](PluginReport* r, const Record& c) {
       r->actions_failure.emplace();
       return ReadFinding(c, &*r->actions_failure);
     },
     [](const PluginReport&, const JsonContext&, Json*) {}},
    {"file_version, product_version", 'R', "file_version product_version",
     [](const PluginReport& r, std::string* out) {
       if (!r.file_version.empty() || !r.product_version.empty())
         AppendRecord(out, 'R', r.file_version, r.product_version);
     },
     [](PluginReport* r, const Record& c) {
       r->file_version = c.key;
       r->product_version = c.value;
       return true;
     },
     [](const PluginReport& r, const JsonContext&, Json* j) {
       (*j)["file_version"] = TextOrNull(r.file_version);
       (*j)["product_version"] = TextOrNull(r.product_version);
     }},
    {"findings", 'F', "findings",
     [](const PluginReport& r, std::string* out) {
       for (const Finding& finding : r.findings) AppendFinding(out, 'F', finding);
     },
     [](PluginReport* r, const Record& c) {
       r->findings.emplace_back();
       return ReadFinding(c, &r->findings.back());
     },
     [](const PluginReport& r, const JsonContext& c, Json* j) {
       Json findings = Json::array();
       for (const Finding& finding : r.Listed()) findings.push_back(FindingJson(finding, c.utf8));
       (*j)["findings"] = findings;
     }},
    {"figures", 'M', "figures",
     [](const PluginReport& r, std::string* out) {
       for (const auto& figure : r.figures) AppendRecord(out, 'M', figure.first, Exact(figure.second));
     },
     [](PluginReport* r, const Record& c) {
       char* end = nullptr;
       const double value = std::strtod(c.value.c_str(), &end);
       if (c.value.empty() || end != c.value.c_str() + c.value.size()) return false;
       r->figures[c.key] = value;
       return true;
     },
     [](const PluginReport& r, const JsonContext&, Json* j) {
       (*j)["figures"] = Json::object();
       for (const auto& figure : r.figures) (*j)["figures"][figure.first] = figure.second;
     }},
    // What an author accepted is worked out where the report is read.
    {"suppressed", 0, "suppressed", nullptr, nullptr,
     [](const PluginReport& r, const JsonContext& c, Json* j) {
       Json list = Json::array();
       for (const Suppression& s : r.suppressed) {
         Json entry = FindingJson(s.finding, c.utf8);
         entry["reason"] = s.reason;
         entry["suppressed_by"] = c.utf8(s.by);
         list.push_back(entry);
       }
       (*j)["suppressed"] = list;
     }},
    // Where the worker's capture file ended when the report was done.
    {"printed_upto", 'O', "",
     [](const PluginReport& r, std::string* out) {
       if (r.printed_upto) AppendRecord(out, 'O', "", std::to_string(*r.printed_upto));
     },
     [](PluginReport* r, const Record& c) {
       if (c.value.empty() || c.value.find_first_not_of("0123456789") != std::string::npos) return false;
       errno = 0;
       const unsigned long long offset = std::strtoull(c.value.c_str(), nullptr, 10);
       if (errno == ERANGE) return false;
       r->printed_upto = offset;
       return true;
     },
     [](const PluginReport&, const JsonContext&, Json*) {}},
    // What the plugin printed is captured where the report is read, apart
    // from the worker's records.
    {"output", 0, "output", nullptr, nullptr,
     [](const PluginReport& r, const JsonContext& c, Json* j) {
       (*j)["output"] = r.output.empty() ? Json() : Json(c.utf8(r.output));
     }},
    // The verdict is worked out where the report is read, with --strict.
    {"(Passed)", 0, "passed", nullptr, nullptr,
     [](const PluginReport& r, const JsonContext& c, Json* j) { (*j)["passed"] = r.Passed(c.strict); }},
};

}  // namespace

const std::vector<ReportField>& ReportFields() { return kFields; }

nlohmann::json FindingJson(const Finding& finding, std::string (*utf8)(const std::string&)) {
  const Subject& s = finding.subject;
  Json out = {{"rule", finding.rule}, {"severity", SeverityName(finding.severity)}, {"text", FindingSentence(finding)}};
  if (s.place.line > 0) {  // in the action document, the source file's where there is one
    if (!s.file.empty()) out["file"] = utf8(s.file);
    out["line"] = s.place.line;
    out["column"] = s.place.column;
  }
  for (const auto& [key, value] : {std::pair<const char*, const std::string&>{"exports", s.exports},
                                   {"action", s.action},
                                   {"argument", s.argument},
                                   {"element", s.element}})
    if (!value.empty()) out[key] = value;
  if (!finding.set_by.empty()) {  // an author chose its severity
    out["default_severity"] = SeverityName(finding.rule_severity);
    out["severity_source"] = finding.set_by_option ? "option" : "file";
    out["severity_set_by"] = finding.set_by;  // UTF-8
  }
  return out;
}

}  // namespace host
