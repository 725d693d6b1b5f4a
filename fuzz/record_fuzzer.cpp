// The parent reading a worker's pipe, which carries whatever a process
// running plugin code wrote: any bytes, in any pieces, never more than a
// report at a time and never a crash of the reader; and the report codec
// on the same bytes.
#include <cstdint>
#include <string>

#include "mdhost/worker/worker_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  host::RecordReader reader;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  uint32_t request = 0;
  host::PluginReport report;
  // Pieces as a pipe may hand them over: the first byte says how long.
  const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 64;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    reader.Feed(bytes.substr(at, piece));
    while (reader.NextReport(&request, &report)) {
    }
  }
  reader.TakeUnfinished();
  // The same bytes as one report: whatever decodes encodes again to bytes
  // that decode to the same report.
  host::PluginReport decoded, again;
  host::DecodeReport(bytes, &decoded);
  const std::string encoded = host::EncodeReport(decoded);
  if (!host::DecodeReport(encoded, &again) || host::EncodeReport(again) != encoded) __builtin_trap();
  return 0;
}
