// The worker reading its requests: a line it takes comes back the same when
// written again, and nothing else is taken.
#include <cstdint>
#include <string>

#include "mdhost/worker/worker_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  host::Request request;
  if (!host::DecodeRequest(line, &request)) return 0;
  std::string again = host::EncodeRequest(request);
  again.pop_back();  // the line end
  host::Request reread;
  if (!host::DecodeRequest(again, &reread) || reread.serial != request.serial || reread.what != request.what ||
      reread.load_cycles != request.load_cycles || reread.path != request.path)
    __builtin_trap();
  return 0;
}
