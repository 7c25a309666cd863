// SPDX-License-Identifier: GPL-3.0-or-later
// ReportCommandLineMessage: the one way an unattended run reports. Appends the message as one
// line to the log file under the global mutex, and shows it when verbose.
#pragma once

#include <string>

namespace braxel {

void ReportCommandLineMessage(const std::string& message, const std::string& logFile, bool verbose);

}  // namespace braxel
