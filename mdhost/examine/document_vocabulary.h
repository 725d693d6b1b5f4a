// The host's action template vocabulary: which children each element of
// an action document may hold, which of them it must, and which repeat.
#pragma once

#include <vector>

namespace host {
namespace vocabulary {

enum Kind { kUnknown, kRoot, kAction, kArguments, kArg, kEasyMode, kExtended, kExtendedAction, kLeaf, kActionName };

struct Child {
  const char* name;
  Kind kind;
  bool required;
  bool repeats;  // numbered in paths: Action[2]
};

struct ElementShape {  // the children an element of one kind may hold
  Kind kind;
  std::vector<Child> children;
};

// The children an element of `kind` may hold; null for a kind that holds
// none the host knows (an unknown element's children are its own).
const ElementShape* ShapeOf(Kind kind);

}  // namespace vocabulary
}  // namespace host
