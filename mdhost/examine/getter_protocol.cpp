#include "mdhost/examine/getter_protocol.h"

#include <cstring>

#include "mdhost/system/system.h"

namespace host {

GetterCall CallGetter(TextGetter getter, int32_t stated, std::size_t slack) {
  GetterCall call;
  const std::size_t offered = stated < 0 ? 0 : static_cast<std::size_t>(stated) + 1;
  GuardedBuffer buffer(offered + slack);
  if (!buffer.ok()) {
    call.result = -2;
    return call;
  }
  std::memset(buffer.data(), kFill, offered + slack);
  call.size = stated;
  call.result = getter(buffer.data(), &call.size);
  call.buffer.assign(buffer.data(), offered);
  const std::string beyond(buffer.data() + offered, slack);
  call.wrote_past = beyond.find_first_not_of(kFill) != std::string::npos;
  return call;
}

TextRead ReadText(TextGetter getter) {
  TextRead read;
  GetterCall call = CallGetter(getter, kFirstSize);
  if (call.result == -1) {
    if (call.size < 0 || call.size > kPlausibleLength) {
      read.problem = "answered -1 and stored the length " + std::to_string(call.size);
      return read;
    }
    call = CallGetter(getter, call.size);
  }
  const std::size_t end = call.buffer.find('\0');
  if (end == std::string::npos) {
    read.problem = "wrote no terminator into the " + std::to_string(call.buffer.size()) + " bytes offered";
    return read;
  }
  read.ok = true;
  read.text = call.buffer.substr(0, end);
  return read;
}

}  // namespace host
