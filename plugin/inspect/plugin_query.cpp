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

// Calls the getter by the protocol; false when no text could be had.
bool ReadText(TextGetter getter, QueryBuffer* buffer) noexcept {
  int32_t size = buffer->stated;
  if (getter(buffer->bytes, &size) != -1) return true;
  // The getter stored its length; a second call gets a buffer that fits it.
  if (size < 0 || !Resize(size, buffer)) return false;
  getter(buffer->bytes, &size);
  return true;
}

// The text is the offered bytes up to the first NUL; our own last byte ends
// it even when a getter broke the protocol and wrote no terminator.
OwnedText TakeText(QueryBuffer* buffer) noexcept {
  const std::size_t length = strnlen(buffer->bytes, static_cast<std::size_t>(buffer->stated) + 1);
  buffer->bytes[length] = '\0';
  if (length == 0) {
    Os().release_memory(buffer->bytes);
    return kEmptyText;
  }
  return {buffer->bytes, length};
}

}  // namespace

OwnedText QueryPluginText(const char* file, const char* getter_name) noexcept {
  QueryBuffer buffer;
  if (!Allocate(kQueryBufferSize, &buffer)) return kEmptyText;

  void* module = Os().load_module(file);
  if (module == nullptr || !RecordLoadedModule(module)) {
    if (module != nullptr) Os().release_module(module);
    Os().release_memory(buffer.bytes);
    return kEmptyText;
  }

  OwnedText text = kEmptyText;
  auto getter = reinterpret_cast<TextGetter>(Os().find_export(module, getter_name));
  if (getter != nullptr && ReadText(getter, &buffer))
    text = TakeText(&buffer);
  else
    Os().release_memory(buffer.bytes);

  Os().release_module(module);
  ForgetLoadedModule(module);
  return text;
}

}  // namespace md
