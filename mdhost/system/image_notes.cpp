// The images a crash report names, kept where the crash handler can read
// them without allocating.
#include <cstring>

#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"

namespace host {

void NoteExaminedImage(const std::string& name, const ImageRange& range, bool released) {
  fault_report::ImageNote note;
  note.start = range.start;
  note.end = range.end;
  std::strncpy(note.name, name.c_str(), sizeof note.name - 1);
  if (released) {
    fault_report::released_image = note;
    fault_report::examined_image = fault_report::ImageNote();
  } else {
    fault_report::examined_image = note;
  }
}

}  // namespace host
