// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the golden run's checksum as 16 hex digits.
#include <cstdio>

#include "golden_run.h"

int main() {
  std::printf("%016llx\n", static_cast<unsigned long long>(km::goldenChecksum()));
  return 0;
}
