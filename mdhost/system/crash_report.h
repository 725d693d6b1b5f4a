// What both sides of the stand-in host's crash reporting share: the guard
// pages of the GuardedBuffers alive, and text built without allocating (a
// crash handler may run on a corrupt heap, or inside a signal handler).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace host {
namespace fault_report {

struct Guard {
  uintptr_t start, end;  // the inaccessible page
  std::size_t offered;   // the buffer's bytes before it
};

inline Guard guards[8];

// Opens the description of a fault in a thread other than the one that
// examines plugins: one a plugin started, or one of the system's pool.
constexpr char kOtherThread[] = "in a thread the plugin started: ";
constexpr char kPoolThread[] = "in a thread of the system's pool: ";

// What a fault was, as fields the parent reads, apart from the words people
// read: which thread, whether it hit a guard page, which noted image the
// faulting code lies in and whether that image was released already.
struct Facts {
  bool other_thread = false;
  bool overrun = false;
  bool released = false;
  bool pool_callback = false;  // in the pool's thread, which held a timer or wait of that image
  const char* image = "";      // a noted image's name, "" when the code lies in none
  uint32_t request = 0;        // the request (plus one) that examined that image; 0 when unknown
};

inline void AddGuard(uintptr_t start, uintptr_t end, std::size_t offered) {
  for (Guard& g : guards) {
    if (g.end == 0) {
      g = {start, end, offered};
      return;
    }
  }
}

inline void RemoveGuard(uintptr_t start) {
  for (Guard& g : guards)
    if (g.start == start) g = {0, 0, 0};
}

// The guard page `address` lies in, or null.
inline const Guard* GuardAt(uintptr_t address) {
  for (const Guard& g : guards)
    if (g.end != 0 && address >= g.start && address < g.end) return &g;
  return nullptr;
}

// The images examinations brought in (each plugin, and every module it
// loaded, directly or through others), so that a crash address reads as
// module + offset, which addr2line needs, and is charged to the request
// that brought the image in, whoever's thread ran it. A released image's
// note stays (its addresses reserved) until its slot is taken again. A name
// holds up to 255 characters, two bytes each in a double-byte code page:
// kept whole, since the parent compares it whole.
struct ImageNote {
  uintptr_t start = 0, end = 0;
  uint32_t request = 0;  // plus one; 0 when unknown (mdhost's own process)
  bool released = false;
  char name[512] = "";
};
constexpr int kNotes = 32;
inline ImageNote notes[kNotes];
inline int notes_next = 0;            // the slot the next note takes
inline uint32_t current_request = 0;  // the request under way, plus one, for new notes

struct FixedText {
  char text[1024] = "";  // room for a description that names an image
  std::size_t length = 0;

  FixedText& operator<<(const char* s) {
    while (*s && length + 1 < sizeof text) text[length++] = *s++;
    text[length] = '\0';
    return *this;
  }
  // In decimal, or in hexadecimal with "0x".
  FixedText& Number(uintptr_t value, unsigned base) {
    char digits[32];
    int n = 0;
    do digits[n++] = "0123456789ABCDEF"[value % base];
    while ((value /= base) != 0);
    char ordered[32];
    for (int i = 0; i < n; ++i) ordered[i] = digits[n - 1 - i];
    ordered[n] = '\0';
    return *this << (base == 16 ? "0x" : "") << ordered;
  }
};

// The noted image `address` lies in, or null.
inline const ImageNote* NoteAt(uintptr_t address) {
  for (const ImageNote& note : notes)
    if (note.end != 0 && address >= note.start && address < note.end) return &note;
  return nullptr;
}

// " (Name.lmd+0x1580)" where `address` lies in a noted image; ", released"
// for the image of a plugin already released. `facts` learn the same.
inline void DescribeAddress(FixedText& out, uintptr_t address, Facts* facts) {
  const ImageNote* note = NoteAt(address);
  if (note == nullptr) return;
  out << " (" << note->name << "+";
  out.Number(address - note->start, 16) << (note->released ? ", released)" : ")");
  facts->image = note->name;
  facts->released = note->released;
  facts->request = note->request;
}

}  // namespace fault_report
}  // namespace host
