// SPDX-License-Identifier: GPL-3.0-or-later
#include "whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace km::lab {
namespace {

std::string reason(int error) {
  return error ? std::strerror(error) : "the file could not be written whole";
}

}  // namespace

std::string writeWholeFile(const std::string& path, std::string_view bytes) {
  return writeWholeFile(path, bytes, [](int fd, const char* data, std::size_t size) {
    return static_cast<long>(::write(fd, data, size));
  });
}

std::string writeWholeFile(const std::string& path, std::string_view bytes,
                           const WriteCall& write) {
  // A name of our own beside the target, so the rename stays within one file system; created
  // with the usual permissions less the umask, as the file itself would be.
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temporary = path + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || attempt >= 100)) return reason(errno);
  }
  int error = 0;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  // A full disk may show itself only when the data are flushed or the file is closed.
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temporary.c_str());
    return reason(error);
  }
  return "";
}

}  // namespace km::lab
