// The working data of each action call: its copy of the path and the texts it
// read. Each call owns its own record, so an action that Lua runs in the
// middle of another one (a finalizer during a result push) never touches the
// data of the call it interrupts.
//
// A record cannot live in the action's frame: a Lua raise (out of memory, or
// an error from a finalizer, while a result is pushed) jumps over that frame.
// Records are therefore kept in a module-wide list, and a record left behind
// by a raise is reclaimed by the next action that starts at the same depth of
// the C stack or above it, or at detach.
#pragma once

#include <cstdint>

#include "plugin/module/module_state.h"
#include "plugin/module/owned_text.h"

namespace md {

struct ActionRecord {
  ActionRecord* next;
  uintptr_t frame;  // the owning action's frame address
  OwnedText path;
  OwnedText texts[kGetterCount];
};

// The calling function's frame address. The stack grows downwards, so an
// action under way in a caller always has a higher address than any action
// that starts while it runs.
#define MD_CURRENT_FRAME() reinterpret_cast<uintptr_t>(__builtin_frame_address(0))

// Reclaims the records of actions that can no longer be under way (those at
// `frame` or below), then opens a record for the action at `frame` holding a
// copy of `path` up to its first NUL. Null when memory is short.
ActionRecord* OpenActionRecord(uintptr_t frame, const char* path) noexcept;

// Frees the record and everything in it.
void CloseActionRecord(ActionRecord* record) noexcept;

// Frees every record (detach).
void ReleaseActionRecords() noexcept;

}  // namespace md
