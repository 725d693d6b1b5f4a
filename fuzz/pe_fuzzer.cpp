// The stand-in host's module-file reader on arbitrary bytes: it must never
// read past them, whatever offsets and counts they claim.
#include <cstdint>
#include <string>

#include "mdhost/examine/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const host::ModuleImage image = host::ReadModuleImage(std::string(reinterpret_cast<const char*>(data), size));
  if (image.kind != host::ModuleKind::kModule32 && !image.exports.empty()) __builtin_trap();
  return 0;
}
