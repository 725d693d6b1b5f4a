// A worker's shared memory is inherited by that worker alone: made, it is
// no child's, so that a plugin in another worker cannot find and write it.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#endif

#include <cstdlib>

#include "mdhost/system/system.h"

namespace {

bool Inheritable(const host::SharedMemory& shared) {
  const unsigned long long value = std::strtoull(shared.token().c_str(), nullptr, 10);
#ifdef _WIN32
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)), &flags));
  return (flags & HANDLE_FLAG_INHERIT) != 0;
#else
  const int flags = fcntl(static_cast<int>(value), F_GETFD);
  EXPECT_GE(flags, 0);
  return (flags & FD_CLOEXEC) == 0;
#endif
}

TEST(SharedMemory, NoChildInheritsItButItsOwnWorker) {
  const auto board = host::SharedMemory::Make(64);
  ASSERT_NE(nullptr, board);
  EXPECT_FALSE(Inheritable(*board));
}

}  // namespace
