// SPDX-License-Identifier: GPL-3.0-or-later
// The unattended run of a parsed command line and its report.
#pragma once

#include <cstdint>

#include "engine/conversion_item.h"
#include "engine/session.h"

namespace braxel {

// Runs the item (or the job file of /J) without user interaction and reports the outcome
// into the item's log file. 0 when the run succeeded, non-zero otherwise. The session must
// have bRunning set and lTotalTimeStart taken at start-up.
int32_t RunCommandLineJob(Session& session, clsConversionOptions& item);

}  // namespace braxel
