// The working data of each action call: its copy of the path, the one
// spelling of the file its probe found, the query under way and the texts it
// read. Each call owns its own record, so an action that runs in the middle
// of another one (a finalizer during a result push, or a getter calling the
// actions from another thread or fiber) never touches the data of the call
// it interrupts.
//
// A record cannot live in the action's frame: a Lua raise (out of memory, an
// error from a finalizer while a result is pushed, or an inspected plugin's
// getter raising on the host's state) jumps over that frame. Records are
// therefore kept in a module-wide list. A record left behind by a raise is
// reclaimed by the next action that starts on the same stack at the same
// depth or above it, or at detach; frames on two stacks are never compared.
#pragma once

#include <cstdint>

#include "plugin/module/module_state.h"
#include "plugin/module/owned_text.h"

namespace md {

struct ActionRecord {
  ActionRecord* next;
  uintptr_t stack;  // the stack the owning action runs on
  uintptr_t frame;  // the owning action's frame address on that stack
  OwnedText path;
  void* spelling;  // the file the probe found, as every load of this call names it
  QueryHold hold;
  // GetInfo's first load, kept until the call ends: the loader hands the
  // later loads that image, so the five texts are of one file, whatever the
  // plugin does to the file at the path meanwhile (an updater's rename).
  QueryHold kept;
  OwnedText texts[kGetterCount];
};

// The calling function's frame address. The stack grows downwards, so an
// action under way in a caller always has a higher address than any action
// that starts on the same stack while it runs.
#define MD_CURRENT_FRAME() reinterpret_cast<uintptr_t>(__builtin_frame_address(0))

// Reclaims the records of actions on this stack that can no longer be under
// way (those at `frame` or below), then opens a record for the action at
// `frame` holding a copy of `path` up to its first NUL. Null when memory is
// short.
ActionRecord* OpenActionRecord(uintptr_t frame, const char* path) noexcept;

// Frees the record and everything in it, releasing a module it still holds.
void CloseActionRecord(ActionRecord* record) noexcept;

// Frees every record (detach), whatever stack it was opened on.
void ReleaseActionRecords() noexcept;

}  // namespace md
