// Where a worker is, in memory it shares with its parent: the request under
// way and the step within it. The worker writes both before each step,
// without a system call; the parent reads them when the worker hangs,
// crashes or ends, so that only the request under way is blamed, and
// watches them for signs of progress.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace host {

struct StageBoard {
  uint32_t serial;   // odd while the board is being written
  uint32_t request;  // the request under way plus one; 0 between requests
  char text[504];

  void Write(uint32_t request_plus_one, const std::string& stage) {
    __atomic_store_n(&serial, serial + 1, __ATOMIC_RELEASE);
    request = request_plus_one;
    const std::size_t length = stage.size() < sizeof text - 1 ? stage.size() : sizeof text - 1;
    std::memcpy(text, stage.data(), length);
    text[length] = '\0';
    __atomic_store_n(&serial, serial + 1, __ATOMIC_RELEASE);
  }

  // The same step, one part further: only the serial moves.
  void Bump() { __atomic_store_n(&serial, serial + 2, __ATOMIC_RELEASE); }

  struct Reading {
    uint32_t serial = 0;
    uint32_t request = 0;  // plus one; 0: none under way
    std::string stage;
  };

  // The board read consistently; false when it never settled.
  bool Read(Reading* out) const {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const uint32_t before = __atomic_load_n(&serial, __ATOMIC_ACQUIRE);
      char copy[sizeof text];
      std::memcpy(copy, text, sizeof copy);
      copy[sizeof copy - 1] = '\0';
      const uint32_t under_way = request;
      if (before % 2 == 0 && __atomic_load_n(&serial, __ATOMIC_ACQUIRE) == before) {
        *out = {before, under_way, copy};
        return true;
      }
    }
    return false;
  }
};

}  // namespace host
