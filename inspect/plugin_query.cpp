#include <cstdlib>
#include <cstring>

#include "module/module_state.h"
#include "platform/platform.h"
#include "plugin_query.h"

namespace md {
namespace {

using TextGetter = int32_t (*)(char* buffer, int32_t* size);  // cdecl

// A zero-filled buffer of `capacity` bytes that owns its memory.
struct QueryBuffer {
  char* bytes = nullptr;
  std::size_t capacity = 0;

  bool Allocate(uint64_t wanted) noexcept {
    if (wanted > SIZE_MAX) return false;
    bytes = static_cast<char*>(std::calloc(static_cast<std::size_t>(wanted), 1));
    capacity = bytes ? static_cast<std::size_t>(wanted) : 0;
    return bytes != nullptr;
  }

  // Replaces the buffer by a zero-filled one of `wanted` bytes that keeps as
  // much of the old content as fits.
  bool Resize(uint64_t wanted) noexcept {
    QueryBuffer fresh;
    if (!fresh.Allocate(wanted)) return false;
    std::memcpy(fresh.bytes, bytes, capacity < fresh.capacity ? capacity : fresh.capacity);
    std::swap(bytes, fresh.bytes);
    std::swap(capacity, fresh.capacity);
    return true;
  }

  ~QueryBuffer() { std::free(bytes); }
};

// Calls the getter by the protocol; false when no text could be had.
bool ReadText(TextGetter getter, QueryBuffer& buffer) noexcept {
  int32_t size = QueryBufferSize;
  if (getter(buffer.bytes, &size) != -1) return true;
  // The getter stored its length; a second call gets a buffer that fits it.
  if (size < 0) return false;
  if (!buffer.Resize(static_cast<uint64_t>(size) + 1)) return false;
  getter(buffer.bytes, &size);
  return true;
}

}  // namespace

std::string QueryPluginText(const char* file, const char* getterName) noexcept {
  QueryBuffer buffer;
  if (!buffer.Allocate(static_cast<uint64_t>(QueryBufferSize) + 1)) return std::string();

  void* module = Os().load_module(file);
  if (module == nullptr) return std::string();
  if (!RecordLoadedModule(module)) {
    Os().release_module(module);
    return std::string();
  }

  std::string text;
  auto getter = reinterpret_cast<TextGetter>(Os().find_export(module, getterName));
  if (getter != nullptr && ReadText(getter, buffer)) {
    // Up to the first NUL, but never past the buffer: a getter that breaks the
    // protocol may leave no terminator at all.
    try {
      text.assign(buffer.bytes, strnlen(buffer.bytes, buffer.capacity));
    } catch (...) {
      text.clear();
    }
  }

  Os().release_module(module);
  ForgetLoadedModule(module);
  return text;
}

}  // namespace md
