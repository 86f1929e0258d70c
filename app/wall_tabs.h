// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lab_tabs.h"

namespace km {

// The walls' tabs: the path in area and pressure beside the isotherm and the adiabats, and the
// heat conducted across the box between two walls at different temperatures.
LabTab pvTab(const TabSources& v);
LabTab heatFlowTab(const TabSources& v);

}  // namespace km
