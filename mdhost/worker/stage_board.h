// The step a worker is at, in memory it shares with its parent: the worker
// writes it before each step, without a system call; the parent reads it when
// the worker hangs, crashes or ends, and watches it for signs of progress.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace host {

struct StageBoard {
  uint32_t serial;  // odd while the text is being written
  char text[508];

  void Write(const std::string& stage) {
    __atomic_store_n(&serial, serial + 1, __ATOMIC_RELEASE);
    const std::size_t length = stage.size() < sizeof text - 1 ? stage.size() : sizeof text - 1;
    std::memcpy(text, stage.data(), length);
    text[length] = '\0';
    __atomic_store_n(&serial, serial + 1, __ATOMIC_RELEASE);
  }

  // The stage and its serial, read consistently; false when it never settled.
  bool Read(std::string* stage, uint32_t* read_serial) const {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const uint32_t before = __atomic_load_n(&serial, __ATOMIC_ACQUIRE);
      char copy[sizeof text];
      std::memcpy(copy, text, sizeof copy);
      copy[sizeof copy - 1] = '\0';
      if (before % 2 == 0 && __atomic_load_n(&serial, __ATOMIC_ACQUIRE) == before) {
        *stage = copy;
        *read_serial = before;
        return true;
      }
    }
    return false;
  }
};

}  // namespace host
