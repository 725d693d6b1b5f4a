#include "mdhost/examine/action_document.h"

#include <expat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "mdhost/contract/lua_names.h"
#include "mdhost/contract/rules.h"
#include "mdhost/examine/document_extended.h"
#include "mdhost/examine/document_values.h"
#include "mdhost/examine/document_vocabulary.h"
#include "mdhost/examine/text_places.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

using namespace vocabulary;

// ---- Reading --------------------------------------------------------------------

// Where a leaf's text lies in the bytes read, for a fix to rewrite it: only
// a text of its own characters (no markup inside, no entity of the
// document's own, whose text is not in those bytes) can be.
struct TextSpan {
  std::size_t begin = std::string::npos, end = std::string::npos;
  bool plain = true;
  bool Fixable() const { return plain && begin != std::string::npos; }
};

struct Frame {
  Kind kind;
  std::string name;
  std::string path;
  Place place;
  std::map<std::string, int> counts;  // children seen, by name
  std::string text;                   // character data of a leaf
  TextSpan span = {};                 // of that text
};

// XML's own characters of a text as element content.
std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
  return out;
}

// Where the parser is (the element that starts there, or the fault that
// stopped it), as an editor counts: from its byte, not Expat's count of ANSI
// characters and of lines inside entities.
Place Here(XML_Parser parser, TextPlaces& places) {
  const XML_Index byte = XML_GetCurrentByteIndex(parser);
  if (byte < 0)
    return {static_cast<int>(XML_GetCurrentLineNumber(parser)),
            static_cast<int>(XML_GetCurrentColumnNumber(parser)) + 1};
  return places.At(static_cast<std::size_t>(byte));
}

// The action and argument (indexes into the document's specs) a finding is
// about, named once the whole document is read: a leaf may come before the
// Name of its action.
struct Owner {
  int action = -1, argument = -1;
};

// How deep elements may nest before the document is refused (MD301).
constexpr std::size_t kDeepest = 1000;

struct Reader {
  ActionDocument* document;
  XML_Parser parser;
  TextPlaces* places;
  bool too_deep = false;
  std::vector<Frame> stack;
  std::vector<ExtendedEntry> entries;
  Owner inside;                    // the Action and Arg being read
  std::vector<Owner> owners;       // of each finding
  std::vector<std::string> named;  // of each finding: an action named by an Extended entry

  void Add(const char* rule, const std::string& path, Place at, const std::string& what, Owner owner,
           const std::string& action_named = "") {
    document->findings.push_back(Found(rule, what, {{}, {}, {}, path, at, {}}));
    owners.push_back(owner);
    named.push_back(action_named);
  }
  void Add(const char* rule, const std::string& path, Place at, const std::string& what) {
    Add(rule, path, at, what, inside);
  }

  // Each finding's action and argument by name, now that all are read.
  void NameOwners() {
    for (std::size_t i = 0; i < document->findings.size(); ++i) {
      Subject& subject = document->findings[i].subject;
      const Owner owner = owners[i];
      subject.action = named[i];
      if (owner.action < 0 || owner.action >= static_cast<int>(document->specs.size())) continue;
      const ActionSpec& action = document->specs[static_cast<std::size_t>(owner.action)];
      subject.action = action.name;
      if (owner.argument >= 0 && owner.argument < static_cast<int>(action.arguments.size()))
        subject.argument = action.arguments[static_cast<std::size_t>(owner.argument)].name;
    }
  }

  void Start(const std::string& name) {
    if (stack.size() >= kDeepest) {  // no host document is nested so deep: stop, saying why
      too_deep = true;
      XML_StopParser(parser, XML_FALSE);
      return;
    }
    const Place at = Here(parser, *places);
    if (stack.empty()) {
      if (name != "ActionTemplates")
        Add(rule::kRootElement, "/" + name, at, "the root element is " + name + ", not ActionTemplates");
      stack.push_back({name == "ActionTemplates" ? kRoot : kUnknown, name, "/" + name, at, {}, {}});
      return;
    }
    Frame& parent = stack.back();
    const int n = ++parent.counts[name];
    const ElementShape* shape = ShapeOf(parent.kind);
    const Child* child = nullptr;
    if (shape != nullptr)
      for (const Child& c : shape->children)
        if (name == c.name) child = &c;
    const bool numbered = child != nullptr && child->repeats;
    // Inside an element the host does not know nothing is looked at: no
    // path is kept there, so that memory stays linear however deep it goes.
    std::string path = parent.kind == kUnknown && shape == nullptr
                           ? std::string()
                           : parent.path + "/" + name + (numbered ? "[" + std::to_string(n) + "]" : "");
    if (shape != nullptr && child == nullptr) {
      std::vector<std::string> known;
      for (const Child& c : shape->children) known.push_back(c.name);
      Add(rule::kUnknownElement, path, at, "an element the host does not know" + DidYouMean(NearestName(name, known)));
    }
    parent.span.plain = false;  // a leaf with markup inside is no text a fix rewrites
    const Kind kind = child ? child->kind : kUnknown;
    if (kind == kAction) {
      document->specs.push_back({{}, {}, {}, {}, at, {}, {}, {}});
      inside = {static_cast<int>(document->specs.size()) - 1, -1};
    }
    if (kind == kExtendedAction) entries.push_back({at, {}, {}, {}, {}});
    if (kind == kArg && !document->specs.empty()) {
      document->specs.back().arguments.push_back({{}, {}, {}, {}, {}, {}, at});
      inside.argument = static_cast<int>(document->specs.back().arguments.size()) - 1;
    }
    stack.push_back({kind, name, std::move(path), at, {}, {}, {}});
  }

  // A leaf's text goes to the action or argument it describes.
  void Keep(const Frame& leaf, Kind parent) {
    if (parent == kExtendedAction) {  // paired with its action once all are read
      ExtendedEntry& entry = entries.back();
      if (leaf.name == "Name") entry.name = leaf.text;
      if (leaf.name == "ReturnValueDescription") entry.return_description = leaf.text;
      if (leaf.name == "Example") entry.example = leaf.text;
      if (leaf.name == "Note") entry.note = leaf.text;
      return;
    }
    if (parent == kExtended) {  // of the plugin itself
      document->plugin_details.push_back({leaf.name, leaf.text});
      return;
    }
    if (document->specs.empty()) return;
    ActionSpec& action = document->specs.back();
    if (parent == kAction) {
      if (leaf.kind == kActionName) action.name = leaf.text;
      if (leaf.name == "Description") action.description = leaf.text;
      if (leaf.name == "ReturnValueType") action.return_type = leaf.text;
      return;
    }
    // Only an Arg's own leaves describe it: the Extended section's Name and
    // Description are the plugin's, not the last argument's.
    if (action.arguments.empty() || (parent != kArg && parent != kEasyMode)) return;
    ArgumentSpec& argument = action.arguments.back();
    if (parent == kEasyMode) {
      argument.easy_mode.push_back({leaf.name, leaf.text});
      return;
    }
    if (leaf.name == "Name") argument.name = leaf.text;
    if (leaf.name == "Description") argument.description = leaf.text;
    if (leaf.name == "Type") argument.type = leaf.text;
    if (leaf.name == "Default") argument.default_value = leaf.text;
    if (leaf.name == "Required") argument.required = leaf.text;
  }

  void End() {
    if (stack.empty()) return;  // stopped before this element was taken
    Frame frame = std::move(stack.back());
    stack.pop_back();
    if (const ElementShape* shape = ShapeOf(frame.kind)) {
      for (const Child& c : shape->children)
        if (c.required && frame.counts[c.name] == 0)
          Add(rule::kMissingElement, frame.path, frame.place, std::string("no ") + c.name);
    }
    const Kind parent = stack.empty() ? kUnknown : stack.back().kind;
    if (frame.kind == kActionName) {
      if (!IsActionName(frame.text))
        Add(rule::kActionName, frame.path, frame.place, "\"" + frame.text + "\" is not of the form Table.Function");
      document->actions.push_back(frame.text);
    }
    if (frame.kind == kLeaf || frame.kind == kActionName) {
      if ((parent == kArg && frame.name == "Type") || (parent == kAction && frame.name == "ReturnValueType"))
        if (!IsKnownType(frame.text))
          Misspelt(frame, NearestType(frame.text), "is neither a Lua type name nor one the host's documents use");
      // EasyMode's DataType names the editor the wizard offers, not a type.
      if (parent == kEasyMode && frame.name == "DataType" && !IsKnownDataType(frame.text))
        Misspelt(frame, NearestDataType(frame.text), "is no DataType the action wizard has an editor for");
      if (parent == kArg && frame.name == "Default")
        defaults[{inside.action, inside.argument}] = {frame.place, frame.span};
      if ((parent == kArg || parent == kAction) && frame.name == "Description")
        descriptions[{inside.action, inside.argument}] = frame.place;
      if (parent == kArg && frame.name == "Required" && frame.text != "0" && frame.text != "1")
        Add(rule::kRequiredValue, frame.path, frame.place,
            "Required is \"" + frame.text + "\"; the host knows 0 and 1");
      Keep(frame, parent);
    }
    if (frame.kind == kAction && !document->specs.empty()) CheckArguments(document->specs.back(), frame);
    if (frame.kind == kArg) inside.argument = -1;
    if (frame.kind == kAction) inside = {};
  }

  // MD310 for a type name no one knows, mended by the one it most likely
  // means where there is one.
  void Misspelt(const Frame& leaf, const std::string& meant, const char* what) {
    Add(rule::kTypeName, leaf.path, leaf.place, "\"" + leaf.text + "\" " + what + DidYouMean(meant));
    if (!meant.empty() && leaf.span.Fixable())
      document->findings.back().fix = Edit{leaf.span.begin, leaf.span.end - leaf.span.begin, meant};
  }

  // Each argument's Default, by action and argument: its place and its text's.
  struct DefaultAt {
    Place place;
    TextSpan span;
  };
  std::map<std::pair<int, int>, DefaultAt> defaults;
  // Each Description's place, by action and argument (-1: the action's own):
  // an empty one's finding goes there, where the author writes it. One that
  // is not there is MD304's, and no second finding.
  std::map<std::pair<int, int>, Place> descriptions;
  const Place* DescriptionAt(int argument) const {
    const auto at = descriptions.find({inside.action, argument});
    return at == descriptions.end() ? nullptr : &at->second;
  }

  void CheckArguments(const ActionSpec& action, const Frame& frame) {
    std::map<std::string, int> seen;
    bool optional_before = false;
    if (const Place* at = DescriptionAt(-1); at != nullptr && action.description.empty())
      Add(rule::kEmptyDescription, frame.path + "/Description", *at,
          "the action " + action.name + " has no Description: the action wizard and the help show nothing");
    for (std::size_t i = 0; i < action.arguments.size(); ++i) {
      const ArgumentSpec& argument = action.arguments[i];
      const Owner owner{inside.action, static_cast<int>(i)};
      const std::string path = frame.path + "/Arguments/Arg[" + std::to_string(i + 1) + "]";
      if (++seen[argument.name] == 2)
        Add(rule::kArgumentTwice, path, argument.place,
            "the argument " + argument.name + " is named twice in " + action.name, owner);
      if (argument.required == "1" && optional_before)
        Add(rule::kRequiredAfterOptional, path, argument.place,
            "the required argument " + argument.name + " of " + action.name +
                " comes after an optional one: a script cannot leave that one out and still pass " + argument.name,
            owner);
      optional_before = optional_before || argument.required == "0";
      if (const DefaultVerdict verdict = JudgeDefault(argument); !verdict.why.empty()) {
        // The Default element's own place, where the author edits it.
        const auto at = defaults.find({owner.action, owner.argument});
        const DefaultAt where = at != defaults.end() ? at->second : DefaultAt{argument.place, {}};
        Add(rule::kDefaultType, path + "/Default", where.place,
            "the Default of " + argument.name + " is " + verdict.why, owner);
        if (!verdict.rewrite.empty() && where.span.Fixable())
          document->findings.back().fix =
              Edit{where.span.begin, where.span.end - where.span.begin, XmlText(verdict.rewrite), verdict.rewrite_safe};
      }
      if (const Place* at = DescriptionAt(owner.argument); at != nullptr && argument.description.empty())
        Add(rule::kEmptyDescription, path + "/Description", *at,
            "the argument " + argument.name + " of " + action.name +
                " has no Description: the action wizard shows nothing for it",
            owner);
    }
  }

  // Actions are told apart by name alone: a second one hides the first.
  void CheckActions() {
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < document->specs.size(); ++i)
      if (++seen[document->specs[i].name] == 2)
        Add(rule::kActionTwice, "/ActionTemplates/Action", document->specs[i].place,
            "the action " + document->specs[i].name + " is named twice", {static_cast<int>(i), -1});
  }

  void PairExtended() {
    PairExtendedEntries(entries, &document->specs,
                        [&](const std::string& path, Place at, const std::string& what, const std::string& named) {
                          Add(rule::kExtendedUnpaired, path, at, what, {}, named);
                        });
  }

  // A leaf's text, inline markup inside it too (<b>keep</b>): its tags are
  // unknown elements, its text is the leaf's.
  void Characters(const char* text, int length) {
    for (auto frame = stack.rbegin(); frame != stack.rend(); ++frame) {
      if (frame->kind == kActionName || frame->kind == kLeaf) {
        frame->text.append(text, static_cast<std::size_t>(length));
        if (frame != stack.rbegin()) return;  // inside markup: no plain text (Start said so)
        const XML_Index at = XML_GetCurrentByteIndex(parser);
        const int bytes = XML_GetCurrentByteCount(parser);
        if (at < 0 || bytes <= 0) {  // an entity's text: not in the bytes read
          frame->span.plain = false;
          return;
        }
        if (frame->span.begin == std::string::npos) frame->span.begin = static_cast<std::size_t>(at);
        frame->span.end = static_cast<std::size_t>(at) + static_cast<std::size_t>(bytes);
        return;
      }
      if (frame->kind != kUnknown) return;
    }
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
  XML_Parser parser = XML_ParserCreate(kAnsiEncoding);
  if (parser == nullptr) {
    document.problem = "out of memory";
    return document;
  }
  TextPlaces places(ansi_text);
  Reader reader{&document, parser, &places, false, {}, {}, {}, {}, {}, {}, {}};
  XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, nullptr);
  XML_SetUserData(parser, &reader);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnCharacters);
  const bool parsed =
      XML_Parse(parser, ansi_text.data(), static_cast<int>(ansi_text.size()), XML_TRUE) == XML_STATUS_OK;
  if (!parsed) {
    document.problem_place = Here(parser, places);
    document.problem = reader.too_deep ? "elements nested deeper than " + std::to_string(kDeepest) +
                                             " levels, which no host document needs"
                                       : XML_ErrorString(XML_GetErrorCode(parser));
    // The host reads the document as ANSI text, where a UTF-8 byte order
    // mark is three characters before the root: say so, not Expat's token.
    if (ansi_text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      document.problem_place = {1, 1};
      document.problem =
          "a UTF-8 byte order mark before <ActionTemplates>: the host reads the document as ANSI text, where the "
          "mark is text before the root element; save the file without it";
      document.problem_fix = Edit{0, 3, "", true};
    }
    document.findings.clear();
    document.actions.clear();
    document.specs.clear();
  } else {
    reader.CheckActions();
    reader.PairExtended();
    reader.NameOwners();
  }
  document.well_formed = parsed;
  XML_ParserFree(parser);
  return document;
}

}  // namespace host
