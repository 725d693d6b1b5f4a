// Starting a worker when a later step fails: what the earlier steps opened
// is closed again (POSIX, where the descriptor limit can make the second
// pipe fail).
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <set>

#include "mdhost/system/system.h"

namespace {

std::set<int> OpenDescriptors() {
  std::set<int> open;
  DIR* listing = opendir("/proc/self/fd");
  while (const dirent* entry = readdir(listing))
    if (entry->d_name[0] != '.') open.insert(atoi(entry->d_name));
  open.erase(dirfd(listing));
  closedir(listing);
  return open;
}

TEST(WorkerStart, AFailedSecondPipeClosesTheFirst) {
  const std::set<int> before = OpenDescriptors();
  // The two lowest free descriptors take the first pipe; the limit leaves
  // none for the second.
  int free_found = 0, second_free = 0;
  for (int fd = 0; free_found < 2; ++fd)
    if (!before.count(fd) && ++free_found == 2) second_free = fd;
  rlimit saved;
  ASSERT_EQ(0, getrlimit(RLIMIT_NOFILE, &saved));
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(second_free + 1);
  ASSERT_EQ(0, setrlimit(RLIMIT_NOFILE, &tight));
  std::string error;
  const auto worker = host::StartSelf({"--worker", "none"}, &error);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(nullptr, worker);
  EXPECT_NE(std::string::npos, error.find("cannot start a worker")) << error;
  EXPECT_EQ(before, OpenDescriptors()) << "the first pipe was left open";
}

}  // namespace
