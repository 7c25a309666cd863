// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line_run.h"

#include "engine/job_run.h"
#include "engine/logging.h"
#include "engine/report.h"
#include "engine/translate.h"
#include "job/job_commands.h"
#include "job/job_file.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace braxel {
namespace {

// A batch run has no dialogs: nothing is picked and no composed item exists.
class BatchJobWindow : public JobWindow {
 public:
  std::string PickFile(const std::string&, const std::string&, const std::string&, bool) override { return ""; }
  bool AddComposedItem() override { return false; }
};

}  // namespace

int32_t RunCommandLineJob(Session& session, clsConversionOptions& item) {
  int32_t result = 0;
  if (!item.sCLBatchJobFile.empty()) {
    BatchJobWindow window;
    JobFileCommands(session, window).ConversionJobOpen(item.sCLBatchJobFile);
    ConversionJobBegin(session);
  } else {
    ResetLogGrid(session.fgLog);
    result = PerformBlock(session, 1, item);
  }
  // A folder item's own result is that of its last logged file; a failed file earlier in the
  // list must still fail the run.
  for (int row = 1; row < session.fgLog.Rows() && result == 0; ++row)
    if (session.fgLog.Row(row).mark == PassMark::kFail) result = -1;
  session.bRunning = false;
  const double seconds = static_cast<double>(TickCountMs() - session.lTotalTimeStart) / 1000.0;

  const auto report = [&](const std::string& message) {
    ReportCommandLineMessage(message, item.sLogFile, item.bVerbose);
  };
  if (result != 0) {
    const Grid& log = session.fgLog;
    for (int row = 1; row <= log.Rows() - 2; ++row)
      report(Translate("Job # ") + log.Cell(row, 2) + "  " + log.Cell(row, logcol::kStatus) + " - " +
             log.Cell(row, todo::kInput));
  } else {
    report(Translate("Conversion Successful"));
  }
  report(Translate("Time to complete job: ") + FormatOneDecimal(seconds));
  if (result != 0 && !item.sLogAsConversionJobFile.empty()) {
    (void)WriteJobFileFromLog(item.sLogAsConversionJobFile, session.fgLog);
    if (!FileExists(item.sLogAsConversionJobFile))
      report(Translate("Unable to create file. Try a different folder such as 'My Documents'"));
  }
  return result;
}

}  // namespace braxel
