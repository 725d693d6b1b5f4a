// Two action documents compared, whatever they hold: a document against
// itself shows no change, and no change is classed twice.
#include <cstdint>
#include <string>

#include "mdhost/compare/action_diff.h"
#include "mdhost/examine/action_document.h"

namespace {

host::PluginReport Side(const std::string& xml) {
  host::PluginReport side;
  side.action_specs = host::ReadActionDocument(xml).specs;
  return side;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t split = bytes.empty() ? 0 : data[0] % (bytes.size() + 1);
  const host::PluginReport old_side = Side(bytes.substr(0, split));
  const host::PluginReport new_side = Side(bytes.substr(split));
  host::CompareActions(old_side, new_side);
  if (!host::CompareActions(old_side, old_side).empty()) __builtin_trap();
  return 0;
}
