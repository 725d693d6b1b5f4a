// The words an action document's leaves may hold: the type names of Type
// and ReturnValueType, the editors of EasyMode's DataType, and a Default
// written as a script writes a value of its Type.
#pragma once

#include <string>

#include "mdhost/contract/actions.h"

namespace host {

bool IsKnownType(const std::string& type);  // "" is no wrong name
bool IsKnownDataType(const std::string& data_type);
// The name a misspelt one most likely means ("numbr", "Number"), or "".
std::string NearestType(const std::string& type);
std::string NearestDataType(const std::string& data_type);
// "; did you mean "number"?", or "" for no name.
std::string DidYouMean(const std::string& meant);
// Why an argument's Default is no value of its Type, as a script writes one
// ("two" for a number, a string without its quotes), or "".
std::string WhyNotOfItsType(const ArgumentSpec& argument);

}  // namespace host
