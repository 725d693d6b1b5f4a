// The images a crash report names, kept where the crash handler can read
// them without allocating. A released image's addresses stay reserved while
// it is noted, so that no later module is loaded there: a call into it (a
// timer the plugin left) faults there and is charged to its plugin.
#include <cstring>

#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"

namespace host {

bool InAnyImage(const std::vector<ImageRange>& images, uintptr_t address) {
  for (const ImageRange& image : images)
    if (address >= image.start && address < image.end) return true;
  return false;
}

void NoteImage(const std::string& name, const ImageRange& range) {
  if (range.end <= range.start) return;
  for (const fault_report::ImageNote& note : fault_report::notes)
    if (note.start == range.start && note.end == range.end && !note.released) return;  // noted already
  fault_report::ImageNote& slot = fault_report::notes[fault_report::notes_next];
  if (slot.released) FreeReservation({slot.start, slot.end});
  fault_report::ImageNote note;
  note.start = range.start;
  note.end = range.end;
  note.request = fault_report::current_request;
  std::strncpy(note.name, name.c_str(), sizeof note.name - 1);
  slot = note;
  fault_report::notes_next = (fault_report::notes_next + 1) % fault_report::kNotes;
}

void NoteReleased(const ImageRange& range) {
  for (fault_report::ImageNote& note : fault_report::notes)
    if (note.start == range.start && note.end == range.end && !note.released) {
      note.released = true;
      Reserve(range);
    }
}

void GiveBackReleased(const ImageRange& range) {
  for (fault_report::ImageNote& note : fault_report::notes)
    if (note.released && note.start < range.end && range.start < note.end) {
      FreeReservation({note.start, note.end});
      note = fault_report::ImageNote();
    }
}

}  // namespace host
