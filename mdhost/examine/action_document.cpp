#include "mdhost/examine/action_document.h"

#include <expat.h>

#include <cstring>
#include <map>

#include "mdhost/report/rules.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

// ---- The vocabulary -------------------------------------------------------------

enum Kind { kUnknown, kRoot, kAction, kArguments, kArg, kEasyMode, kExtended, kExtendedAction, kLeaf, kActionName };

struct Child {
  const char* name;
  Kind kind;
  bool required;
  bool repeats;  // numbered in paths: Action[2]
};

struct Rule {
  Kind kind;
  std::vector<Child> children;
};

const std::vector<Rule>& Vocabulary() {
  static const std::vector<Rule> rules = {
      {kRoot, {{"Action", kAction, false, true}, {"Extended", kExtended, false, false}}},
      {kAction,
       {{"Name", kActionName, true, false},
        {"Description", kLeaf, true, false},
        {"ReturnValueType", kLeaf, true, false},
        {"Arguments", kArguments, true, false}}},
      {kArguments, {{"Arg", kArg, false, true}}},
      {kArg,
       {{"Name", kLeaf, true, false},
        {"Description", kLeaf, true, false},
        {"Type", kLeaf, true, false},
        {"Default", kLeaf, true, false},
        {"Required", kLeaf, true, false},
        {"EasyMode", kEasyMode, false, false}}},
      {kEasyMode, {{"Default", kLeaf, false, false}, {"DataType", kLeaf, false, false}, {"Constraints", kLeaf, false, false}}},
      {kExtended,
       {{"Action", kExtendedAction, false, true}, {"Name", kLeaf, false, false}, {"Description", kLeaf, false, false},
        {"Version1", kLeaf, false, false}, {"Version2", kLeaf, false, false}, {"Version3", kLeaf, false, false},
        {"Version4", kLeaf, false, false}, {"Author", kLeaf, false, false}, {"Email", kLeaf, false, false},
        {"Web", kLeaf, false, false}, {"Copyright", kLeaf, false, false}, {"Requirements", kLeaf, false, false}}},
      {kExtendedAction,
       {{"ReturnValueDescription", kLeaf, false, false}, {"Example", kLeaf, false, false}, {"Note", kLeaf, false, false}}},
      {kLeaf, {}},
      {kActionName, {}},
  };
  return rules;
}

const Rule* RuleFor(Kind kind) {
  for (const Rule& rule : Vocabulary())
    if (rule.kind == kind) return &rule;
  return nullptr;
}

// "Table.Function": two names of letters, digits and underscores.
bool IsActionName(const std::string& text) {
  const std::size_t dot = text.find('.');
  if (dot == std::string::npos || text.find('.', dot + 1) != std::string::npos) return false;
  auto identifier = [](const std::string& part) {
    if (part.empty() || (part[0] >= '0' && part[0] <= '9')) return false;
    for (char c : part)
      if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
  };
  return identifier(text.substr(0, dot)) && identifier(text.substr(dot + 1));
}

// ---- Reading --------------------------------------------------------------------

struct Frame {
  Kind kind;
  std::string path;
  std::map<std::string, int> counts;  // children seen, by name
  std::string text;                   // character data of an action's Name
};

struct Reader {
  ActionDocument* document;
  std::vector<Frame> stack;

  void Start(const std::string& name) {
    if (stack.empty()) {
      if (name != "ActionTemplates")
        document->findings.push_back(
            {rule::kRootElement, Severity::kFail, "/" + name + ": the root element is " + name + ", not ActionTemplates"});
      stack.push_back({name == "ActionTemplates" ? kRoot : kUnknown, "/" + name, {}, {}});
      return;
    }
    Frame& parent = stack.back();
    const int n = ++parent.counts[name];
    const Rule* rule = RuleFor(parent.kind);
    const Child* child = nullptr;
    if (rule != nullptr)
      for (const Child& c : rule->children)
        if (name == c.name) child = &c;
    const bool numbered = child != nullptr && child->repeats;
    std::string path = parent.path + "/" + name + (numbered ? "[" + std::to_string(n) + "]" : "");
    if (rule != nullptr && child == nullptr)
      document->findings.push_back({rule::kUnknownElement, Severity::kNote, path + ": an element the host does not know"});
    stack.push_back({child ? child->kind : kUnknown, std::move(path), {}, {}});
  }

  void End() {
    Frame frame = std::move(stack.back());
    stack.pop_back();
    if (const Rule* rule = RuleFor(frame.kind)) {
      for (const Child& c : rule->children)
        if (c.required && frame.counts[c.name] == 0)
          document->findings.push_back({rule::kMissingElement, Severity::kFail, frame.path + ": no " + c.name});
    }
    if (frame.kind == kActionName) {
      if (!IsActionName(frame.text))
        document->findings.push_back(
            {rule::kActionName, Severity::kFail, frame.path + ": \"" + frame.text + "\" is not of the form Table.Function"});
      document->actions.push_back(frame.text);
    }
  }

  void Characters(const char* text, int length) {
    if (!stack.empty() && stack.back().kind == kActionName) stack.back().text.append(text, static_cast<std::size_t>(length));
  }
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char**) { static_cast<Reader*>(data)->Start(name); }
void XMLCALL OnEnd(void* data, const XML_Char*) { static_cast<Reader*>(data)->End(); }
void XMLCALL OnCharacters(void* data, const XML_Char* text, int length) {
  static_cast<Reader*>(data)->Characters(text, length);
}

// Plugin texts are in the system's ANSI code page, which Expat does not
// know by itself: the system maps it, byte by byte.
constexpr char kAnsiEncoding[] = "x-mdhost-ansi";

int XMLCALL ConvertPair(void*, const char* bytes) { return AnsiPairCodePoint(bytes); }

int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  if (std::strcmp(name, kAnsiEncoding) != 0) return XML_STATUS_ERROR;
  AnsiByteMap(info->map);
  info->data = nullptr;
  info->convert = ConvertPair;
  info->release = nullptr;
  return XML_STATUS_OK;
}

}  // namespace

ActionDocument ReadActionDocument(const std::string& ansi_text) {
  ActionDocument document;
  Reader reader{&document, {}};
  XML_Parser parser = XML_ParserCreate(kAnsiEncoding);
  if (parser == nullptr) {
    document.problem = "out of memory";
    return document;
  }
  XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, nullptr);
  XML_SetUserData(parser, &reader);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnCharacters);
  const bool parsed =
      XML_Parse(parser, ansi_text.data(), static_cast<int>(ansi_text.size()), XML_TRUE) == XML_STATUS_OK;
  if (!parsed) {
    document.problem = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                       std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
                       std::to_string(XML_GetCurrentColumnNumber(parser) + 1);
    document.findings.clear();
    document.actions.clear();
  }
  document.well_formed = parsed;
  XML_ParserFree(parser);
  return document;
}

}  // namespace host
