// SPDX-License-Identifier: GPL-3.0-or-later
// The browser build's C library declares mount, umount and unshare without providing them.
// Here they fail as on a machine that forbids them, so a test that needs a file system of its
// own says it skips, as it does there.
#include <sched.h>
#include <sys/mount.h>

#include <cerrno>

extern "C" {

int mount(const char*, const char*, const char*, unsigned long, const void*) {
  errno = ENOSYS;
  return -1;
}

int umount(const char*) {
  errno = ENOSYS;
  return -1;
}

int unshare(int) {
  errno = ENOSYS;
  return -1;
}
}
