#include <cstring>

#include "plugin/module/module_state.h"
#include "plugin/module/text_getter.h"
#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"

namespace md {
namespace {

// The bytes offered to a getter: `stated` + 1 of them, so the terminator
// fits, and one more of our own that stays zero, so whatever the getter
// wrote is a C text without another copy.
struct QueryBuffer {
  char* bytes;
  int32_t stated;
};

bool Allocate(int32_t stated, QueryBuffer* buffer) noexcept {
  const uint64_t wanted = static_cast<uint64_t>(stated) + 2;  // cannot overflow
  if (wanted > SIZE_MAX) return false;
  buffer->bytes = static_cast<char*>(Os().allocate(static_cast<std::size_t>(wanted)));
  buffer->stated = stated;
  return buffer->bytes != nullptr;
}

// Replaces the buffer by one for `stated` bytes that keeps as much of the old
// content as the new size offers; every other byte is zero.
bool Resize(int32_t stated, QueryBuffer* buffer) noexcept {
  QueryBuffer fresh;
  if (!Allocate(stated, &fresh)) return false;
  const int32_t kept = stated < buffer->stated ? stated : buffer->stated;
  std::memcpy(fresh.bytes, buffer->bytes, static_cast<std::size_t>(kept) + 1);
  Os().release_memory(buffer->bytes);
  *buffer = fresh;
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

// Calls the getter by the protocol.
Reading ReadText(TextGetter getter, QueryBuffer* buffer) noexcept {
  int32_t size = buffer->stated;
  if (getter(buffer->bytes, &size) != -1) return Reading::kText;
  // The getter stored its length; a second call gets a buffer that fits it.
  if (size < 0) return Reading::kNoText;
  if (!Resize(size, buffer)) return WhyNoRoom();
  getter(buffer->bytes, &size);
  return Reading::kText;
}

// The text is the offered bytes up to the first NUL; our own last byte ends
// it even when a getter broke the protocol and wrote no terminator. A text
// far shorter than a large buffer moves to a block of its own size, so that
// a getter that asks for much and writes little costs no more than its text.
OwnedText TakeText(QueryBuffer* buffer) noexcept {
  const std::size_t length = strnlen(buffer->bytes, static_cast<std::size_t>(buffer->stated) + 1);
  buffer->bytes[length] = '\0';
  OwnedText text = {buffer->bytes, length};
  const std::size_t room = static_cast<std::size_t>(buffer->stated) + 2;
  if (length == 0 || (room > kQueryBufferSize + 2 && room / 2 > length + 1)) {
    OwnedText copy;
    // Short of memory, the large block still holds the right text.
    if (!CopyText(buffer->bytes, length, &copy)) return text;
    Os().release_memory(buffer->bytes);
    text = copy;
  }
  return text;
}

}  // namespace

bool QueryPluginText(const char* file, const char* getter_name, OwnedText* text) noexcept {
  *text = kEmptyText;
  QueryBuffer buffer;
  if (!Allocate(kQueryBufferSize, &buffer)) return false;

  void* module = Os().load_module(file);
  if (module == nullptr) {
    Os().release_memory(buffer.bytes);
    return true;  // not a module that can be loaded: no text
  }
  if (!RecordLoadedModule(module)) {
    Os().release_module(module);
    Os().release_memory(buffer.bytes);
    return false;
  }

  auto getter = reinterpret_cast<TextGetter>(Os().find_export(module, getter_name));
  const Reading reading = getter != nullptr ? ReadText(getter, &buffer) : Reading::kNoText;
  if (reading == Reading::kText)
    *text = TakeText(&buffer);
  else
    Os().release_memory(buffer.bytes);

  Os().release_module(module);
  ForgetLoadedModule(module);
  return reading != Reading::kOutOfMemory;
}

}  // namespace md
