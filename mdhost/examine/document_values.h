// The words an action document's leaves may hold: the type names of Type
// and ReturnValueType, the editors of EasyMode's DataType, the elements the
// host knows, and a Default, which is Lua source a script could hold.
#pragma once

#include <string>
#include <vector>

#include "mdhost/contract/actions.h"

namespace host {

bool IsKnownType(const std::string& type);  // "" is no wrong name
bool IsKnownDataType(const std::string& data_type);
// The name a misspelt one means ("numbr", "number"): the one known name two
// edits or fewer away (case aside); "" where there is none, or more than one
// as near, which no fix may choose between.
std::string NearestType(const std::string& type);
std::string NearestDataType(const std::string& data_type);
// The same among `known` (an element's known children).
std::string NearestName(const std::string& name, const std::vector<std::string>& known);
// "; did you mean "number"?", or "" for no name.
std::string DidYouMean(const std::string& meant);

// An argument's Default against its Type: why it is none a script could pass
// ("" when it is), and a Lua expression that would be (a plain string in its
// quotes; "" where none is sure). A rewrite of words that are no expression
// is safe; one of a lone word (maybe a global of the project's) or of a
// literal of another type (42 -> "42") changes what a script gets: unsafe.
struct DefaultVerdict {
  std::string why;
  std::string rewrite;
  bool rewrite_safe = true;  // false: the rewrite may change what the author meant
};
DefaultVerdict JudgeDefault(const ArgumentSpec& argument);

}  // namespace host
