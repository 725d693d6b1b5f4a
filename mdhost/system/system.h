// mdhost's own operating-system layer: worker processes and their pipes,
// memory with a guard page, crash reports, output encodings, files and
// process figures. One file per concern and platform beside this one; the
// plugin never links it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace host {

// ---- Worker processes -------------------------------------------------------

// How a child process ended.
struct ProcessEnd {
  bool crashed = false;     // ended by a fault (exception or signal), not by exiting
  int exit_code = 0;        // when it exited
  std::string description;  // "exit code 3", "access violation (0xC0000005)", "segmentation fault"
};

// A child process whose standard input and output are pipes to this one;
// its standard error is ours.
class ChildProcess {
 public:
  virtual ~ChildProcess() = default;  // kills the child if it still runs

  virtual bool Write(const std::string& bytes) = 0;
  // Ends the child's input: what reads it meets its end.
  virtual void CloseInput() = 0;
  // Waits up to `timeout_ms` for output and returns what is there: some bytes,
  // nothing with `*closed` set when the child closed its output, or nothing on
  // timeout.
  virtual std::string Read(int timeout_ms, bool* closed) = 0;
  virtual void Kill() = 0;
  virtual ProcessEnd Wait() = 0;
};

class SharedMemory;
// Starts this very program with `arguments`; null (and `*error`) on failure.
// The child inherits `shared` and no other SharedMemory: another worker's
// board stays out of reach of the plugins this one examines.
std::unique_ptr<ChildProcess> StartSelf(const std::vector<std::string>& arguments, std::string* error,
                                        const SharedMemory* shared = nullptr);

// A few bytes of memory shared by this process and a worker it starts, which
// both use without a system call: the parent makes it (no child inherits it
// but the one StartSelf is given it for) and names it to the worker by
// `token()`; the worker opens it by that token.
class SharedMemory {
 public:
  static std::unique_ptr<SharedMemory> Make(std::size_t size);
  static std::unique_ptr<SharedMemory> Open(const std::string& token, std::size_t size);
  virtual ~SharedMemory() = default;
  virtual void* data() = 0;
  virtual std::string token() const = 0;
};

// ---- Inside a worker ----------------------------------------------------------

// Keeps standard output for WriteOutputRaw alone and points what everything
// else (a plugin's own printf) writes to standard output at standard error.
void SetAsideOutput();

// Writes straight to the output set aside (standard output until then),
// unbuffered; safe inside a crash handler.
void WriteOutputRaw(const char* bytes, std::size_t size);

// Gives the processor up for a moment (a millisecond); safe inside a crash
// handler.
void PauseBriefly();

// mdhost's own output as a stream: the standard output set aside (mdhost
// sets it aside in every command, so that a plugin's printf, in the worker
// or in mdhost's own process, lands on standard error), or standard output
// until then.
std::FILE* OwnOutput();

namespace fault_report {
struct Facts;
}

// From now on a fault (access violation, stack overflow...) in this process
// calls `report` with what it was and a description, then ends the process.
// Both say so when the fault hit a guard page of a GuardedBuffer.
using CrashReporter = void (*)(const fault_report::Facts& facts, const char* description);
void InstallCrashReporter(CrashReporter report);

// A fault raised in code of the request under way (its image, or a module
// it brought in) on this thread while its module is released (DllMain's or
// a TLS callback's detach) is noted, even where the loader swallows it; one
// that a handler of the plugin's own may take (a frame of its on the
// thread's handler chain) is not. Win32; elsewhere such a fault is a crash
// the crash reporter sees anyway. ReleaseFault: its description, "" for
// none since the watch began.
void WatchReleaseFaults(bool on);
std::string ReleaseFault();

// Memory whose last byte is followed by an inaccessible page: a write (or
// read) past the end faults at once instead of corrupting anything.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(std::size_t size);
  ~GuardedBuffer();
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  bool ok() const { return data_ != nullptr || size_ == 0; }
  char* data() { return data_; }
  std::size_t size() const { return size_; }

 private:
  void* region_ = nullptr;
  std::size_t region_size_ = 0;
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

// ---- Output -------------------------------------------------------------------

// Puts standard output and error in binary mode: CR LF in a text stays CR LF.
void UseBinaryOutput();

// A text in the system's ANSI code page, as UTF-8.
std::string AnsiToUtf8(const std::string& ansi);

// The ANSI code page as Expat takes an encoding: for each byte its code
// point, -2 for the lead byte of a two-byte character, -1 for no character.
void AnsiByteMap(int map[256]);
// A two-byte ANSI character's code point, or -1.
int AnsiPairCodePoint(const char* two_bytes);

// Writes UTF-8 to `stream`: as it is into pipes and files, in the console's
// own encoding on a console.
void WriteUtf8(std::FILE* stream, const std::string& utf8);

// ---- Files --------------------------------------------------------------------

// A path's last name ("x.lmd" of "C:\\p\\x.lmd"), and its folder ("." for a
// name alone); either separator.
std::string BaseName(const std::string& path);
std::string FolderOf(const std::string& path);

bool IsFile(const std::string& path);
// Whether anything is there: a file, a folder, a pipe, a link (dangling too).
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
// The files (not folders) a name with wildcards (* and ?) in its last part
// matches, in name order; none for none.
std::vector<std::string> MatchingFiles(const std::string& pattern);
// The running program's own file (mdhost.exe), as the system names it.
std::string OwnProgramPath();
// The path made absolute against the working folder, so that its folders
// can be walked upward; `path` itself where that fails.
std::string AbsolutePath(const std::string& path);
// Whether the file system tells names apart by case (no on Windows).
bool NamesIgnoreCase();
// Whether `c` separates folders in a path ('/' everywhere, '\\' on Windows;
// elsewhere a backslash is part of a name).
bool IsPathSeparator(char c);
// The whole file's bytes; false where it is no file or cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);
// Writes `bytes` to a new file beside `path` and renames it over `path`, so
// that a write stopped half way (a full disk, a size limit, a signal) leaves
// the old file whole. A symbolic link's target is written and the link
// kept; a file's permissions are kept. False, and why, where it cannot.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string* why);
// Whether both names reach one file (a link, another spelling or case, a
// path through other folders); false where either is not there.
bool SameFile(const std::string& a, const std::string& b);
// `path` relative to the folder `root`, with forward slashes
// ("build/x.lmd"), both made absolute and their "." and ".." steps taken; ""
// when it lies outside `root` (or is `root`).
std::string RelativeTo(const std::string& root, const std::string& path);
// A command-line argument whose name the system's ANSI code page cannot hold
// reaches mdhost (and the host) mangled: whether that happened to
// `argument`, and whether something exists under its real name, which
// `*real_name` receives (UTF-8).
enum class LostName { kNotLost, kExists, kAbsent };
LostName ArgumentNameLost(const std::string& argument, std::string* real_name);
// Whether the loader can find the module `name` that a plugin in `folder`
// imports: loaded already, in that folder, in the system folders or beside
// this program (where the system searches by other rules: true).
bool ImportFindable(const std::string& name, const std::string& folder);
// Every file below `folder`, in a stable order.
// Names the ANSI code page cannot hold go to `*unreachable` (UTF-8), files
// and folders alike: the host cannot load anything there.
std::vector<std::string> FilesBelow(const std::string& folder, std::vector<std::string>* unreachable);
// Why the last failed system call failed, in words.
std::string LastErrorText();
// A module load's failure as the loader told it (md::LoadFailure), in words.
std::string LoadErrorText(uint32_t code, const char* text);

// ---- What a plugin can change for the whole process ------------------------------

// What every plugin and script in the host shares, and a plugin may change
// for all of them: read before and after each step of an examination, and
// put back where it changed.
struct ProcessState {
  uint16_t fpu_control = 0;        // the x87 control word
  uint32_t sse_control = 0;        // MXCSR without its sticky status flags
  uintptr_t exception_filter = 0;  // the unhandled-exception filter (Win32; 0 elsewhere)
  uint32_t error_mode = 0;         // SetErrorMode's (Win32; 0 elsewhere)
  std::string folder;              // the current folder ("" where it cannot be read)
};
ProcessState ReadProcessState();
// Each part of the process as `state` has it.
void PutBackProcessState(const ProcessState& state);
// The floating-point parts alone, as the hardware has them.
void ReadFloatingPointControl(uint16_t* fpu_control, uint32_t* sse_control);
void SetFloatingPointControl(uint16_t fpu_control, uint32_t sse_control);
// Vectored exception and continue handlers others (not mdhost) added and
// have not removed, watched from the first call on: the system lists none,
// so empty where its functions cannot be watched, and off Windows.
struct VectoredHandler {
  uintptr_t handle = 0;    // what adding it returned
  bool continues = false;  // a continue handler, not an exception handler
};
std::vector<VectoredHandler> VectoredHandlersAdded();
void RemoveVectoredHandler(const VectoredHandler& handler);

// ---- Threads --------------------------------------------------------------------

// The addresses a loaded module occupies; empty where the system does not say.
struct ImageRange {
  uintptr_t start = 0, end = 0;
};
bool InAnyImage(const std::vector<ImageRange>& images, uintptr_t address);
ImageRange ModuleImageRange(void* module);
// What occupies addresses of `range` in this process: a module's file name,
// "memory of the process" for other memory, "" for none (or where the
// system does not say).
std::string ModuleOccupying(const ImageRange& range);

// Names an image an examination brought in, for crash reports: addresses in
// it read as Name+offset, charged to the request under way
// (fault_report::current_request). Once it is released, its note says so
// and its addresses stay reserved.
void NoteImage(const std::string& name, const ImageRange& range);
void NoteReleased(const ImageRange& range);
// Gives the addresses of released images in `range` back (and forgets
// them): a module that can load nowhere else (it has no relocations) needs
// them, and nothing of theirs outlived the release (a worker something
// outlived is retired before the next plugin).
void GiveBackReleased(const ImageRange& range);

// The modules an examination brings in. From BeginArrivals on, every module
// the loader brings in (the plugin, and whatever it loads, directly or
// through others) is noted (NoteImage) and its imports of the thread pool's
// functions watched, where the system tells of loads (Win32). EndArrivals
// gives those that came in, `noted` among them; the ones no longer loaded
// are noted released.
struct Arrival {
  std::string name;
  ImageRange range;
  bool loaded = true;  // still loaded when the examination ended
};
void BeginArrivals();
std::vector<Arrival> EndArrivals(const Arrival& noted);

// Keeps the addresses of a released image from any later mapping (Win32);
// nothing elsewhere. FreeReservation gives back what Reserve kept.
void Reserve(const ImageRange& range);
void FreeReservation(const ImageRange& range);

// Whether a module still occupies `range` after its release: a thread of
// its own holds a reference (FreeLibraryAndExitThread, or
// FreeLibraryWhenCallbackReturns ends it). False where the system does not
// say (POSIX).
bool ImageStillLoaded(const ImageRange& range);

// This process's threads but the calling one.
int OtherThreads();

// The threads of this process that will run code of `images`, modules just
// released: those whose start address, current instruction or a return
// address on their live stack lies in one. A thread of the system's own (a
// thread pool's idle worker, the loader's) is none of them. -1 where the
// system cannot tell (POSIX): then threads are counted instead. Unless
// `pool_threads`, a thread of the system's pool running such code is left
// out: its callback is one of the pool's timers or waits, counted as those.
int ThreadsRunningCodeOf(const std::vector<ImageRange>& images, bool pool_threads = true);
// Whether the calling thread is one the system's pool began (in ntdll).
// Allocates nothing: a crash handler asks. False where no pool is (POSIX).
bool InSystemPoolThread();

// From now on, the timers and waits that modules loaded afterwards set on
// the system's thread pool are watched, from their start-up code on, however
// they reach the pool's functions: imported, or asked for by name
// (GetProcAddress).
void WatchThreadPool();
// How many of those timers and waits whose callback lies in `images` may
// still call it: modules just released leave them to call code that is gone.
// 0 where the system has no such pool (POSIX).
int PoolCallbacksInto(const std::vector<ImageRange>& images);
// Whether the pool still holds a timer or wait whose callback lies in
// [start, end). Allocates nothing and never waits (a crash handler asks);
// false when the table is busy.
bool PoolHoldsCallbackInto(uintptr_t start, uintptr_t end);
// How many timers and waits the request under way set that are still set,
// wherever their callbacks lie: what the next plugin would share a process
// with.
int PoolEntriesOfRequest(uint32_t request_plus_one);

// ---- mdhost's own threads ---------------------------------------------------------

int ProcessorCount();  // at least 1

// Runs work(0) ... work(count - 1) each on a thread of its own, at once, and
// returns when all have returned (count: at most 64).
void RunOnThreads(int count, const std::function<void(int)>& work);

// A lock with a condition, for what mdhost's threads share.
class Gate {
 public:
  Gate();
  ~Gate();
  Gate(const Gate&) = delete;
  Gate& operator=(const Gate&) = delete;
  void Lock();
  void Unlock();
  void Wait();  // locked: lets go until woken, then holds it again
  void WakeAll();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// ---- Calls into a plugin -------------------------------------------------------

// Calls `function(first, second)` as a cdecl function (one taking fewer
// arguments ignores the rest) and gives its result; `*popped` receives how
// many bytes of arguments the callee took off the stack itself: 0 for cdecl,
// their size for __stdcall (32-bit Windows; 0 elsewhere). The caller's stack
// is right either way.
intptr_t CallCdecl(void* function, void* first, void* second, int* popped);

// ---- Process figures ------------------------------------------------------------

struct MemoryFigures {
  uint64_t working_set = 0;    // resident memory
  uint64_t private_bytes = 0;  // committed private memory; 0 where not reported
  uint64_t handles = 0;        // open handles or descriptors; 0 where not counted
};

MemoryFigures CurrentMemory();

}  // namespace host
