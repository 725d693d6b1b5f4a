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
  char export_name[128];  // the export the step calls; "" for none

  void Write(uint32_t request_plus_one, const std::string& stage, const std::string& called = "") {
    __atomic_store_n(&serial, serial + 1, __ATOMIC_RELEASE);
    request = request_plus_one;
    Copy(stage, text);
    Copy(called, export_name);
    __atomic_store_n(&serial, serial + 1, __ATOMIC_RELEASE);
  }

  // The same step, one part further: only the serial moves.
  void Bump() { __atomic_store_n(&serial, serial + 2, __ATOMIC_RELEASE); }

  struct Reading {
    uint32_t serial = 0;
    uint32_t request = 0;  // plus one; 0: none under way
    std::string stage;
    std::string export_name;
  };

  // The board read consistently; false when it never settled.
  bool Read(Reading* out) const {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const uint32_t before = __atomic_load_n(&serial, __ATOMIC_ACQUIRE);
      char copy[sizeof text], called[sizeof export_name];
      std::memcpy(copy, text, sizeof copy);
      std::memcpy(called, export_name, sizeof called);
      copy[sizeof copy - 1] = called[sizeof called - 1] = '\0';
      const uint32_t under_way = request;
      if (before % 2 == 0 && __atomic_load_n(&serial, __ATOMIC_ACQUIRE) == before) {
        *out = {before, under_way, copy, called};
        return true;
      }
    }
    return false;
  }

 private:
  template <std::size_t N>
  static void Copy(const std::string& from, char (&to)[N]) {
    const std::size_t length = from.size() < N - 1 ? from.size() : N - 1;
    std::memcpy(to, from.data(), length);
    to[length] = '\0';
  }
};

}  // namespace host
