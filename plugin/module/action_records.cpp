#include "plugin/module/action_records.h"

#include <cstring>

#include "platform/platform.h"

namespace md {
namespace {

void FreeRecord(ActionRecord* record) noexcept {
  ReleaseQueryHold(&record->hold);
  ReleaseQueryHold(&record->kept);
  Os().release_memory(record->spelling);
  ReleaseText(&record->path);
  for (OwnedText& text : record->texts) ReleaseText(&text);
  Os().release_memory(record);
}

}  // namespace

ActionRecord* OpenActionRecord(uintptr_t frame, const char* path) noexcept {
  const uintptr_t stack = Os().current_stack();
  for (ActionRecord** link = &State().action_records; *link != nullptr;) {
    ActionRecord* record = *link;
    if (record->stack == stack && record->frame <= frame) {
      *link = record->next;
      FreeRecord(record);
    } else {
      link = &record->next;
    }
  }
  auto* record = static_cast<ActionRecord*>(Os().allocate(sizeof(ActionRecord)));
  if (record == nullptr) return nullptr;
  record->stack = stack;
  record->frame = frame;
  if (!CopyText(path, std::strlen(path), &record->path)) {
    Os().release_memory(record);
    return nullptr;
  }
  record->next = State().action_records;
  State().action_records = record;
  return record;
}

void CloseActionRecord(ActionRecord* record) noexcept {
  for (ActionRecord** link = &State().action_records; *link != nullptr; link = &(*link)->next) {
    if (*link == record) {
      *link = record->next;
      break;
    }
  }
  FreeRecord(record);
}

void ReleaseActionRecords() noexcept {
  while (ActionRecord* record = State().action_records) {
    State().action_records = record->next;
    FreeRecord(record);
  }
}

}  // namespace md
