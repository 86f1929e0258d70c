// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lab_tabs.h"

namespace km {

// The field's and the divider's tabs: each species' density against height beside the
// barometric law, with kT against height; and each species' passage through the divider's
// opening, with the counts on each side and the entropy of mixing over time.
LabTab atmosphereTab(const TabSources& v);
LabTab effusionTab(const TabSources& v);

}  // namespace km
