// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "lab_tabs.h"

namespace km {

// The gas laws' processes: a row for each one run, with its invariant at both ends beside the
// law's value, and a chart of each end value over what the ideal and hard-disc laws predicted.
// `running` is what the process under way does, in words, or "" when none is.
LabTab gasLawsTab(const TabSources& v, const std::string& running);

}  // namespace km
