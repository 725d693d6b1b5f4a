// mdhost's own side of the text getter protocol: the sizes it offers, and a
// shortage of its own told as its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mdhost/examine/getter_protocol.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

std::vector<int32_t> offered;

// Stores 12345 when offered less, then fills all it is offered.
int32_t Measured(char* buffer, int32_t* size) {
  offered.push_back(*size);
  if (*size < 12345) {
    *size = 12345;
    return -1;
  }
  std::string(static_cast<std::size_t>(*size), 'M').copy(buffer, static_cast<std::size_t>(*size));
  buffer[*size] = '\0';
  return *size;
}

TEST(GetterProtocol, TheSecondCallOffersExactlyTheStoredLength) {
  offered.clear();
  std::vector<int32_t> staged;
  const host::TextRead read = host::ReadText(Measured, [&](int32_t stated) { staged.push_back(stated); });
  ASSERT_TRUE(read.ok) << read.problem;
  EXPECT_EQ(std::string(12345, 'M'), read.text);
  EXPECT_EQ((std::vector<int32_t>{10000, 12345}), offered);
  EXPECT_EQ(offered, staged) << "each call is announced with its own size";
}

#ifndef _WIN32
int32_t Greedy(char*, int32_t* size) {
  *size = 60 * 1024 * 1024;
  return -1;
}

// With the address space nearly full, the 60 MiB a getter asks for cannot be
// had: that is mdhost's shortage, never the plugin's MD107.
TEST(GetterProtocol, NoBufferOfOurOwnIsNotThePluginsFault) {
  struct rlimit saved;
  ASSERT_EQ(0, getrlimit(RLIMIT_AS, &saved));
  struct rlimit tight = saved;
  tight.rlim_cur = 0;
  // Just above what the process has mapped now (read from /proc).
  if (FILE* status = std::fopen("/proc/self/statm", "r")) {
    unsigned long pages = 0;
    if (std::fscanf(status, "%lu", &pages) == 1) tight.rlim_cur = pages * 4096 + 32 * 1024 * 1024;
    std::fclose(status);
  }
  if (tight.rlim_cur == 0 || (saved.rlim_cur != RLIM_INFINITY && saved.rlim_cur < tight.rlim_cur))
    GTEST_SKIP() << "cannot narrow the address space here";
  ASSERT_EQ(0, setrlimit(RLIMIT_AS, &tight));
  const host::TextRead read = host::ReadText(Greedy);
  setrlimit(RLIMIT_AS, &saved);
  EXPECT_FALSE(read.ok);
  EXPECT_TRUE(read.ours) << read.problem;
}
#endif

}  // namespace
