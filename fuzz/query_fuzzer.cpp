// The query as the caller of a getter driven by the fuzzer: its results, the
// lengths it stores and the bytes it writes (never more than it was offered).
#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"
#include "plugin/module/module_state.h"

namespace md {
inline Platform& OsForSubstitution() { return os_operations; }
}  // namespace md

namespace {

const uint8_t* data_;
size_t left_;

template <typename T>
T Take() {
  T value{};
  const size_t n = left_ < sizeof value ? left_ : sizeof value;
  std::memcpy(&value, data_, n);
  data_ += n;
  left_ -= n;
  return value;
}

int32_t FuzzedGetter(char* buffer, int32_t* size) {
  const uint8_t action = Take<uint8_t>();
  const int32_t stated = *size;
  if (action & 1) *size = Take<int32_t>() % 100000;  // stored lengths, sane for memory
  if ((action & 2) && stated >= 0) {                 // writes within the offered bytes
    const size_t offered = static_cast<size_t>(stated) + 1;
    size_t n = Take<uint16_t>() % (offered + 1);
    if (n > left_) n = left_;
    std::memcpy(buffer, data_, n);
    data_ += n;
    left_ -= n;
  }
  return (action & 4) ? -1 : Take<int32_t>();
}

int fake_module;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    md::OnProcessAttach();
    md::OsForSubstitution().load_module = [](const void*, bool*, md::LoadFailure*) -> void* { return &fake_module; };
    md::OsForSubstitution().find_export = [](void*, const char*) -> void* {
      return reinterpret_cast<void*>(FuzzedGetter);
    };
    md::OsForSubstitution().release_module = [](void*) {};
    return true;
  }();
  (void)ready;
  data_ = data;
  left_ = size;
  md::OwnedText text;
  md::QueryHold hold = {};
  md::QueryPluginText("fuzzed", "irPlg_GetPluginName", &hold, &text);
  md::ReleaseText(&text);
  if (md::State().loaded_modules.count != 0 || hold.buffer != nullptr || hold.module != nullptr) __builtin_trap();
  return 0;
}
