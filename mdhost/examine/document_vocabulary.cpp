#include "mdhost/examine/document_vocabulary.h"

namespace host {
namespace vocabulary {
namespace {

const std::vector<ElementShape>& Vocabulary() {
  static const std::vector<ElementShape> shapes = {
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
      {kEasyMode,
       {{"Default", kLeaf, false, false}, {"DataType", kLeaf, false, false}, {"Constraints", kLeaf, false, false}}},
      {kExtended,
       {{"Action", kExtendedAction, false, true},
        {"Name", kLeaf, false, false},
        {"Description", kLeaf, false, false},
        {"Version1", kLeaf, false, false},
        {"Version2", kLeaf, false, false},
        {"Version3", kLeaf, false, false},
        {"Version4", kLeaf, false, false},
        {"Author", kLeaf, false, false},
        {"Email", kLeaf, false, false},
        {"Web", kLeaf, false, false},
        {"Copyright", kLeaf, false, false},
        {"Requirements", kLeaf, false, false}}},
      {kExtendedAction,
       {{"Name", kLeaf, false, false},  // the action the entry belongs to
        {"ReturnValueDescription", kLeaf, false, false},
        {"Example", kLeaf, false, false},
        {"Note", kLeaf, false, false}}},
      {kLeaf, {}},
      {kActionName, {}},
  };
  return shapes;
}

}  // namespace

const ElementShape* ShapeOf(Kind kind) {
  for (const ElementShape& shape : Vocabulary())
    if (shape.kind == kind) return &shape;
  return nullptr;
}

}  // namespace vocabulary
}  // namespace host
