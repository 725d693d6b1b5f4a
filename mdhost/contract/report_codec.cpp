#include "mdhost/contract/report_codec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace host {
namespace {

constexpr char kSeverityTags[] = "PNWF";  // in the order of Severity
constexpr std::size_t kMaxDigits = 9;     // a length below 10^9 fits any size_t

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

// The severity letter, then the text; a finding with a place has it before
// the text, "12,7;", after the letter in lower case.
std::string SeverityAndText(const Finding& finding) {
  const char tag = kSeverityTags[static_cast<int>(finding.severity)];
  if (finding.place.line == 0) return tag + finding.text;
  return static_cast<char>(tag - 'A' + 'a') + PlaceText(finding.place) + ";" + finding.text;
}

// An unknown letter (a NUL among them) is no severity, and a place that is
// none is no place: the finding counts as FAIL and the report as malformed.
bool ReadFinding(const Record& r, Finding* finding) {
  *finding = {r.key, Severity::kFail, r.value.empty() ? "" : r.value.substr(1)};
  if (r.value.empty() || r.value[0] == '\0') return false;
  const char* at = std::strchr(kSeverityTags, r.value[0]);
  if (at != nullptr) {
    finding->severity = static_cast<Severity>(at - kSeverityTags);
    return true;
  }
  at = r.value[0] >= 'a' && r.value[0] <= 'z' ? std::strchr(kSeverityTags, r.value[0] - 'a' + 'A') : nullptr;
  const std::size_t end = r.value.find(';');
  if (at == nullptr || end == std::string::npos || !ReadPlace(r.value.substr(1, end - 1), &finding->place))
    return false;
  finding->severity = static_cast<Severity>(at - kSeverityTags);
  finding->text = r.value.substr(end + 1);
  return true;
}

template <class T>
struct TextMember {
  char tag;
  std::string T::*member;
};

constexpr TextMember<ArgumentSpec> kArgumentTexts[] = {
    {'n', &ArgumentSpec::name},          {'d', &ArgumentSpec::description}, {'t', &ArgumentSpec::type},
    {'v', &ArgumentSpec::default_value}, {'q', &ArgumentSpec::required},
};
constexpr TextMember<ActionSpec> kActionTexts[] = {
    {'n', &ActionSpec::name},        {'d', &ActionSpec::description},
    {'r', &ActionSpec::return_type}, {'x', &ActionSpec::return_description},
    {'e', &ActionSpec::example},     {'o', &ActionSpec::note},
};

// An argument or an action: its texts by the table, its place ('l'), and an
// action's arguments ('g'), each nested in the same framing.
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

// Each record of `bytes` handed to `field`; false when any was malformed.
template <class F>
bool ForEachRecord(const std::string& bytes, F field) {
  bool ok = true;
  std::size_t at = 0;
  Record r;
  for (;;) {
    const Take take = TakeRecord(bytes, &at, &r);
    if (take == Take::kIncomplete) return ok && at == bytes.size();
    if (take == Take::kSkipped || !field(r)) ok = false;
  }
}

// An argument: its texts, its place, and each EasyMode entry ('m', the
// child's name as the key).
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

// The report's fields: each one's tag, how it is written (any number of
// records, none for a field not set) and how one record of it is read.
struct Field {
  char tag;
  void (*encode)(const PluginReport&, std::string*);
  bool (*decode)(PluginReport*, const Record&);
};

constexpr Field kFields[] = {
    {'p', [](const PluginReport& r, std::string* out) { AppendRecord(out, 'p', "", r.path); },
     [](PluginReport* r, const Record& c) {
       r->path = c.value;
       return true;
     }},
    {'E',
     [](const PluginReport& r, std::string* out) {
       if (!r.error.empty() || !r.error_rule.empty()) AppendRecord(out, 'E', r.error_rule, r.error);
     },
     [](PluginReport* r, const Record& c) {
       r->error_rule = c.key;
       r->error = c.value;
       return true;
     }},
    {'T',
     [](const PluginReport& r, std::string* out) {
       for (const auto& text : r.texts) AppendRecord(out, 'T', text.first, text.second);
     },
     [](PluginReport* r, const Record& c) {
       r->texts[c.key] = c.value;
       return true;
     }},
    {'V',
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
     }},
    {'L',
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
     }},
    {'A',
     [](const PluginReport& r, std::string* out) {
       for (const ActionSpec& action : r.action_specs) AppendRecord(out, 'A', "", EncodeAction(action));
     },
     [](PluginReport* r, const Record& c) {
       r->action_specs.emplace_back();
       return DecodeAction(c.value, &r->action_specs.back());
     }},
    {'D',
     [](const PluginReport& r, std::string* out) {
       for (const EasyModeEntry& detail : r.plugin_details) AppendRecord(out, 'D', detail.name, detail.text);
     },
     [](PluginReport* r, const Record& c) {
       r->plugin_details.push_back({c.key, c.value});
       return true;
     }},
    {'X',
     [](const PluginReport& r, std::string* out) {
       if (r.actions_failure) AppendRecord(out, 'X', r.actions_failure->rule, SeverityAndText(*r.actions_failure));
     },
     [](PluginReport* r, const Record& c) {
       r->actions_failure.emplace();
       return ReadFinding(c, &*r->actions_failure);
     }},
    {'R',
     [](const PluginReport& r, std::string* out) {
       if (!r.file_version.empty() || !r.product_version.empty())
         AppendRecord(out, 'R', r.file_version, r.product_version);
     },
     [](PluginReport* r, const Record& c) {
       r->file_version = c.key;
       r->product_version = c.value;
       return true;
     }},
    {'F',
     [](const PluginReport& r, std::string* out) {
       for (const Finding& finding : r.findings) AppendRecord(out, 'F', finding.rule, SeverityAndText(finding));
     },
     [](PluginReport* r, const Record& c) {
       r->findings.emplace_back();
       return ReadFinding(c, &r->findings.back());
     }},
    {'M',
     [](const PluginReport& r, std::string* out) {
       for (const auto& figure : r.figures) AppendRecord(out, 'M', figure.first, Exact(figure.second));
     },
     [](PluginReport* r, const Record& c) {
       char* end = nullptr;
       const double value = std::strtod(c.value.c_str(), &end);
       if (c.value.empty() || end != c.value.c_str() + c.value.size()) return false;
       r->figures[c.key] = value;
       return true;
     }},
};

}  // namespace

void AppendRecord(std::string* out, char tag, const std::string& key, const std::string& value) {
  *out += tag;
  *out += ' ' + std::to_string(key.size()) + ' ' + std::to_string(value.size()) + '\n';
  *out += key;
  *out += value;
}

Take TakeRecord(const std::string& bytes, std::size_t* at, Record* record) {
  const std::size_t line_end = bytes.find('\n', *at);
  if (line_end == std::string::npos) return Take::kIncomplete;
  // "<tag> <key length> <value length>", lengths in plain decimal.
  std::size_t lengths[2] = {0, 0};
  std::size_t i = *at + 1;
  bool header = line_end - *at >= 5 && bytes[i] == ' ';
  for (std::size_t& length : lengths) {
    if (!header || bytes[i++] != ' ') {
      header = false;
      break;
    }
    const std::size_t start = i;
    while (i < line_end && bytes[i] >= '0' && bytes[i] <= '9' && i - start < kMaxDigits)
      length = length * 10 + static_cast<std::size_t>(bytes[i++] - '0');
    header = i > start;
  }
  if (!header || i != line_end) {
    *at = line_end + 1;  // not a record: the bytes of no writer of ours
    return Take::kSkipped;
  }
  const std::size_t body = bytes.size() - line_end - 1;
  if (lengths[0] > body || lengths[1] > body - lengths[0]) return Take::kIncomplete;
  record->tag = bytes[*at];
  record->key.assign(bytes, line_end + 1, lengths[0]);
  record->value.assign(bytes, line_end + 1 + lengths[0], lengths[1]);
  *at = line_end + 1 + lengths[0] + lengths[1];
  return Take::kRecord;
}

std::string EncodeReport(const PluginReport& report) {
  std::string out;
  for (const Field& field : kFields) field.encode(report, &out);
  return out;
}

bool DecodeReport(const std::string& bytes, PluginReport* report) {
  return ForEachRecord(bytes, [&](const Record& r) {
    for (const Field& field : kFields)
      if (field.tag == r.tag) return field.decode(report, r);
    return false;
  });
}

}  // namespace host
