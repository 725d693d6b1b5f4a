// The images a crash report names, kept where the crash handler can read
// them without allocating. A released image's addresses stay reserved while
// it is noted, so that no later module is loaded there: a call into it (a
// timer the plugin left) faults there and is charged to its plugin.
#include <cstring>

#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"

namespace host {

void NoteExaminedImage(const std::string& name, const ImageRange& range, bool released) {
  fault_report::ImageNote note;
  note.start = range.start;
  note.end = range.end;
  note.request = fault_report::current_request;
  std::strncpy(note.name, name.c_str(), sizeof note.name - 1);
  if (!released) {
    fault_report::examined_image = note;
    return;
  }
  fault_report::ImageNote& slot = fault_report::released_images[fault_report::released_next];
  FreeReservation({slot.start, slot.end});
  slot = note;
  Reserve(range);
  fault_report::released_next = (fault_report::released_next + 1) % fault_report::kReleasedNotes;
  fault_report::examined_image = fault_report::ImageNote();
}

}  // namespace host
