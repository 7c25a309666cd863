// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/report.h"

#include "engine/prompter.h"
#include "platform/files.h"
#include "platform/global_mutex.h"

namespace braxel {

void ReportCommandLineMessage(const std::string& message, const std::string& logFile, bool verbose) {
  // Failures are ignored: reporting must never stop a run.
  if (!logFile.empty()) {
    GlobalMutexLock lock;
    (void)AppendToFile(logFile, message + "\n");
  }
  // The message is shown after the lock is released, so a message waiting for OK never holds
  // up the logging of other instances.
  if (verbose) CurrentPrompter().Information("", message);
}

}  // namespace braxel
