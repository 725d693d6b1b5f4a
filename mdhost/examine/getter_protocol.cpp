#include "mdhost/examine/getter_protocol.h"

#include <cstring>
#include <new>

#include "mdhost/system/system.h"

namespace host {

GetterCall CallGetter(TextGetter getter, int32_t stated, std::size_t slack) {
  GetterCall call;
  const std::size_t offered = stated < 0 ? 0 : static_cast<std::size_t>(stated) + 1;
  GuardedBuffer buffer(offered + slack);
  if (!buffer.ok()) {
    call.no_buffer = true;
    return call;
  }
  // Room for the copy is had before the call: a shortage after it would be
  // taken for the plugin's doing.
  try {
    call.buffer.reserve(offered);
  } catch (const std::bad_alloc&) {
    call.no_buffer = true;
    return call;
  }
  std::memset(buffer.data(), kFill, offered + slack);
  call.size = stated;
  call.result =
      static_cast<int32_t>(CallCdecl(reinterpret_cast<void*>(getter), buffer.data(), &call.size, &call.popped));
  call.buffer.assign(buffer.data(), offered);
  const std::string beyond(buffer.data() + offered, slack);
  call.wrote_past = beyond.find_first_not_of(kFill) != std::string::npos;
  return call;
}

TextRead ReadText(TextGetter getter, const std::function<void(int32_t stated)>& before_call) {
  TextRead read;
  const auto call_with = [&](int32_t stated) {
    if (before_call) before_call(stated);
    GetterCall call = CallGetter(getter, stated);
    if (call.popped != 0) read.popped = call.popped;
    if (call.no_buffer) {
      read.ours = true;
      read.problem = "mdhost could not get a guarded buffer of " + std::to_string(stated) + " bytes to offer";
    }
    return call;
  };
  GetterCall call = call_with(kFirstSize);
  if (read.ours) return read;
  if (call.result == -1) {
    if (call.size < 0 || call.size > kPlausibleLength) {
      read.problem = "answered -1 and stored the length " + std::to_string(call.size);
      return read;
    }
    call = call_with(call.size);
    if (read.ours) return read;
  }
  const std::size_t end = call.buffer.find('\0');
  if (end == std::string::npos) {
    read.problem = "wrote no terminator into the " + std::to_string(call.buffer.size()) + " bytes offered";
    return read;
  }
  read.ok = true;
  call.buffer.resize(end);
  read.text = std::move(call.buffer);
  return read;
}

}  // namespace host
