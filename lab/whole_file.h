// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace km::lab {

// The system's write(2), or a stand-in for it: bytes written, or -1 with errno set.
using WriteCall = std::function<long(int fd, const char* data, std::size_t size)>;

// Writes the bytes to the path whole or not at all: into a new file beside it, flushed to the
// disk, then renamed over the path. On any failure the path is left as it was, no partial file
// remains, and the system's reason comes back in words ("No space left on device"); "" when
// the file was written.
std::string writeWholeFile(const std::string& path, std::string_view bytes);
std::string writeWholeFile(const std::string& path, std::string_view bytes, const WriteCall& write);

}  // namespace km::lab
