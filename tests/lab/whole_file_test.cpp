// SPDX-License-Identifier: GPL-3.0-or-later
#include "whole_file.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace km::lab {
namespace {

struct TempDir {
  std::string path;
  TempDir() {
    char name[] = "/tmp/km-whole-XXXXXX";
    path = ::mkdtemp(name);
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string file(const std::string& name) const { return path + "/" + name; }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(path.c_str())) {
      while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') out.push_back(e->d_name);
      ::closedir(d);
    }
    return out;
  }
};

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(WholeFile, WritesAndReplacesWhole) {
  TempDir dir;
  const std::string path = dir.file("summary.csv");
  EXPECT_EQ(writeWholeFile(path, "a,b\n1,2\n"), "");
  EXPECT_EQ(contents(path), "a,b\n1,2\n");
  const std::string big(100000, 'x');
  EXPECT_EQ(writeWholeFile(path, big), "");
  EXPECT_EQ(contents(path), big);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"summary.csv"});
  EXPECT_EQ(writeWholeFile(dir.file("missing/summary.csv"), "x"), "No such file or directory");
}

// A disk that fills after 4,096 bytes: the existing file keeps every byte it had, no partial
// file is left beside it, and the reason is the system's, in words.
TEST(WholeFile, AWriteThatFailsPartWayLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.file("summary.csv");
  ASSERT_EQ(writeWholeFile(path, "the old export\n"), "");
  long room = 4096;
  auto fillsUp = [&](int fd, const char* data, std::size_t size) -> long {
    if (room == 0) {
      errno = ENOSPC;
      return -1;
    }
    const long n = ::write(fd, data, std::min<std::size_t>(size, static_cast<std::size_t>(room)));
    room -= n;
    return n;
  };
  EXPECT_EQ(writeWholeFile(path, std::string(20000, 'y'), fillsUp), "No space left on device");
  EXPECT_EQ(contents(path), "the old export\n");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"summary.csv"});
  // Interrupted writes are taken up again.
  bool interrupted = false;
  auto interruptsOnce = [&](int fd, const char* data, std::size_t size) -> long {
    if (!interrupted) {
      interrupted = true;
      errno = EINTR;
      return -1;
    }
    return ::write(fd, data, std::min<std::size_t>(size, 7));
  };
  EXPECT_EQ(writeWholeFile(path, "written seven bytes at a time\n", interruptsOnce), "");
  EXPECT_EQ(contents(path), "written seven bytes at a time\n");
}

// The same on a real file system that fills up: a 12 kB tmpfs, in a mount namespace of this
// process's own, where the machine allows one.
TEST(WholeFile, ATinyFileSystemThatFillsUp) {
  TempDir dir;
  if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
      ::mount("tmpfs", dir.path.c_str(), "tmpfs", 0, "size=12k") != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
  const std::string summary = dir.file("summary.csv");
  ASSERT_EQ(writeWholeFile(summary, "section,key\n"), "");
  EXPECT_EQ(writeWholeFile(dir.file("timeseries.csv"), std::string(16000, 't')),
            "No space left on device");
  EXPECT_EQ(writeWholeFile(summary, std::string(16000, 's')), "No space left on device");
  EXPECT_EQ(contents(summary), "section,key\n");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"summary.csv"});
  ::umount(dir.path.c_str());
}

}  // namespace
}  // namespace km::lab
