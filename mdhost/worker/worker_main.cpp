#include "mdhost/worker/worker_main.h"

#include <cstdio>
#include <iostream>
#include <memory>

#include "mdhost/system/output_capture.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/stage_board.h"
#include "mdhost/worker/worker_protocol.h"

namespace host {

int RunWorker(const std::string& board_token, const std::string& capture) {
  UseBinaryOutput();
  SetAsideOutput();
  if (!capture.empty()) PrintInto(capture);  // shown with each report, escaped
  InstallCrashReporter(WriteCrashRecord);
  const std::unique_ptr<SharedMemory> board = SharedMemory::Open(board_token, sizeof(StageBoard));
  RecordWriter writer(board ? static_cast<StageBoard*>(board->data()) : nullptr);
  std::string line;
  while (!writer.retire() && std::getline(std::cin, line)) {
    Request request;
    if (!DecodeRequest(line, &request)) continue;
    writer.Begin(request.serial);
    ExaminePlugin(request.what, request.path, request.load_cycles, writer);
    std::fflush(nullptr);
    writer.Done(capture.empty() ? std::nullopt : std::optional<std::uint64_t>(CaptureFile::SizeOf(capture)));
  }
  return 0;
}

}  // namespace host
