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
#include "mdhost/examine/document_values.h"
#include "mdhost/examine/document_vocabulary.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

using namespace vocabulary;

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// ---- Reading --------------------------------------------------------------------

struct Frame {
  Kind kind;
  std::string name;
  std::string path;
  Place place;
  std::map<std::string, int> counts;  // children seen, by name
  std::string text;                   // character data of a leaf
};

// Where the parser is: the element that starts there, or the fault that
// stopped it.
Place Here(XML_Parser parser) {
  return {static_cast<int>(XML_GetCurrentLineNumber(parser)), static_cast<int>(XML_GetCurrentColumnNumber(parser)) + 1};
}

// The action and argument (indexes into the document's specs) a finding is
// about, named once the whole document is read: a leaf may come before the
// Name of its action.
struct Owner {
  int action = -1, argument = -1;
};

struct Reader {
  ActionDocument* document;
  XML_Parser parser;
  std::vector<Frame> stack;
  struct Entry {  // an Extended/Action: more about one action
    Place place;
    std::string name, return_description, example, note;
  };
  std::vector<Entry> entries;
  Owner inside;                    // the Action and Arg being read
  std::vector<Owner> owners;       // of each finding
  std::vector<std::string> named;  // of each finding: an action named by an Extended entry

  void Add(const char* rule, const std::string& path, Place at, const std::string& what, Owner owner,
           const std::string& action_named = "") {
    document->findings.push_back(
        Found(rule, path + " (line " + std::to_string(at.line) + "): " + what, {{}, {}, {}, path, at}));
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
    const Place at = Here(parser);
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
    std::string path = parent.path + "/" + name + (numbered ? "[" + std::to_string(n) + "]" : "");
    if (shape != nullptr && child == nullptr) Add(rule::kUnknownElement, path, at, "an element the host does not know");
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
    stack.push_back({kind, name, std::move(path), at, {}, {}});
  }

  // A leaf's text goes to the action or argument it describes.
  void Keep(const Frame& leaf, Kind parent) {
    if (parent == kExtendedAction) {  // paired with its action once all are read
      Entry& entry = entries.back();
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
    Frame frame = std::move(stack.back());
    stack.pop_back();
    if (const ElementShape* shape = ShapeOf(frame.kind)) {
      for (const Child& c : shape->children)
        if (c.required && frame.counts[c.name] == 0) {
          Add(rule::kMissingElement, frame.path, frame.place, std::string("no ") + c.name);
          lacking.push_back({frame.place, c.name});
        }
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
          Add(rule::kTypeName, frame.path, frame.place,
              "\"" + frame.text + "\" is neither a Lua type name nor one the host's documents use" +
                  DidYouMean(NearestType(frame.text)));
      // EasyMode's DataType names the editor the wizard offers, not a type.
      if (parent == kEasyMode && frame.name == "DataType" && !IsKnownDataType(frame.text))
        Add(rule::kTypeName, frame.path, frame.place,
            "\"" + frame.text + "\" is no DataType the action wizard has an editor for" +
                DidYouMean(NearestDataType(frame.text)));
      if (parent == kArg && frame.name == "Required" && frame.text != "0" && frame.text != "1")
        Add(rule::kRequiredValue, frame.path, frame.place,
            "Required is \"" + frame.text + "\"; the host knows 0 and 1");
      Keep(frame, parent);
    }
    if (frame.kind == kAction && !document->specs.empty()) CheckArguments(document->specs.back(), frame);
    if (frame.kind == kArg) inside.argument = -1;
    if (frame.kind == kAction) inside = {};
  }

  // Whether the element that starts at `at` lacks `child` already (MD304):
  // an empty one is then no second finding.
  bool Missing(Place at, const std::string& child) const {
    for (const Lack& lack : lacking)
      if (lack.place.line == at.line && lack.place.column == at.column && lack.child == child) return true;
    return false;
  }
  struct Lack {  // an element (by its place) without a required child
    Place place;
    std::string child;
  };
  std::vector<Lack> lacking;

  void CheckArguments(const ActionSpec& action, const Frame& frame) {
    std::map<std::string, int> seen;
    bool optional_before = false;
    if (action.description.empty() && !Missing(action.place, "Description"))
      Add(rule::kEmptyDescription, frame.path, action.place,
          "the action " + action.name + " has no Description: the action wizard and the help show nothing");
    for (std::size_t i = 0; i < action.arguments.size(); ++i) {
      const ArgumentSpec& argument = action.arguments[i];
      const Owner owner{inside.action, static_cast<int>(i)};
      if (++seen[argument.name] == 2)
        Add(rule::kArgumentTwice, frame.path, argument.place,
            "the argument " + argument.name + " is named twice in " + action.name, owner);
      if (argument.required == "1" && optional_before)
        Add(rule::kRequiredAfterOptional, frame.path, argument.place,
            "the required argument " + argument.name + " of " + action.name +
                " comes after an optional one: a script cannot leave that one out and still pass " + argument.name,
            owner);
      optional_before = optional_before || argument.required == "0";
      if (const std::string why = WhyNotOfItsType(argument); !why.empty())
        Add(rule::kDefaultType, frame.path, argument.place, "the Default of " + argument.name + " is " + why, owner);
      if (argument.description.empty() && !Missing(argument.place, "Description"))
        Add(rule::kEmptyDescription, frame.path, argument.place,
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

  // An Extended entry belongs to the action its Name names; only when no
  // entry is named and there is one entry per action does place pair them.
  // An entry that cannot be paired gives no action its text: the help would
  // show one action with another's example.
  void PairExtended() {
    if (entries.empty()) return;
    const auto give = [](const Entry& entry, ActionSpec* action) {
      action->return_description = entry.return_description;
      action->example = entry.example;
      action->note = entry.note;
    };
    bool named = false;
    for (const Entry& entry : entries) named = named || !entry.name.empty();
    const std::string section = "/ActionTemplates/Extended";
    if (!named) {
      if (entries.size() == document->specs.size()) {
        for (std::size_t i = 0; i < entries.size(); ++i) give(entries[i], &document->specs[i]);
        return;
      }
      Add(rule::kExtendedUnpaired, section, entries.front().place,
          Count(entries.size(), "entry", "entries") + " for " + Count(document->specs.size(), "action", "actions") +
              ", none named: which entry tells of which action is unknown, so the help shows none; "
              "give each entry the Name of its action",
          {});
      return;
    }
    std::map<std::string, int> taken;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const Entry& entry = entries[i];
      const std::string path = section + "/Action[" + std::to_string(i + 1) + "]";
      if (entry.name.empty()) {
        Add(rule::kExtendedUnpaired, path, entry.place,
            "an entry without a Name among named ones: it belongs to no action; name its action", {});
        continue;
      }
      ActionSpec* action = nullptr;
      for (ActionSpec& spec : document->specs)
        if (spec.name == entry.name) action = &spec;
      if (action == nullptr) {
        Add(rule::kExtendedUnpaired, path, entry.place,
            "the entry names " + entry.name + ", which is no action of the document", {}, entry.name);
      } else if (++taken[entry.name] == 2) {
        Add(rule::kExtendedUnpaired, path, entry.place, "a second entry for " + entry.name + ": the first one is shown",
            {}, entry.name);
      } else {
        give(entry, action);
      }
    }
  }

  // A leaf's text, inline markup inside it too (<b>keep</b>): its tags are
  // unknown elements, its text is the leaf's.
  void Characters(const char* text, int length) {
    for (auto frame = stack.rbegin(); frame != stack.rend(); ++frame) {
      if (frame->kind == kActionName || frame->kind == kLeaf) {
        frame->text.append(text, static_cast<std::size_t>(length));
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
  Reader reader{&document, parser, {}, {}, {}, {}, {}, {}};
  XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, nullptr);
  XML_SetUserData(parser, &reader);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnCharacters);
  const bool parsed =
      XML_Parse(parser, ansi_text.data(), static_cast<int>(ansi_text.size()), XML_TRUE) == XML_STATUS_OK;
  if (!parsed) {
    document.problem_place = Here(parser);
    document.problem = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                       std::to_string(document.problem_place.line) + ", column " +
                       std::to_string(document.problem_place.column);
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
