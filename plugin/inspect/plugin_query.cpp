#include <cstring>

#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"
#include "plugin/module/module_state.h"
#include "plugin/module/text_getter.h"

namespace md {
namespace {

// The buffer offered to a getter is held in the query's hold: `stated` + 1
// bytes, so the terminator fits, and one more of our own that stays zero, so
// whatever the getter wrote is a C text without another copy.
char* AllocateBuffer(int32_t stated) noexcept {
  const uint64_t wanted = static_cast<uint64_t>(stated) + 2;  // cannot overflow
  if (wanted > SIZE_MAX) return nullptr;
  return static_cast<char*>(Os().allocate(static_cast<std::size_t>(wanted)));
}

// Replaces the held buffer of `*stated` bytes by one for `wanted` bytes that
// keeps as much of the old content as the new size offers; every other byte
// is zero.
bool Resize(int32_t wanted, int32_t* stated, QueryHold* hold) noexcept {
  char* fresh = AllocateBuffer(wanted);
  if (fresh == nullptr) return false;
  const int32_t kept = wanted < *stated ? wanted : *stated;
  std::memcpy(fresh, hold->buffer, static_cast<std::size_t>(kept) + 1);
  Os().release_memory(hold->buffer);
  hold->buffer = fresh;
  *stated = wanted;
  return true;
}

// What reading a text came to.
enum class Reading { kText, kNoText, kOutOfMemory };

// A failed allocation is our shortage when ordinary room cannot be had
// either; otherwise the getter asked for more than there is, its own fault.
Reading WhyNoRoom() noexcept {
  void* probe = Os().allocate(static_cast<std::size_t>(kQueryBufferSize) + 2);
  if (probe == nullptr) return Reading::kOutOfMemory;
  Os().release_memory(probe);
  return Reading::kNoText;
}

// Calls the getter by the protocol; `*stated` follows the held buffer.
Reading ReadText(TextGetter getter, int32_t* stated, QueryHold* hold) noexcept {
  int32_t size = *stated;
  if (getter(hold->buffer, &size) != -1) return Reading::kText;
  // The getter stored its length; a second call gets a buffer that fits it.
  if (size < 0) return Reading::kNoText;
  if (!Resize(size, stated, hold)) return WhyNoRoom();
  getter(hold->buffer, &size);
  return Reading::kText;
}

// The text is the offered bytes up to the first NUL; our own last byte ends
// it even when a getter broke the protocol and wrote no terminator. A text
// far shorter than a large buffer moves to a block of its own size, so that
// a getter that asks for much and writes little costs no more than its text.
// The buffer passes from the hold to `*text` with no raise possible between.
void TakeText(int32_t stated, QueryHold* hold, OwnedText* text) noexcept {
  char* bytes = hold->buffer;
  const std::size_t length = strnlen(bytes, static_cast<std::size_t>(stated) + 1);
  bytes[length] = '\0';
  const std::size_t room = static_cast<std::size_t>(stated) + 2;
  // Short of memory, the large block still holds the right text.
  if ((length == 0 || (room > kQueryBufferSize + 2 && room / 2 > length + 1)) && CopyText(bytes, length, text))
    return;  // the buffer stays in the hold, to be released with the module
  *text = {bytes, length};
  hold->buffer = nullptr;
}

}  // namespace

bool QueryPluginText(const void* spelling, const char* getter_name, QueryHold* hold, OwnedText* text,
                     QueryHold* keep) noexcept {
  *text = kEmptyText;
  int32_t stated = kQueryBufferSize;
  hold->buffer = AllocateBuffer(stated);
  if (hold->buffer == nullptr) return false;

  bool short_of_memory = false;
  void* module = Os().load_module(spelling, &short_of_memory, nullptr);
  if (module == nullptr || !RecordLoadedModule(module)) {
    if (module != nullptr) {
      Os().release_module(module);
      short_of_memory = true;  // the registry could not grow
    }
    ReleaseQueryHold(hold);
    return !short_of_memory;  // otherwise not a module that can be loaded: no text
  }
  hold->module = module;

  auto getter = reinterpret_cast<TextGetter>(Os().find_export(module, getter_name));
  const Reading reading = getter != nullptr ? ReadText(getter, &stated, hold) : Reading::kNoText;

  if (reading == Reading::kText) TakeText(stated, hold, text);
  if (keep != nullptr && keep->module == nullptr) {  // the module passes on with no raise possible between
    keep->module = hold->module;
    hold->module = nullptr;
  }
  ReleaseQueryHold(hold);
  return reading != Reading::kOutOfMemory;
}

}  // namespace md
