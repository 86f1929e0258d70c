// SPDX-License-Identifier: GPL-3.0-or-later
#include "messages.h"

namespace km {

std::string cannotStartMessage(const std::vector<std::string>& reasons) {
  std::string text = "The simulation cannot start:\n";
  for (const std::string& r : reasons)
    text += "\n\u2022 " + r;
  return text;
}

std::string stoppedMessage(std::string_view doing, const RunError& error) {
  std::string text = "The simulation stopped while ";
  text += doing;
  text += ".\n\n";
  text += errorKindName(error.kind());
  text += ": ";
  text += error.what();
  text +=
      ".\n\nFix the cause, then press \"restart\" to go on or \"Run Simulation\" to start "
      "again.";
  return text;
}

}  // namespace km
